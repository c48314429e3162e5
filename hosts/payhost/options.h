// Command-line options of payhost and its help text.
#pragma once

#include <optional>
#include <string>

namespace payhost {

enum class Format { Table, Csv, Json };

struct Options {
  std::string config;   // full path of the plug-in's configuration file
  std::string library;  // libsheetport.so to load; empty: look in the usual places
  Format format = Format::Table;
  bool configure = false;
  bool help = false;
  bool quiet = false;  // no progress on stderr
};

// Parses argv; on a usage error returns nothing and sets error to a one-line message.
std::optional<Options> parse_options(int argc, char** argv, std::string& error);

const char* help_text();

}  // namespace payhost
