// The table and the data grid: values, edits and transcript notation.
#include "ui/table_grid.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/text.h"
#include "platform/utf8.h"
#include "ui/form.h"
#include "ui/quote.h"

namespace ui {
namespace {

// What a sort compares: the text in GBK, where the common Chinese characters follow their
// pinyin, with ASCII letters in one case. The second byte of a double-byte character may look
// like a letter and is left alone.
std::string sort_text(std::string_view utf8) {
  std::string text = platform::utf8_to_gbk(utf8);
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x81) {
      ++i;
    } else {
      text[i] = platform::ascii_lower(text[i]);
    }
  }
  return text;
}

}  // namespace

// --- Table ---

void Table::set_fields(std::vector<std::string> fields) {
  fields_ = std::move(fields);
  sizes_.assign(fields_.size(), 0);
  rows_.clear();
  changed();
}

void Table::set_field_size(std::string_view field, std::size_t characters) {
  sizes_[checked_field(field)] = characters;
}

void Table::check_size(std::size_t field, std::string_view value) const {
  std::size_t size = sizes_[field];
  if (size == 0) return;
  std::size_t length = platform::utf8_characters(value).size();
  if (length > size) {
    throw platform::Error("field \"" + fields_[field] + "\" holds at most " + std::to_string(size) +
                              " characters, not " + std::to_string(length) + ": \"" +
                              std::string(value) + "\"",
                          platform::ErrorKind::Limit);
  }
}

void Table::changed() {
  if (updating_ > 0) {
    pending_ = true;
    return;
  }
  changed_();
}

void Table::end_update() {
  if (updating_ > 0 && --updating_ == 0 && pending_) {
    pending_ = false;
    changed_();
  }
}

int Table::field_index(std::string_view field) const {
  auto it = std::find_if(fields_.begin(), fields_.end(), [&](const std::string& f) {
    return platform::equals_ignoring_ascii_case(f, field);
  });
  return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

void Table::append_row(std::vector<std::string> values) {
  values.resize(fields_.size());
  for (std::size_t f = 0; f < values.size(); ++f) check_size(f, values[f]);
  rows_.push_back(std::move(values));
  changed();
}

void Table::clear_rows() {
  rows_.clear();
  changed();
}

std::size_t Table::checked_field(std::string_view field) const {
  int index = field_index(field);
  if (index < 0)
    throw platform::Error("table has no field \"" + std::string(field) + "\"",
                          platform::ErrorKind::NotFound);
  return std::size_t(index);
}

const std::string& Table::value(std::size_t row, std::string_view field) const {
  return value(row, checked_field(field));
}

void Table::set_value(std::size_t row, std::string_view field, std::string value) {
  set_value(row, checked_field(field), std::move(value));
}

const std::string& Table::value(std::size_t row, std::size_t field) const {
  if (row >= rows_.size()) {
    throw platform::Error("table has no row " + std::to_string(row) + " (it has " +
                              std::to_string(rows_.size()) + ")",
                          platform::ErrorKind::NotFound);
  }
  if (field >= fields_.size()) {
    throw platform::Error("table has no field number " + std::to_string(field),
                          platform::ErrorKind::NotFound);
  }
  return rows_[row][field];
}

void Table::set_value(std::size_t row, std::size_t field, std::string value) {
  (void)this->value(row, field);  // range checks
  if (rows_[row][field] == value) return;
  check_size(field, value);
  rows_[row][field] = std::move(value);
  changed();
}

// --- DataGrid ---

DataGrid::DataGrid(Form& form, std::string name, Control* parent)
    : Control(form, std::move(name), parent), table_([this] { table_changed(); }) {
  set_tab_stop(true);
}

std::string DataGrid::describe() const {
  std::vector<std::string> titles;
  for (const auto& c : columns_) titles.push_back(c.title);
  std::string out = "columns=" + quote_list(titles);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!columns_[i].pick_list.empty()) {
      out += " pick" + std::to_string(i) + "=" + quote_list(columns_[i].pick_list);
    }
  }
  if (!sort_.empty()) {
    std::vector<std::string> keys;
    for (const auto& k : sort_)
      keys.push_back((k.ascending ? "+" : "-") + columns_[k.column].title);
    out += " sort=" + quote_list(keys);
  }
  out += " rows=[";
  for (std::size_t r = 0; r < order_.size(); ++r) {
    std::vector<std::string> cells;
    for (const auto& c : columns_) {
      int f = table_.field_index(c.field);
      cells.push_back(f < 0 ? std::string() : table_.row(order_[r])[std::size_t(f)]);
    }
    if (r > 0) out += ',';
    out += quote_list(cells);
  }
  out += "]";
  if (!order_.empty()) out += " current=" + std::to_string(row_) + "," + std::to_string(col_);
  if (!search_.empty()) out += " search=" + quote(search_);
  return out + describe_flags();
}

