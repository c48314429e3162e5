// Opening a table: one pass over the sheet finds the bounding box and spools the records;
// navigation then replays the spool, filling the empty rows inside the box.
#include "workbook/query.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/error.h"
#include "platform/text.h"
#include "workbook/checked_sheet_reader.h"
#include "workbook/limits.h"
#include "workbook/query_text.h"
#include "workbook/sql_filter.h"
#include "workbook/xlsx_text.h"

namespace workbook {

std::string_view Field::text() const {
  if (!query_->active_ || query_->Eof()) return {};
  return query_->values_[index_];
}

Query::Query(const Connection& connection) : connection_(connection) {}

void Query::require_active() const {
  if (!active_) throw platform::Error("The query on \"" + connection_.path() + "\" is not open.");
}

void Query::Open() {
  Close();
  if (!connection_.Connected()) throw platform::Error("The workbook connection is not open.");
  QueryText q = parse_query_text(sql_);
  auto sheet = connection_.find_table(q.table);
  if (!sheet)
    throw platform::Error(
        "The workbook \"" + connection_.path() + "\" has no table \"" + q.table + "\".",
        platform::ErrorKind::NotFound);
  table_ = q.table;
  book_ = connection_.book();
  read_sheet(*sheet);
  if (!q.condition.empty()) {
    // Records in field numbering, the empty rows inside the box included.
    spool_->rewind();
    Row raw;
    bool has_raw = spool_->read(raw);
    std::size_t k = 0;
    auto next_record = [&](Row& out) {
      if (k >= record_count_) return false;
      std::uint32_t row = first_record_row_ + static_cast<std::uint32_t>(k);
      if (has_raw && raw.index == row && first_column_ == 0) {
        std::swap(out, raw);  // already in field numbering
        has_raw = spool_->read(raw);
      } else {
        out.clear();
        if (has_raw && raw.index == row) {
          for (std::size_t i = 0; i < raw.size(); ++i)
            out.add(raw.column(i) - first_column_, raw.text(i));
          has_raw = spool_->read(raw);
        }
      }
      out.index = static_cast<std::uint32_t>(k++);
      return true;
    };
    std::vector<std::string> names;
    for (const auto& f : fields_) names.push_back(f.FieldName());
    FilterResult result;
    try {
      result = filter_records(table_, names, next_record, q.condition);
    } catch (const platform::Error& e) {
      Close();
      throw platform::Error("The condition on table \"" + q.table + "\" of \"" +
                                connection_.path() + "\" fails: " + e.what(),
                            e.kind());
    }
    if (result.plan == FilterPlan::Streamed) {
      // The records that pass are replayed from the sheet's own spool.
      passed_ = std::move(result.passed);
      filtered_ = true;
      record_count_ = passed_.size();
    } else {
      spool_ = std::move(result.rows);
      record_count_ = spool_->size();
      first_record_row_ = 0;
      first_column_ = 0;
    }
  }
  active_ = true;
  First();
}

void Query::read_sheet(std::size_t sheet) {
  const std::string& sheet_name = book_->sheets().at(sheet).name;
  CheckedSheetReader reader(book_->open_sheet(sheet), connection_.path(), sheet_name);
  spool_ = std::make_unique<RowSpool>();
  Row row, header;
  bool has_header = false;
  std::uint32_t min_column = UINT32_MAX, max_column = 0, last_row = 0;
  while (reader.next_row(row)) {
    min_column = std::min(min_column, row.column(0));
    max_column = std::max(max_column, row.column(row.size() - 1));
    last_row = row.index;
    if (has_header) {
      spool_->append(row);
    } else {
      std::swap(header, row);
      has_header = true;
    }
  }
  fields_.clear();
  header_texts_.clear();
  record_count_ = 0;
  if (!has_header) return;  // an empty sheet: no fields, no records
  first_column_ = min_column;
  first_record_row_ = header.index + 1;
  // The reader's order check makes last_row >= header.index; the count is still checked, as a
  // wrapped count would turn a broken sheet into billions of empty records.
  if (last_row < header.index)
    throw platform::Error("The workbook \"" + connection_.path() + "\", sheet \"" + sheet_name +
                              "\" cannot be read: its last row comes before its header row.",
                          platform::ErrorKind::Damaged);
  std::uint64_t cells = std::uint64_t{last_row - header.index + 1} * (max_column - min_column + 1);
  if (cells > limits::kMaxTableCells)
    throw platform::Error("The table \"" + table_ + "\" of \"" + connection_.path() + "\" spans " +
                              column_letters(min_column) + std::to_string(header.index + 1) + ":" +
                              column_letters(max_column) + std::to_string(last_row + 1) + ", " +
                              std::to_string(cells) + " cells; a table may span at most " +
                              std::to_string(limits::kMaxTableCells) + " (rows times columns).",
                          platform::ErrorKind::Limit);
  record_count_ = std::size_t{last_row} - header.index;
  std::vector<std::string_view> names(max_column - min_column + 1);
  for (std::size_t i = 0; i < header.size(); ++i)
    names[header.column(i) - min_column] = header.text(i);
  header_texts_.assign(names.begin(), names.end());
  // Field names must differ (also for SQL, which ignores case): repeats get a number. Sets keep
  // this linear, as a sheet may have thousands of columns, most without a name.
  std::unordered_set<std::string> taken;
  std::unordered_map<std::string, int> next_suffix;
  for (std::size_t k = 0; k < names.size(); ++k) {
    std::string name(names[k]);
    if (name.empty()) name.append("F").append(std::to_string(k + 1));
    std::string key = platform::ascii_upper(name);
    if (taken.count(key)) {
      int& suffix = next_suffix[key];
      do {
        ++suffix;
      } while (taken.count(key + std::to_string(suffix)));
      name += std::to_string(suffix);
      key += std::to_string(suffix);
    }
    taken.insert(std::move(key));
    fields_.push_back(Field(*this, std::move(name), k));
  }
}

void Query::Close() {
  active_ = false;
  fields_.clear();
  header_texts_.clear();
  spool_.reset();
  passed_.clear();
  filtered_ = false;
  book_.reset();
  record_count_ = record_ = 0;
  has_next_ = false;
  values_.clear();
}

void Query::First() {
  require_active();
  spool_->rewind();
  record_ = 0;
  has_next_ = spool_->read(next_);
  load_current();
}

void Query::Next() {
  require_active();
  if (Eof()) return;
  ++record_;
  load_current();
}

void Query::load_current() {
  values_.assign(fields_.size(), std::string_view());
  if (Eof()) return;
  auto record = filtered_ ? passed_[record_] : static_cast<std::uint32_t>(record_);
  auto target = first_record_row_ + record;
  while (has_next_ && next_.index < target) has_next_ = spool_->read(next_);
  if (!has_next_ || next_.index != target) return;  // an empty row inside the box
  current_.swap(next_);
  for (std::size_t i = 0; i < current_.size(); ++i) {
    std::size_t field = current_.column(i) - first_column_;
    if (field < values_.size()) values_[field] = current_.text(i);
  }
  has_next_ = spool_->read(next_);
}

const Field& Query::Fields(std::size_t index) const {
  require_active();
  if (index >= fields_.size())
    throw platform::Error("The table \"" + table_ + "\" has no field number " +
                              std::to_string(index) + " (it has " + std::to_string(fields_.size()) +
                              ").",
                          platform::ErrorKind::NotFound);
  return fields_[index];
}

const Field* Query::FindField(std::string_view name) const {
  for (const auto& f : fields_)
    if (f.FieldName() == name) return &f;
  for (const auto& f : fields_)
    if (platform::equals_ignoring_ascii_case(f.FieldName(), name)) return &f;
  return nullptr;
}

const Field& Query::FieldByName(std::string_view name) const {
  require_active();
  if (const Field* f = FindField(name)) return *f;
  throw platform::Error("The table \"" + table_ + "\" has no field \"" + std::string(name) + "\".",
                        platform::ErrorKind::NotFound);
}

}  // namespace workbook
