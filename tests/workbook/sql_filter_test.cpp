// Conditions run in the SQLite sandbox: numbers compare as numbers, texts come back unchanged,
// and everything but a condition on the sheet's own columns is refused.
#include "workbook/sql_filter.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <fstream>
#include <set>
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

// The message of a condition run directly over two records, with time enough for the other
// bounds to be reached first even on a slow, busy machine; "" when it passes.
std::string sandbox_refusal(const std::string& condition) {
  int k = 0;
  auto next_record = [&](workbook::Row& row) {
    row.clear();
    row.index = static_cast<std::uint32_t>(k);
    std::string text = "r";  // appended: GCC 12 -O3 warns wrongly on "r" + std::to_string(k)
    text += std::to_string(k);
    row.add(0, text);
    return k++ < 2;
  };
  try {
    workbook::filter_records("T", {"Name"}, next_record, condition, std::chrono::minutes(5));
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
  // No value longer than a cell, and no long patterns: one call of either costs time the
  // time limit cannot interrupt.
  EXPECT_NE(refusal("length(zeroblob(200000)) > 0").find("too big"), std::string::npos);
  EXPECT_EQ(refusal("length(zeroblob(131000)) > 0"), "");
  std::string pattern;
  for (int i = 0; i < 12000; ++i) pattern += "a?";
  EXPECT_NE(refusal("Name glob '*" + pattern + "b'").find("pattern too complex"),
            std::string::npos);
}

TEST(SqlFilter, TheEnginesHeapIsBounded) {
  // Ten thousand values of a cell's size held for a sort: 1.3 GB.
  std::string m = sandbox_refusal(
      "(select count(*) from (with recursive r(i) as (select 1 union all select i + 1 from r "
      "where i < 10000) select zeroblob(131000) || i as v from r order by v)) > 0");
  EXPECT_NE(m.find("MiB of memory a condition may use"), std::string::npos) << m;
}

TEST(SqlFilter, SortsAndSubQueriesWriteNoTemporaryFiles) {
  auto bytes_written = [] {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
      if (key == "wchar:") return value;
    return -1ll;
  };
  long long before = bytes_written();
  // 20 MB of distinct texts, far beyond what SQLite caches before it spills.
  EXPECT_EQ(
      sandbox_refusal("(select count(distinct printf('%.*c', 1000, 'a') || i) from (with recursive "
                      "r(i) as (select 1 union all select i + 1 from r where i < 20000) "
                      "select i from r)) > 0"),
      "");
  EXPECT_LT(bytes_written() - before, 1 << 20);
}

TEST(SqlFilter, TrimWithACharacterSetStripsWholeCharacters) {
  EXPECT_EQ(read_table(fixture("basic.xlsx"), "Sheet1$",
                       "trim(Name, '张') = '三' and ltrim('xyaxy', 'yx') = 'axy' and "
                       "rtrim('xyaxy', 'yx') = 'xya' and trim('éaé', 'é') = 'a' and "
                       "trim(null, 'a') is null and trim('a', null) is null and "
                       "trim('  a  ') = 'a' and trim(Name, '') = Name")
                .size(),
            2u);
}

TEST(SqlFilter, OnlyListedFunctionsMayBeCalled) {
  const std::set<std::string> allowed = {"abs",          "acos",         "acosh",
                                         "asin",         "asinh",        "atan",
                                         "atan2",        "atanh",        "avg",
                                         "ceil",         "ceiling",      "char",
                                         "coalesce",     "concat",       "concat_ws",
                                         "cos",          "cosh",         "count",
                                         "current_date", "current_time", "current_timestamp",
                                         "date",         "datetime",     "degrees",
                                         "exp",          "floor",        "format",
                                         "glob",         "group_concat", "hex",
                                         "ifnull",       "iif",          "instr",
                                         "julianday",    "length",       "like",
                                         "likelihood",   "likely",       "ln",
                                         "log",          "log10",        "log2",
                                         "lower",        "ltrim",        "max",
                                         "min",          "mod",          "nullif",
                                         "octet_length", "pi",           "pow",
                                         "power",        "printf",       "quote",
                                         "radians",      "random",       "randomblob",
                                         "replace",      "round",        "rtrim",
                                         "sign",         "sin",          "sinh",
                                         "soundex",      "sqrt",         "strftime",
                                         "string_agg",   "substr",       "substring",
                                         "sum",          "tan",          "tanh",
                                         "time",         "timediff",     "total",
                                         "trim",         "trunc",        "typeof",
                                         "unhex",        "unicode",      "unixepoch",
                                         "unlikely",     "upper",        "zeroblob"};
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  sqlite3_stmt* list = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "select distinct name, narg from pragma_function_list", -1,
                               &list, nullptr),
            SQLITE_OK);
  std::set<std::string> offered;
  while (sqlite3_step(list) == SQLITE_ROW) {
    std::string name = reinterpret_cast<const char*>(sqlite3_column_text(list, 0));
    int args = sqlite3_column_int(list, 1) < 0 ? 1 : sqlite3_column_int(list, 1);
    if (args > 3 || !std::isalpha(static_cast<unsigned char>(name[0]))) continue;
    offered.insert(name);
    std::string call = name + "(";
    for (int i = 0; i < args; ++i) call += i ? ", 1" : "1";
    std::string m = refusal("exists (select " + call + "))");
    EXPECT_EQ(m.find("is not allowed") != std::string::npos, allowed.count(name) == 0)
        << name << ": " << m;
  }
  sqlite3_finalize(list);
  sqlite3_close(db);
  for (const char* name : {"fts3_tokenizer", "json", "load_extension", "sqlite_version"})
    EXPECT_TRUE(offered.count(name)) << name;
  EXPECT_NE(refusal("Name -> '$' is null").find("is not allowed"), std::string::npos);
}

