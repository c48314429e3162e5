// Reads the cells of one worksheet of an .xlsx package, row by row, without holding the sheet:
// the part is inflated and parsed a chunk at a time as rows are asked for.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "workbook/byte_source.h"
#include "workbook/cell_text.h"
#include "workbook/reader.h"
#include "workbook/xlsx_shared_strings.h"
#include "workbook/xml_scanner.h"

namespace workbook {

struct XlsxSheetContext {
  const SharedStrings* strings;
  const std::vector<bool>* date_styles;
  DateSystem date_system;
};

// The strings and styles (and the archive behind the source) must outlive the reader.
class XlsxSheetReader : public SheetReader, private XmlHandler {
 public:
  // where: the file and sheet for messages ("\"a.xlsx\", sheet \"S\""); part_where: the file
  // and part, for messages about the XML. chunk_bytes: how much is inflated and parsed at a time.
  // With the scanner, XmlScanFallback may come out of the constructor and next_row: the part
  // is to be read again with expat (xlsx_scanned_sheet.h does that).
  XlsxSheetReader(std::unique_ptr<ByteSource> source, std::string where, std::string part_where,
                  XlsxSheetContext context, std::size_t chunk_bytes = kXlsxChunkBytes,
                  XmlReading reading = XmlReading::Expat);
  bool next_row(Row& row) override;
  std::optional<Range> declared_range() const override { return declared_; }

 private:
  void start(std::string_view name, XmlAttributes attrs) override;
  void end(std::string_view name) override;
  void text(std::string_view t) override;
  void cell(XmlAttributes attrs, std::string_view text, bool in_string) override;
  void pump();  // parses the next chunk of the part
  void start_row(XmlAttributes attrs);
  void start_cell(XmlAttributes attrs);
  // value: the text of <v>; in_string: that of <is>, which counts where the cell has one.
  void finish_cell(std::string_view value, std::string_view in_string);
  std::uint32_t cell_column(std::string_view ref) const;  // of a cell's r attribute
  // "The workbook "X", sheet "S", row N cannot be read: problem." (no row outside a row); a
  // problem is damage to the file unless told otherwise.
  [[noreturn]] void fail(const std::string& problem,
                         platform::ErrorKind kind = platform::ErrorKind::Damaged) const;
  [[noreturn]] void fail_cell(const std::string& what,
                              platform::ErrorKind kind = platform::ErrorKind::Damaged) const;

  std::unique_ptr<ByteSource> source_;
  std::string where_;
  XlsxSheetContext context_;
  std::unique_ptr<XmlFeed> parser_;
  std::string chunk_;
  bool eof_ = false;
  std::optional<Range> declared_;

  std::vector<Row> pending_;  // rows parsed but not yet handed out; reused
  std::size_t head_ = 0, count_ = 0;

  bool in_sheet_data_ = false, seen_sheet_data_ = false, in_row_ = false, in_cell_ = false;
  bool in_value_ = false, in_inline_ = false, has_inline_ = false;
  std::int64_t last_row_ = -1;
  std::uint32_t row_ = 0;
  std::string row_digits_;  // the row's r attribute, if it has one
  std::int64_t last_column_ = -1;
  std::uint32_t column_ = 0;
  std::uint64_t row_text_bytes_ = 0;
  char type_ = 'n';
  bool date_style_ = false;
  std::string value_, inline_text_, cell_text_;
  StringItemText inline_item_;
};

}  // namespace workbook
