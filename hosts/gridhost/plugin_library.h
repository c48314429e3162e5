// Finding and loading libgridport.so, as a host does: dlopen and the two exports.
#pragma once

#include <gridport/gridport.h>

#include <optional>
#include <string>

namespace gridhost {

struct PluginLibrary {
  void* handle = nullptr;  // kept loaded: the plug-in keeps the host's objects until unloaded
  decltype(&::exec) exec = nullptr;
  decltype(&::exec1) exec1 = nullptr;
};

// `explicit_path` from --library, else GRIDPORT_LIBRARY, beside the program, its PlugIns folder,
// the build tree. On failure returns nothing and sets error to one line.
std::optional<PluginLibrary> load_plugin(const std::string& explicit_path, std::string& error);

}  // namespace gridhost
