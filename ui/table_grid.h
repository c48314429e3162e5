// Tabular data: a small in-memory table of texts and the data grid that shows and edits it.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/control.h"
#include "ui/keys.h"

namespace ui {

// A small in-memory table of texts: named fields, rows of values. Changes are reported to the
// grid that owns it.
class Table {
 public:
  explicit Table(std::function<void()> changed) : changed_(std::move(changed)) {}

  const std::vector<std::string>& fields() const { return fields_; }
  void set_fields(std::vector<std::string> fields);  // drops the rows; no size limits
  // The index of a field, its name's ASCII letters in either case; -1 when missing.
  int field_index(std::string_view field) const;
  // The most characters a field's values may hold; 0 (the default) for no limit. Values
  // already stored are not checked again.
  void set_field_size(std::string_view field, std::size_t characters);
  std::size_t field_size(std::size_t field) const { return sizes_.at(field); }

  std::size_t row_count() const { return rows_.size(); }
  const std::vector<std::string>& row(std::size_t index) const { return rows_.at(index); }
  // A row with as many values as fields (missing values empty, extra ones dropped). Throws
  // platform::Error, appending nothing, when a value is longer than its field's size.
  void append_row(std::vector<std::string> values);
  void clear_rows();

  // Between begin_update and end_update (nestable) changes are not reported; the last
  // end_update reports them once. Keeps a grid from repainting per row of a long change.
  void begin_update() { ++updating_; }
  void end_update();

  // Throws platform::Error naming the row or field when either is missing, or when a value
  // is longer than its field's size (the value is then left as it was).
  const std::string& value(std::size_t row, std::string_view field) const;
  void set_value(std::size_t row, std::string_view field, std::string value);
  const std::string& value(std::size_t row, std::size_t field) const;
  void set_value(std::size_t row, std::size_t field, std::string value);

 private:
  std::size_t checked_field(std::string_view field) const;
  void check_size(std::size_t field, std::string_view value) const;
  void changed();
  std::function<void()> changed_;
  int updating_ = 0;
  bool pending_ = false;
  std::vector<std::string> fields_;
  std::vector<std::size_t> sizes_;
  std::vector<std::vector<std::string>> rows_;
};

// A data grid over its own table. Columns show table fields; a column may be read-only and may
// offer a pick list (typing another text is still allowed). A person never inserts or deletes
// rows: only code changes the table's rows.
//
// The grid may show the table's rows in another order than the table's (sorted by clicks on the
// column titles); the table itself keeps its order, which is what code reading it sees. Row
// numbers of the current cell, of edit_cell and of select_cell count the rows as shown;
// table_row() turns one into the table's row number.
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

  // One column the shown rows are sorted by; earlier keys weigh more.
  struct SortKey {
    std::size_t column = 0;
    bool ascending = true;
    bool operator==(const SortKey&) const = default;
  };

  // What a person may do beyond editing cells; all off by default. (Whether Tab stops at the
  // grid is the control's tab stop: set_tab_stop(false) makes the Tab key skip it.)
  struct Options {
    // A click on a column title sorts the shown rows by that column alone (again: the other
    // way round); a Ctrl+click adds the column to the sort (again: turns its direction).
    bool sort_by_title = false;
    // Typing in a cell a person cannot edit searches the current column: the current row moves
    // to the first row, from the current one on, whose value starts with what was typed
    // (ASCII letters in either case). Back takes the last character off the search, Escape or
    // moving to another cell ends it.
    bool incremental_search = false;
    // Return moves to the next cell a person can edit (to the next cell when none can be
    // edited), along the row and then on to the next row; without it Return moves down.
    bool enter_moves_next = false;
    // The whole current row is shown highlighted, not only the current cell.
    bool highlight_row = false;
    bool operator==(const Options&) const = default;
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
  // Whether a person may edit the cells of a column.
  bool column_editable(std::size_t column) const;

  const Options& options() const { return options_; }
  void set_options(Options options);

  // The sort of the shown rows, empty for the table's order. Keys naming no column are
  // dropped. The current cell stays on its table row.
  const std::vector<SortKey>& sort_keys() const { return sort_; }
  void set_sort_keys(std::vector<SortKey> keys);
  // The table's row numbers in the order the grid shows them.
  const std::vector<std::size_t>& row_order() const { return order_; }
  std::size_t table_row(std::size_t shown_row) const { return order_.at(shown_row); }

  // The current cell, row as shown; code's move ends a search.
  int current_row() const { return row_; }
  int current_column() const { return col_; }
  void set_current(int row, int column);
  // What the incremental search has found so far ("" when none runs).
  const std::string& search_text() const { return search_; }

  // Fired after a person's edit has been stored in the table; `row` is the table's row.
  std::function<void(DataGrid&, std::size_t row, std::size_t column)> on_cell_edited;

  // Stores what a person has typed into a cell whose editor is still open, as ending the edit
  // would; for code about to read the table. A backend with in-place editors installs
  // pending_edit_poster while its widget lives.
  void post_pending_edit() {
    if (pending_edit_poster) pending_edit_poster();
  }
  std::function<void()> pending_edit_poster;

  // --- user input ---
  // Types a cell's new text (row as shown) and makes it the current cell: refused (false) when
  // hidden, disabled, read-only, or out of range.
  bool edit_cell(std::size_t row, std::size_t column, std::string text);
  // A click on a cell or an arrow key's move (row as shown); false when refused.
  bool select_cell(std::size_t row, std::size_t column);
  // A click on a column title, with Ctrl held when `add`; false when refused or when the
  // grid does not sort by its titles.
  bool click_title(std::size_t column, bool add);
  // Characters typed while no cell is being edited: the incremental search takes them in a
  // cell a person cannot edit. False when refused or not taken (a backend then lets its
  // widget start editing the cell with them).
  bool type_text(std::string_view utf8);
  // A key pressed while no cell is being edited: Return moves on (see Options), Tab and Escape
  // go to the form (Escape first ends a search), Back shortens the search, the arrow keys move
  // the current cell. False when refused or not taken.
  bool press_key(const KeyEvent& key);

 private:
  void table_changed();
  void sort_rows();
  void move_to(int row, int column, bool keep_search);
  void search_character(std::string_view ch);
  std::pair<int, int> next_cell() const;

  Table table_;
  std::vector<Column> columns_;
  bool read_only_ = false;
  Options options_;
  std::vector<SortKey> sort_;
  std::vector<std::size_t> order_;
  int row_ = 0;
  int col_ = 0;
  std::string search_;
};

}  // namespace ui
