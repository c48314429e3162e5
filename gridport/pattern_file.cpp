// Pattern file text and the file system around it.
#include "gridport/pattern_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/error.h"
#include "platform/file_replace.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace gridport {
namespace {

constexpr std::string_view kExtension = ".pat";

// Closes a file descriptor on every way out.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void refuse_read(const std::string& path, const std::string& why) {
  throw platform::Error("cannot read the pattern file " + path + ": " + why);
}

// Reads at most one byte more than the limit, so that an endless file (a device) ends too.
std::string read_bounded(const std::string& path) {
  // Windows refuses to open a folder at all, with a less helpful reason.
  if (platform::folder_exists(path)) refuse_read(path, "it is a folder");
#ifdef _WIN32
  FileHandle file(::open(path.c_str(), O_RDONLY | O_BINARY));
#else
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
#endif
  if (file.get() < 0) refuse_read(path, std::strerror(errno));
  struct stat st {};
  if (::fstat(file.get(), &st) == 0 && S_ISDIR(st.st_mode)) refuse_read(path, "it is a folder");
  std::string bytes(kMaxPatternFileBytes + 1, '\0');
  std::size_t used = 0;
  while (used < bytes.size()) {
    ssize_t n = ::read(file.get(), bytes.data() + used, bytes.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      refuse_read(path, std::strerror(errno));
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  if (used > kMaxPatternFileBytes) {
    refuse_read(path, "it is larger than 1 MiB, far more than any pattern, so it is not one");
  }
  bytes.resize(used);
  return bytes;
}

}  // namespace

std::string pattern_folder() {
  return platform::join_path(platform::program_folder(), "Pat");
}

std::string prepare_pattern_folder() {
  std::string folder = pattern_folder();
  if (!platform::folder_exists(folder)) platform::create_folders(folder);
  return folder;
}

std::string default_pattern_file() {
  return platform::join_path(pattern_folder(), "pat.pat");
}

std::string with_pattern_extension(std::string_view name) {
  std::string fixed(name);
  bool has_extension = name.size() >= kExtension.size() &&
                       platform::ascii_upper(name.substr(name.size() - kExtension.size())) ==
                           platform::ascii_upper(kExtension);
  if (!has_extension) fixed += kExtension;
  return fixed;
}

std::string format_pattern(const std::vector<PatternLine>& lines) {
  std::string text;
  for (const auto& line : lines) {
    text += line.dest_field;
    text += ':';
    text += line.source_field;
    text += "\r\n";
  }
  return platform::utf8_to_gbk(text);
}

std::vector<PatternLine> parse_pattern(std::string_view gbk) {
  // GBK's second bytes are all above 0x3F, so CR, LF and ":" bytes are always those characters.
  std::vector<PatternLine> lines;
  std::size_t at = 0;
  while (at < gbk.size()) {
    std::size_t end = gbk.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = gbk.size();
    std::string_view line = gbk.substr(at, end - at);
    auto colon = line.find(':');
    if (colon == std::string_view::npos) {
      lines.push_back({"", platform::gbk_to_utf8(line)});
    } else {
      lines.push_back({platform::gbk_to_utf8(line.substr(0, colon)),
                       platform::gbk_to_utf8(line.substr(colon + 1))});
    }
    at = end + 1;
    if (end < gbk.size() && gbk[end] == '\r' && at < gbk.size() && gbk[at] == '\n') ++at;
  }
  return lines;
}

void write_pattern_file(const std::string& path, const std::vector<PatternLine>& lines) {
  platform::replace_file(path, format_pattern(lines), "the pattern file");
}

std::vector<PatternLine> read_pattern_file(const std::string& path) {
  std::string bytes = read_bounded(path);
  if (bytes.find('\0') != std::string::npos) {
    refuse_read(path, "it holds NUL bytes, so it is not a text pattern file");
  }
  return parse_pattern(bytes);
}

}  // namespace gridport
