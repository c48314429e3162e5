// The wx grid of a DataGrid control.
#include "ui/wx/grid_window.h"

#include <wx/combobox.h>
#include <wx/grid.h>

#include "ui/keys.h"
#include "ui/wx/keymap.h"
#include "ui/wx/widgets.h"

namespace ui::wx {
namespace {

// A pick-list cell: choose from the list or type any text, the typing starting with the key
// that began the edit (the stock editor drops that key).
class PickListEditor : public wxGridCellChoiceEditor {
 public:
  // `max_length` in characters, 0 for no limit.
  PickListEditor(const wxArrayString& items, std::size_t max_length)
      : wxGridCellChoiceEditor(items, true), max_length_(max_length) {}
  PickListEditor(const PickListEditor&) = default;
  wxGridCellEditor* Clone() const override { return new PickListEditor(*this); }
  void Create(wxWindow* parent, wxWindowID id, wxEvtHandler* handler) override {
    wxGridCellChoiceEditor::Create(parent, id, handler);
    if (max_length_ > 0) Combo()->SetMaxLength(static_cast<unsigned long>(max_length_));
  }
  void StartingKey(wxKeyEvent& event) override {
    wxChar ch = event.GetUnicodeKey();
    if (ch == WXK_NONE || ch < 0x20) {
      event.Skip();
      return;
    }
    Combo()->SetValue(wxString(ch));
    Combo()->SetInsertionPointEnd();
  }

 private:
  std::size_t max_length_;
};

// The grid widget; keyboard navigation between widgets passes it by when Tab skips it.
class GridWindow : public wxGrid {
 public:
  GridWindow(wxWindow* parent, DataGrid& grid) : wxGrid(parent, wxID_ANY), grid_(grid) {
    // Ending the edit reports the cell as changed, which stores it through edit_cell.
    grid.pending_edit_poster = [this] {
      if (IsCellEditControlEnabled()) DisableCellEditControl();
    };
  }
  ~GridWindow() override { grid_.pending_edit_poster = nullptr; }
  bool AcceptsFocusFromKeyboard() const override {
    return grid_.tab_stop() && wxGrid::AcceptsFocusFromKeyboard();
  }

 private:
  DataGrid& grid_;
};

// A column's title with its place in the sort: "目标 ▲", or "目标 ▼2" among several keys.
wxString title(const DataGrid& grid, std::size_t column) {
  std::string text = grid.columns()[column].title;
  const auto& keys = grid.sort_keys();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (keys[i].column != column) continue;
    text += keys[i].ascending ? " \u25B2" : " \u25BC";
    if (keys.size() > 1) text += std::to_string(i + 1);
  }
  return wx_text(text);
}

// The current row shown as selected, once wx has finished its own move (which may clear the
// selection after the control has been told of it).
void highlight_later(wxGrid& widget, const DataGrid& grid) {
  if (!grid.options().highlight_row) return;
  widget.CallAfter([&widget, &grid] {
    int row = grid.current_row();
    if (row >= 0 && row < widget.GetNumberRows()) widget.SelectRow(row);
  });
}

void fill(wxGrid& widget, const DataGrid& grid) {
  const Table& table = grid.table();
  widget.BeginBatch();
  int rows = static_cast<int>(grid.row_order().size());
  int cols = static_cast<int>(grid.columns().size());
  if (widget.GetNumberRows() > rows) widget.DeleteRows(rows, widget.GetNumberRows() - rows);
  if (widget.GetNumberRows() < rows) widget.AppendRows(rows - widget.GetNumberRows());
  if (widget.GetNumberCols() > cols) widget.DeleteCols(cols, widget.GetNumberCols() - cols);
  if (widget.GetNumberCols() < cols) widget.AppendCols(cols - widget.GetNumberCols());
  auto mode = grid.options().highlight_row ? wxGrid::wxGridSelectRows : wxGrid::wxGridSelectCells;
  if (widget.GetSelectionMode() != mode) widget.SetSelectionMode(mode);
  for (int c = 0; c < cols; ++c) {
    const DataGrid::Column& column = grid.columns()[std::size_t(c)];
    widget.SetColLabelValue(c, title(grid, std::size_t(c)));
    widget.SetColSize(c, column.width);
    auto* attr = new wxGridCellAttr;
    attr->SetReadOnly(!grid.column_editable(std::size_t(c)));
    int field = table.field_index(column.field);
    std::size_t size = field < 0 ? 0 : table.field_size(std::size_t(field));
    if (!column.pick_list.empty()) {
      wxArrayString items;
      for (const auto& item : column.pick_list) items.Add(wx_text(item));
      // Typing a text that is not in the list stays allowed.
      attr->SetEditor(new PickListEditor(items, size));
    } else if (size > 0) {
      attr->SetEditor(new wxGridCellTextEditor(size));
    }
    widget.SetColAttr(c, attr);
    for (int r = 0; r < rows; ++r) {
      wxString value =
          field < 0 ? wxString()
                    : wx_text(table.value(grid.table_row(std::size_t(r)), std::size_t(field)));
      if (widget.GetCellValue(r, c) != value) widget.SetCellValue(r, c, value);
    }
  }
  widget.EndBatch();
  highlight_later(widget, grid);
}

// The keys the control decides on; the others (arrows, paging) wx moves by itself and
// reports as a cell selection.
bool control_key(int vk) {
  return vk == vk::Return || vk == vk::Tab || vk == vk::Escape || vk == vk::Back;
}

}  // namespace

