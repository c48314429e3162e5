// An .xlsx package as a Book: sheet list, shared strings and date styles read at open, sheets
// streamed on demand.
#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/reader.h"
#include "workbook/xlsx_parts.h"
#include "workbook/xlsx_scanned_sheet.h"
#include "workbook/xlsx_shared_strings.h"
#include "workbook/xlsx_sheet.h"
#include "workbook/zip_archive.h"

namespace workbook {
namespace {

class XlsxBook : public Book {
 public:
  XlsxBook(const std::string& path, std::size_t chunk_bytes, XmlReading reading)
      : zip_(path), workbook_(read_workbook(zip_)), chunk_bytes_(chunk_bytes), reading_(reading) {
    for (const auto& sheet : workbook_.sheets) sheets_.push_back(sheet.info);
    if (!workbook_.shared_strings_part.empty())
      strings_.load(zip_, workbook_.shared_strings_part, chunk_bytes_, reading_);
    date_styles_ = read_date_styles(zip_, workbook_.styles_part);
  }

  const std::vector<SheetInfo>& sheets() const override { return sheets_; }

  std::unique_ptr<SheetReader> open_sheet(std::size_t index) override {
    const XlsxSheet& sheet = workbook_.sheets.at(index);
    if (!sheet.info.is_worksheet)
      zip_.fail("the sheet \"" + sheet.info.name + "\" is a chart or macro sheet, not a table",
                platform::ErrorKind::Unsupported);
    if (sheet.part.empty())
      zip_.fail("the part of the sheet \"" + sheet.info.name + "\" is missing");
    auto open = [this, &sheet](XmlReading reading) -> std::unique_ptr<SheetReader> {
      return std::make_unique<XlsxSheetReader>(
          zip_.open(sheet.part), "\"" + zip_.path() + "\", sheet \"" + sheet.info.name + "\"",
          "part " + sheet.part, XlsxSheetContext{&strings_, &date_styles_, workbook_.date_system},
          chunk_bytes_, reading);
    };
    if (reading_ == XmlReading::Scanner) return std::make_unique<ScannedSheetReader>(open);
    return open(reading_);
  }

 private:
  ZipArchive zip_;
  XlsxWorkbook workbook_;
  std::size_t chunk_bytes_;
  XmlReading reading_;
  std::vector<SheetInfo> sheets_;
  SharedStrings strings_;
  std::vector<bool> date_styles_;
};

}  // namespace

std::unique_ptr<Book> open_xlsx_book(const std::string& path, std::size_t chunk_bytes,
                                     XmlReading reading) {
  return std::make_unique<XlsxBook>(path, chunk_bytes, reading);
}

}  // namespace workbook
