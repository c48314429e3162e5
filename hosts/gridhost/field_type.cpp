// Conversions and refusals of the typed fields.
#include "field_type.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "date_text.h"
#include "error.h"
#include "host_text.h"

namespace gridhost {
namespace {

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool contains(const std::string& text, const char* word) {
  return text.find(word) != std::string::npos;
}

// The numbers in "(p, s)" after a type name; 0 for those missing.
void type_arguments(const std::string& declared, int& first, int& second) {
  first = second = 0;
  auto open = declared.find('(');
  if (open == std::string::npos) return;
  const char* p = declared.c_str() + open + 1;
  char* end = nullptr;
  first = static_cast<int>(std::clamp(std::strtol(p, &end, 10), 0L, 1000000000L));
  if (end && *end == ',') {
    second = static_cast<int>(std::clamp(std::strtol(end + 1, nullptr, 10), 0L, 1000L));
  }
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// Quoted in a message; a long value is cut so that the message stays one readable line.
std::string shown(std::string_view value) {
  constexpr std::size_t kMostShown = 40;
  std::string out;
  std::size_t chars = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80 && ++chars > kMostShown) {
      return out + "…";
    }
    out += value[i];
  }
  return out;
}

[[noreturn]] void refuse(std::string_view label, std::string_view value, const std::string& why) {
  throw Error("字段“" + std::string(label) + "”不接受“" + shown(value) + "”：" + why);
}

int64_t to_integer(std::string_view label, std::string_view raw) {
  std::string text(trimmed(raw));
  std::size_t digits_at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  bool digits = text.size() > digits_at &&
                std::all_of(text.begin() + static_cast<long>(digits_at), text.end(),
                            [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) refuse(label, raw, "不是整数");
  errno = 0;
  long long value = std::strtoll(text.c_str(), nullptr, 10);
  if (errno == ERANGE) refuse(label, raw, "超出整数的范围");
  return value;
}

// Plain decimal notation: digits, one optional point, an optional exponent.
bool decimal_notation(const std::string& text) {
  std::size_t i = 0, n = text.size(), digits = 0;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  for (; i < n && std::isdigit(static_cast<unsigned char>(text[i])); ++i) ++digits;
  if (i < n && text[i] == '.') ++i;
  for (; i < n && std::isdigit(static_cast<unsigned char>(text[i])); ++i) ++digits;
  if (digits == 0) return false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t exponent_digits = 0;
    for (; i < n && std::isdigit(static_cast<unsigned char>(text[i])); ++i) ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  return i == n;
}

double to_real(std::string_view label, std::string_view raw) {
  std::string text(trimmed(raw));
  if (!decimal_notation(text)) refuse(label, raw, "不是数字");
  double value = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(value)) refuse(label, raw, "超出数字的范围");
  return value;
}

constexpr std::size_t kExactDigits = 15;       // of a double
constexpr std::size_t kExactWholeDigits = 18;  // of a 64-bit integer

// The exact decimal a text writes, held as its integer and fraction digits, so that a value
// is checked against the scale without binary rounding.
StoredValue to_decimal(const FieldType& type, std::string_view label, std::string_view raw) {
  std::string text(trimmed(raw));
  if (!decimal_notation(text)) refuse(label, raw, "不是数字");
  bool negative = text[0] == '-';
  std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
  std::string digits;
  long point = -1;
  for (; i < text.size() && text[i] != 'e' && text[i] != 'E'; ++i) {
    if (text[i] == '.') {
      point = static_cast<long>(digits.size());
    } else {
      digits += text[i];
    }
  }
  if (point < 0) point = static_cast<long>(digits.size());
  if (i < text.size()) {
    long exponent = std::strtol(text.c_str() + i + 1, nullptr, 10);
    if (exponent > 1000 || exponent < -1000) refuse(label, raw, "超出数字的范围");
    point += exponent;
  }
  // Bring the point inside the digits, then drop the zeros that carry no value.
  if (point < 0) {
    digits.insert(0, static_cast<std::size_t>(-point), '0');
    point = 0;
  }
  if (point > static_cast<long>(digits.size())) digits.append(point - digits.size(), '0');
  std::string whole = digits.substr(0, static_cast<std::size_t>(point));
  std::string fraction = digits.substr(static_cast<std::size_t>(point));
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  fraction.erase(fraction.find_last_not_of('0') + 1);
  if (static_cast<int>(fraction.size()) > type.scale) {
    refuse(label, raw, "小数位超过" + std::to_string(type.scale) + "位");
  }
  if (type.precision > 0 && static_cast<int>(whole.size()) > type.precision - type.scale) {
    refuse(label, raw, "整数部分超过" + std::to_string(type.precision - type.scale) + "位");
  }
  // SQLite keeps a decimal with a fraction as a double (15 significant digits) and a whole one
  // as a 64-bit integer; a value beyond that would be stored altered.
  std::size_t significant =
      whole.empty() ? fraction.size() - std::min(fraction.find_first_not_of('0'), fraction.size())
                    : whole.size() + fraction.size();
  if ((!fraction.empty() && significant > kExactDigits) || whole.size() > kExactWholeDigits) {
    refuse(label, raw, "有效数字太多，数据库无法精确保存");
  }
  // Bound as a number: as text, SQLite's NUMERIC affinity would go through a double even for
  // whole numbers.
  std::string exact = negative ? "-" : "";
  exact += whole.empty() ? std::string_view("0") : std::string_view(whole);
  if (fraction.empty()) return static_cast<int64_t>(std::strtoll(exact.c_str(), nullptr, 10));
  return std::strtod((exact + "." + fraction).c_str(), nullptr);
}

std::string to_date(const FieldType& type, std::string_view label, std::string_view raw) {
  auto t = parse_calendar_time(trimmed(raw));
  if (!t) refuse(label, raw, "不是有效的日期（例如2024-03-05或2024/3/5）");
  return type.kind == FieldKind::Date ? date_text(*t) : date_time_text(*t);
}

std::string to_text(const FieldType& type, std::string_view label, std::string_view text) {
  std::size_t length = hosts::utf8_length(text);
  if (type.max_chars > 0 && length > static_cast<std::size_t>(type.max_chars)) {
    refuse(label, text,
           "长度" + std::to_string(length) + "个字符，超过" + std::to_string(type.max_chars) +
               "个字符");
  }
  return std::string(text);
}

}  // namespace

