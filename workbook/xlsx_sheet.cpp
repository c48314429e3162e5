// The worksheet part's markup (<row>, <c>, <v>, <is>) turned into rows of cell texts.
#include "workbook/xlsx_sheet.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>

#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/xlsx_parts.h"
#include "workbook/xlsx_text.h"

namespace workbook {
namespace {

// A failure already worded with file, sheet and row.
class SheetFailure : public platform::Error {
 public:
  using platform::Error::Error;
};

// "2024-03-01T10:20:30Z" or "2024-03-01T00:00:00" as the cell-text rule writes dates.
void append_iso_date(std::string& out, std::string_view v) {
  auto t = v.find('T');
  if (t == std::string_view::npos) {
    out.append(v);
    return;
  }
  std::string_view date = v.substr(0, t), time = v.substr(t + 1);
  auto cut = time.find_first_of(".Z+");
  time = time.substr(0, cut);
  if (date.empty()) {
    out.append(time);
  } else {
    out.append(date);
    if (!time.empty() && time != "00:00:00" && time != "00:00") {
      out.push_back(' ');
      out.append(time);
    }
  }
}

}  // namespace

XlsxSheetReader::XlsxSheetReader(std::unique_ptr<ByteSource> source, std::string where,
                                 std::string part_where, XlsxSheetContext context,
                                 std::size_t chunk_bytes, XmlReading reading)
    : source_(std::move(source)),
      where_(std::move(where)),
      context_(context),
      parser_(make_xml_feed(reading, *this, std::move(part_where))),
      chunk_(std::max<std::size_t>(chunk_bytes, 1), '\0') {
  // Parse up to the sheet data so that the declared range is known before the first row.
  while (!seen_sheet_data_ && !eof_) pump();
}

void XlsxSheetReader::pump() {
  std::size_t n = source_->read(chunk_.data(), chunk_.size());  // a zip failure names the file
  eof_ = n == 0;
  try {
    parser_->feed(chunk_.data(), n, eof_);
  } catch (const SheetFailure&) {
    throw;
  } catch (const platform::Error& e) {
    // The parser's and the string collector's messages, worded as the problem of this sheet.
    std::string problem = e.what();
    if (!problem.empty() && problem.back() == '.') problem.pop_back();
    if (!problem.empty() && problem[0] >= 'A' && problem[0] <= 'Z') problem[0] += 'a' - 'A';
    fail(problem, e.kind());
  }
}

bool XlsxSheetReader::next_row(Row& row) {
  while (head_ == count_) {
    if (eof_) return false;
    // Every finished row is handed out; a row the last chunk ended in is still being filled at
    // pending_[count_] and moves to the front with the queue.
    if (in_row_) pending_[0].swap(pending_[count_]);
    head_ = count_ = 0;
    pump();
  }
  row.swap(pending_[head_++]);
  return true;
}

void XlsxSheetReader::fail(const std::string& problem, platform::ErrorKind kind) const {
  std::string row = in_row_ ? ", row " + std::to_string(std::uint64_t{row_} + 1) : "";
  throw SheetFailure("The workbook " + where_ + row + " cannot be read: " + problem + ".", kind);
}

void XlsxSheetReader::fail_cell(const std::string& what, platform::ErrorKind kind) const {
  fail("cell " + column_letters(column_) + std::to_string(std::uint64_t{row_} + 1) + ": " + what,
       kind);
}

void XlsxSheetReader::start(std::string_view name, XmlAttributes attrs) {
  if (in_cell_) {
    if (name == "v") {
      in_value_ = true;
    } else if (name == "is") {
      in_inline_ = has_inline_ = true;
      inline_item_.reset();
    } else if (in_inline_) {
      inline_item_.start(name);
    }
  } else if (in_row_) {
    if (name == "c") start_cell(attrs);
  } else if (in_sheet_data_) {
    if (name == "row") start_row(attrs);
  } else if (name == "sheetData") {
    in_sheet_data_ = seen_sheet_data_ = true;
  } else if (name == "dimension") {
    auto ref = xml_attribute(attrs, "ref");
    if (!ref) return;
    std::string_view r = *ref;
    auto colon = r.find(':');
    auto first = parse_cell_ref(r.substr(0, colon));
    auto last = colon == std::string_view::npos ? first : parse_cell_ref(r.substr(colon + 1));
    if (first && last && first->row <= last->row && first->column <= last->column)
      declared_ = Range{first->row, last->row, first->column, last->column};
  }
}

void XlsxSheetReader::start_row(XmlAttributes attrs) {
  auto r = xml_attribute(attrs, "r");
  if (r) {
    auto n = parse_row_number(*r);
    if (!n)
      fail("a row is numbered \"" + std::string(*r) + "\", which is not a row of a worksheet");
    row_ = *n;
    row_digits_.assign(*r);
  } else {
    row_digits_.clear();
    if (last_row_ + 1 >= limits::kMaxRows)
      fail(platform::limit_error("it has too many rows", last_row_ + 2, limits::kMaxRows, "rows")
               .what(),
           platform::ErrorKind::Limit);
    row_ = static_cast<std::uint32_t>(last_row_ + 1);
  }
  in_row_ = true;
  if (static_cast<std::int64_t>(row_) <= last_row_)
    fail("it comes after row " + std::to_string(last_row_ + 1) + " (rows out of order)");
  last_row_ = row_;
  last_column_ = -1;
  row_text_bytes_ = 0;
  if (count_ == pending_.size()) pending_.emplace_back();
  pending_[count_].clear();
  pending_[count_].index = row_;
}

void XlsxSheetReader::start_cell(XmlAttributes attrs) {
  const std::string_view* r = nullptr;
  const std::string_view* t = nullptr;
  const std::string_view* s = nullptr;
  // The last of a repeated name counts, as it always has.
  for (const auto& a : attrs) {
    if (a.name.size() != 1) continue;
    if (a.name[0] == 'r')
      r = &a.value;
    else if (a.name[0] == 't')
      t = &a.value;
    else if (a.name[0] == 's')
      s = &a.value;
  }
  if (r) {
    column_ = cell_column(*r);
  } else {
    if (last_column_ + 1 >= limits::kMaxColumns)
      fail(platform::limit_error("it has too many cells", last_column_ + 2, limits::kMaxColumns,
                                 "columns")
               .what(),
           platform::ErrorKind::Limit);
    column_ = static_cast<std::uint32_t>(last_column_ + 1);
  }
  if (static_cast<std::int64_t>(column_) <= last_column_)
    fail_cell("the cell comes after a cell to its right (cells out of order)");
  last_column_ = column_;
  type_ = t && !t->empty() ? (*t)[0] : 'n';
  if (t && *t == "str") type_ = 'f';  // formula text
  date_style_ = false;
  if (s) {
    std::size_t style = 0;
    std::from_chars(s->data(), s->data() + s->size(), style);
    date_style_ = style < context_.date_styles->size() && (*context_.date_styles)[style];
  }
  value_.clear();
  has_inline_ = false;
  in_cell_ = true;
}

void XlsxSheetReader::end(std::string_view name) {
  if (in_cell_) {
    if (name == "v") {
      in_value_ = false;
    } else if (name == "is") {
      in_inline_ = false;
      inline_text_.clear();
      inline_item_.finish(inline_text_);
    } else if (name == "c") {
      finish_cell(value_, inline_text_);
      in_cell_ = in_value_ = in_inline_ = false;
    } else if (in_inline_) {
      inline_item_.end(name);
    }
  } else if (in_row_) {
    if (name == "row") {
      in_row_ = false;
      if (!pending_[count_].empty()) ++count_;
    }
  } else if (name == "sheetData") {
    in_sheet_data_ = false;
  }
}

void XlsxSheetReader::text(std::string_view t) {
  if (in_value_) {
    if (value_.size() + t.size() > limits::kMaxCellTextBytes)
      fail_cell(platform::limit_error("the value is longer than a cell can hold",
                                      value_.size() + t.size(), limits::kMaxCellTextBytes, "bytes")
                    .what(),
                platform::ErrorKind::Limit);
    value_.append(t);
  } else if (in_inline_) {
    inline_item_.text(t, "an inline string");
  }
}

void XlsxSheetReader::cell(XmlAttributes attrs, std::string_view text, bool in_string) {
  // Where <c> would not start a cell, or a text is too long, the elements one by one tell.
  if (in_cell_ || !in_row_ || text.size() > limits::kMaxCellTextBytes)
    return XmlHandler::cell(attrs, text, in_string);
  start_cell(attrs);
  if (in_string) {
    // As StringItemText gathers and decodes the one <t> of an <is>; mostly there is nothing
    // to decode.
    has_inline_ = true;
    if (text.find("_x") != std::string_view::npos) {
      inline_text_.clear();
      append_unescaped(inline_text_, text);
      text = inline_text_;
    }
    finish_cell({}, text);
  } else {
    finish_cell(text, {});
  }
  in_cell_ = false;
}

std::uint32_t XlsxSheetReader::cell_column(std::string_view ref) const {
  // Mostly the letters of a column and then the digits of its row's own r attribute: those
  // digits were taken already, so the reference is one parse_cell_ref takes.
  std::size_t letters = 0;
  std::uint32_t column = 0;
  while (letters < ref.size() && letters < 3 && static_cast<unsigned char>(ref[letters] - 'A') < 26)
    column = column * 26 + static_cast<std::uint32_t>(ref[letters++] - 'A' + 1);
  if (letters > 0 && column <= limits::kMaxColumns && !row_digits_.empty() &&
      ref.substr(letters) == row_digits_)
    return column - 1;
  auto cell = parse_cell_ref(ref);
  if (!cell)
    fail("a cell is named \"" + std::string(ref) + "\", which is not a cell of a worksheet");
  return cell->column;
}

void XlsxSheetReader::finish_cell(std::string_view value, std::string_view in_string) {
  Row& row = pending_[count_];
  auto add = [&](std::string_view text) {
    row_text_bytes_ += text.size();
    if (row_text_bytes_ > limits::kMaxRowTextBytes)
      fail_cell(platform::limit_error("the row holds too much text", row_text_bytes_,
                                      limits::kMaxRowTextBytes, "bytes")
                    .what(),
                platform::ErrorKind::Limit);
    row.add(column_, text);
  };
  cell_text_.clear();
  if (has_inline_) {
    if (!in_string.empty()) add(in_string);
    return;
  } else {
    switch (type_) {
      case 's': {
        if (value.empty()) break;
        std::size_t i = 0;
        auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), i);
        if (ec != std::errc() || end != value.data() + value.size() ||
            i >= context_.strings->size())
          fail_cell("it refers to shared string " + std::string(value) +
                    ", which the workbook lacks");
        std::string_view text = context_.strings->at(i);
        if (!text.empty()) add(text);
        return;
      }
      case 'f':  // formula text result
        append_unescaped(cell_text_, value);
        break;
      case 'b':
        if (!value.empty()) cell_text_ = value == "0" ? "FALSE" : "TRUE";
        break;
      case 'e':
        cell_text_ = value;
        break;
      case 'd':
        append_iso_date(cell_text_, value);
        break;
      default:
        if (value.empty()) break;
        if (!date_style_ && is_canonical_number_text(value)) {
          add(value);
          return;
        } else if (auto number = parse_number(value)) {
          if (date_style_)
            append_date_text(cell_text_, *number, context_.date_system);
          else
            append_number_text(cell_text_, *number);
        } else {
          cell_text_ = value;  // not a number after all: kept as written
        }
    }
  }
  if (!cell_text_.empty()) add(cell_text_);
}

}  // namespace workbook
