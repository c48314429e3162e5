// Escapes, references and number shortcuts of the .xlsx format.
#include "workbook/xlsx_text.h"

#include <charconv>

#include "platform/utf8.h"
#include "workbook/limits.h"

namespace workbook {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(c | 0x20);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The unit of an escape "_xHHHH_" starting at text[i], or -1.
int escape_at(std::string_view text, std::size_t i) {
  if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_') return -1;
  int v = 0;
  for (std::size_t k = i + 2; k < i + 6; ++k) {
    int h = hex_value(text[k]);
    if (h < 0) return -1;
    v = v * 16 + h;
  }
  return v;
}

}  // namespace

void append_unescaped(std::string& out, std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t u = text.find("_x", i);
    if (u == std::string_view::npos) break;
    int unit = escape_at(text, u);
    if (unit < 0) {
      out.append(text.substr(i, u + 2 - i));
      i = u + 2;
      continue;
    }
    out.append(text.substr(i, u - i));
    i = u + 7;
    auto cp = static_cast<std::uint32_t>(unit);
    if (cp >= 0xD800 && cp < 0xDC00) {
      int low = escape_at(text, i);
      if (low >= 0xDC00 && low < 0xE000) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<std::uint32_t>(low) - 0xDC00);
        i += 7;
      } else {
        cp = 0xFFFD;
      }
    } else if (cp >= 0xDC00 && cp < 0xE000) {
      cp = 0xFFFD;
    }
    if (cp != 0) platform::append_utf8(out, cp);  // a NUL would end the text in C hosts
  }
  out.append(text.substr(i));
}

std::optional<CellAddress> parse_cell_ref(std::string_view ref) {
  std::size_t i = 0;
  std::uint32_t column = 0;
  while (i < ref.size() && static_cast<unsigned char>(ref[i] - 'A') < 26) {
    column = column * 26 + static_cast<std::uint32_t>(ref[i] - 'A' + 1);
    if (column > limits::kMaxColumns) return std::nullopt;
    ++i;
  }
  if (i == 0) return std::nullopt;
  auto row = parse_row_number(ref.substr(i));
  if (!row) return std::nullopt;
  return CellAddress{*row, column - 1};
}

std::optional<std::uint32_t> parse_row_number(std::string_view text) {
  if (text.empty() || text.size() > 7 || text[0] == '0') return std::nullopt;
  std::uint32_t row = 0;
  for (char c : text) {
    auto digit = static_cast<std::uint32_t>(static_cast<unsigned char>(c) - '0');
    if (digit > 9) return std::nullopt;
    row = row * 10 + digit;
  }
  if (row > limits::kMaxRows) return std::nullopt;
  return row - 1;
}

std::string column_letters(std::uint32_t column) {
  std::string s;
  for (std::uint32_t n = column + 1; n > 0; n = (n - 1) / 26)
    s.insert(s.begin(), static_cast<char>('A' + (n - 1) % 26));
  return s;
}

bool is_canonical_number_text(std::string_view t) {
  std::size_t i = t.size() && t[0] == '-' ? 1 : 0;
  std::size_t int_begin = i;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  std::size_t int_len = i - int_begin;
  if (int_len == 0 || (int_len > 1 && t[int_begin] == '0')) return false;
  bool zero_int = int_len == 1 && t[int_begin] == '0';
  if (i == t.size()) return int_len <= 15 && !(zero_int && int_begin == 1);  // "-0" is "0"
  if (t[i] != '.') return false;
  std::size_t frac_begin = ++i;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
  std::size_t frac_len = i - frac_begin;
  if (i != t.size() || frac_len == 0 || t[i - 1] == '0') return false;
  if (!zero_int) return int_len + frac_len <= 15;
  // 0.000x and smaller switch to exponent notation under %.15g.
  std::size_t zeros = 0;
  while (t[frac_begin + zeros] == '0') ++zeros;
  return zeros <= 3 && frac_len - zeros <= 15;
}

std::optional<double> parse_number(std::string_view text) {
  // Most stored numbers are whole: up to 15 digits they are exact without a trip through
  // from_chars, which gives the same double for them.
  if (!text.empty() && text.size() <= 15) {
    std::uint64_t whole = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
      whole = whole * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (i == text.size()) return static_cast<double>(whole);
  }
  while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return v;
}

}  // namespace workbook
