// Small text rules of the .xlsx format: "_xHHHH_" escapes, A1-style references, and cell values
// that already read as the cell-text rule would write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace workbook {

// Appends text with each "_xHHHH_" escape replaced by the UTF-16 unit it names (a pair of
// escapes for a surrogate pair); "_x005F_" is an escaped "_". A lone surrogate becomes U+FFFD.
void append_unescaped(std::string& out, std::string_view text);

struct CellAddress {
  std::uint32_t row = 0, column = 0;  // 0-based
};
// "B12" -> row 11, column 1. nullopt for anything else (including "$B$12" or past the grid).
std::optional<CellAddress> parse_cell_ref(std::string_view ref);
// A positive decimal row number ("12") as 0-based; nullopt when malformed or past the grid.
std::optional<std::uint32_t> parse_row_number(std::string_view text);
// "A", "B", ..., "AA": the letters of a 0-based column.
std::string column_letters(std::uint32_t column);

// True when the number as stored in the file is exactly what append_number_text would write
// for it (plain decimal, no leading or trailing zeros, at most 15 significant digits), so
// that it can be copied without a round trip through double.
bool is_canonical_number_text(std::string_view text);

// The number a cell stores; nullopt when it is not a number.
std::optional<double> parse_number(std::string_view text);

}  // namespace workbook
