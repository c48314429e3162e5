// The wx grid of a DataGrid control.
#include "ui/wx/grid_window.h"

#include <wx/combobox.h>
#include <wx/grid.h>

#include "ui/wx/widgets.h"

namespace ui::wx {
namespace {

// A pick-list cell: choose from the list or type any text, the typing starting with the key
// that began the edit (the stock editor drops that key).
class PickListEditor : public wxGridCellChoiceEditor {
 public:
  explicit PickListEditor(const wxArrayString& items) : wxGridCellChoiceEditor(items, true) {}
  PickListEditor(const PickListEditor&) = default;
  wxGridCellEditor* Clone() const override { return new PickListEditor(*this); }
  void StartingKey(wxKeyEvent& event) override {
    wxChar ch = event.GetUnicodeKey();
    if (ch == WXK_NONE || ch < 0x20) {
      event.Skip();
      return;
    }
    Combo()->SetValue(wxString(ch));
    Combo()->SetInsertionPointEnd();
  }
};

void fill(wxGrid& widget, const DataGrid& grid) {
  const Table& table = grid.table();
  widget.BeginBatch();
  int rows = static_cast<int>(table.row_count());
  int cols = static_cast<int>(grid.columns().size());
  if (widget.GetNumberRows() > rows) widget.DeleteRows(rows, widget.GetNumberRows() - rows);
  if (widget.GetNumberRows() < rows) widget.AppendRows(rows - widget.GetNumberRows());
  if (widget.GetNumberCols() > cols) widget.DeleteCols(cols, widget.GetNumberCols() - cols);
  if (widget.GetNumberCols() < cols) widget.AppendCols(cols - widget.GetNumberCols());
  for (int c = 0; c < cols; ++c) {
    const DataGrid::Column& column = grid.columns()[std::size_t(c)];
    widget.SetColLabelValue(c, wx_text(column.title));
    widget.SetColSize(c, column.width);
    auto* attr = new wxGridCellAttr;
    attr->SetReadOnly(column.read_only || grid.read_only());
    if (!column.pick_list.empty()) {
      wxArrayString items;
      for (const auto& item : column.pick_list) items.Add(wx_text(item));
      // Typing a text that is not in the list stays allowed.
      attr->SetEditor(new PickListEditor(items));
    }
    widget.SetColAttr(c, attr);
    int field = table.field_index(column.field);
    for (int r = 0; r < rows; ++r) {
      wxString value =
          field < 0 ? wxString() : wx_text(table.value(std::size_t(r), std::size_t(field)));
      if (widget.GetCellValue(r, c) != value) widget.SetCellValue(r, c, value);
    }
  }
  widget.EndBatch();
}

}  // namespace

wxWindow* make_grid_window(wxWindow* parent, DataGrid& grid, InputRunner run_input) {
  auto* widget = new wxGrid(parent, wxID_ANY);
  widget->CreateGrid(0, 0);
  widget->SetRowLabelSize(16);
  fill(*widget, grid);
  widget->Bind(wxEVT_GRID_CELL_CHANGED, [widget, &grid, run_input](wxGridEvent& e) {
    int row = e.GetRow(), col = e.GetCol();
    std::string text = utf8_text(widget->GetCellValue(row, col));
    run_input([&] {
      if (!grid.edit_cell(std::size_t(row), std::size_t(col), text)) fill(*widget, grid);
    });
  });
  widget->Bind(wxEVT_GRID_SELECT_CELL, [&grid](wxGridEvent& e) {
    // Where the person moved; no event of the control's fires for it.
    grid.set_current(e.GetRow(), e.GetCol());
    e.Skip();
  });
  return widget;
}

void refresh_grid_window(wxWindow* widget, const DataGrid& grid, Change what) {
  auto* g = static_cast<wxGrid*>(widget);
  if (what == Change::Selection) {
    if (grid.current_row() < g->GetNumberRows() && grid.current_column() < g->GetNumberCols()) {
      g->SetGridCursor(grid.current_row(), grid.current_column());
    }
    return;
  }
  fill(*g, grid);
}

}  // namespace ui::wx
