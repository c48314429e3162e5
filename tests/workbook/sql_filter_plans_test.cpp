// The two ways a condition meets the records, streamed past it or stored in a table first, give
// the same rows in the same order and the same errors for every kind of condition; and the
// streamed way is the one taken wherever a condition tests one record at a time.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "filter_by_plan.h"
#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/row_spool.h"
#include "workbook/sql_filter.h"
#include "workbook/sql_text.h"

namespace {

using workbook::FilterPlan;

const std::vector<std::string> kFields = {"Name", "Amount", "When", "Mixed", "odd \"name\"", "F6"};

// Numbers as the cell-text rule writes them and as it does not ("007", "1.50", "1e5" stay
// texts), dates, empty cells, a column of mixed types, an empty record, the longest cell.
std::vector<std::vector<std::string>> records() {
  return {
      {"张三", "1200", "2025-01-01", "12", "a", ""},
      {"Rich text", "1200.5", "2025-01-01 12:00:00", "twelve", "", "x"},
      {"pair😀", "0.1", "", "12.0", "'q'", ""},
      {"line\r\ntwo", "1e+20", "12.5", "", "NULL", "y"},
      {"", "", "", "", "", ""},
      {"-0", "-3", "00:30:00", "007", "b%c_d", ""},
      {"a%b_c", "9007199254740993", "1900-02-29", "1e5", "", "z"},
      {"abc", "-0.0001", "2024-12-31", "-12", "A", ""},
      {"ABC", "123456789012345", "9999-12-31", "1.50", "a", "x"},
      {std::string(workbook::limits::kMaxCellTextBytes, 'w'), "2", "", "", "", ""},
      {"   padded  ", "0", "2025-02-28 00:00:01", "0", "", ""},
  };
}

void expect_same(const std::string& condition, bool streams,
                 const std::vector<std::string>& fields = kFields) {
  auto run = [&](FilterPlan plan) {
    return test_support::filter_by_plan(records(), fields, condition, std::chrono::minutes(5),
                                        plan);
  };
  test_support::FilterOutcome streamed = run(FilterPlan::Streamed);
  test_support::FilterOutcome stored = run(FilterPlan::Stored);
  EXPECT_EQ(streamed.rows, stored.rows) << condition;
  EXPECT_EQ(streamed.error, stored.error) << condition;
  EXPECT_EQ(streamed.kind, stored.kind) << condition;
  if (streamed.error.empty()) {
    EXPECT_EQ(streamed.plan == FilterPlan::Streamed, streams) << condition;
  }
}

}  // namespace

TEST(SqlFilterPlans, RecordTestsStreamAndSelectWhatTheStoredTableSelects) {
  for (const char* condition : {
           "1",
           "0",
           "null",
           "Amount > 1000",
           "Amount >= 0",
           "Amount < 1e19 and Amount <> 1200",
           "Amount = '1200'",
           "Amount between -5 and 2",
           "Amount in (1200, 0.1, '2', -3)",
           "Amount is null or Name is null",
           "[When] is not null and [When] > '2025'",
           "Mixed > 10",
           "Mixed = 12",
           "Mixed < 'a'",
           "typeof(Mixed) = 'text' and typeof(Amount) in ('integer', 'real')",
           "\"odd \"\"name\"\"\" = 'a' collate nocase",
           "[odd \"name\"] like 'B\\%%' escape '\\'",
           "Name like 'a%' or Name glob '*[A-Z]*'",
           "Name like '%😀'",
           "F6 is not null and F6 not in ('x')",
           "length(Name) > 100 and substr(Name, 1, 3) = 'www'",
           "instr(Name, 'b') > 0 or replace(Name, 'A', 'a') = 'abc'",
           "upper(Name) = 'ABC' and lower(Name) <> Name",
           "trim(Name) = 'padded' or ltrim(Name, ' p') like 'add%'",
           "abs(Amount) < 1 and round(Amount, 2) = 0",
           "Amount / 3 > 400 or Amount % 7 = 3 or -Amount > 2",
           "cast(Mixed as integer) = 12 and cast(Mixed as real) = 12.0",
           "date([When]) = '2025-01-01' or strftime('%Y', [When]) < '1950'",
           "julianday([When]) - julianday('2025-01-01') between 0 and 1",
           "time([When]) = '00:30:00' or datetime([When], '+1 day') > '9999'",
           "coalesce(F6, [When], Name) = 'x' or ifnull(Mixed, 'none') = 'none'",
           "nullif(Mixed, '12') is null and iif(Amount > 0, 1, 0)",
           "case when Amount > 1000 then 'big' when Amount < 0 then 'neg' else Name end = 'big'",
           "case Mixed when 12 then 1 when '007' then 1 end",
           "printf('%.2f', Amount) = '1200.50' or hex(Name) = '616263' or quote(Mixed) = '''007'''",
           "unicode(Name) > 255 or char(65, 66, 67) = Name",
           "max(Amount, 100) = 100 and min(Amount, -1) = -3",
           "(Amount, Name) = (1200, '张三')",
           "Name in (select 'abc' union select 'ABC')",
           "exists (with recursive r(i) as (select 1 union all select i + 1 from r where i < 50) "
           "select 1 from r where i = Amount)",
           "(select count(*) from (values (1), (2)) where column1 < Amount) = 2",
           "rowid % 2 = 0 or _rowid_ = 5 or oid > 10",
           "Amount >= 0 -- and nothing else",
           "Amount >= 0 /* a comment */",
           "Amount >= 0;",
           "Amount >= 0 ; ",
           "random() is not null and randomblob(2) is not null",
           "(Amount)",
           "Name = 'abc' or (Name = 'ABC')",
           "`Mixed` = 12 or aMoUnT < 0 or \"Sheet1$\".F6 = 'z'",
           "Name = '--' or Name = 'it''s' or Mixed = 12 -- it's\n or Amount = 2",
           "/* \"x */ Mixed = 12 or [When] = '' or \"F6\" = 'x'",
       }) {
    expect_same(condition, true);
  }
}

