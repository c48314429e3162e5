// The one rule that turns a cell's value into the text both plug-ins see.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace workbook {

enum class DateSystem { From1900, From1904 };

// Integral with magnitude below 1e15: decimal without a point; otherwise "%.15g".
void append_number_text(std::string& out, double value);
std::string number_text(double value);

// "YYYY-MM-DD", "YYYY-MM-DD hh:mm:ss" with a time part, "hh:mm:ss" below 1, rounded to the
// second. A serial outside the calendar (negative, past 9999-12-31) is written as a number.
void append_date_text(std::string& out, double serial, DateSystem system);

// "#N/A", "#DIV/0!", ... for a BIFF error code; "#ERR" + the code in decimal for an unknown one.
std::string error_text(std::uint8_t code);

// True when a number shown with this built-in number-format id is a date or time.
bool is_builtin_date_format(int id);

// True when a custom number-format code shows a date or time: it has a d, m, y, h or s outside
// quoted text, escapes and bracketed colours, conditions and locales.
bool is_date_format_code(std::string_view code);

}  // namespace workbook
