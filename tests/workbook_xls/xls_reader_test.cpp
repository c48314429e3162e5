// The .xls reader over fixture workbooks made by make_fixtures.py: exact row texts per sheet.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "workbook/reader.h"

namespace {

std::string fixture(const std::string& name) {
  return std::string(XLS_FIXTURES) + "/" + name;
}

// Each row as "row|column:text|column:text", row 1-based and columns 0-based.
std::vector<std::string> rows_of(workbook::Book& book, std::size_t sheet) {
  std::vector<std::string> out;
  auto reader = book.open_sheet(sheet);
  workbook::Row row;
  while (reader->next_row(row)) {
    std::string line = std::to_string(row.index + 1);
    for (std::size_t i = 0; i < row.size(); ++i) {
      line.append("|").append(std::to_string(row.column(i))).append(":").append(row.text(i));
    }
    out.push_back(line);
  }
  return out;
}

std::vector<std::string> rows_of(const std::string& name, std::size_t sheet = 0) {
  auto book = workbook::open_xls_book(fixture(name));
  return rows_of(*book, sheet);
}

using Rows = std::vector<std::string>;

TEST(XlsReader, ReadsAWorkbookWrittenByXlwt) {
  auto book = workbook::open_xls_book(fixture("xlwt_basic.xls"));
  ASSERT_EQ(book->sheets().size(), 2u);
  EXPECT_EQ(book->sheets()[0].name, "客户");
  EXPECT_EQ(book->sheets()[1].name, "Sheet 2");
  EXPECT_EQ(rows_of(*book, 0),
            (Rows{"1|0:编号|1:Name|2:Amount|3:Date|4:Stamp|5:Flag",
                  "2|0:C001|1:王小明|2:1234.56|3:2024-02-29|4:2024-03-01 08:30:05|5:TRUE",
                  "3|0:C002|2:100|5:FALSE", "5|1:after a gap"}));
  EXPECT_EQ(rows_of(*book, 1), (Rows{"1|0:1", "65536|255:corner"}));
}

TEST(XlsReader, Biff8CellKindsInThe1904DateSystem) {
  auto book = workbook::open_xls_book(fixture("biff8_cells.xls"));
  EXPECT_EQ(rows_of(*book, 0),
            (Rows{"1|0:Name|1:Amount|2:When", "2|0:Zhang 张三|1:1200.5|2:1904-01-02",
                  "3|0:42|1:1.23|2:1905-01-01 12:00:00|3:-3|4:2.5|5:12:00:00",
                  "4|0:TRUE|1:#DIV/0!|2:FALSE",
                  "5|0:3.75|1:total 合计|2:TRUE|3:#N/A|5:1904-01-02 06:00:00", "6|0:label ü|5:Rich",
                  "8|1:日本abc|255:far"}));
}

TEST(XlsReader, FormulaRecordsUnderOlderRecordNumbersReadLikeBiff8Ones) {
  EXPECT_EQ(rows_of("old_formula_numbers.xls"),
            (Rows{"1|0:Item|1:Total", "2|0:a|1:1.5", "3|0:b|1:7|2:text result"}));
}

TEST(XlsReader, ChartAndMacroSheetsAreListedButAreNotWorksheets) {
  auto book = workbook::open_xls_book(fixture("biff8_cells.xls"));
  ASSERT_EQ(book->sheets().size(), 3u);
  EXPECT_TRUE(book->sheets()[0].is_worksheet);
  EXPECT_EQ(book->sheets()[1].name, "Chart1");
  EXPECT_FALSE(book->sheets()[1].is_worksheet);
  EXPECT_TRUE(book->sheets()[2].is_worksheet);
  EXPECT_EQ(rows_of(*book, 1), Rows{});
  EXPECT_EQ(rows_of(*book, 2), Rows{});
  auto gbk = workbook::open_xls_book(fixture("biff5_gbk.xls"));
  ASSERT_EQ(gbk->sheets().size(), 2u);
  EXPECT_EQ(gbk->sheets()[1].name, "宏");
  EXPECT_FALSE(gbk->sheets()[1].is_worksheet);
}

TEST(XlsReader, DeclaredRangeComesFromDimensions) {
  auto book = workbook::open_xls_book(fixture("biff8_cells.xls"));
  auto range = book->open_sheet(0)->declared_range();
  ASSERT_TRUE(range.has_value());
  EXPECT_EQ(range->first_row, 0u);
  EXPECT_EQ(range->last_row, 7u);
  EXPECT_EQ(range->first_column, 0u);
  EXPECT_EQ(range->last_column, 255u);
  EXPECT_FALSE(book->open_sheet(2)->declared_range().has_value());
}

TEST(XlsReader, Biff5TextIsConvertedFromItsCodePage) {
  auto book = workbook::open_xls_book(fixture("biff5_gbk.xls"));
  EXPECT_EQ(book->sheets()[0].name, "工资表");
  EXPECT_EQ(rows_of(*book, 0),
            (Rows{"1|0:姓名|1:金额|2:日期", "2|0:张三|1:88.5|2:2023-03-15", "3|0:合计|1:备注"}));
  auto range = book->open_sheet(0)->declared_range();
  ASSERT_TRUE(range.has_value());
  EXPECT_EQ(range->last_row, 2u);
  EXPECT_EQ(range->last_column, 2u);
}

TEST(XlsReader, ContainerVariants) {
  // A workbook in the mini stream, named in capitals, beside a decoy stream in a storage.
  EXPECT_EQ(rows_of("mini_stream.xls"), (Rows{"1|0:x|1:1", "2|1:y"}));
  // 4096-byte sectors, an odd-case stream name and a last sector cut short.
  EXPECT_EQ(rows_of("sector_4096.xls"), (Rows{"1|0:big|1:2.5"}));
  // A FAT sector found through a DIFAT sector.
  EXPECT_EQ(rows_of("difat_chain.xls"), (Rows{"1|0:difat"}));
  // Writers' slips: a small stream kept in regular sectors, a stream size larger than its chain.
  EXPECT_EQ(rows_of("small_stream_in_big_sectors.xls"), (Rows{"1|0:regular"}));
  EXPECT_EQ(rows_of("overstated_size.xls"), (Rows{"1|0:overstated"}));
  // No container at all: the workbook stream alone.
  EXPECT_EQ(rows_of("bare_stream.xls"), (Rows{"1|0:no container"}));
}

TEST(XlsReader, CellsOutOfOrderComeOutInOrderAndTheLastWriteWins) {
  EXPECT_EQ(rows_of("out_of_order.xls"), (Rows{"1|0:a|1:b", "2|0:5", "3|1:c2"}));
}

}  // namespace
