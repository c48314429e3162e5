// Anonymous temporary files for data too large to hold in memory.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// A new file in the system's temporary folder, open for reading and writing in binary, gone once
// closed with std::fclose (or when the process ends). Throws platform::Error saying why when
// none can be made.
std::FILE* open_temporary_file();

}  // namespace platform
