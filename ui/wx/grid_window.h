// A DataGrid control as a wx grid: its table's cells in the order shown, column titles with the
// sort, read-only columns and pick lists; a person's edits, clicks and keys go to the control's
// user-input methods.
#pragma once

#include <functional>

#include "ui/table_grid.h"

class wxWindow;

namespace ui::wx {

// `run_input` runs a piece of user input the way the form window runs all input.
using InputRunner = std::function<void(const std::function<void()>&)>;

wxWindow* make_grid_window(wxWindow* parent, DataGrid& grid, InputRunner run_input);
// Takes up a change of the control (cells, columns, current cell, read-only, options).
void refresh_grid_window(wxWindow* widget, const DataGrid& grid, Change what);

}  // namespace ui::wx
