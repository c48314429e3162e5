// All-or-nothing file writes: a temporary file beside the target, then rename(2) over it.
#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/error.h"

namespace platform {
namespace {

// The write bits count even for a privileged user: what a person made read-only stays so.
bool writable(const std::filesystem::path& path, const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// Writes everything or returns the errno that stopped it.
int write_all(int fd, std::string_view contents) {
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

}  // namespace

void replace_file(const std::string& path, std::string_view contents, std::string_view what) {
  namespace fs = std::filesystem;
  auto fail = [&](const std::string& why) -> void {
    throw Error("cannot write " + std::string(what) + " " + path + ": " + why);
  };
  std::error_code ec;
  fs::path target(path);
  if (fs::is_symlink(target, ec)) target = fs::canonical(target, ec);
  struct stat st {};
  bool exists = ::stat(target.c_str(), &st) == 0;
  mode_t mode = 0644;
  if (exists) {
    if (!S_ISREG(st.st_mode)) fail("it is not a file");
    if (!writable(target, st)) fail("the file is read-only");
    mode = st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  struct stat folder_st {};
  if (::stat(folder.c_str(), &folder_st) != 0 || !S_ISDIR(folder_st.st_mode)) {
    fail("the folder " + folder.string() + " does not exist");
  }
  if (!writable(folder, folder_st)) fail("the folder " + folder.string() + " is read-only");

  std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(temp.data());
  if (fd < 0) fail(std::strerror(errno));
  int err = write_all(fd, contents);
  if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
  if (err == 0 && exists && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Keeping the owner is a courtesy; only a privileged process can do it.
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    fail(std::strerror(err));
  }
}

}  // namespace platform