void DataGrid::add_column(Column column) {
  columns_.push_back(std::move(column));
  notify(Change::Columns);
}

void DataGrid::set_pick_list(std::size_t column, std::vector<std::string> items) {
  columns_.at(column).pick_list = std::move(items);
  notify(Change::Columns);
}

void DataGrid::set_read_only(bool on) {
  if (on == read_only_) return;
  read_only_ = on;
  notify(Change::ReadOnly);
}

bool DataGrid::column_editable(std::size_t column) const {
  return !read_only_ && column < columns_.size() && !columns_[column].read_only &&
         table_.field_index(columns_[column].field) >= 0;
}

void DataGrid::set_options(Options options) {
  if (options == options_) return;
  options_ = options;
  if (!options_.incremental_search) search_.clear();
  notify(Change::Style);
}

void DataGrid::set_sort_keys(std::vector<SortKey> keys) {
  std::vector<SortKey> kept;
  for (const auto& k : keys) {
    bool seen = std::any_of(kept.begin(), kept.end(),
                            [&](const SortKey& o) { return o.column == k.column; });
    if (k.column < columns_.size() && !seen) kept.push_back(k);
  }
  if (kept == sort_) return;
  sort_ = std::move(kept);
  search_.clear();
  table_changed();
}

void DataGrid::sort_rows() {
  order_.resize(table_.row_count());
  std::iota(order_.begin(), order_.end(), std::size_t(0));
  if (sort_.empty()) return;
  // Each key's texts made once, not once per comparison.
  std::vector<std::vector<std::string>> texts;
  for (const auto& k : sort_) {
    int field = table_.field_index(columns_[k.column].field);
    std::vector<std::string> column(order_.size());
    for (std::size_t r = 0; field >= 0 && r < order_.size(); ++r) {
      column[r] = sort_text(table_.row(r)[std::size_t(field)]);
    }
    texts.push_back(std::move(column));
  }
  std::stable_sort(order_.begin(), order_.end(), [&](std::size_t a, std::size_t b) {
    for (std::size_t i = 0; i < sort_.size(); ++i) {
      int c = texts[i][a].compare(texts[i][b]);
      if (c != 0) return sort_[i].ascending ? c < 0 : c > 0;
    }
    return false;
  });
}

void DataGrid::table_changed() {
  // The current cell stays on its table row when the order changes under it.
  std::size_t rows = table_.row_count();
  std::size_t current = row_ >= 0 && std::size_t(row_) < order_.size() ? order_[row_] : rows;
  sort_rows();
  int row = row_;
  if (current < rows) {
    row = static_cast<int>(std::find(order_.begin(), order_.end(), current) - order_.begin());
  } else if (row_ >= static_cast<int>(rows)) {
    row = std::max(0, static_cast<int>(rows) - 1);
  }
  notify(Change::Cells);
  if (row != row_) {
    row_ = row;
    notify(Change::Selection);
  }
}

void DataGrid::set_current(int row, int column) {
  move_to(row, column, false);
}

void DataGrid::move_to(int row, int column, bool keep_search) {
  if (!keep_search) search_.clear();
  if (row == row_ && column == col_) return;
  row_ = row;
  col_ = column;
  notify(Change::Selection);
}

bool DataGrid::edit_cell(std::size_t row, std::size_t column, std::string text) {
  if (!showing() || !usable() || !column_editable(column) || row >= order_.size()) return false;
  std::size_t table_row = order_[row];
  if (!focused()) set_focus();
  move_to(static_cast<int>(row), static_cast<int>(column), false);
  table_.set_value(table_row, std::size_t(table_.field_index(columns_[column].field)),
                   std::move(text));
  if (on_cell_edited) on_cell_edited(*this, table_row, column);
  return true;
}

