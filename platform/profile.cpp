// INI reading and writing with the behaviour of the Windows profile functions.
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/error.h"
#include "platform/file_replace.h"
#include "platform/limits.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace platform {
namespace {

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
    if (name && equals_ignoring_ascii_case(*name, section)) return i;
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
    if (name && equals_ignoring_ascii_case(*name, key)) return i;
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
    lines_.push_back(std::string("[").append(section).append("]"));
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
#ifdef _WIN32
  int fd = ::open(path.c_str(), O_RDONLY | O_BINARY);
#else
  // Non-blocking, so that naming a FIFO cannot hang the open.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#endif
  if (fd < 0) return {};
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  auto refuse = [&](const std::string& why, ErrorKind kind) -> void {
    throw Error("the settings file " + path + " is refused: " + why, kind);
  };
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    refuse("it is not a regular file", ErrorKind::Refused);
  const std::string too_large =
      "it is larger than " + std::to_string(limits::kMaxProfileBytes) + " bytes";
  if (static_cast<std::uint64_t>(st.st_size) > limits::kMaxProfileBytes)
    refuse(too_large, ErrorKind::Limit);
  std::string text;
  char buf[4096];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {};
    if (n == 0) break;
    text.append(buf, static_cast<std::size_t>(n));
    // The file may have grown since it was measured.
    if (text.size() > limits::kMaxProfileBytes) refuse(too_large, ErrorKind::Limit);
  }
  return IniDocument::parse(text);
}

namespace {

// A file that is refused reads like a missing one.
std::optional<std::string> stored_value(const std::string& path, std::string_view section,
                                        std::string_view key) {
  try {
    return load(path).get(section, key);
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace

std::string read_string(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view default_value) {
  auto value = stored_value(path, section, key);
  return value ? *value : std::string(default_value);
}

int read_int(const std::string& path, std::string_view section, std::string_view key,
             int default_value) {
  auto value = stored_value(path, section, key);
  return value ? parse_int_or(*value, default_value) : default_value;
}

ReplaceMethod save(const std::string& path, const IniDocument& doc) {
  return replace_file(path, doc.render(), "the settings file", InPlaceFallback::Allowed);
}

void write_string(const std::string& path, std::string_view section, std::string_view key,
                  std::string_view value) {
  IniDocument doc = load(path);
  doc.set(section, key, value);
  save(path, doc);
}

void delete_key(const std::string& path, std::string_view section, std::string_view key) {
  if (!file_exists(path)) return;
  IniDocument doc = load(path);
  if (!doc.get(section, key)) return;
  doc.erase(section, key);
  save(path, doc);
}

}  // namespace profile
}  // namespace platform
