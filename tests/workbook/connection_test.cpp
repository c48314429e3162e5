// Connection strings, table names, query texts and the table model seen through Query.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "table_helpers.h"
#include "workbook/connection_string.h"
#include "workbook/query_text.h"

using namespace workbook;
using namespace workbook_test;

TEST(ConnectionString, BothPluginStringsGiveThePathAndFormat) {
  auto jet_target = parse_connection_string(jet("C:/data/a b.xls"));
  EXPECT_EQ(jet_target.path, "C:/data/a b.xls");
  EXPECT_EQ(jet_target.format, WorkbookFormat::Xls);
  auto quoted = parse_connection_string(
      "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/x/y.xls;Extended Properties='Excel "
      "8.0;IMEX=1;';Persist Security Info=False");
  EXPECT_EQ(quoted.path, "/x/y.xls");
  EXPECT_EQ(quoted.format, WorkbookFormat::Xls);
  auto ace_target = parse_connection_string(ace("/x/y.xlsx"));
  EXPECT_EQ(ace_target.path, "/x/y.xlsx");
  EXPECT_EQ(ace_target.format, WorkbookFormat::Xlsx);
}

TEST(ConnectionString, PathsWithSemicolonsEqualsQuotesAndBlanksAreTakenWhole) {
  for (std::string path : {"/d/a;b.xls", "/d/x=1;y=2.xls", "/d/it's \"q\".xls", " /d/lead.xls",
                           "/d/Extended Properties.xls"}) {
    EXPECT_EQ(parse_connection_string(jet(path)).path, path);
    EXPECT_EQ(parse_connection_string(ace(path)).path, path);
  }
  EXPECT_THROW(parse_connection_string("Provider=x;Extended Properties=Excel 8.0"),
               platform::Error);
}

TEST(ConnectionString, AnExistingFileDecidesBetweenPropertyLikePathEndings) {
  // "a;Mode=1;b.xlsx" could end at ";Mode=1"; only the whole name is a file.
  std::string path = fixture("a;Mode=1;b.xlsx");
  EXPECT_EQ(parse_connection_string(ace(path)).path, path);
  EXPECT_EQ(read_table(path, "S$"), (Lines{"1", "2"}));
}

TEST(TableNames, SpelledAsTheProviderSpellsThemWithoutChartSheets) {
  Connection c(ace(fixture("layout.xlsx")));
  c.Connect();
  EXPECT_EQ(c.GetTableNames(), (std::vector<std::string>{"Data$", "'My Sheet$'", "'Bob''s 2$'"}));
  EXPECT_EQ(table_name_for_sheet("工资表"), "工资表$");
  EXPECT_EQ(table_name_for_sheet("2024"), "'2024$'");
  EXPECT_EQ(sheet_name_for_table("'Bob''s 2$'"), "Bob's 2");
}

TEST(QueryText, SelectFromBracketsWithOptionalConditionAndTrailingSemicolon) {
  auto q = parse_query_text("select * from [Sheet1$]");
  EXPECT_EQ(q.table, "Sheet1$");
  EXPECT_EQ(q.condition, "");
  q = parse_query_text("SELECT * FROM ['My Sheet$'] where  a > 1 ; ");
  EXPECT_EQ(q.table, "'My Sheet$'");
  EXPECT_EQ(q.condition, "a > 1");
  EXPECT_THROW(parse_query_text("select * from []"), platform::Error);
  EXPECT_THROW(parse_query_text("select a from [S$]"), platform::Error);
  EXPECT_THROW(parse_query_text("select * from [S$] order by a"), platform::Error);
}

TEST(Query, BoundingBoxGivesFieldNamesAndKeepsEmptyRowsInside) {
  // Box B2:F5: duplicate names get numbers, empty names "F" + position, row 4 is a record.
  EXPECT_EQ(read_table(fixture("layout.xlsx"), "Data$"),
            (Lines{"Code\tF2\tCode1\tcode2\tF5", "1\t2\t3\t\t", "\t\t\t\t", "\t5\t\t\t6"}));
}

