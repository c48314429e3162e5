// The operating system's side of payhost: dlopen and POSIX signals, or their Windows
// counterparts.
#include "system.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdio>
#include <vector>

namespace payhost {

#ifdef _WIN32
const char* const kPluginFileName = "sheetport.dll";

bool Library::open(const std::string& path, std::string& error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    error = "cannot load " + path + ": Windows error " + std::to_string(GetLastError());
    return false;
  }
  handle_ = module;
  return true;
}

void* Library::symbol(const char* name) const {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

std::string executable_folder() {
  std::vector<char> buf(32768);
  DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return ".";
  std::string path(buf.data(), n);
  auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? "." : path.substr(0, cut);
}

std::string join(const std::string& folder, const std::string& name) {
  return folder + "\\" + name;
}

bool file_exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void catch_first_interrupt(void (*handler)(int)) {
  // The C runtime puts the default back before it calls the handler.
  std::signal(SIGINT, handler);
}

void release_interrupt() {
  std::signal(SIGINT, SIG_DFL);
}

bool stderr_is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

void prepare_console() {
  SetConsoleOutputCP(CP_UTF8);
  // The records go out as on Linux, each line ending in "\n" alone.
  _setmode(_fileno(stdout), _O_BINARY);
}
#else
const char* const kPluginFileName = "libsheetport.so";

bool Library::open(const std::string& path, std::string& error) {
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    error = "cannot load " + path + ": " + ::dlerror();
    return false;
  }
  return true;
}

void* Library::symbol(const char* name) const {
  return ::dlsym(handle_, name);
}

std::string executable_folder() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ".";
  std::string path(buf.data(), static_cast<std::size_t>(n));
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string join(const std::string& folder, const std::string& name) {
  return folder + "/" + name;
}

bool file_exists(const std::string& path) {
  return ::access(path.c_str(), F_OK) == 0;
}

void catch_first_interrupt(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

void release_interrupt() {
  std::signal(SIGINT, SIG_DFL);
}

bool stderr_is_terminal() {
  return ::isatty(STDERR_FILENO) != 0;
}

void prepare_console() {}
#endif

}  // namespace payhost
