// GBK conversion, one character at a time where a character cannot be converted: over glibc
// iconv, or on Windows over the system's code pages.
#include "platform/text.h"

#ifdef _WIN32
#include "platform/codepage_win32.h"
#else
#include <iconv.h>
#endif

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/error.h"
#include "platform/utf8.h"

namespace platform {
namespace {

#ifndef _WIN32
const auto kNoDescriptor = reinterpret_cast<iconv_t>(-1);
#endif

bool is_ascii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

// Length of the malformed or unmappable UTF-8 character at the front (at least 1).
std::size_t utf8_char_length(std::string_view s) {
  std::size_t n = std::min(utf8_sequence_length(static_cast<unsigned char>(s[0])), s.size());
  for (std::size_t i = 1; i < n; ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return i;
  }
  return n;
}

bool is_gbk_lead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

std::size_t gbk_char_length(std::string_view s) {
  return is_gbk_lead(static_cast<unsigned char>(s[0])) && s.size() >= 2 ? 2 : 1;
}

// Descriptors are kept per thread: opening one costs more than converting a field.
Recoder& to_gbk() {
  thread_local Recoder c("CP936", "UTF-8", utf8_char_length);
  return c;
}

Recoder& from_gbk() {
  thread_local Recoder c("UTF-8", "CP936", gbk_char_length);
  return c;
}

}  // namespace

std::size_t Recoder::skip_one_byte(std::string_view) {
  return 1;
}

#ifdef _WIN32
Recoder::Recoder(const char* to, const char* from, SkipLength skip_length)
    : cd_(nullptr),
      skip_length_(skip_length),
      to_codepage_(win32::codepage_of(to)),
      from_codepage_(win32::codepage_of(from)) {
  if (to_codepage_ == 0 || from_codepage_ == 0) {
    throw Error(std::string("text conversion from ") + from + " to " + to + " is not available");
  }
}

Recoder::~Recoder() = default;

Recoder::Recoder(Recoder&& other) noexcept = default;

// The system's tables decide, a character at a time, what each code page can hold.
void Recoder::append(std::string& out, std::string_view input) {
  if (is_ascii(input)) {
    out.append(input);
    return;
  }
  out += win32::narrow(to_codepage_, win32::widen(from_codepage_, input));
}
#else
Recoder::Recoder(const char* to, const char* from, SkipLength skip_length)
    : cd_(iconv_open(to, from)), skip_length_(skip_length) {
  if (cd_ == kNoDescriptor) {
    throw Error(std::string("text conversion from ") + from + " to " + to + " is not available");
  }
}

Recoder::~Recoder() {
  if (cd_ != kNoDescriptor) iconv_close(static_cast<iconv_t>(cd_));
}

Recoder::Recoder(Recoder&& other) noexcept
    : cd_(std::exchange(other.cd_, kNoDescriptor)), skip_length_(other.skip_length_) {}

void Recoder::append(std::string& out, std::string_view input) {
  if (is_ascii(input)) {
    out.append(input);
    return;
  }
  auto cd = static_cast<iconv_t>(cd_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::size_t used = out.size();
  out.resize(used + input.size() * 2 + 8);
  char* in_ptr = const_cast<char*>(input.data());
  std::size_t in_left = input.size();
  while (in_left > 0) {
    char* out_ptr = out.data() + used;
    std::size_t out_left = out.size() - used;
    std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    used = out.size() - out_left;
    if (rc != static_cast<std::size_t>(-1)) break;
    // Growth follows what is left of the input, not the text already in `out`.
    if (errno == E2BIG) {
      out.resize(out.size() + in_left * 2 + 16);
      continue;
    }
    // EILSEQ or EINVAL: one bad character never loses the rest of the text.
    std::size_t skip =
        std::clamp<std::size_t>(skip_length_(std::string_view(in_ptr, in_left)), 1, in_left);
    in_ptr += skip;
    in_left -= skip;
    if (used == out.size()) out.resize(out.size() + in_left * 2 + 16);
    out[used++] = '?';
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
}
#endif

std::string utf8_to_gbk(std::string_view utf8) {
  std::string out;
  to_gbk().append(out, utf8);
  return out;
}

std::string gbk_to_utf8(std::string_view gbk) {
  std::string out;
  from_gbk().append(out, gbk);
  return out;
}

std::string_view gbk_prefix(std::string_view gbk, std::size_t max_bytes) {
  std::size_t pos = 0;
  while (pos < gbk.size()) {
    std::size_t len = gbk_char_length(gbk.substr(pos));
    if (pos + len > max_bytes) break;
    pos += len;
  }
  return gbk.substr(0, pos);
}

std::string_view trim_blanks(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string ascii_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = ascii_lower(c);
  return out;
}

bool starts_with_ignoring_ascii_case(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (ascii_lower(text[i]) != ascii_lower(prefix[i])) return false;
  }
  return true;
}

bool equals_ignoring_ascii_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && starts_with_ignoring_ascii_case(a, b);
}

std::size_t find_ignoring_ascii_case(std::string_view text, std::string_view needle,
                                     std::size_t from) {
  for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
    if (starts_with_ignoring_ascii_case(text.substr(i), needle)) return i;
  }
  return std::string_view::npos;
}

}  // namespace platform
