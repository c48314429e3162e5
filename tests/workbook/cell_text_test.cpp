#include "workbook/cell_text.h"

#include <gtest/gtest.h>

using namespace workbook;

namespace {
std::string date(double serial, DateSystem system = DateSystem::From1900) {
  std::string s;
  append_date_text(s, serial, system);
  return s;
}
}  // namespace

TEST(CellText, NumbersAreIntegralDecimalOrFifteenSignificantDigits) {
  EXPECT_EQ(number_text(1200), "1200");
  EXPECT_EQ(number_text(-3), "-3");
  EXPECT_EQ(number_text(-0.0), "0");
  EXPECT_EQ(number_text(1200.5), "1200.5");
  EXPECT_EQ(number_text(0.1), "0.1");
  EXPECT_EQ(number_text(1e20), "1e+20");
  EXPECT_EQ(number_text(999999999999999), "999999999999999");
  EXPECT_EQ(number_text(1e15), "1e+15");
  EXPECT_EQ(number_text(0.1 + 0.2), "0.3");
}

TEST(CellText, DatesInBothSystemsRoundedToTheSecond) {
  EXPECT_EQ(date(1), "1900-01-01");
  EXPECT_EQ(date(59), "1900-02-28");
  EXPECT_EQ(date(60), "1900-02-29");
  EXPECT_EQ(date(61), "1900-03-01");
  EXPECT_EQ(date(45658), "2025-01-01");
  EXPECT_EQ(date(45658.5), "2025-01-01 12:00:00");
  EXPECT_EQ(date(45658.999999999), "2025-01-02");
  EXPECT_EQ(date(0.25), "06:00:00");
  EXPECT_EQ(date(0), "00:00:00");
  EXPECT_EQ(date(0, DateSystem::From1904), "00:00:00");
  EXPECT_EQ(date(1, DateSystem::From1904), "1904-01-02");
  EXPECT_EQ(date(44196, DateSystem::From1904), "2025-01-01");
  EXPECT_EQ(date(-1), "-1");
  EXPECT_EQ(date(2958465), "9999-12-31");
  EXPECT_EQ(date(2958466), "2958466");
  // Within half a second of the end of the calendar: rounds past it, so stays a number.
  EXPECT_EQ(date(2958465.9999999), "2958465.9999999");
  EXPECT_EQ(date(2958465.99998), "9999-12-31 23:59:58");
}

TEST(CellText, DateFormatsAreToldFromNumberFormats) {
  EXPECT_TRUE(is_builtin_date_format(14));
  EXPECT_TRUE(is_builtin_date_format(22));
  EXPECT_FALSE(is_builtin_date_format(0));
  EXPECT_FALSE(is_builtin_date_format(49));
  EXPECT_TRUE(is_date_format_code("yyyy\\-mm\\-dd"));
  EXPECT_TRUE(is_date_format_code("[$-804]yyyy\"年\"m\"月\"d\"日\""));
  EXPECT_TRUE(is_date_format_code("[h]:mm"));
  EXPECT_FALSE(is_date_format_code("General"));
  EXPECT_FALSE(is_date_format_code("#,##0.00;[Red]-#,##0.00"));
  EXPECT_FALSE(is_date_format_code("0.00\"days\""));
  EXPECT_FALSE(is_date_format_code("0.00E+00"));
  EXPECT_FALSE(is_date_format_code("@"));
}

TEST(CellText, ErrorsReadAsExcelShowsThem) {
  EXPECT_EQ(error_text(0x07), "#DIV/0!");
  EXPECT_EQ(error_text(0x2A), "#N/A");
  EXPECT_EQ(error_text(0x99), "#ERR153");
}
