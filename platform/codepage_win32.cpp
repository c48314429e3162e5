// Code-page conversion over MultiByteToWideChar and WideCharToMultiByte. A whole text is tried
// first; only a text with a bad character is walked one character at a time.
#include "platform/codepage_win32.h"

#include <windows.h>

#include <cstdint>

#include "platform/error.h"

namespace platform::win32 {
namespace {

// Converts one piece strictly; false when it holds a sequence invalid in the code page.
bool widen_strict(unsigned codepage, std::string_view bytes, std::wstring& out) {
  if (bytes.empty()) return true;
  int size = static_cast<int>(bytes.size());
  int n = MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (n <= 0) return false;
  std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data() + at, n);
  return true;
}

void append_utf16(std::wstring& out, std::uint32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<wchar_t>(c));
  } else {
    c -= 0x10000;
    out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
  }
}

// The system's tables give a byte that a code page leaves unassigned the C1 control of the same
// value (0x81 in code page 1252 becomes U+0081); iconv refuses such a byte, and so do we.
void refuse_unassigned(std::wstring& text) {
  for (wchar_t& c : text) {
    if (c >= 0x80 && c <= 0x9F) c = L'?';
  }
}

}  // namespace

unsigned codepage_of(std::string_view name) {
  std::string upper;
  for (char c : name) upper += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  unsigned codepage = 0;
  if (upper == "UTF-8") {
    codepage = CP_UTF8;
  } else if (upper == "ASCII" || upper == "US-ASCII") {
    codepage = 20127;
  } else if (upper == "MACINTOSH") {
    codepage = 10000;
  } else if (upper.size() > 2 && upper.compare(0, 2, "CP") == 0 &&
             upper.find_first_not_of("0123456789", 2) == std::string::npos && upper.size() <= 7) {
    codepage = static_cast<unsigned>(std::stoul(upper.substr(2)));
  }
  return codepage != 0 && IsValidCodePage(codepage) ? codepage : 0;
}

std::wstring widen(unsigned codepage, std::string_view bytes) {
  if (codepage == CP_UTF8) return widen_utf8(bytes);
  std::wstring out;
  if (widen_strict(codepage, bytes, out)) {
    refuse_unassigned(out);
    return out;
  }
  out.clear();
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    bool lead = IsDBCSLeadByteEx(codepage, static_cast<BYTE>(bytes[pos])) != 0;
    std::size_t len = lead && pos + 1 < bytes.size() ? 2 : 1;
    if (!widen_strict(codepage, bytes.substr(pos, len), out)) out.push_back(L'?');
    pos += len;
  }
  refuse_unassigned(out);
  return out;
}

std::wstring widen_utf8(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    auto lead = static_cast<unsigned char>(utf8[pos]);
    std::size_t n = lead < 0x80 ? 1 : lead < 0xC0 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (n == 1) {
      out.push_back(static_cast<wchar_t>(lead));
      ++pos;
      continue;
    }
    // A stray continuation byte, a cut sequence or a bad continuation: one "?" for what the
    // lead byte claimed, up to the first byte that does not belong.
    std::size_t len = 1;
    std::uint32_t c = n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
    while (n != 0 && len < n && pos + len < utf8.size() &&
           (static_cast<unsigned char>(utf8[pos + len]) & 0xC0) == 0x80) {
      c = c << 6 | (static_cast<unsigned char>(utf8[pos + len]) & 0x3F);
      ++len;
    }
    bool whole = n != 0 && len == n;
    bool shortest = (n == 2 && c >= 0x80) || (n == 3 && c >= 0x800) || (n == 4 && c >= 0x10000);
    bool scalar = c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    if (whole && shortest && scalar) {
      append_utf16(out, c);
    } else {
      out.push_back(L'?');
    }
    pos += len;
  }
  return out;
}

std::string narrow(unsigned codepage, std::wstring_view input) {
  if (input.empty()) return {};
  // Code pages such as UTF-8 take neither a default character nor the best-fit flag.
  bool utf = codepage == CP_UTF8 || codepage == CP_UTF7;
  std::wstring single;
  if (!utf) {
    // A character beyond the 16-bit plane is one "?", not one for each half.
    single.reserve(input.size());
    for (std::size_t i = 0; i < input.size(); ++i) {
      bool pair = input[i] >= 0xD800 && input[i] <= 0xDBFF && i + 1 < input.size() &&
                  input[i + 1] >= 0xDC00 && input[i + 1] <= 0xDFFF;
      single.push_back(pair ? L'?' : input[i]);
      if (pair) ++i;
    }
    input = single;
  }
  std::wstring_view text = input;
  DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = utf ? nullptr : "?";
  int size = static_cast<int>(text.size());
  int n = WideCharToMultiByte(codepage, flags, text.data(), size, nullptr, 0, fallback, nullptr);
  if (n <= 0) throw Error("text cannot be converted to code page " + std::to_string(codepage));
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codepage, flags, text.data(), size, out.data(), n, fallback, nullptr);
  return out;
}

}  // namespace platform::win32
