// Reading and writing calendar dates for date fields.
#include "date_text.h"

#include <cstdio>

namespace gridhost {
namespace {

bool leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && leap(year) ? 29 : kDays[month - 1];
}

// Reads min_digits..max_digits decimal digits at text[pos]; advances pos.
std::optional<int> number(std::string_view text, std::size_t& pos, std::size_t min_digits,
                          std::size_t max_digits) {
  std::size_t start = pos;
  int value = 0;
  while (pos < text.size() && pos - start < max_digits && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos++] - '0');
  }
  if (pos - start < min_digits) return std::nullopt;
  if (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') return std::nullopt;
  return value;
}

bool literal(std::string_view text, std::size_t& pos, std::string_view word) {
  if (text.substr(pos, word.size()) != word) return false;
  pos += word.size();
  return true;
}

bool read_date(std::string_view text, std::size_t& pos, CalendarTime& t) {
  auto year = number(text, pos, 4, 4);
  if (!year) return false;
  std::string_view separators[] = {"-", "/", ".", "年"};
  for (std::string_view sep : separators) {
    std::size_t p = pos;
    if (!literal(text, p, sep)) continue;
    auto month = number(text, p, 1, 2);
    bool chinese = sep == "年";
    if (!month || !literal(text, p, chinese ? "月" : sep)) return false;
    auto day = number(text, p, 1, 2);
    if (!day || (chinese && !literal(text, p, "日"))) return false;
    t.year = *year;
    t.month = *month;
    t.day = *day;
    pos = p;
    return t.year >= 1 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= days_in_month(t.year, t.month);
  }
  return false;
}

bool read_time(std::string_view text, std::size_t& pos, CalendarTime& t) {
  auto hour = number(text, pos, 1, 2);
  if (!hour || !literal(text, pos, ":")) return false;
  auto minute = number(text, pos, 2, 2);
  if (!minute) return false;
  std::optional<int> second = 0;
  if (literal(text, pos, ":")) {
    second = number(text, pos, 2, 2);
    if (!second) return false;
    // Fractions of a second are accepted and dropped: the fields keep whole seconds.
    if (literal(text, pos, ".") && !number(text, pos, 1, 9)) return false;
  }
  t.hour = *hour;
  t.minute = *minute;
  t.second = *second;
  return t.hour < 24 && t.minute < 60 && t.second < 60;
}

}  // namespace

std::optional<CalendarTime> parse_calendar_time(std::string_view text) {
  CalendarTime t;
  std::size_t pos = 0;
  if (!read_date(text, pos, t)) return std::nullopt;
  if (pos < text.size()) {
    if (text[pos] != ' ' && text[pos] != 'T') return std::nullopt;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos < text.size() && text[pos] == 'T') ++pos;
    if (!read_time(text, pos, t) || pos != text.size()) return std::nullopt;
  }
  return t;
}

std::string date_text(const CalendarTime& t) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.year, t.month, t.day);
  return buf;
}

std::string date_time_text(const CalendarTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

}  // namespace gridhost