wxWindow* make_grid_window(wxWindow* parent, DataGrid& grid, InputRunner run_input) {
  auto* widget = new GridWindow(parent, grid);
  widget->CreateGrid(0, 0);
  widget->SetRowLabelSize(16);
  fill(*widget, grid);
  widget->Bind(wxEVT_GRID_CELL_CHANGED, [widget, &grid, run_input](wxGridEvent& e) {
    int row = e.GetRow(), col = e.GetCol();
    std::string text = utf8_text(widget->GetCellValue(row, col));
    run_input([&] {
      // A refused edit (a text too long for its field) puts the stored value back.
      bool stored = false;
      try {
        stored = grid.edit_cell(std::size_t(row), std::size_t(col), text);
      } catch (...) {
        fill(*widget, grid);
        throw;
      }
      if (!stored) fill(*widget, grid);
    });
  });
  widget->Bind(wxEVT_GRID_SELECT_CELL, [&grid, run_input](wxGridEvent& e) {
    run_input([&] { grid.select_cell(std::size_t(e.GetRow()), std::size_t(e.GetCol())); });
    e.Skip();
  });
  widget->Bind(wxEVT_GRID_LABEL_LEFT_CLICK, [&grid, run_input](wxGridEvent& e) {
    if (e.GetRow() >= 0 || e.GetCol() < 0 || !grid.options().sort_by_title) {
      e.Skip();
      return;
    }
    run_input([&] { grid.click_title(std::size_t(e.GetCol()), e.ControlDown()); });
  });
  widget->Bind(wxEVT_KEY_DOWN, [widget, &grid, run_input](wxKeyEvent& e) {
    int vk = virtual_key(e.GetKeyCode());
    bool editing = widget->IsCellEditControlEnabled();
    if (!control_key(vk) || e.AltDown() || e.RawControlDown() ||
        (editing && vk != vk::Return && vk != vk::Tab)) {
      e.Skip();
      return;
    }
    // What was typed into the cell is stored before the key moves on.
    if (editing) widget->DisableCellEditControl();
    bool taken = false;
    run_input([&] { taken = grid.press_key({vk, e.ShiftDown()}); });
    if (!taken) e.Skip();
  });
  widget->Bind(wxEVT_CHAR, [widget, &grid, run_input](wxKeyEvent& e) {
    std::string ch = typed_character(static_cast<unsigned>(e.GetUnicodeKey()));
    bool taken = false;
    if (!ch.empty() && !widget->IsCellEditControlEnabled() && !e.AltDown() && !e.RawControlDown()) {
      run_input([&] { taken = grid.type_text(ch); });
    }
    if (!taken) e.Skip();
  });
  return widget;
}

void refresh_grid_window(wxWindow* widget, const DataGrid& grid, Change what) {
  auto* g = static_cast<wxGrid*>(widget);
  if (what == Change::Selection) {
    if (grid.current_row() < g->GetNumberRows() && grid.current_column() < g->GetNumberCols()) {
      g->SetGridCursor(grid.current_row(), grid.current_column());
      g->MakeCellVisible(grid.current_row(), grid.current_column());
    }
    highlight_later(*g, grid);
    return;
  }
  fill(*g, grid);
}

}  // namespace ui::wx
