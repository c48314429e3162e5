// Program folder and file-system queries over the ANSI file functions: paths are the code-page
// bytes the host passes, never reinterpreted as UTF-8.
#include <windows.h>

#include "platform/error.h"
#include "platform/paths.h"

namespace platform {
namespace {

bool is_separator(char c) {
  return c == '\\' || c == '/';
}

std::string last_error_text() {
  return "Windows error " + std::to_string(GetLastError());
}

}  // namespace

std::string program_folder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) throw Error("cannot find the running program's folder: " + last_error_text());
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string(".") : path.substr(0, cut);
}

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (is_separator(folder.back())) return folder + name;
  return folder + "\\" + name;
}

bool file_exists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool folder_exists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void create_folders(const std::string& path) {
  // Each prefix that ends before a separator, then the whole path.
  for (std::size_t i = 1; i <= path.size(); ++i) {
    if (i < path.size() && !is_separator(path[i])) continue;
    std::string part = path.substr(0, i);
    if (part.back() == ':' || folder_exists(part)) continue;
    if (CreateDirectoryA(part.c_str(), nullptr)) continue;
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
      throw Error("cannot create the folder " + path + ": " + last_error_text());
    }
    // Made meanwhile by someone else, or a file of that name in the way.
    if (!folder_exists(part)) {
      throw Error("cannot create the folder " + path + ": a file named " + part + " is in the way");
    }
  }
}

}  // namespace platform
