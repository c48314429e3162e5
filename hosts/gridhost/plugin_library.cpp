// Loading the grid plug-in.
#include "plugin_library.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace gridhost {
namespace {

std::string executable_folder() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string path(buf.data(), static_cast<std::size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::vector<std::string> candidates(const std::string& explicit_path) {
  if (!explicit_path.empty()) return {explicit_path};
  std::vector<std::string> out;
  if (const char* env = std::getenv("GRIDPORT_LIBRARY"); env && *env) out.emplace_back(env);
  std::string here = executable_folder();
  out.push_back(here + "/libgridport.so");
  out.push_back(here + "/PlugIns/libgridport.so");
#ifdef GRIDHOST_BUILD_PLUGIN
  out.emplace_back(GRIDHOST_BUILD_PLUGIN);
#endif
  return out;
}

}  // namespace

std::optional<PluginLibrary> load_plugin(const std::string& explicit_path, std::string& error) {
  std::string tried;
  for (const auto& path : candidates(explicit_path)) {
    if (::access(path.c_str(), F_OK) != 0) {
      tried += (tried.empty() ? "" : ", ") + path;
      continue;
    }
    PluginLibrary plugin;
    plugin.handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (plugin.handle == nullptr) {
      error = "cannot load " + path + ": " + ::dlerror();
      return std::nullopt;
    }
    plugin.exec = reinterpret_cast<decltype(plugin.exec)>(::dlsym(plugin.handle, "exec"));
    plugin.exec1 = reinterpret_cast<decltype(plugin.exec1)>(::dlsym(plugin.handle, "exec1"));
    if (plugin.exec == nullptr || plugin.exec1 == nullptr) {
      error = path + " does not export exec and exec1: it is not the Gridport plug-in";
      return std::nullopt;
    }
    return plugin;
  }
  error = "libgridport.so not found (tried " + tried + "); name it with --library";
  return std::nullopt;
}

}  // namespace gridhost
