// Turning the cell texts of one worksheet row into the values the column map picks from, and
// those values into a customer record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sheetport/column_map.h"
#include "sheetport/sheetport.h"

namespace sheetport {

// The message of a row whose map entry points beyond its values.
inline constexpr std::string_view kOrderInvalid = "Order is invalible";

// Every full-width blank (U+3000) becomes two ASCII blanks.
std::string replace_full_width_blanks(std::string_view utf8);

// Fills values (cleared first) from a row's cell texts, in column order. With two or more
// columns each cell is one value, so a comma inside a cell stays in its value. A single column
// holds delimited text: it is split at ",". Returns false for a row to pass by: a single
// column whose text is empty.
bool row_values(const std::vector<std::string>& cells, std::vector<std::string>& values);

// Stores the value each map entry names into info, as GBK cut to the field's capacity. Throws
// platform::Error(kOrderInvalid) when an entry's position lies beyond the values.
void fill_fields(const TInfoAry& map, const std::vector<std::string>& values, TCustomerInfo& info);

}  // namespace sheetport
