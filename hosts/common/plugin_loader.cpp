#include "plugin_loader.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <cstdlib>
#include <vector>

namespace hosts {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';

std::string executable_folder() {
  std::vector<char> buf(32768);
  DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return ".";
  std::string path(buf.data(), n);
  auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? "." : path.substr(0, cut);
}

bool exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void* open_library(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr)
    error = "cannot load " + path + ": Windows error " + std::to_string(GetLastError());
  return reinterpret_cast<void*>(module);
}
#else
constexpr char kSeparator = '/';

std::string executable_folder() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string path(buf.data(), static_cast<std::size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

void* open_library(const std::string& path, std::string& error) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) error = "cannot load " + path + ": " + ::dlerror();
  return handle;
}
#endif

std::vector<std::string> candidates(const LibrarySearch& search) {
  if (!search.explicit_path.empty()) return {search.explicit_path};
  std::vector<std::string> out;
  if (const char* env = std::getenv(search.environment); env && *env) out.emplace_back(env);
  std::string here = executable_folder();
  out.push_back(here + kSeparator + search.file_name);
  out.push_back(here + kSeparator + "PlugIns" + kSeparator + search.file_name);
  if (!search.build_path.empty()) out.push_back(search.build_path);
  return out;
}

}  // namespace

void* open_plugin_library(const LibrarySearch& search, std::string& path, std::string& error) {
  std::string tried;
  for (const auto& candidate : candidates(search)) {
    if (!exists(candidate)) {
      tried += (tried.empty() ? "" : ", ") + candidate;
      continue;
    }
    void* handle = open_library(candidate, error);
    if (handle == nullptr) return nullptr;
    path = candidate;
    return handle;
  }
  error = search.file_name + " not found (tried " + tried + "); name it with --library";
  return nullptr;
}

void* plugin_symbol(void* library, const char* name) {
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  return ::dlsym(library, name);
#endif
}

}  // namespace hosts
