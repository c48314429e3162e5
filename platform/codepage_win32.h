// Windows code-page conversion through the system's own tables, with the same answers as the
// iconv side: one "?" for each character that cannot be converted.
#pragma once

#include <string>
#include <string_view>

namespace platform::win32 {

// The code page an iconv-style name stands for ("UTF-8", "CP936", "ASCII", "MACINTOSH"), or 0
// when the system has none such.
unsigned codepage_of(std::string_view name);

// Decodes text of a Windows code page (UTF-8 included); a byte sequence invalid in it becomes
// "?".
std::wstring widen(unsigned codepage, std::string_view bytes);

// Decodes UTF-8; a malformed character (as far as its lead byte claims) becomes "?".
std::wstring widen_utf8(std::string_view utf8);

// Encodes in a code page (CP_UTF8 included); a character it cannot hold becomes "?", never a
// look-alike.
std::string narrow(unsigned codepage, std::wstring_view text);

}  // namespace platform::win32
