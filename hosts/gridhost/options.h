// Command-line options of gridhost, its exit statuses and its help text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace gridhost {

enum Exit {
  kImported = 0,     // the dialog was closed after rows were added
  kNotImported = 1,  // the dialog was closed and no row was added
  kUsage = 2,
  kPluginError = 3,    // libgridport.so could not be loaded
  kDatabaseError = 4,  // the database or table could not be opened, or the rows not stored
  kNoDisplay = 5,      // --window without a display
};

enum class Format { Table, Csv, Json };

struct Options {
  std::string db;
  std::string table;
  std::string create;   // column definitions for a table that does not exist yet
  std::string library;  // libgridport.so to load; empty: look in the usual places
  int32_t auto_map = 2;
  int32_t error_mode = 2;
  bool modes_given = false;  // exec1 with the modes; without them exec
  Format format = Format::Table;
  bool window = false;
  bool help = false;
  bool quiet = false;  // no summary on stderr
};

// Parses argv; on a usage error returns nothing and sets error to a one-line message.
std::optional<Options> parse_options(int argc, char** argv, std::string& error);

const char* help_text();

}  // namespace gridhost
