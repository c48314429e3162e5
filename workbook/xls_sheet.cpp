// Streams the rows of one .xls worksheet straight from the workbook stream. Cells in row order
// (as Excel writes them) pass through without being held; a file with cells out of order is
// read through a sorted index of cell positions instead.
#include <algorithm>
#include <optional>

#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/xls_book.h"

namespace workbook {
namespace {

using biff::get16;
using biff::get32;

// Where one cell's value lies: a cell record, and for MULRK the place within it.
struct CellRef {
  std::uint32_t offset = 0;  // of the record
  std::uint16_t row = 0;
  std::uint16_t sub = 0;
  std::uint32_t column = 0;
};

bool is_cell_record(std::uint16_t type) {
  switch (biff::cell_record_type(type)) {
    case biff::kNumber:
    case biff::kRk:
    case biff::kMulRk:
    case biff::kLabel:
    case biff::kRString:
    case biff::kLabelSst:
    case biff::kBoolErr:
    case biff::kFormula:
      return true;
    default:
      return false;
  }
}

// Walks the cells of a sheet's own substream, skipping the substreams of embedded charts.
class CellWalker {
 public:
  CellWalker(std::string_view stream, std::size_t begin) : cursor_(stream, begin) {}

  bool next(CellRef& ref) {
    for (;;) {
      if (sub_ < subs_) {
        ref.offset = static_cast<std::uint32_t>(record_.offset);
        ref.row = get16(record_.data.data());
        ref.sub = static_cast<std::uint16_t>(sub_);
        ref.column = get16(record_.data.data() + 2) + static_cast<std::uint32_t>(sub_);
        ++sub_;
        return true;
      }
      if (done_ || !cursor_.next(record_)) return false;
      sub_ = subs_ = 0;
      if (record_.type == biff::kBof) {
        ++depth_;
      } else if (record_.type == biff::kEof) {
        done_ = --depth_ <= 0;
      } else if (depth_ == 1 && record_.type == biff::kDimensions && !dimensions_) {
        dimensions_ = record_.data;
      } else if (depth_ == 1 && is_cell_record(record_.type) && record_.data.size() >= 6) {
        subs_ = record_.type == biff::kMulRk ? (record_.data.size() - 6) / 6 : 1;
      }
    }
  }
  // The cursor just past the record of the cell last returned.
  const biff::RecordCursor& cursor() const { return cursor_; }
  const biff::Record& record() const { return record_; }
  std::optional<std::string_view> dimensions() const { return dimensions_; }

 private:
  biff::RecordCursor cursor_;
  biff::Record record_;
  std::size_t sub_ = 0, subs_ = 0;
  int depth_ = 0;
  bool done_ = false;
  std::optional<std::string_view> dimensions_;
};

class XlsSheetReader : public SheetReader {
 public:
  XlsSheetReader(std::shared_ptr<XlsWorkbook> wb, std::size_t index)
      : wb_(std::move(wb)), name_(wb_->sheets[index].name), begin_(wb_->sheet_offsets[index]) {
    biff::RecordCursor at(wb_->stream, begin_);
    biff::Record bof;
    if (begin_ >= wb_->stream.size() || !guarded([&] { return at.next(bof); }) ||
        bof.type != biff::kBof) {
      fail_sheet("the sheet does not start where the workbook says");
    }
    if (!wb_->sheets[index].is_worksheet) {
      done_ = true;  // a chart's or macro sheet's cached values are no table
      return;
    }
    guarded([&] { scan(); });
    walker_.emplace(wb_->stream, begin_);
  }

  bool next_row(Row& row) override {
    row.clear();
    for (;;) {
      if (!have_pending_ && !guarded([&] { return next_cell(); })) break;
      if (!row.empty() && pending_row_ != row.index) return true;
      if (row.empty()) row.index = pending_row_;
      row.add(pending_column_, text_);
      have_pending_ = false;
    }
    return !row.empty();
  }

  std::optional<Range> declared_range() const override { return range_; }

