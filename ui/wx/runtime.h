// The wxWidgets application a plug-in's windows live in: the host's when the host is a wx
// program, otherwise one the plug-in starts itself and cleans up when the process ends.
#pragma once

namespace ui::wx {

// Makes sure a wx application is running on this thread. Throws platform::Error (after one line
// on stderr) when there is no display to show windows on or the toolkit cannot start.
void ensure_app();

}  // namespace ui::wx
