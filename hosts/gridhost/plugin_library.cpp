// Loading the grid plug-in.
#include "plugin_library.h"

#include <dlfcn.h>

#include "plugin_loader.h"

namespace gridhost {

std::optional<PluginLibrary> load_plugin(const std::string& explicit_path, std::string& error) {
  hosts::LibrarySearch search{explicit_path, "GRIDPORT_LIBRARY", "libgridport.so", {}};
#ifdef GRIDHOST_BUILD_PLUGIN
  search.build_path = GRIDHOST_BUILD_PLUGIN;
#endif
  std::string path;
  PluginLibrary plugin;
  plugin.handle = hosts::open_plugin_library(search, path, error);
  if (plugin.handle == nullptr) return std::nullopt;
  plugin.exec = reinterpret_cast<decltype(plugin.exec)>(::dlsym(plugin.handle, "exec"));
  plugin.exec1 = reinterpret_cast<decltype(plugin.exec1)>(::dlsym(plugin.handle, "exec1"));
  if (plugin.exec == nullptr || plugin.exec1 == nullptr) {
    error = path + " does not export exec and exec1: it is not the Gridport plug-in";
    return std::nullopt;
  }
  return plugin;
}

}  // namespace gridhost