 private:
  // Finds the declared range and whether the cells come in strict row and column order; if not,
  // builds the sorted index, keeping the last of two cells at one place.
  void scan() {
    CellWalker walker(wb_->stream, begin_);
    CellRef ref;
    std::optional<std::uint32_t> last;
    bool ordered = true;
    while (walker.next(ref)) {
      check_column(ref);
      std::uint32_t key = static_cast<std::uint32_t>(ref.row) << 16 | ref.column;
      if (last && key <= *last) ordered = false;
      last = key;
    }
    read_dimensions(walker.dimensions());
    if (ordered) return;
    indexed_ = true;
    CellWalker again(wb_->stream, begin_);
    while (again.next(ref)) {
      if (index_.size() >= limits::kMaxXlsReorderedCells) {
        fail_sheet(platform::limit_error("its cells are out of order and too many to put in order",
                                         index_.size() + 1, limits::kMaxXlsReorderedCells,
                                         "cells"));
      }
      index_.push_back(ref);
    }
    auto less = [](const CellRef& a, const CellRef& b) {
      return a.row != b.row ? a.row < b.row : a.column < b.column;
    };
    std::stable_sort(index_.begin(), index_.end(), less);
    // Of cells at the same place, the one written last wins.
    std::vector<CellRef> unique;
    for (std::size_t i = 0; i < index_.size(); ++i) {
      if (i + 1 < index_.size() && !less(index_[i], index_[i + 1])) continue;
      unique.push_back(index_[i]);
    }
    index_.swap(unique);
  }

  void read_dimensions(std::optional<std::string_view> d) {
    if (!d) return;
    std::uint32_t first_row, end_row;
    std::size_t at;
    if (wb_->biff8 && d->size() >= 12) {
      first_row = get32(d->data());
      end_row = get32(d->data() + 4);
      at = 8;
    } else if (!wb_->biff8 && d->size() >= 8) {
      first_row = get16(d->data());
      end_row = get16(d->data() + 2);
      at = 4;
    } else {
      return;
    }
    std::uint32_t first_column = get16(d->data() + at), end_column = get16(d->data() + at + 2);
    if (end_row <= first_row || end_column <= first_column || end_row > limits::kMaxRows ||
        end_column > limits::kMaxColumns) {
      return;
    }
    range_ = Range{first_row, end_row - 1, first_column, end_column - 1};
  }

  void check_column(const CellRef& ref) const {
    if (ref.column >= limits::kMaxColumns) {
      fail_row(ref.row, "a cell lies in column " + std::to_string(ref.column + 1) +
                            ", past the last column of a worksheet");
    }
  }

  // Moves to the next cell with text, leaving it in pending_row_, pending_column_ and text_.
  bool next_cell() {
    if (done_) return false;
    CellRef ref;
    for (;;) {
      if (indexed_) {
        if (next_index_ >= index_.size()) {
          done_ = true;
          return false;
        }
        ref = index_[next_index_++];
        biff::RecordCursor cursor(wb_->stream, ref.offset);
        biff::Record record;
        cursor.next(record);
        decode(record, ref, cursor);
      } else {
        if (!walker_->next(ref)) {
          done_ = true;
          return false;
        }
        decode(walker_->record(), ref, walker_->cursor());
      }
      if (text_.size() > limits::kMaxCellTextBytes) {
        fail_row(ref.row, platform::limit_error("a cell's text is longer than a cell can hold",
                                                text_.size(), limits::kMaxCellTextBytes, "bytes"));
      }
      if (!text_.empty()) break;
    }
    pending_row_ = ref.row;
    pending_column_ = ref.column;
    have_pending_ = true;
    return true;
  }

  void decode(const biff::Record& record, const CellRef& ref, biff::RecordCursor after) {
    text_.clear();
    std::string_view d = record.data;
    auto need = [&](std::size_t size) {
      if (d.size() < size) fail_row(ref.row, "a cell record is truncated");
    };
    std::uint16_t xf = get16(d.data() + 4);
    switch (biff::cell_record_type(record.type)) {
      case biff::kNumber:
        need(14);
        append_number(biff::get_double(d.data() + 6), xf);
        break;
      case biff::kRk:
        need(10);
        append_number(biff::rk_value(get32(d.data() + 6)), xf);
        break;
      case biff::kMulRk: {
        const char* cell = d.data() + 4 + 6 * std::size_t{ref.sub};
        append_number(biff::rk_value(get32(cell + 2)), get16(cell));
        break;
      }
      case biff::kLabel:
      case biff::kRString:
        append_label(record, ref, after);
        break;
      case biff::kLabelSst: {
        need(10);
        std::uint32_t i = get32(d.data() + 6);
        if (i >= wb_->shared_ends.size()) {
          fail_row(ref.row, "a cell refers to shared string " + std::to_string(i + 1) + " of " +
                                std::to_string(wb_->shared_ends.size()));
        }
        std::uint32_t begin = i == 0 ? 0 : wb_->shared_ends[i - 1];
        text_.append(wb_->shared_text, begin, wb_->shared_ends[i] - begin);
        break;
      }
      case biff::kBoolErr:
        need(8);
        if (d[7] != 0) {
          text_ = error_text(static_cast<std::uint8_t>(d[6]));
        } else {
          text_ = d[6] != 0 ? "TRUE" : "FALSE";
        }
        break;
      case biff::kFormula:
        need(20);
        append_formula_result(d, ref, xf, after);
        break;
      default:
        break;
    }
  }