FieldType field_type_of(std::string_view declared_text) {
  std::string declared = upper(declared_text);
  FieldType type;
  int first = 0, second = 0;
  type_arguments(declared, first, second);
  if (contains(declared, "INT")) {
    type.kind = FieldKind::Integer;
  } else if (contains(declared, "DATETIME") || contains(declared, "TIMESTAMP")) {
    type.kind = FieldKind::DateTime;
  } else if (contains(declared, "DATE")) {
    type.kind = FieldKind::Date;
  } else if ((contains(declared, "DEC") || contains(declared, "NUMERIC")) && first > 0) {
    type.kind = FieldKind::Decimal;
    type.precision = first;
    type.scale = std::min(second, first);
  } else if (contains(declared, "REAL") || contains(declared, "FLOA") ||
             contains(declared, "DOUB") || contains(declared, "DEC") ||
             contains(declared, "NUMERIC")) {
    type.kind = FieldKind::Real;
  } else {
    type.kind = FieldKind::Text;
    if (contains(declared, "CHAR")) type.max_chars = first;
  }
  return type;
}

StoredValue convert_text(const FieldType& type, std::string_view label, std::string_view text) {
  // An empty assignment clears the field, as a typed field does, so NOT NULL can refuse it.
  if (text.empty()) return std::monostate{};
  if (type.kind != FieldKind::Text && trimmed(text).empty()) return std::monostate{};
  switch (type.kind) {
    case FieldKind::Integer:
      return to_integer(label, text);
    case FieldKind::Real:
      return to_real(label, text);
    case FieldKind::Decimal:
      return to_decimal(type, label, text);
    case FieldKind::Date:
    case FieldKind::DateTime:
      return to_date(type, label, text);
    case FieldKind::Text:
      break;
  }
  return to_text(type, label, text);
}

std::string display_text(const FieldType& type, sqlite3_stmt* stmt, int index) {
  int storage = sqlite3_column_type(stmt, index);
  if (storage == SQLITE_NULL) return "";
  char buf[64];
  if (type.kind == FieldKind::Decimal && storage == SQLITE_INTEGER) {
    // Whole numbers print from the integer: a double would round those beyond 15 digits.
    std::string text = std::to_string(sqlite3_column_int64(stmt, index));
    return type.scale > 0 ? text + "." + std::string(static_cast<std::size_t>(type.scale), '0')
                          : text;
  }
  if (type.kind == FieldKind::Decimal && storage == SQLITE_FLOAT) {
    std::snprintf(buf, sizeof buf, "%.*f", type.scale, sqlite3_column_double(stmt, index));
    return buf;
  }
  if (storage == SQLITE_FLOAT) {
    std::snprintf(buf, sizeof buf, "%.15g", sqlite3_column_double(stmt, index));
    return buf;
  }
  auto* text = sqlite3_column_text(stmt, index);
  return std::string(reinterpret_cast<const char*>(text),
                     static_cast<std::size_t>(sqlite3_column_bytes(stmt, index)));
}

}  // namespace gridhost
