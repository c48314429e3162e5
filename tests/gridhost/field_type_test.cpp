// Typed fields: what declared types mean, and what assigned text becomes or why it is refused.
#include "field_type.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "error.h"

namespace gridhost {
namespace {

std::string stored(const char* declared, std::string_view text) {
  auto value = convert_text(field_type_of(declared), "金额", text);
  if (auto* i = std::get_if<int64_t>(&value)) return "int " + std::to_string(*i);
  if (auto* d = std::get_if<double>(&value)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "real %.17g", *d);
    return buf;
  }
  if (auto* s = std::get_if<std::string>(&value)) return *s;
  return "null";
}

std::string refusal(const char* declared, std::string_view text) {
  try {
    stored(declared, text);
  } catch (const Error& e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(FieldType, DeclaredTypesNameTheKinds) {
  EXPECT_EQ(field_type_of("INTEGER").kind, FieldKind::Integer);
  EXPECT_EQ(field_type_of("bigint").kind, FieldKind::Integer);
  EXPECT_EQ(field_type_of("DOUBLE PRECISION").kind, FieldKind::Real);
  EXPECT_EQ(field_type_of("NUMERIC").kind, FieldKind::Real);
  auto money = field_type_of("decimal(12, 2)");
  EXPECT_EQ(money.kind, FieldKind::Decimal);
  EXPECT_EQ(money.precision, 12);
  EXPECT_EQ(money.scale, 2);
  EXPECT_EQ(field_type_of("DATE").kind, FieldKind::Date);
  EXPECT_EQ(field_type_of("DATETIME").kind, FieldKind::DateTime);
  EXPECT_EQ(field_type_of("VARCHAR(20)").max_chars, 20);
  EXPECT_EQ(field_type_of("TEXT").max_chars, 0);
  EXPECT_EQ(field_type_of("").kind, FieldKind::Text);
}

TEST(FieldType, IntegersAcceptSignsAndBlanksAndRefuseTheRest) {
  EXPECT_EQ(stored("INTEGER", " -42 "), "int -42");
  EXPECT_EQ(stored("INTEGER", "+7"), "int 7");
  EXPECT_EQ(stored("INTEGER", ""), "null");
  EXPECT_EQ(refusal("INTEGER", "12a"), "字段“金额”不接受“12a”：不是整数");
  EXPECT_EQ(refusal("INTEGER", "1.5"), "字段“金额”不接受“1.5”：不是整数");
  EXPECT_EQ(refusal("INTEGER", "99999999999999999999"),
            "字段“金额”不接受“99999999999999999999”：超出整数的范围");
}

TEST(FieldType, RealsTakeDecimalNotationOnly) {
  EXPECT_EQ(stored("REAL", "1e+20"), "real 1e+20");
  EXPECT_EQ(refusal("REAL", "0x10"), "字段“金额”不接受“0x10”：不是数字");
  EXPECT_EQ(refusal("REAL", "nan"), "字段“金额”不接受“nan”：不是数字");
  EXPECT_EQ(refusal("REAL", "1e999"), "字段“金额”不接受“1e999”：超出数字的范围");
}

TEST(FieldType, DecimalsKeepTheirScaleExactlyAndRefuseWhatDoesNotFit) {
  EXPECT_EQ(stored("DECIMAL(12,2)", "1200.5"), "real 1200.5");
  EXPECT_EQ(stored("DECIMAL(12,2)", " -0.10 "), "real -0.10000000000000001");
  EXPECT_EQ(stored("DECIMAL(12,2)", "-0.00"), "int 0");
  EXPECT_EQ(stored("DECIMAL(12,2)", "1.500"), "real 1.5");  // zeros past the scale lose nothing
  EXPECT_EQ(stored("DECIMAL(12,2)", "1.5e2"), "int 150");
  EXPECT_EQ(stored("DECIMAL(5)", "00042"), "int 42");
  EXPECT_EQ(refusal("DECIMAL(12,2)", "1.234"), "字段“金额”不接受“1.234”：小数位超过2位");
  EXPECT_EQ(refusal("DECIMAL(12,2)", "1e-5"), "字段“金额”不接受“1e-5”：小数位超过2位");
  EXPECT_EQ(refusal("DECIMAL(5,2)", "1234"), "字段“金额”不接受“1234”：整数部分超过3位");
  EXPECT_EQ(refusal("DECIMAL(12,2)", "1,200.00"), "字段“金额”不接受“1,200.00”：不是数字");
  // What SQLite would store altered: more than 15 digits with a fraction, 19 whole digits.
  EXPECT_EQ(stored("DECIMAL(20,2)", "12345678901234.5"), "real 12345678901234.5");
  EXPECT_EQ(refusal("DECIMAL(20,2)", "1234567890123456.7"),
            "字段“金额”不接受“1234567890123456.7”：有效数字太多，数据库无法精确保存");
  EXPECT_EQ(stored("DECIMAL(20,2)", "-123456789012345678"), "int -123456789012345678");
  EXPECT_EQ(refusal("DECIMAL(20,0)", "1234567890123456789"),
            "字段“金额”不接受“1234567890123456789”：有效数字太多，数据库无法精确保存");
}

TEST(FieldType, DatesAcceptWhatClerksTypeAndWorksheetsHold) {
  EXPECT_EQ(stored("DATE", "2024-03-05"), "2024-03-05");
  EXPECT_EQ(stored("DATE", "2024/3/5"), "2024-03-05");
  EXPECT_EQ(stored("DATE", "2024.3.5"), "2024-03-05");
  EXPECT_EQ(stored("DATE", "2024年3月5日"), "2024-03-05");
  EXPECT_EQ(stored("DATE", "2024-03-05 14:30:00"), "2024-03-05");
  EXPECT_EQ(stored("DATE", "2024-03-05T14:30"), "2024-03-05");
  EXPECT_EQ(stored("DATETIME", "2024/3/5 9:05:07.5"), "2024-03-05 09:05:07");
  EXPECT_EQ(stored("DATE", "2024-02-29"), "2024-02-29");
  const char* refused[] = {"2023-02-29", "2024-13-01",       "2024-3/5",   "24-03-05",
                           "45356",      "2024-03-05 25:00", "2024-03-05x"};
  for (const char* text : refused) {
    EXPECT_EQ(refusal("DATE", text), std::string("字段“金额”不接受“") + text +
                                         "”：不是有效的日期（例如2024-03-05或2024/3/5）")
        << text;
  }
}

TEST(FieldType, TextLengthCountsCharactersNotBytes) {
  EXPECT_EQ(stored("VARCHAR(4)", "欧阳明华"), "欧阳明华");
  EXPECT_EQ(refusal("VARCHAR(4)", "欧阳明华X"),
            "字段“金额”不接受“欧阳明华X”：长度5个字符，超过4个字符");
  EXPECT_EQ(stored("TEXT", " 留着空格 "), " 留着空格 ");
  EXPECT_EQ(stored("VARCHAR(4)", ""), "null");
}

TEST(FieldType, ALongRefusedValueIsCutInTheMessage) {
  std::string long_text(100, '7');
  long_text += "x";
  std::string message = refusal("INTEGER", long_text);
  EXPECT_EQ(message, "字段“金额”不接受“" + std::string(40, '7') + "…”：不是整数");
}

}  // namespace
}  // namespace gridhost
