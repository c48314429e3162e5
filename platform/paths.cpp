// Program folder and file-system queries over std::filesystem.
#include "platform/paths.h"

#include <filesystem>

#include "platform/error.h"

namespace platform {

std::string program_folder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw Error("cannot find the running program's folder: " + ec.message());
  return exe.parent_path().string();
}

std::string join_path(const std::string& folder, const std::string& name) {
  return (std::filesystem::path(folder) / name).string();
}

bool file_exists(const std::string& path) {
  std::error_code ec;
  auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool folder_exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(path, ec);
}

void create_folders(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) throw Error("cannot create the folder " + path + ": " + ec.message());
}

}  // namespace platform
