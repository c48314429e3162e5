// The standard streams of the system's command-line programs.
#pragma once

namespace platform {

// Standard output passes bytes unchanged: Windows would otherwise write each "\n" as "\r\n",
// and programs read the output as they read it on Linux.
void write_stdout_as_bytes();

}  // namespace platform
