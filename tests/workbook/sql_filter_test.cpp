// Conditions run in the SQLite sandbox: numbers compare as numbers, texts come back unchanged,
// and everything but a condition on the sheet's own columns is refused.
#include "workbook/sql_filter.h"

#include <gtest/gtest.h>

#include <utility>

#include "platform/error.h"
#include "table_helpers.h"

using namespace workbook_test;

namespace {

struct Refusal {
  std::string message;  // "" when the condition ran
  platform::ErrorKind kind = platform::ErrorKind::Failed;
};

Refusal refusal_of(const std::string& condition) {
  try {
    read_table(fixture("basic.xlsx"), "Sheet1$", condition);
  } catch (const platform::Error& e) {
    return {e.what(), e.kind()};
  }
  return {};
}

std::string refusal(const std::string& condition) {
  return refusal_of(condition).message;
}

platform::ErrorKind kind_of_refusal(const std::string& condition) {
  return refusal_of(condition).kind;
}

using Kind = platform::ErrorKind;

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
  EXPECT_EQ(kind_of_refusal("1=1; drop table x"), Kind::Refused);
  EXPECT_EQ(kind_of_refusal("1=1; attach database 'x' as y"), Kind::Refused);
}

TEST(SqlFilter, OtherTablesPragmasAndExtensionsAreRefused) {
  for (const char* condition :
       {"Name in (select name from sqlite_master)", "1=1 union select * from sqlite_schema",
        "load_extension('/tmp/x.so') is null",
        "Name in (select * from pragma_table_info('Sheet1$'))", "sqlite_version() <> ''"}) {
    EXPECT_EQ(kind_of_refusal(condition), Kind::Refused) << condition;
  }
}

TEST(SqlFilter, AConditionCannotBuildHugeValues) {
  EXPECT_EQ(kind_of_refusal("length(randomblob(1000000000)) > 0"), Kind::Limit);
}

TEST(SqlFilter, ARunawayConditionIsStoppedByTheTimeLimit) {
  bool given = false;
  auto one_record = [&](workbook::Row& row) {
    row.clear();
    row.add(0, "x");
    return !std::exchange(given, true);
  };
  workbook::RowSpool out;
  try {
    workbook::filter_records("Sheet1$", {"Name"}, one_record,
                             "(with recursive n(i) as (select 1 union all select i + 1 from n) "
                             "select count(*) from n) > 0",
                             out, std::chrono::milliseconds(50));
    FAIL() << "a runaway condition ran to its end";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.kind(), Kind::Limit) << e.what();
    EXPECT_NE(std::string(e.what()).find("where the limit is 50 ms"), std::string::npos)
        << e.what();
  }
}

TEST(SqlFilter, ASyntaxErrorNamesTheTableAndEngineMessage) {
  std::string m = refusal("Amount >");
  EXPECT_NE(m.find("Sheet1$"), std::string::npos) << m;
  EXPECT_NE(m.find("not a valid condition"), std::string::npos) << m;
  EXPECT_NE(refusal("NoSuchField = 1").find("no such column"), std::string::npos);
}

// The table is made from the sheet's own field names, however long; only the user's statement
// is held to SQLite's statement length. More columns than SQLite's tables hold is a limit error.
TEST(SqlFilter, ASheetOfManyLongFieldNamesCanBeFiltered) {
  std::vector<std::string> names;
  for (int i = 0; i < 1900; ++i) names.push_back(std::string(600, 'n') + std::to_string(i));
  bool given = false;
  auto one_record = [&](workbook::Row& row) {
    row.clear();
    row.add(1899, "last");
    return !std::exchange(given, true);
  };
  workbook::RowSpool out;
  workbook::filter_records("Sheet1$", names, one_record, "[" + names.back() + "] = 'last'", out);
  EXPECT_EQ(out.size(), 1u);
}

TEST(SqlFilter, MoreColumnsThanTheEngineHoldsIsALimitError) {
  std::vector<std::string> names;
  for (int i = 0; i < 16384; ++i) names.push_back(std::string("F").append(std::to_string(i + 1)));
  workbook::RowSpool out;
  try {
    workbook::filter_records(
        "Sheet1$", names, [](workbook::Row&) { return false; }, "F1 = 1", out);
    FAIL() << "16,384 columns went into the engine";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.kind(), Kind::Limit) << e.what();
    EXPECT_NE(std::string(e.what()).find("16384 columns where the limit is"), std::string::npos)
        << e.what();
  }
}
