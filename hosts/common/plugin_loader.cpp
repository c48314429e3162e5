#include "plugin_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace hosts {
namespace {

std::string executable_folder() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string path(buf.data(), static_cast<std::size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::vector<std::string> candidates(const LibrarySearch& search) {
  if (!search.explicit_path.empty()) return {search.explicit_path};
  std::vector<std::string> out;
  if (const char* env = std::getenv(search.environment); env && *env) out.emplace_back(env);
  std::string here = executable_folder();
  out.push_back(here + "/" + search.file_name);
  out.push_back(here + "/PlugIns/" + search.file_name);
  if (!search.build_path.empty()) out.push_back(search.build_path);
  return out;
}

}  // namespace

void* open_plugin_library(const LibrarySearch& search, std::string& path, std::string& error) {
  std::string tried;
  for (const auto& candidate : candidates(search)) {
    if (::access(candidate.c_str(), F_OK) != 0) {
      tried += (tried.empty() ? "" : ", ") + candidate;
      continue;
    }
    void* handle = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      error = "cannot load " + candidate + ": " + ::dlerror();
      return nullptr;
    }
    path = candidate;
    return handle;
  }
  error = search.file_name + " not found (tried " + tried + "); name it with --library";
  return nullptr;
}

}  // namespace hosts
