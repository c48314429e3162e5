// INI reading and writing with the behaviour of the Windows profile functions.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "platform/text.h"

namespace platform {
namespace {

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> header_name(std::string_view line) {
  line = trim_blanks(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  auto close = line.find(']');
  if (close != std::string_view::npos) line = line.substr(0, close);
  return trim_blanks(line);
}

std::optional<std::string_view> key_name(std::string_view line) {
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  return trim_blanks(line.substr(0, eq));
}

std::string unquote(std::string_view value) {
  value = trim_blanks(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string errno_text(int err) {
  return std::strerror(err);
}

}  // namespace

int parse_int_or(std::string_view text, int default_value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool hex = false;
  if (!text.empty() && text.front() == '$') {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  if (text.empty()) return default_value;
  long long value = 0;
  if (hex) {
    // Up to eight digits, taken as the bits of a 32-bit integer, so that "$FFFFFFFF" reads as -1
    // instead of failing to fit.
    if (text.size() > 8) return default_value;
    for (char c : text) {
      int d = hex_digit(c);
      if (d < 0) return default_value;
      value = value * 16 + d;
    }
    auto bits = static_cast<std::uint32_t>(value);
    std::int32_t as_signed = static_cast<std::int32_t>(bits);
    return negative ? static_cast<int>(-static_cast<long long>(as_signed)) : as_signed;
  }
  for (char c : text) {
    if (c < '0' || c > '9') return default_value;
    value = value * 10 + (c - '0');
    if (value > 2147483648LL) return default_value;
  }
  if (negative) value = -value;
  if (value > 2147483647LL || value < -2147483648LL) return default_value;
  return static_cast<int>(value);
}

IniDocument IniDocument::parse(std::string_view text) {
  IniDocument doc;
  auto first_break = text.find('\n');
  if (first_break != std::string_view::npos) {
    doc.newline_ = first_break > 0 && text[first_break - 1] == '\r' ? "\r\n" : "\n";
  }
  std::size_t pos = 0;
  while (pos < text.size()) {
    auto end = text.find('\n', pos);
    std::string_view line =
        text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    doc.lines_.emplace_back(line);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return doc;
}

std::optional<std::size_t> IniDocument::find_section(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    auto name = header_name(lines_[i]);
    if (name && iequals(*name, section)) return i;
  }
  return std::nullopt;
}

std::size_t IniDocument::section_end(std::size_t header) const {
  std::size_t i = header + 1;
  while (i < lines_.size() && !header_name(lines_[i])) ++i;
  return i;
}

std::optional<std::size_t> IniDocument::find_key(std::size_t header, std::string_view key) const {
  std::size_t end = section_end(header);
  for (std::size_t i = header + 1; i < end; ++i) {
    auto name = key_name(lines_[i]);
    if (name && iequals(*name, key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string> IniDocument::get(std::string_view section, std::string_view key) const {
  auto header = find_section(section);
  if (!header) return std::nullopt;
  auto line = find_key(*header, key);
  if (!line) return std::nullopt;
  const std::string& text = lines_[*line];
  return unquote(std::string_view(text).substr(text.find('=') + 1));
}

void IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
  std::string entry = std::string(key) + "=" + std::string(value);
  auto header = find_section(section);
  if (!header) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(entry);
    return;
  }
  if (auto line = find_key(*header, key)) {
    lines_[*line] = entry;
    return;
  }
  // After the section's last non-blank line, so blank lines before the next section stay there.
  std::size_t at = section_end(*header);
  while (at > *header + 1 && trim_blanks(lines_[at - 1]).empty()) --at;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

void IniDocument::erase(std::string_view section, std::string_view key) {
  auto header = find_section(section);
  if (!header) return;
  if (auto line = find_key(*header, key)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
  }
}

std::string IniDocument::render() const {
  std::string out;
  for (const auto& line : lines_) {
    out += line;
    out += newline_;
  }
  return out;
}

namespace profile {

IniDocument load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return IniDocument::parse(buffer.str());
}

std::string read_string(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view default_value) {
  auto value = load(path).get(section, key);
  return value ? *value : std::string(default_value);
}

int read_int(const std::string& path, std::string_view section, std::string_view key,
             int default_value) {
  auto value = load(path).get(section, key);
  return value ? parse_int_or(*value, default_value) : default_value;
}

namespace {

// The file a save replaces, as found before anything is written.
struct SaveTarget {
  std::string named;  // as the caller named it, for messages
  std::filesystem::path path;
  std::filesystem::path folder;
  bool exists = false;
  struct stat st {};
  mode_t mode = 0644;
};

[[noreturn]] void refuse(const SaveTarget& target, const std::string& why) {
  throw Error("cannot write the settings file " + target.named + ": " + why);
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

// Writes body to a new file beside the target and renames it over the target. Returns false,
// with create_error set, when the folder refuses the new file; any later failure throws.
bool replace_by_rename(const SaveTarget& target, std::string_view body, int& create_error) {
  std::string temp = (target.folder / ("." + target.path.filename().string() + ".XXXXXX")).string();
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
    refuse(target, errno_text(err));
  }
  return true;
}

// Overwrites the existing file with body. The space is reserved first, so that a full disk
// refuses the save before any of the old content is touched.
void rewrite_in_place(const SaveTarget& target, std::string_view body) {
  int fd = ::open(target.path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) refuse(target, errno_text(errno));
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
  if (err != 0) refuse(target, errno_text(err));
}

}  // namespace

SaveMethod save(const std::string& path, const IniDocument& doc) {
  namespace fs = std::filesystem;
  std::error_code ec;
  SaveTarget target;
  target.named = path;
  target.path = path;
  if (fs::is_symlink(target.path, ec)) target.path = fs::canonical(target.path, ec);
  target.exists = ::stat(target.path.c_str(), &target.st) == 0;
  if (target.exists) {
    if (!S_ISREG(target.st.st_mode)) refuse(target, "it is not a file");
    // The write bits count even for a privileged user: a read-only file stays read-only.
    if ((target.st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
      refuse(target, "the file is read-only");
    }
    if (::access(target.path.c_str(), W_OK) != 0) refuse(target, "the file may not be written");
    target.mode = target.st.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    target.mode = 0666 & ~mask;
  }
  target.folder = target.path.parent_path();
  if (target.folder.empty()) target.folder = ".";
  if (!fs::is_directory(target.folder, ec)) {
    refuse(target, "the folder " + target.folder.string() + " does not exist");
  }

  std::string body = doc.render();
  int create_error = 0;
  if (replace_by_rename(target, body, create_error)) return SaveMethod::Replaced;
  // A folder locked down with only the file left writable: the file is all that may change.
  if (!target.exists) {
    refuse(target, "no file can be created in the folder " + target.folder.string() + ": " +
                       errno_text(create_error));
  }
  rewrite_in_place(target, body);
  return SaveMethod::InPlace;
}

void write_string(const std::string& path, std::string_view section, std::string_view key,
                  std::string_view value) {
  IniDocument doc = load(path);
  doc.set(section, key, value);
  save(path, doc);
}

void delete_key(const std::string& path, std::string_view section, std::string_view key) {
  if (!std::filesystem::exists(path)) return;
  IniDocument doc = load(path);
  if (!doc.get(section, key)) return;
  doc.erase(section, key);
  save(path, doc);
}

}  // namespace profile
}  // namespace platform
