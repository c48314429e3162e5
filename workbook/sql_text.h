// Texts of SQL: quoted identifiers, and the names a condition may refer to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace workbook {

// "name" with inner quotes doubled.
std::string quoted_identifier(std::string_view name);

// ("A", "B", ...): the columns of the sheet's table, without declared types, so that values keep
// the type they are given and numbers compare as numbers.
std::string column_list(const std::vector<std::string>& field_names);

// The fields a condition may name: each field whose name is one of the condition's identifiers
// (bare, "quoted", [bracketed] or `quoted`), compared as SQLite compares them, without regard to
// ASCII case. Words in quoted texts count too: naming a field more does no harm.
// Field 0 is always among them, so that a table of them has a column. Ascending.
std::vector<std::uint32_t> fields_named_in(std::string_view condition,
                                           const std::vector<std::string>& field_names);

}  // namespace workbook
