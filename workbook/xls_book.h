// The .xls reader's own parts: the workbook-wide data read from the globals substream, and an
// entry point that parses a workbook held in memory (for the fuzzer and the tests).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "workbook/biff_records.h"
#include "workbook/cell_text.h"
#include "workbook/limits.h"
#include "workbook/reader.h"

namespace workbook {

// What every sheet of one workbook shares. A book and its sheet readers belong to one thread.
struct XlsWorkbook {
  std::string source;  // the file's name, for messages
  std::string stream;  // the whole workbook stream
  bool biff8 = true;   // else BIFF5/7, whose strings are bytes in the code page
  DateSystem dates = DateSystem::From1900;
  std::unique_ptr<biff::CodepageText> codepage;
  std::string shared_text;                 // the shared strings, end to end
  std::vector<std::uint32_t> shared_ends;  // where each shared string ends in shared_text
  static_assert(limits::kMaxTotalTextBytes <= UINT32_MAX && limits::kMaxSharedStrings <= UINT32_MAX,
                "shared-string ends and indexes are 32-bit");
  std::vector<bool> xf_is_date;  // per XF index: numbers shown as dates
  std::vector<SheetInfo> sheets;
  std::vector<std::uint32_t> sheet_offsets;  // of each sheet's BOF record in the stream

  bool is_date_xf(std::uint16_t xf) const { return xf < xf_is_date.size() && xf_is_date[xf]; }
};

// A failure already worded for a person: "The workbook "PATH"PLACE cannot be read: PROBLEM.",
// where PLACE names the sheet and row, of the kind of the problem. Problems from the container and
// record layers come without the file and are worded into one of these.
class XlsFailure : public platform::Error {
 public:
  XlsFailure(const std::string& source, const std::string& place, const std::string& problem,
             platform::ErrorKind kind = platform::ErrorKind::Failed)
      : platform::Error(
            "The workbook \"" + source + "\"" + place + " cannot be read: " + problem + ".", kind) {
  }
};

// Parses a workbook from its file's bytes; `name` is the file named in messages.
std::unique_ptr<Book> open_xls_book_from_memory(std::string_view bytes, const std::string& name);

// Streams one sheet of the workbook; throws platform::Error naming file, sheet and row.
std::unique_ptr<SheetReader> open_xls_sheet(std::shared_ptr<XlsWorkbook> workbook,
                                            std::size_t index);

}  // namespace workbook
