// All-or-nothing file writes: a temporary file beside the target, then rename(2) over it; in place
// only where a locked-down folder leaves no other way.
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

// The file a write replaces, as found before anything is written.
struct Target {
  std::string named;  // as the caller named it, for messages
  std::string what;
  std::filesystem::path path;
  std::filesystem::path folder;
  bool exists = false;
  struct stat st {};
  mode_t mode = 0644;
};

[[noreturn]] void refuse(const Target& target, const std::string& why) {
  throw Error("cannot write " + target.what + " " + target.named + ": " + why);
}

// The write bits count even for a privileged user: what a person made read-only stays so.
bool writable(const std::filesystem::path& path, const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
}

// Writes all of body at offset 0; 0 or the errno of the failure.
int write_all(int fd, std::string_view body) {
  std::size_t done = 0;
  while (done < body.size()) {
    ssize_t n = ::pwrite(fd, body.data() + done, body.size() - done, static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

Target find_target(const std::string& path, std::string_view what) {
  namespace fs = std::filesystem;
  std::error_code ec;
  Target target;
  target.named = path;
  target.what = what;
  target.path = path;
  if (fs::is_symlink(target.path, ec)) target.path = fs::canonical(target.path, ec);
  target.exists = ::stat(target.path.c_str(), &target.st) == 0;
  if (target.exists) {
    if (!S_ISREG(target.st.st_mode)) refuse(target, "it is not a file");
    if (!writable(target.path, target.st)) refuse(target, "the file is read-only");
    target.mode = target.st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    target.mode = 0666 & ~mask;
  }
  target.folder = target.path.parent_path();
  if (target.folder.empty()) target.folder = ".";
  struct stat folder_st {};
  if (::stat(target.folder.c_str(), &folder_st) != 0 || !S_ISDIR(folder_st.st_mode)) {
    refuse(target, "the folder " + target.folder.string() + " does not exist");
  }
  return target;
}

// Writes body to a new file beside the target and renames it over the target. Returns false,
// with create_error set, when the folder refuses the new file; any later failure throws.
bool replace_by_rename(const Target& target, std::string_view body, int& create_error) {
  struct stat folder_st {};
  if (::stat(target.folder.c_str(), &folder_st) != 0 || !writable(target.folder, folder_st)) {
    create_error = EACCES;
    return false;
  }
  std::string temp_name = ".";
  temp_name += target.path.filename().string();
  temp_name += ".XXXXXX";
  std::string temp = (target.folder / temp_name).string();
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    create_error = errno;
    return false;
  }
  int err = write_all(fd, body);
  if (err == 0 && ::fchmod(fd, target.mode) != 0) err = errno;
  if (err == 0 && target.exists && ::fchown(fd, target.st.st_uid, target.st.st_gid) != 0) {
    // Keeping the owner is a courtesy; only a privileged process can do it.
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    refuse(target, std::strerror(err));
  }
  return true;
}

// Overwrites the existing file with body. The space is reserved first, so that a full disk
// refuses the write before any of the old content is touched.
void rewrite_in_place(const Target& target, std::string_view body) {
  int fd = ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) refuse(target, std::strerror(errno));
  auto old_size = target.st.st_size;
  auto new_size = static_cast<off_t>(body.size());
  int err = 0;
  if (new_size > old_size) {
    err = ::posix_fallocate(fd, 0, new_size);
    if (err != 0 && ::ftruncate(fd, old_size) != 0) {
      // The reservation may have grown the file; nothing else has changed.
    }
  }
  if (err == 0) err = write_all(fd, body);
  if (err == 0 && ::ftruncate(fd, new_size) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) refuse(target, std::strerror(err));
}

}  // namespace

ReplaceMethod replace_file(const std::string& path, std::string_view contents,
                           std::string_view what, InPlaceFallback fallback) {
  Target target = find_target(path, what);
  int create_error = 0;
  if (replace_by_rename(target, contents, create_error)) return ReplaceMethod::Replaced;
  std::string folder = target.folder.string();
  if (fallback == InPlaceFallback::Refused) {
    refuse(target,
           create_error == EACCES
               ? "the folder " + folder + " is read-only"
               : "the folder " + folder + " refuses new files: " + std::strerror(create_error));
  }
  // A folder locked down with only the file left writable: the file is all that may change.
  if (!target.exists) {
    refuse(target,
           "no file can be created in the folder " + folder + ": " + std::strerror(create_error));
  }
  rewrite_in_place(target, contents);
  return ReplaceMethod::InPlace;
}

}  // namespace platform