TEST(SqlFilter, ARunawayConditionIsStoppedByTheTimeLimit) {
  bool given = false;
  auto one_record = [&](workbook::Row& row) {
    row.clear();
    row.add(0, "x");
    return !std::exchange(given, true);
  };
  try {
    workbook::filter_records("Sheet1$", {"Name"}, one_record,
                             "(with recursive n(i) as (select 1 union all select i + 1 from n) "
                             "select count(*) from n) > 0",
                             std::chrono::milliseconds(50));
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
  auto result =
      workbook::filter_records("Sheet1$", names, one_record, "[" + names.back() + "] = 'last'");
  EXPECT_EQ(result.passed.size(), 1u);
}

// A condition that tests one record at a time needs only the fields it names in the engine; one
// over the whole table needs them all, and more than SQLite's tables hold is a limit error.
TEST(SqlFilter, ASheetWiderThanTheEnginesTablesIsFilteredOnTheFieldsNamed) {
  std::vector<std::string> names;
  for (int i = 0; i < 16384; ++i) names.push_back(std::string("F").append(std::to_string(i + 1)));
  int k = 0;
  auto records = [&](workbook::Row& row) {
    row.clear();
    row.index = static_cast<std::uint32_t>(k);
    row.add(0, "first");
    row.add(16383, k % 2 ? "odd" : "even");
    return k++ < 10;
  };
  auto result = workbook::filter_records("Sheet1$", names, records, "[f16384] = 'odd' and F1 > ''");
  EXPECT_EQ(result.passed, (std::vector<std::uint32_t>{1, 3, 5, 7, 9}));
  try {
    workbook::filter_records(
        "Sheet1$", names, [](workbook::Row&) { return false; }, "1 order by F1");
    FAIL() << "16,384 columns went into the engine";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.kind(), Kind::Limit) << e.what();
    EXPECT_NE(std::string(e.what()).find("16384 columns where the limit is"), std::string::npos)
        << e.what();
  }
}
