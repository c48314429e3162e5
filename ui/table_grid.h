// Tabular data: a small in-memory table of texts and the data grid that shows and edits it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace ui {

// A small in-memory table of texts: named fields, rows of values. Changes are reported to the
// grid that owns it.
class Table {
 public:
  explicit Table(std::function<void()> changed) : changed_(std::move(changed)) {}

  const std::vector<std::string>& fields() const { return fields_; }
  void set_fields(std::vector<std::string> fields);  // drops the rows
  // The index of a field (exact name), -1 when missing.
  int field_index(std::string_view field) const;

  std::size_t row_count() const { return rows_.size(); }
  const std::vector<std::string>& row(std::size_t index) const { return rows_.at(index); }
  // A row with as many values as fields (missing values empty, extra ones dropped).
  void append_row(std::vector<std::string> values);
  void clear_rows();

  // Between begin_update and end_update (nestable) changes are not reported; the last
  // end_update reports them once. Keeps a grid from repainting per row of a long change.
  void begin_update() { ++updating_; }
  void end_update();

  // Throws platform::Error naming the row or field when either is missing.
  const std::string& value(std::size_t row, std::string_view field) const;
  void set_value(std::size_t row, std::string_view field, std::string value);
  const std::string& value(std::size_t row, std::size_t field) const;
  void set_value(std::size_t row, std::size_t field, std::string value);

 private:
  std::size_t checked_field(std::string_view field) const;
  void changed();
  std::function<void()> changed_;
  int updating_ = 0;
  bool pending_ = false;
  std::vector<std::string> fields_;
  std::vector<std::vector<std::string>> rows_;
};

// A data grid over its own table. Columns show table fields; a column may be read-only and may
// offer a pick list (typing another text is still allowed).
class DataGrid : public Control {
 public:
  struct Column {
    std::string title;
    std::string field;
    int width = 64;
    bool read_only = false;
    std::vector<std::string> pick_list;
    bool operator==(const Column&) const = default;
  };

  DataGrid(Form& form, std::string name, Control* parent = nullptr);
  const char* kind() const override { return "grid"; }
  std::string describe() const override;
  bool focusable() const override { return true; }

  Table& table() { return table_; }
  const Table& table() const { return table_; }

  const std::vector<Column>& columns() const { return columns_; }
  void add_column(Column column);
  Column& column(std::size_t index) { return columns_.at(index); }
  void set_pick_list(std::size_t column, std::vector<std::string> items);
  // Notify after changing a column through column().
  void columns_changed() { notify(Change::Columns); }
  bool read_only() const { return read_only_; }
  void set_read_only(bool on);

  int current_row() const { return row_; }
  int current_column() const { return col_; }
  void set_current(int row, int column);

  // Fired after a person's edit has been stored in the table.
  std::function<void(DataGrid&, std::size_t row, std::size_t column)> on_cell_edited;

  // --- user input ---
  // Types a cell's new text and moves on: refused (false) when hidden, disabled, read-only,
  // or out of range.
  bool edit_cell(std::size_t row, std::size_t column, std::string text);

 private:
  Table table_;
  std::vector<Column> columns_;
  bool read_only_ = false;
  int row_ = 0;
  int col_ = 0;
};

}  // namespace ui
