// BIFF5/7/8 record framing and the string encodings found in those records: 16-bit and
// compressed 8-bit text with CONTINUE records, and BIFF5 byte strings in the workbook's code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "workbook/little_endian.h"

namespace workbook::biff {

enum RecordType : std::uint16_t {
  kFormula = 0x0006,
  kEof = 0x000A,
  kDateMode = 0x0022,
  kFilePass = 0x002F,
  kContinue = 0x003C,
  kCodePage = 0x0042,
  kBoundSheet = 0x0085,
  kMulRk = 0x00BD,
  kXf = 0x00E0,
  kSst = 0x00FC,
  kLabelSst = 0x00FD,
  kRString = 0x00D6,
  kDimensions = 0x0200,
  kNumber = 0x0203,
  kLabel = 0x0204,
  kBoolErr = 0x0205,
  kString = 0x0207,
  kArray = 0x0221,
  kTable = 0x0236,
  kRk = 0x027E,
  kFormat = 0x041E,
  kSharedFormula = 0x04BC,
  kBof = 0x0809,
};

// The cell records of BIFF2 to BIFF4 that BIFF8 renumbered; some writers still put the old
// numbers into BIFF8 files, with the BIFF8 layout up to the cached result.
inline constexpr std::uint16_t kFormulaBiff3 = 0x0206, kFormulaBiff4 = 0x0406;
// A cell record's type with the older numbers mapped to their BIFF8 number.
inline std::uint16_t cell_record_type(std::uint16_t type) {
  return type == kFormulaBiff3 || type == kFormulaBiff4 ? std::uint16_t{kFormula} : type;
}

// The record readers name these as biff:: helpers.
using workbook::get16;
using workbook::get32;
using workbook::get_double;

// An RK value: a 30-bit integer or the top of a double, either optionally divided by 100.
double rk_value(std::uint32_t rk);

struct Record {
  std::uint16_t type = 0;
  std::string_view data;
  std::size_t offset = 0;  // of the record's header in the stream
};

// Walks the records of a workbook stream from a given offset.
class RecordCursor {
 public:
  RecordCursor(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}
  // The next record; false at the end of the stream (a tail shorter than a record header is
  // padding). Throws platform::Error when a record runs past the end of the stream.
  bool next(Record& record);
  // The type of the record that next() would return, or 0 at the end.
  std::uint16_t peek_type() const;
  std::size_t position() const { return at_; }

 private:
  std::string_view stream_;
  std::size_t at_;
};

// UTF-8 from little-endian UTF-16 (a lone surrogate becomes U+FFFD) and from Latin-1 bytes, the
// "compressed" form of BIFF8 text.
void append_utf16le(std::string& out, const char* data, std::size_t units);
void append_latin1(std::string& out, const char* data, std::size_t bytes);

// The byte strings of BIFF5 files, converted from the workbook's code page (the CODEPAGE
// record). An unknown code page is read as Windows-1252.
class CodepageText {
 public:
  explicit CodepageText(int codepage);
  // A byte that is not valid in the code page becomes "?".
  void append(std::string& out, std::string_view bytes) { recoder_.append(out, bytes); }

 private:
  platform::Recoder recoder_;
};

// A record's data and the CONTINUE records after it, read as one sequence. Raw reads cross from
// one part to the next freely; character data that crosses starts the next part with a new
// flag byte that says whether the rest is 8- or 16-bit.
class ContinuedReader {
 public:
  void reset() {
    parts_.clear();
    part_ = pos_ = 0;
  }
  void add(std::string_view part) { parts_.push_back(part); }
  // Each returns false when the data ends first.
  bool read(char* out, std::size_t n);
  bool skip(std::size_t n);
  bool chars(std::string& out, std::size_t count, bool wide);
  bool at_end();

 private:
  std::vector<std::string_view> parts_;
  std::size_t part_ = 0, pos_ = 0;
};

// Collects a record and its CONTINUE records from the cursor into the reader.
void gather(const Record& first, RecordCursor& cursor, ContinuedReader& into);

// A BIFF8 string with a 16-bit (or, for sheet names, 8-bit) character count: appends its text
// as UTF-8, skipping rich-text runs and phonetic data. False when the data ends first.
bool read_unicode_string(ContinuedReader& in, std::string& out, bool short_count = false);

}  // namespace workbook::biff
