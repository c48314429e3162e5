// The debug-output channel: diagnostic lines for whoever watches the process.
#pragma once

#include <string_view>

namespace platform {

// Writes one line (bytes as given). Appended to the file named by PORT_DEBUG_LOG when that is
// set, otherwise sent to syslog at debug priority (on Windows to OutputDebugStringA). Never
// throws.
void debug_output(std::string_view line);

}  // namespace platform
