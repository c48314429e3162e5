// gridhost's window: the table in a grid, a command that starts the plug-in's import, the row
// count in the status bar.
#pragma once

#include "options.h"
#include "plugin_library.h"
#include "table_dataset.h"

namespace gridhost {

// Runs the window until it is closed; returns an Exit status (kNoDisplay without a display).
// Test aid: GRIDHOST_WINDOW_LOG names a file that gets the import button's screen rectangle,
// the row count, the status text and the last rows as the grid shows them, after every refresh.
int run_window(const Options& options, const PluginLibrary& plugin, TableDataset& table);

}  // namespace gridhost
