// One reader interface over every workbook format: a book lists its sheets and streams a sheet's
// rows; the format's reader is picked once, when the book is opened.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "workbook/limits.h"
#include "workbook/xml_reading.h"

namespace workbook {

struct SheetInfo {
  std::string name;          // the sheet's own name, UTF-8
  bool is_worksheet = true;  // chart sheets and macro sheets are not tables
};

// The non-empty cells of one worksheet row, texts already made by the cell-text rule
// (cell_text.h). Reused from row to row so that streaming a sheet allocates nothing per row.
class Row {
 public:
  std::uint32_t index = 0;  // 0-based worksheet row

  // Cheaper than std::swap's three moves; rows are swapped once each as they are handed on.
  void swap(Row& other) noexcept {
    std::swap(index, other.index);
    columns_.swap(other.columns_);
    ends_.swap(other.ends_);
    text_.swap(other.text_);
  }
  void clear() {
    columns_.clear();
    ends_.clear();
    text_.clear();
  }
  // Cells come in ascending column order from every reader; an empty text is not a cell.
  void add(std::uint32_t column, std::string_view text) {
    columns_.push_back(column);
    text_.append(text);
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
  }
  std::size_t size() const { return columns_.size(); }
  bool empty() const { return columns_.empty(); }
  std::uint32_t column(std::size_t i) const { return columns_[i]; }
  std::string_view text(std::size_t i) const {
    std::uint32_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }

 private:
  friend class RowSpool;                // stores and rebuilds rows in this form
  std::vector<std::uint32_t> columns_;  // 0-based
  std::vector<std::uint32_t> ends_;
  static_assert(limits::kMaxRowTextBytes <= UINT32_MAX && limits::kMaxColumns <= UINT32_MAX &&
                    limits::kMaxRows <= UINT32_MAX,
                "a row's text ends, its columns and its index are 32-bit");
  std::string text_;
};

// A rectangle of 0-based rows and columns, both ends included.
struct Range {
  std::uint32_t first_row = 0, last_row = 0, first_column = 0, last_column = 0;
};

class SheetReader {
 public:
  virtual ~SheetReader() = default;
  // The next row with at least one non-empty cell, in worksheet order; false at the end.
  // Throws platform::Error naming the file, sheet and row when the data is broken.
  virtual bool next_row(Row& row) = 0;
  // The used range the file declares about itself, if any. Files lie: it is only a hint.
  virtual std::optional<Range> declared_range() const { return std::nullopt; }
};

class Book {
 public:
  virtual ~Book() = default;
  virtual const std::vector<SheetInfo>& sheets() const = 0;
  // Starts streaming the sheet at the given index of sheets().
  virtual std::unique_ptr<SheetReader> open_sheet(std::size_t index) = 0;
};

// Each throws platform::Error naming the file and what is wrong with it.
std::unique_ptr<Book> open_xls_book(const std::string& path);
// chunk_bytes: how much of a part is inflated and parsed at a time. The result never depends on
// it; tests and the fuzzer vary it to prove that.
// reading: the parser of worksheets and shared strings; every choice gives the same result.
inline constexpr std::size_t kXlsxChunkBytes = 128 * 1024;
std::unique_ptr<Book> open_xlsx_book(const std::string& path,
                                     std::size_t chunk_bytes = kXlsxChunkBytes,
                                     XmlReading reading = XmlReading::Scanner);

}  // namespace workbook