  void append_number(double value, std::uint16_t xf) {
    if (wb_->is_date_xf(xf)) {
      append_date_text(text_, value, wb_->dates);
    } else {
      append_number_text(text_, value);
    }
  }

  // A cached formula result: a number, or a marker saying string, boolean, error or empty.
  void append_formula_result(std::string_view d, const CellRef& ref, std::uint16_t xf,
                             biff::RecordCursor after) {
    if (get16(d.data() + 12) != 0xFFFF) {
      append_number(biff::get_double(d.data() + 6), xf);
      return;
    }
    switch (d[6]) {
      case 0: {
        // The text is in the STRING record after the formula and any shared-formula records.
        biff::Record next;
        while (after.next(next)) {
          if (next.type == biff::kString) {
            append_string_record(next, ref, after);
            break;
          }
          if (next.type != biff::kSharedFormula && next.type != biff::kArray &&
              next.type != biff::kTable) {
            break;
          }
        }
        break;
      }
      case 1:
        text_ = d[8] != 0 ? "TRUE" : "FALSE";
        break;
      case 2:
        text_ = error_text(static_cast<std::uint8_t>(d[8]));
        break;
      default:
        break;  // 3: an empty string
    }
  }

  void append_label(const biff::Record& record, const CellRef& ref, biff::RecordCursor after) {
    if (wb_->biff8) {
      biff::Record body = record;
      body.data = record.data.substr(6);
      read_continued_string(body, ref, after);
    } else {
      append_byte_string(record.data.substr(6), ref);
    }
  }

  void append_string_record(const biff::Record& record, const CellRef& ref,
                            biff::RecordCursor& after) {
    if (wb_->biff8) {
      read_continued_string(record, ref, after);
    } else {
      append_byte_string(record.data, ref);
    }
  }

  void read_continued_string(const biff::Record& record, const CellRef& ref,
                             biff::RecordCursor& after) {
    biff::gather(record, after, pieces_);
    if (!biff::read_unicode_string(pieces_, text_)) fail_row(ref.row, "a text cell is truncated");
  }

  void append_byte_string(std::string_view d, const CellRef& ref) {
    if (d.size() < 2 || d.size() - 2 < get16(d.data())) {
      fail_row(ref.row, "a text cell is truncated");
    }
    wb_->codepage->append(text_, d.substr(2, get16(d.data())));
  }

  // Runs a step of the reader, adding the file and sheet to a failure from below.
  template <typename Step>
  auto guarded(Step step) -> decltype(step()) {
    try {
      return step();
    } catch (const XlsFailure&) {
      throw;
    } catch (const platform::Error& e) {
      fail_sheet(e);
    }
  }

  // A problem worded here is damage to the file unless it says otherwise.
  [[noreturn]] void fail_sheet(const std::string& problem) const {
    fail_sheet(platform::Error(problem, platform::ErrorKind::Damaged));
  }
  [[noreturn]] void fail_sheet(const platform::Error& problem) const {
    throw XlsFailure(wb_->source, ", sheet \"" + name_ + "\"", problem.what(), problem.kind());
  }
  [[noreturn]] void fail_row(std::uint32_t row, const std::string& problem) const {
    fail_row(row, platform::Error(problem, platform::ErrorKind::Damaged));
  }
  [[noreturn]] void fail_row(std::uint32_t row, const platform::Error& problem) const {
    throw XlsFailure(wb_->source, ", sheet \"" + name_ + "\", row " + std::to_string(row + 1),
                     problem.what(), problem.kind());
  }

  std::shared_ptr<XlsWorkbook> wb_;
  std::string name_;
  std::size_t begin_;
  std::optional<Range> range_;
  std::optional<CellWalker> walker_;
  bool indexed_ = false;
  std::vector<CellRef> index_;
  std::size_t next_index_ = 0;
  bool done_ = false;
  bool have_pending_ = false;
  std::uint32_t pending_row_ = 0, pending_column_ = 0;
  std::string text_;  // the pending cell's text, reused from cell to cell
  biff::ContinuedReader pieces_;
};

}  // namespace

std::unique_ptr<SheetReader> open_xls_sheet(std::shared_ptr<XlsWorkbook> workbook,
                                            std::size_t index) {
  return std::make_unique<XlsSheetReader>(std::move(workbook), index);
}

}  // namespace workbook
