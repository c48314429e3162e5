// From a row's cell texts to the fields of a customer record.
#include "sheetport/row_conversion.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/text.h"
#include "sheetport/customer_record.h"

namespace sheetport {
namespace {

using Strings = std::vector<std::string>;

TEST(RowValues, MultiColumnCellsAreValuesSoACommaStaysInsideItsCell) {
  Strings values;
  ASSERT_TRUE(row_values({"张三", "1,200.00", "x"}, values));
  EXPECT_EQ(values, (Strings{"张三", "1,200.00", "x"}));
  ASSERT_TRUE(row_values({"", ""}, values));
  EXPECT_EQ(values, (Strings{"", ""}));
}

TEST(RowValues, SingleColumnIsSplitAtCommasAndAnEmptyCellIsPassedBy) {
  Strings values{"stale"};
  ASSERT_TRUE(row_values({"1,张三, 6222"}, values));
  EXPECT_EQ(values, (Strings{"1", "张三", " 6222"}));
  EXPECT_FALSE(row_values({""}, values));
  EXPECT_FALSE(row_values({}, values));
}

TEST(RowValues, FullWidthBlanksBecomeTwoAsciiBlanksAndOtherBlanksStay) {
  Strings values;
  ASSERT_TRUE(row_values({"张\u3000三", " a "}, values));
  EXPECT_EQ(values, (Strings{"张  三", " a "}));
  // In one column, a cell of a full-width blank is not empty once replaced.
  ASSERT_TRUE(row_values({"\u3000"}, values));
  EXPECT_EQ(values, Strings{"  "});
  // U+3000 next to characters whose encodings share its bytes is not matched by accident.
  EXPECT_EQ(replace_full_width_blanks("\u3001\u3000\u3002"), "\u3001  \u3002");
}

TEST(FillFields, EachEntryTakesItsValueAsGbkAndTwoKeysMayShareAColumn) {
  TInfoAry map{{2, "KHXM"}, {1, "KHBH"}, {1, "ZJHM"}};
  TCustomerInfo info{};
  fill_fields(map, {"C001", "李四"}, info);
  EXPECT_EQ(field_text(info, field_specs()[0]), "C001");
  EXPECT_EQ(field_text(info, field_specs()[1]), platform::utf8_to_gbk("李四"));
  EXPECT_EQ(field_text(info, field_specs()[5]), "C001");
  EXPECT_EQ(info.KHZH[0], 0);
}

TEST(FillFields, AnEntryBeyondTheValuesFailsTheRow) {
  TCustomerInfo info{};
  try {
    fill_fields({{1, "KHBH"}, {3, "KHXM"}}, {"a", "b"}, info);
    FAIL() << "no failure";
  } catch (const platform::Error& e) {
    EXPECT_STREQ(e.what(), "Order is invalible");
  }
  EXPECT_THROW(fill_fields({{65537, "KHBH"}}, Strings(2), info), platform::Error);
}

}  // namespace
}  // namespace sheetport
