// The order check between readers and the query: a reader that hands out rows or cells out of
// order, or an empty row, gets the sheet refused with file, sheet and row named.
#include "workbook/checked_sheet_reader.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/error.h"

namespace {

using Cells = std::vector<std::pair<std::uint32_t, const char*>>;

// Hands out the rows it was given.
class ListReader : public workbook::SheetReader {
 public:
  explicit ListReader(std::vector<std::pair<std::uint32_t, Cells>> rows) : rows_(std::move(rows)) {}
  bool next_row(workbook::Row& row) override {
    if (next_ == rows_.size()) return false;
    row.clear();
    row.index = rows_[next_].first;
    for (const auto& [column, text] : rows_[next_].second) row.add(column, text);
    ++next_;
    return true;
  }

 private:
  std::vector<std::pair<std::uint32_t, Cells>> rows_;
  std::size_t next_ = 0;
};

std::string read_all(std::vector<std::pair<std::uint32_t, Cells>> rows) {
  workbook::CheckedSheetReader reader(std::make_unique<ListReader>(std::move(rows)), "b.xlsx", "S");
  workbook::Row row;
  std::string rows_read;
  try {
    while (reader.next_row(row)) rows_read += std::to_string(row.index) + " ";
  } catch (const platform::Error& e) {
    return rows_read + e.what();
  }
  return rows_read;
}

TEST(CheckedSheetReader, PassesRowsInOrder) {
  EXPECT_EQ(read_all({{0, {{0, "a"}, {3, "b"}}}, {2, {{1, "c"}}}, {1048575, {{16383, "d"}}}}),
            "0 2 1048575 ");
}

TEST(CheckedSheetReader, RefusesWhatTheQueryWouldMiscount) {
  EXPECT_EQ(read_all({{2, {{0, "a"}}}, {2, {{0, "b"}}}}),
            "2 The workbook \"b.xlsx\", sheet \"S\", row 3 cannot be read: it was read after row 3 "
            "(rows out of order).");
  EXPECT_EQ(read_all({{5, {{0, "a"}}}, {1, {{0, "b"}}}}),
            "5 The workbook \"b.xlsx\", sheet \"S\", row 2 cannot be read: it was read after row 6 "
            "(rows out of order).");
  EXPECT_EQ(read_all({{0, {{2, "a"}, {2, "b"}}}}),
            "The workbook \"b.xlsx\", sheet \"S\", row 1 cannot be read: column 3 was read after "
            "column 3 (cells out of order).");
  EXPECT_EQ(read_all({{0, {}}}),
            "The workbook \"b.xlsx\", sheet \"S\", row 1 cannot be read: it was read as a row "
            "without cells.");
  EXPECT_EQ(read_all({{4294967295u, {{0, "a"}}}}),
            "The workbook \"b.xlsx\", sheet \"S\", row 4294967296 cannot be read: it lies past the "
            "last row of a worksheet.");
  EXPECT_EQ(read_all({{0, {{16384, "a"}}}}),
            "The workbook \"b.xlsx\", sheet \"S\", row 1 cannot be read: a cell lies in column "
            "16385, past the last column of a worksheet.");
}

}  // namespace
