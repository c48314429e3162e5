// GBK conversion, one character at a time where a character cannot be converted: over glibc
// iconv, or on Windows over the system's code page 936.
#include "platform/text.h"

#ifdef _WIN32
#include "platform/codepage_win32.h"
#else
#include <iconv.h>

#include <cerrno>

#include "platform/error.h"
#endif

namespace platform {
namespace {

#ifndef _WIN32

// An open iconv descriptor, reset before each conversion.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw Error(std::string("text conversion from ") + from + " to " + to + " is not available");
    }
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts input; at a sequence that cannot be converted, writes "?" and skips skip_length(...)
  // bytes, so one bad character never loses the rest of the text.
  template <typename SkipLength>
  std::string convert(std::string_view input, SkipLength skip_length) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.resize(input.size() * 2 + 8);
    char* in_ptr = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    std::size_t used = 0;
    while (in_left > 0) {
      char* out_ptr = out.data() + used;
      std::size_t out_left = out.size() - used;
      std::size_t rc = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      used = out.size() - out_left;
      if (rc != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL: replace one character and go on.
      std::size_t skip = skip_length(std::string_view(in_ptr, in_left));
      in_ptr += skip;
      in_left -= skip;
      if (used == out.size()) out.resize(out.size() * 2);
      out[used++] = '?';
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the malformed or unmappable UTF-8 character at the front (at least 1).
std::size_t utf8_char_length(std::string_view s) {
  auto lead = static_cast<unsigned char>(s[0]);
  std::size_t n = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  // Up to the first byte that does not continue it, also near the end of the text: a character
  // cut short there must not take the text after it along.
  for (std::size_t i = 1; i < n; ++i) {
    if (i == s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return i;
  }
  return n;
}

#endif

bool is_gbk_lead(unsigned char c) {
  return c >= 0x81 && c <= 0xFE;
}

std::size_t gbk_char_length(std::string_view s) {
  return is_gbk_lead(static_cast<unsigned char>(s[0])) && s.size() >= 2 ? 2 : 1;
}

#ifdef _WIN32
constexpr unsigned kGbk = 936;
constexpr unsigned kUtf8 = 65001;

std::string convert_to_gbk(std::string_view utf8) {
  return win32::narrow(kGbk, win32::widen_utf8(utf8));
}

std::string convert_from_gbk(std::string_view gbk) {
  return win32::narrow(kUtf8, win32::widen(kGbk, gbk));
}
#else
// Descriptors are kept per thread: opening one costs more than converting a field.
Converter& to_gbk() {
  thread_local Converter c("CP936", "UTF-8");
  return c;
}

Converter& from_gbk() {
  thread_local Converter c("UTF-8", "CP936");
  return c;
}

std::string convert_to_gbk(std::string_view utf8) {
  return to_gbk().convert(utf8, utf8_char_length);
}

std::string convert_from_gbk(std::string_view gbk) {
  return from_gbk().convert(gbk, gbk_char_length);
}
#endif

bool is_ascii(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

std::string utf8_to_gbk(std::string_view utf8) {
  if (is_ascii(utf8)) return std::string(utf8);
  return convert_to_gbk(utf8);
}

std::string gbk_to_utf8(std::string_view gbk) {
  if (is_ascii(gbk)) return std::string(gbk);
  return convert_from_gbk(gbk);
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

}  // namespace platform
