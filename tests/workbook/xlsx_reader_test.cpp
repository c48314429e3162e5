// The .xlsx reader on small packages made by fixtures/make_fixtures.py: every cell type and
// package oddity the reader must take.
#include <gtest/gtest.h>

#include "platform/error.h"
#include "table_helpers.h"
#include "workbook/reader.h"
#include "workbook/xlsx_text.h"

using namespace workbook_test;

TEST(XlsxSheetReader, EveryCellTypeBecomesItsText) {
  Lines lines = read_table(fixture("basic.xlsx"), "Sheet1$");
  Lines expected = {
      "Name\tAmount\tWhen\tFlag",
      "张三\t1200\t2025-01-01\tTRUE",
      "Rich text\t1200.5\t2025-01-01 12:00:00\tFALSE",  // runs joined; custom date format
      "漢字\t0.1\t06:00:00\t#N/A",                      // phonetic run dropped; time format
      "line\r\ntwo\t1e+20\t12.5\t7",  // _x000D_ escapes; a quoted "Day" is no date
      "under_x0041_score\t-3\t2024-03-01 10:20:30\tok",  // escaped "_"; t="d"; formula text
      "pair😀\t0.1\t\t#DIV/0!",        // surrogate pair; formula without cached value
      "  padded  \t0\tinline\tx\ty",  // blanks kept; "-0"; inline runs; escape in str
  };
  EXPECT_EQ(lines, expected);
}

TEST(XlsxSheetReader, StreamsOnlyNonEmptyRowsWithTheirColumns) {
  auto book = workbook::open_xlsx_book(fixture("layout.xlsx"));
  ASSERT_EQ(book->sheets().size(), 4u);
  EXPECT_FALSE(book->sheets()[2].is_worksheet);
  auto sheet = book->open_sheet(0);
  workbook::Row row;
  std::vector<std::uint32_t> indexes;
  while (sheet->next_row(row)) indexes.push_back(row.index);
  EXPECT_EQ(indexes, (std::vector<std::uint32_t>{1, 2, 4}));  // row 4 (index 3) has no cells
  EXPECT_THROW(book->open_sheet(2), platform::Error);         // a chart sheet
}

TEST(XlsxSheetReader, DeclaredRangeIsReadBeforeTheFirstRow) {
  auto book = workbook::open_xlsx_book(fixture("basic.xlsx"));
  auto sheet = book->open_sheet(0);
  auto range = sheet->declared_range();
  ASSERT_TRUE(range.has_value());
  EXPECT_EQ(range->last_row, 7u);
  EXPECT_EQ(range->last_column, 3u);
}

TEST(XlsxSheetReader, CellsAndRowsWithoutReferenceFollowTheirPredecessor) {
  EXPECT_EQ(read_table(fixture("no_refs.xlsx"), "S$"), (Lines{"1\t2\tF3\tF4", "3\t\t4\t5"}));
}

TEST(XlsxSheetReader, PrefixedStrictBackslashAndZip64PackagesRead) {
  EXPECT_EQ(read_table(fixture("prefixed.xlsx"), "P$"), (Lines{"Head", "42"}));
  // Strict namespaces, and the 1904 date system: serial 1 is 1904-01-02.
  EXPECT_EQ(read_table(fixture("strict.xlsx"), "Strict$"), (Lines{"When", "1904-01-02"}));
  EXPECT_EQ(read_table(fixture("backslash.xlsx"), "B$"), (Lines{"H", "9"}));
  EXPECT_EQ(read_table(fixture("zip64.xlsx"), "Z$"), (Lines{"H", "9"}));
}

TEST(XlsxText, EscapesDecodeAndMalformedOnesStayLiteral) {
  std::string out;
  workbook::append_unescaped(out, "a_x0041_b_x12_c_xD800_d_x0000_e");
  EXPECT_EQ(out,
            "aAb_x12_c\xEF\xBF\xBD"
            "de");
}

TEST(XlsxText, CellReferencesAreCheckedAgainstTheGrid) {
  auto ref = workbook::parse_cell_ref("AB12");
  ASSERT_TRUE(ref);
  EXPECT_EQ(ref->column, 27u);
  EXPECT_EQ(ref->row, 11u);
  EXPECT_TRUE(workbook::parse_cell_ref("XFD1048576"));
  EXPECT_FALSE(workbook::parse_cell_ref("XFE1"));
  EXPECT_FALSE(workbook::parse_cell_ref("A1048577"));
  EXPECT_FALSE(workbook::parse_cell_ref("A0"));
  EXPECT_FALSE(workbook::parse_cell_ref("$A$1"));
  EXPECT_EQ(workbook::column_letters(27), "AB");
}

TEST(XlsxText, OnlyNumbersThatReadBackUnchangedAreCanonical) {
  for (const char* yes : {"0", "1200", "-3", "1200.5", "0.1", "0.0001", "999999999999999"})
    EXPECT_TRUE(workbook::is_canonical_number_text(yes)) << yes;
  for (const char* no : {"-0", "1.50", "01", "1e5", "0.00001", "1000000000000000", "1.", ".5",
                         "12345678.123456789", ""})
    EXPECT_FALSE(workbook::is_canonical_number_text(no)) << no;
}

TEST(XlsxSheetReader, DateStylesFollowTheCellFormatsTableIn1904) {
  // A custom code may redefine a built-in id; a style past the table is no date; a number
  // that is not written canonically is rewritten; a non-number stays as written.
  EXPECT_EQ(read_table(fixture("styles_edge.xlsx"), "S$"),
            (Lines{"v", "1.5", "12:00:00", "1", "1904-01-02 12:00:00", "1.5", "abc"}));
}

TEST(Connection, AnAceStringOpensAnXlsWorkbookButAJetStringRefusesAnXlsx) {
  std::string xls = std::string(WORKBOOK_FIXTURES) + "/../../workbook_xls/fixtures/xlwt_basic.xls";
  workbook::Connection ace_connection(ace(xls));
  EXPECT_NO_THROW(ace_connection.Connect());
  EXPECT_FALSE(ace_connection.GetTableNames().empty());
  workbook::Connection jet_connection(jet(fixture("basic.xlsx")));
  EXPECT_THROW(jet_connection.Connect(), platform::Error);
}

// The last row lies across the end of the reader's first chunk, with rows queued before it,
// and the header is on row 3: once this lost the row and wrapped the record count.
TEST(XlsxSheetReader, ARowAcrossTheFirstChunkBoundaryArrivesWhole) {
  Lines lines = read_table(fixture("chunk_boundary.xlsx"), "S$");
  ASSERT_EQ(lines.size(), 396u);
  EXPECT_EQ(lines.front(), "H0\tH1\tH2\tH3\tH4\tH5\tH6\tH7");
  EXPECT_EQ(lines[1], "v4_0\t41\tv4_2\t43\tv4_4\t45\tv4_6\t47");
  EXPECT_EQ(lines.back(), "v398_0\t3981\tv398_2\t3983\tv398_4\t3985\tv398_6\t3987");
}
