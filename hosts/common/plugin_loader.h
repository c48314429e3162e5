// Finding and opening a plug-in's shared library, as a host does.
#pragma once

#include <string>

namespace hosts {

struct LibrarySearch {
  std::string explicit_path;          // from --library: when given, the only place looked at
  const char* environment = nullptr;  // a variable that may name the library
  std::string file_name;              // "libsheetport.so"
  std::string build_path;             // the plug-in built beside the host, or empty
};

// Opens the first library that exists of: the explicit path, else the environment's, beside the
// program, in its PlugIns folder, the build path. Returns the handle (kept open: the plug-in
// keeps the host's objects until unloaded) and sets path; on failure returns null and sets
// error to one line.
void* open_plugin_library(const LibrarySearch& search, std::string& path, std::string& error);

// The address of an export of a library that open_plugin_library opened, or null.
void* plugin_symbol(void* library, const char* name);

}  // namespace hosts
