// Dates as clerks type them and as worksheets hold them, read into one calendar value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace gridhost {

struct CalendarTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
};

// Reads "2024-03-05", "2024/3/5", "2024.3.5", "2024年3月5日", each optionally followed by a
// time ("12:30", "12:30:15", "12:30:15.250", after a blank or "T"), as the workbook reader writes
// date cells. Nothing for text that is not a real calendar date with a valid time.
std::optional<CalendarTime> parse_calendar_time(std::string_view text);

// "YYYY-MM-DD" and "YYYY-MM-DD hh:mm:ss".
std::string date_text(const CalendarTime& t);
std::string date_time_text(const CalendarTime& t);

}  // namespace gridhost
