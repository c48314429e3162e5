// Debug output to a named file or to the system debugger channel.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/debug_output.h"

namespace platform {

void debug_output(std::string_view line) {
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const char* log = std::getenv("PORT_DEBUG_LOG");
  if (log != nullptr && *log != '\0') {
    // Opened for each line, so a watcher can move the file between lines; appending is one
    // write at the end, so lines from several processes do not interleave.
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      text += '\n';
      DWORD written = 0;
      WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
      CloseHandle(file);
      return;
    }
  }
  OutputDebugStringA(text.c_str());
}

}  // namespace platform
