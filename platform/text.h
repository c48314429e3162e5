// Text helpers: UTF-8 inside the system, GBK (code page 936) where bytes cross its edge.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Converts UTF-8 to GBK; a character GBK cannot hold, or a malformed UTF-8 byte, becomes "?".
std::string utf8_to_gbk(std::string_view utf8);

// Converts GBK to UTF-8; a byte sequence that is not GBK becomes "?".
std::string gbk_to_utf8(std::string_view gbk);

// The longest prefix of at most max_bytes GBK bytes that does not end in half a character.
std::string_view gbk_prefix(std::string_view gbk, std::size_t max_bytes);

// Removes blanks and control characters (bytes <= 0x20) from both ends.
std::string_view trim_blanks(std::string_view text);

// ASCII upper-casing; other bytes are left as they are.
std::string ascii_upper(std::string_view text);

}  // namespace platform
