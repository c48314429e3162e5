// The order check between the format readers and the query.
#include "workbook/checked_sheet_reader.h"

#include "platform/error.h"
#include "workbook/limits.h"

namespace workbook {

CheckedSheetReader::CheckedSheetReader(std::unique_ptr<SheetReader> reader, std::string file,
                                       std::string sheet)
    : reader_(std::move(reader)), file_(std::move(file)), sheet_(std::move(sheet)) {}

void CheckedSheetReader::fail(std::uint32_t row, const std::string& problem) const {
  throw platform::Error("The workbook \"" + file_ + "\", sheet \"" + sheet_ + "\", row " +
                            std::to_string(std::uint64_t{row} + 1) + " cannot be read: " + problem +
                            ".",
                        platform::ErrorKind::Damaged);
}

bool CheckedSheetReader::next_row(Row& row) {
  if (!reader_->next_row(row)) return false;
  if (row.index >= limits::kMaxRows) fail(row.index, "it lies past the last row of a worksheet");
  if (last_index_ && row.index <= *last_index_)
    fail(row.index, "it was read after row " + std::to_string(std::uint64_t{*last_index_} + 1) +
                        " (rows out of order)");
  if (row.empty()) fail(row.index, "it was read as a row without cells");
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (row.column(i) >= limits::kMaxColumns)
      fail(row.index, "a cell lies in column " + std::to_string(std::uint64_t{row.column(i)} + 1) +
                          ", past the last column of a worksheet");
    if (i > 0 && row.column(i) <= row.column(i - 1))
      fail(row.index, "column " + std::to_string(std::uint64_t{row.column(i)} + 1) +
                          " was read after column " +
                          std::to_string(std::uint64_t{row.column(i - 1)} + 1) +
                          " (cells out of order)");
  }
  last_index_ = row.index;
  return true;
}

}  // namespace workbook
