// The table and the data grid: values, edits and transcript notation.
#include "ui/table_grid.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/error.h"
#include "ui/quote.h"

namespace ui {

// --- Table ---

void Table::set_fields(std::vector<std::string> fields) {
  fields_ = std::move(fields);
  rows_.clear();
  changed();
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
  auto it = std::find(fields_.begin(), fields_.end(), field);
  return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

void Table::append_row(std::vector<std::string> values) {
  values.resize(fields_.size());
  rows_.push_back(std::move(values));
  changed();
}

void Table::clear_rows() {
  rows_.clear();
  changed();
}

std::size_t Table::checked_field(std::string_view field) const {
  int index = field_index(field);
  if (index < 0) throw platform::Error("table has no field \"" + std::string(field) + "\"");
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
                          std::to_string(rows_.size()) + ")");
  }
  if (field >= fields_.size()) {
    throw platform::Error("table has no field number " + std::to_string(field));
  }
  return rows_[row][field];
}

void Table::set_value(std::size_t row, std::size_t field, std::string value) {
  (void)this->value(row, field);  // range checks
  if (rows_[row][field] == value) return;
  rows_[row][field] = std::move(value);
  changed();
}

// --- DataGrid ---

DataGrid::DataGrid(Form& form, std::string name, Control* parent)
    : Control(form, std::move(name), parent), table_([this] { notify(Change::Cells); }) {
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
  out += " rows=[";
  for (std::size_t r = 0; r < table_.row_count(); ++r) {
    std::vector<std::string> cells;
    for (const auto& c : columns_) {
      int f = table_.field_index(c.field);
      cells.push_back(f < 0 ? std::string() : table_.row(r)[std::size_t(f)]);
    }
    out += (r > 0 ? "," : "") + quote_list(cells);
  }
  out += "]";
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

void DataGrid::set_current(int row, int column) {
  if (row == row_ && column == col_) return;
  row_ = row;
  col_ = column;
  notify(Change::Selection);
}

bool DataGrid::edit_cell(std::size_t row, std::size_t column, std::string text) {
  if (!showing() || !usable() || read_only_) return false;
  if (column >= columns_.size() || columns_[column].read_only) return false;
  if (row >= table_.row_count()) return false;
  int field = table_.field_index(columns_[column].field);
  if (field < 0) return false;
  if (!focused()) set_focus();
  set_current(static_cast<int>(row), static_cast<int>(column));
  table_.set_value(row, std::size_t(field), std::move(text));
  if (on_cell_edited) on_cell_edited(*this, row, column);
  return true;
}

}  // namespace ui