bool DataGrid::select_cell(std::size_t row, std::size_t column) {
  if (!showing() || !usable() || row >= order_.size() || column >= columns_.size()) return false;
  if (!focused()) set_focus();
  // The backend's echo of a move the grid made itself keeps the search going.
  if (static_cast<int>(row) == row_ && static_cast<int>(column) == col_) return true;
  move_to(static_cast<int>(row), static_cast<int>(column), false);
  return true;
}

bool DataGrid::click_title(std::size_t column, bool add) {
  if (!showing() || !usable() || !options_.sort_by_title || column >= columns_.size()) {
    return false;
  }
  std::vector<SortKey> keys = sort_;
  auto it =
      std::find_if(keys.begin(), keys.end(), [&](const SortKey& k) { return k.column == column; });
  if (add) {
    if (it != keys.end()) {
      it->ascending = !it->ascending;
    } else {
      keys.push_back({column, true});
    }
  } else {
    bool alone = keys.size() == 1 && it != keys.end();
    keys = {{column, alone ? !it->ascending : true}};
  }
  set_sort_keys(std::move(keys));
  return true;
}

bool DataGrid::type_text(std::string_view utf8) {
  if (!showing() || !usable()) return false;
  if (!options_.incremental_search || order_.empty() || col_ < 0 ||
      std::size_t(col_) >= columns_.size() || column_editable(std::size_t(col_))) {
    return false;
  }
  if (!focused()) set_focus();
  for (std::string_view ch : platform::utf8_characters(utf8)) search_character(ch);
  return true;
}

void DataGrid::search_character(std::string_view ch) {
  std::string wanted = search_ + std::string(ch);
  int field = table_.field_index(columns_[std::size_t(col_)].field);
  if (field < 0) return;
  std::size_t rows = order_.size();
  std::size_t start = row_ >= 0 && std::size_t(row_) < rows ? std::size_t(row_) : 0;
  for (std::size_t i = 0; i < rows; ++i) {
    std::size_t r = (start + i) % rows;
    if (platform::starts_with_ignoring_ascii_case(table_.row(order_[r])[std::size_t(field)],
                                                  wanted)) {
      search_ = std::move(wanted);
      move_to(static_cast<int>(r), col_, true);
      return;
    }
  }
  // No row matches: the character is dropped and the search stays where it was.
}

std::pair<int, int> DataGrid::next_cell() const {
  std::size_t columns = columns_.size();
  std::size_t cells = order_.size() * columns;
  bool any_editable = false;
  for (std::size_t c = 0; c < columns; ++c) any_editable = any_editable || column_editable(c);
  for (std::size_t at = std::size_t(row_) * columns + std::size_t(col_) + 1; at < cells; ++at) {
    if (!any_editable || column_editable(at % columns)) {
      return {static_cast<int>(at / columns), static_cast<int>(at % columns)};
    }
  }
  return {row_, col_};
}

bool DataGrid::press_key(const KeyEvent& key) {
  if (!showing() || !usable()) return false;
  if (!focused()) set_focus();
  int rows = static_cast<int>(order_.size());
  int columns = static_cast<int>(columns_.size());
  switch (key.key) {
    case vk::Return:
      if (rows == 0 || columns == 0) return true;
      if (options_.enter_moves_next) {
        auto [row, column] = next_cell();
        move_to(row, column, false);
      } else {
        move_to(std::min(row_ + 1, rows - 1), col_, false);
      }
      return true;
    case vk::Escape:
      if (!search_.empty()) {
        search_.clear();
        return true;
      }
      return form().dialog_key(key);
    case vk::Tab:
      search_.clear();
      return form().dialog_key(key);
    case vk::Back:
      if (search_.empty()) return false;
      platform::drop_last_character(search_);
      return true;
    case vk::Up:
    case vk::Down:
    case vk::Left:
    case vk::Right: {
      if (rows == 0 || columns == 0) return true;
      int row = std::clamp(row_ + (key.key == vk::Down) - (key.key == vk::Up), 0, rows - 1);
      int column =
          std::clamp(col_ + (key.key == vk::Right) - (key.key == vk::Left), 0, columns - 1);
      move_to(row, column, false);
      return true;
    }
    default:
      return false;
  }
}

}  // namespace ui