TEST(Query, ThousandsOfUnnamedOrRepeatedFieldNamesAreNumbered) {
  workbook::Connection connection(ace(fixture("wide.xlsx")));
  connection.Connect();
  workbook::Query query(connection);
  query.SetSQL("select * from [Unnamed$]");
  query.Open();
  ASSERT_EQ(query.FieldCount(), 16384u);
  EXPECT_EQ(query.Fields(0).FieldName(), "F1");
  EXPECT_EQ(query.Fields(16382).FieldName(), "F16383");
  EXPECT_EQ(query.Fields(16383).FieldName(), "Last");
  EXPECT_EQ(query.Fields(0).AsString(), "1");

  query.SetSQL("select * from [Repeats$]");
  query.Open();
  ASSERT_EQ(query.FieldCount(), 3000u);
  EXPECT_EQ(query.Fields(0).FieldName(), "a");
  EXPECT_EQ(query.Fields(1).FieldName(), "a1");
  EXPECT_EQ(query.Fields(2999).FieldName(), "a2999");
}

TEST(Query, NavigatesAndReadsFieldsByIndexAndName) {
  Connection c(ace(fixture("basic.xlsx")));
  c.Connect();
  Query q(c);
  q.SetSQL("select * from [Sheet1$]");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 7u);
  EXPECT_EQ(q.FieldCount(), 4u);
  EXPECT_EQ(q.Fields(1).FieldName(), "Amount");
  EXPECT_EQ(q.FieldByName("Amount").AsString(), "1200");
  EXPECT_EQ(q.FieldByName("amount").AsString(), "1200");
  q.Next();
  EXPECT_EQ(q.Fields(0).AsString(), "Rich text");
  for (int i = 0; i < 10; ++i) q.Next();
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.Fields(0).AsString(), "");
  q.First();
  EXPECT_FALSE(q.Eof());
  EXPECT_EQ(q.Fields(0).AsString(), "张三");
  try {
    q.FieldByName("Missing");
    FAIL();
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find("\"Missing\""), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("\"Sheet1$\""), std::string::npos);
    EXPECT_EQ(e.kind(), platform::ErrorKind::NotFound);
  }
  EXPECT_THROW(q.Fields(4), platform::Error);
}

TEST(Query, EmptySheetHasNoFieldsAndNoRecords) {
  Lines lines = read_table(fixture("layout.xlsx"), "'Bob''s 2$'");
  EXPECT_EQ(lines, (Lines{""}));
}

TEST(Query, UnknownOrEmptyTableFailsOnOpenNamingIt) {
  Connection c(ace(fixture("basic.xlsx")));
  c.Connect();
  Query q(c);
  q.SetSQL("select * from [Nope$]");
  try {
    q.Open();
    FAIL();
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find("Nope$"), std::string::npos);
    EXPECT_EQ(e.kind(), platform::ErrorKind::NotFound);
  }
  q.SetSQL("select * from []");
  EXPECT_THROW(q.Open(), platform::Error);
  EXPECT_FALSE(q.Active());
  q.SetSQL("select * from [SHEET1$]");  // table names ignore letter case
  EXPECT_NO_THROW(q.Open());
}

TEST(Query, KeepsItsRecordsAfterItsConnectionDisconnects) {
  auto c = std::make_unique<Connection>(ace(fixture("basic.xlsx")));
  c->Connect();
  Query q(*c);
  q.SetSQL("select * from [Sheet1$]");
  q.Open();
  c->Disconnect();
  q.Next();
  EXPECT_EQ(q.Fields(1).AsString(), "1200.5");
}

TEST(Connection, ListingBeforeConnectingOrAfterDisconnectingFails) {
  Connection c(ace(fixture("basic.xlsx")));
  EXPECT_THROW(c.GetTableNames(), platform::Error);
  c.Connect();
  EXPECT_TRUE(c.Connected());
  c.Disconnect();
  EXPECT_FALSE(c.Connected());
  EXPECT_THROW(c.GetTableNames(), platform::Error);
  Query q(c);
  q.SetSQL("select * from [Sheet1$]");
  EXPECT_THROW(q.Open(), platform::Error);
}

TEST(Query, ReopeningWithAConditionReplacesTheRecords) {
  Connection c(ace(fixture("basic.xlsx")));
  c.Connect();
  Query q(c);
  q.SetSQL("select * from [Sheet1$]");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 7u);
  q.SetSQL("select * from [Sheet1$] where Flag = 'TRUE' or Flag = 'FALSE'");
  q.Open();
  EXPECT_EQ(q.RecordCount(), 2u);
  EXPECT_EQ(q.FieldCount(), 4u);
  q.Next();
  EXPECT_EQ(q.FieldByName("Name").AsString(), "Rich text");
  EXPECT_EQ(q.RecNo(), 1u);
  q.Next();
  EXPECT_TRUE(q.Eof());
  q.Next();  // stays at the end
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.RecNo(), 2u);
}
