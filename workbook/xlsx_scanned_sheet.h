// A worksheet read with the scanner, and read again from its start with expat when the scanner
// gives the part up; the rows already handed out are not handed out twice.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "workbook/reader.h"
#include "workbook/xml_reading.h"

namespace workbook {

class ScannedSheetReader : public SheetReader {
 public:
  // Opens the sheet's reader afresh with the given parser; only one is open at a time.
  using Open = std::function<std::unique_ptr<SheetReader>(XmlReading)>;
  explicit ScannedSheetReader(Open open);
  bool next_row(Row& row) override;
  std::optional<Range> declared_range() const override { return reader_->declared_range(); }

 private:
  void fall_back();

  Open open_;
  std::unique_ptr<SheetReader> reader_;
  std::int64_t handed_out_ = -1;  // index of the last row handed out
};

}  // namespace workbook
