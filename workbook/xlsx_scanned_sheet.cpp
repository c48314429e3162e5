// The scanner's give-up, turned into a fresh start with expat.
#include "workbook/xlsx_scanned_sheet.h"

#include "workbook/xml_scanner.h"

namespace workbook {

ScannedSheetReader::ScannedSheetReader(Open open) : open_(std::move(open)) {
  try {
    reader_ = open_(XmlReading::Scanner);
  } catch (const XmlScanFallback&) {
    fall_back();
  }
}

void ScannedSheetReader::fall_back() {
  reader_.reset();  // closes the part before it is opened again
  reader_ = open_(XmlReading::Expat);
}

bool ScannedSheetReader::next_row(Row& row) {
  while (true) {
    try {
      if (!reader_->next_row(row)) return false;
    } catch (const XmlScanFallback&) {
      fall_back();
      continue;
    }
    // Rows come in ascending order (the reader refuses any other), so after a fresh start the
    // rows up to the last one handed out are the ones already seen.
    if (static_cast<std::int64_t>(row.index) <= handed_out_) continue;
    handed_out_ = row.index;
    return true;
  }
}

}  // namespace workbook
