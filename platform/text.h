// Text helpers: UTF-8 inside the system, GBK (code page 936) where bytes cross its edge.
#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace platform {

// One iconv conversion that never gives up on a text: a sequence the target cannot hold, or that
// is not valid in the source, becomes "?" and the rest is converted. Both sides must be
// ASCII-compatible; ASCII text passes through without iconv.
class Recoder {
 public:
  // The byte length of the sequence at the front of the text to replace by one "?" (at least 1).
  using SkipLength = std::size_t (*)(std::string_view rest);
  static std::size_t skip_one_byte(std::string_view rest);

  // Throws platform::Error when the system cannot convert between the two.
  Recoder(const char* to, const char* from, SkipLength skip_length = skip_one_byte);
  ~Recoder();
  Recoder(Recoder&& other) noexcept;
  Recoder& operator=(Recoder&&) = delete;
  Recoder(const Recoder&) = delete;
  Recoder& operator=(const Recoder&) = delete;

  void append(std::string& out, std::string_view input);

 private:
  void* cd_;  // iconv_t
  SkipLength skip_length_;
  // On Windows, the system's code pages converted between.
  unsigned to_codepage_ = 0;
  unsigned from_codepage_ = 0;
};

// Converts UTF-8 to GBK; a character GBK cannot hold, or a malformed UTF-8 byte, becomes "?".
std::string utf8_to_gbk(std::string_view utf8);

// Converts GBK to UTF-8; a byte sequence that is not GBK becomes "?".
std::string gbk_to_utf8(std::string_view gbk);

// The longest prefix of at most max_bytes GBK bytes that does not end in half a character.
std::string_view gbk_prefix(std::string_view gbk, std::size_t max_bytes);

// Removes blanks and control characters (bytes <= 0x20) from both ends.
std::string_view trim_blanks(std::string_view text);

// ASCII case: other bytes (UTF-8 and GBK ones included) are left as they are, so folding the
// bytes of any text never touches a character that is not an ASCII letter. Works on UTF-16 units
// as well.
template <std::integral Char>
constexpr Char ascii_lower(Char c) {
  return c >= Char('A') && c <= Char('Z') ? Char(c + ('a' - 'A')) : c;
}
std::string ascii_upper(std::string_view text);
std::string ascii_lower(std::string_view text);
bool equals_ignoring_ascii_case(std::string_view a, std::string_view b);
bool starts_with_ignoring_ascii_case(std::string_view text, std::string_view prefix);
// The first position at or after `from` where `needle` starts, or npos.
std::size_t find_ignoring_ascii_case(std::string_view text, std::string_view needle,
                                     std::size_t from = 0);

}  // namespace platform
