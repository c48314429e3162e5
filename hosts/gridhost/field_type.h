// Typed fields over SQLite columns: the type a declared column type names, the conversion of
// assigned text into the value stored, and the text a stored value shows as.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace gridhost {

enum class FieldKind { Integer, Real, Decimal, Date, DateTime, Text };

struct FieldType {
  FieldKind kind = FieldKind::Text;
  int precision = 0;  // Decimal: total digits, 0 when the declaration gives none
  int scale = 0;      // Decimal: digits after the point
  int max_chars = 0;  // Text: most characters (not bytes), 0 for no limit
};

inline bool is_numeric(const FieldType& type) {
  return type.kind == FieldKind::Integer || type.kind == FieldKind::Real ||
         type.kind == FieldKind::Decimal;
}

// INTEGER..., REAL/FLOAT/DOUBLE, DECIMAL(p,s) or NUMERIC(p,s), DATE, DATETIME/TIMESTAMP,
// VARCHAR(n)/CHAR(n) and anything else as text. A DECIMAL or NUMERIC without digits is real.
FieldType field_type_of(std::string_view declared);

// What a field stores: null, an integer, a real, or text (dates as canonical text). Decimals are
// checked exactly and stored as an integer when whole, else as a real.
using StoredValue = std::variant<std::monostate, int64_t, double, std::string>;

// Converts assigned UTF-8 text as the typed field does; empty text stores null. Throws Error
// with a message in Chinese naming the field (label) and the value when the field refuses it.
StoredValue convert_text(const FieldType& type, std::string_view label, std::string_view text);

// The text of column `index` of the current row as the field shows it ("" for null): decimals
// with their scale, reals as %.15g.
std::string display_text(const FieldType& type, sqlite3_stmt* stmt, int index);

}  // namespace gridhost
