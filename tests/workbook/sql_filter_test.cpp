// Conditions run in the SQLite sandbox: numbers compare as numbers, texts come back unchanged,
// and everything but a condition on the sheet's own columns is refused.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "table_helpers.h"

using namespace workbook_test;

namespace {

std::string refusal(const std::string& condition) {
  try {
    read_table(fixture("basic.xlsx"), "Sheet1$", condition);
  } catch (const platform::Error& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(SqlFilter, NumbersCompareAsNumbersAndTextsComeBackUnchanged) {
  EXPECT_EQ(read_table(fixture("basic.xlsx"), "Sheet1$", "Amount > 1000 and Amount < 1e19"),
            (Lines{"Name\tAmount\tWhen\tFlag", "张三\t1200\t2025-01-01\tTRUE",
                   "Rich text\t1200.5\t2025-01-01 12:00:00\tFALSE"}));
  EXPECT_EQ(read_table(fixture("basic.xlsx"), "Sheet1$", "[Amount] = 1e20;").size(), 2u);
  EXPECT_EQ(read_table(fixture("basic.xlsx"), "Sheet1$", "[When] is null")[1],
            "pair😀\t0.1\t\t#DIV/0!");
  EXPECT_EQ(read_table(fixture("basic.xlsx"), "Sheet1$", "Name like 'line%'")[1],
            "line\r\ntwo\t1e+20\t12.5\t7");
}

TEST(SqlFilter, EmptyRowsInsideTheBoxTakePartAsNulls) {
  EXPECT_EQ(read_table(fixture("layout.xlsx"), "Data$", "Code is null"),
            (Lines{"Code\tF2\tCode1\tcode2\tF5", "\t\t\t\t", "\t5\t\t\t6"}));
}

TEST(SqlFilter, ASecondStatementIsRefused) {
  EXPECT_NE(refusal("1=1; drop table x").find("only one statement"), std::string::npos);
  EXPECT_NE(refusal("1=1; attach database 'x' as y").find("only one statement"), std::string::npos);
}

TEST(SqlFilter, OtherTablesPragmasAndExtensionsAreRefused) {
  EXPECT_NE(refusal("Name in (select name from sqlite_master)").find("refused"), std::string::npos);
  EXPECT_NE(refusal("1=1 union select * from sqlite_schema").find("refused"), std::string::npos);
  EXPECT_NE(refusal("load_extension('/tmp/x.so') is null").find("refused"), std::string::npos);
  EXPECT_NE(refusal("Name in (select * from pragma_table_info('Sheet1$'))").find("refused"),
            std::string::npos);
  EXPECT_NE(refusal("sqlite_version() <> ''").find("refused"), std::string::npos);
}

TEST(SqlFilter, ARunawayConditionIsStoppedByTheTimeLimit) {
  std::string m = refusal(
      "(with recursive n(i) as (select 1 union all select i + 1 from n) "
      "select count(*) from n) > 0");
  EXPECT_NE(m.find("stopped"), std::string::npos) << m;
}

TEST(SqlFilter, ASyntaxErrorNamesTheTableAndEngineMessage) {
  std::string m = refusal("Amount >");
  EXPECT_NE(m.find("Sheet1$"), std::string::npos) << m;
  EXPECT_NE(m.find("not a valid condition"), std::string::npos) << m;
  EXPECT_NE(refusal("NoSuchField = 1").find("no such column"), std::string::npos);
}