TEST(SqlFilterPlans, ConditionsOverTheWholeTableAreStoredAndSelectAsBefore) {
  for (const char* condition : {
           "1 order by Amount desc",
           "Amount > 0 order by Name limit 3 offset 1",
           "1 limit 2",
           "1 group by Mixed",
           "1 group by F6 having count(*) > 1",
           "Amount > (select avg(Amount) from \"Sheet1$\")",
           "(select count(*) from \"Sheet1$\" as s where s.Amount > \"Sheet1$\".Amount) < 3",
           "Name in (select Name from \"Sheet1$\" where F6 = 'x')",
           "1 union select * from \"Sheet1$\" where Amount > 0",
           "Amount > 0 except select * from \"Sheet1$\" where Name = 'abc'",
           "1 intersect select * from \"Sheet1$\" order by 2",
       }) {
    expect_same(condition, false);
  }
}

TEST(SqlFilterPlans, ErrorsAndRefusalsAreTheSame) {
  for (const char* condition : {
           "Amount >",
           "NoSuchField = 1",
           "count(*) > 1",
           "row_number() over () > 1",
           "Name in (select name from sqlite_master)",
           "load_extension('x') is null",
           "1=1; drop table x",
           "1) union select (1",
           "Amount > 0) or (1",
           "'unterminated",
           "length(zeroblob(200000)) > 0",
           "Name glob '*' || printf('%.*c', 2000, 'a')",
           "(1, 2)",
           "Amount > 0 /* open comment",
       }) {
    expect_same(condition, false);
  }
}

// The record's number is selected under a name no field has.
TEST(SqlFilterPlans, FieldsNamedLikeTheRowNumberStillStream) {
  std::vector<std::string> fields = kFields;
  fields[0] = "ROWID";
  fields[1] = "oid";
  expect_same("\"ROWID\" like 'a%' or oid > 1000", true, fields);
  fields[2] = "_rowid_";
  expect_same("\"ROWID\" like 'a%' or oid > 1000", false, fields);
}

TEST(SqlFilterPlans, AFailureReadingTheRecordsComesOutUnchanged) {
  for (FilterPlan plan : {FilterPlan::Streamed, FilterPlan::Stored}) {
    int k = 0;
    auto failing = [&](workbook::Row& row) {
      if (k == 100) throw platform::Error("the spool went away", platform::ErrorKind::Damaged);
      row.clear();
      row.index = static_cast<std::uint32_t>(k++);
      row.add(0, "x");
      return true;
    };
    try {
      workbook::filter_records("T", {"Name"}, failing, "Name = 'x'", std::chrono::minutes(5), plan);
      FAIL() << "the failure was lost";
    } catch (const platform::Error& e) {
      EXPECT_STREQ(e.what(), "the spool went away");
      EXPECT_EQ(e.kind(), platform::ErrorKind::Damaged);
    }
  }
}

// Fetching the records is the sheet's time, not the condition's: a slow spool does not stop a
// quick condition.
TEST(SqlFilterPlans, TheTimeLimitLeavesOutReadingTheRecords) {
  int k = 0;
  auto slow = [&](workbook::Row& row) {
    if (k == 40) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    row.clear();
    row.index = static_cast<std::uint32_t>(k++);
    row.add(0, "x");
    return true;
  };
  auto result =
      workbook::filter_records("T", {"Name"}, slow, "Name = 'x'", std::chrono::milliseconds(400));
  EXPECT_EQ(result.plan, FilterPlan::Streamed);
  EXPECT_EQ(result.passed.size(), 40u);
}

// Reading a field's name wrongly would leave it out of the streamed table, where a "quoted" name
// would then be taken for a text.
TEST(SqlFilterPlans, TheFieldsAConditionNamesAreFoundInEveryQuoting) {
  const std::vector<std::string> fields = {"Name",   "Amount", "a\"b", "x y", "back`tick",
                                           "unused", "Größe",  "it's", "F9"};
  auto named = [&](const std::string& condition) {
    return workbook::fields_named_in(condition, fields);
  };
  EXPECT_EQ(named("aMOUNT > 1 and \"a\"\"b\" = [x y] or `back``tick` = 1"),
            (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(named("Größe = 1 -- don't\n or \"it's\" = 2"), (std::vector<std::uint32_t>{0, 6, 7}));
  EXPECT_EQ(named("/* ' */ F9 = 'it''s' or 'F9' = \"unused"),
            (std::vector<std::uint32_t>{0, 5, 7, 8}));
  EXPECT_EQ(named("gRÖSSE = 1"), (std::vector<std::uint32_t>{0}));  // SQLite folds ASCII only
}
