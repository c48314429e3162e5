// Cell values to text: numbers, dates in either date system, errors, and date-format detection.
#include "workbook/cell_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace workbook {
namespace {

// Civil date from days since 1970-01-01 (proleptic Gregorian).
void civil_from_days(long long z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  auto doe = static_cast<unsigned>(z - era * 146097);
  unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long yy = static_cast<long long>(yoe) + era * 400;
  unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yy + (m <= 2 ? 1 : 0));
}

// Days from 1970-01-01 to 1899-12-31 and to 1904-01-01.
constexpr long long kDays1899_12_31 = -25568;
constexpr long long kDays1904_01_01 = -24107;
constexpr double kLastSerial1900 = 2958465.0;  // 9999-12-31

// Two digits of v at p; the texts are made in a local buffer and appended once.
char* put_two(char* p, unsigned v) {
  p[0] = static_cast<char>('0' + v / 10 % 10);
  p[1] = static_cast<char>('0' + v % 10);
  return p + 2;
}

}  // namespace

void append_number_text(std::string& out, double value) {
  char buf[40];
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    long long n = static_cast<long long>(value);  // also turns -0 into 0
    out.append(buf, std::to_chars(buf, buf + sizeof buf, n).ptr);
    return;
  }
  std::snprintf(buf, sizeof buf, "%.15g", value);
  out += buf;
}

std::string number_text(double value) {
  std::string s;
  append_number_text(s, value);
  return s;
}

void append_date_text(std::string& out, double serial, DateSystem system) {
  double last = system == DateSystem::From1900 ? kLastSerial1900 : kLastSerial1900 - 1462;
  // The range is checked on the serial as rounded to the second: a value within half a second
  // of the end of 9999-12-31 rounds into a day that has no date.
  if (!std::isfinite(serial) || serial < 0 ||
      std::round(serial * 86400.0) >= (last + 1) * 86400.0) {
    append_number_text(out, serial);
    return;
  }
  auto seconds = static_cast<long long>(std::llround(serial * 86400.0));
  long long day = seconds / 86400;
  auto second_of_day = static_cast<unsigned>(seconds % 86400);
  char buf[20];
  char* p = buf;
  if (day >= 1) {
    int y;
    unsigned m, d;
    if (system == DateSystem::From1904) {
      civil_from_days(kDays1904_01_01 + day, y, m, d);
    } else if (day == 60) {
      // The 1900 system counts a 29 February 1900 that never was.
      y = 1900, m = 2, d = 29;
    } else {
      civil_from_days(kDays1899_12_31 + day - (day > 60 ? 1 : 0), y, m, d);
    }
    p = put_two(p, static_cast<unsigned>(y) / 100);  // years 1900 to 9999 only
    p = put_two(p, static_cast<unsigned>(y) % 100);
    *p++ = '-';
    p = put_two(p, m);
    *p++ = '-';
    p = put_two(p, d);
    if (second_of_day == 0) {
      out.append(buf, static_cast<std::size_t>(p - buf));
      return;
    }
    *p++ = ' ';
  }
  p = put_two(p, second_of_day / 3600);
  *p++ = ':';
  p = put_two(p, second_of_day / 60 % 60);
  *p++ = ':';
  p = put_two(p, second_of_day % 60);
  out.append(buf, static_cast<std::size_t>(p - buf));
}

std::string error_text(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    case 0x2B:
      return "#GETTING_DATA";
    default:
      return "#ERR" + std::to_string(code);
  }
}

bool is_builtin_date_format(int id) {
  return (id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
         (id >= 50 && id <= 58) || (id >= 71 && id <= 81);
}

bool is_date_format_code(std::string_view code) {
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    switch (c) {
      case '"': {
        auto close = code.find('"', i + 1);
        if (close == std::string_view::npos) return false;
        i = close;
        break;
      }
      case '\\':
      case '_':
      case '*':
        ++i;  // the next character is literal or a fill
        break;
      case '[': {
        auto close = code.find(']', i + 1);
        if (close == std::string_view::npos) return false;
        std::string_view inside = code.substr(i + 1, close - i - 1);
        // [h], [mm], [ss]: elapsed time. Colours, conditions and locales are not dates.
        if (!inside.empty()) {
          char f = static_cast<char>(inside[0] | 0x20);
          if (f == 'h' || f == 'm' || f == 's') {
            bool same = true;
            for (char x : inside) same = same && static_cast<char>(x | 0x20) == f;
            if (same) return true;
          }
        }
        i = close;
        break;
      }
      default: {
        char l = static_cast<char>(c | 0x20);
        if (l == 'd' || l == 'm' || l == 'y' || l == 'h' || l == 's') return true;
        break;
      }
    }
  }
  return false;
}

}  // namespace workbook
