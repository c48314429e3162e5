// Holds every sheet reader to the order its consumers rely on: rows with strictly increasing
// indices, each with a cell, cells in strictly ascending columns, all inside the grid. A reader
// that breaks it has misread its file; the sheet is refused, naming file and sheet, rather than
// rows being lost or counted wrongly downstream.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "workbook/reader.h"

namespace workbook {

class CheckedSheetReader : public SheetReader {
 public:
  // file and sheet: for messages.
  CheckedSheetReader(std::unique_ptr<SheetReader> reader, std::string file, std::string sheet);
  bool next_row(Row& row) override;
  std::optional<Range> declared_range() const override { return reader_->declared_range(); }

 private:
  [[noreturn]] void fail(std::uint32_t row, const std::string& problem) const;

  std::unique_ptr<SheetReader> reader_;
  std::string file_, sheet_;
  std::optional<std::uint32_t> last_index_;
};

}  // namespace workbook
