// Debug output to a named file or to syslog.
#include "platform/debug_output.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace platform {

void debug_output(std::string_view line) {
  std::string text(line);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const char* log = std::getenv("PORT_DEBUG_LOG");
  if (log != nullptr && *log != '\0') {
    // Opened for each line, so a watcher can move the file between lines.
    int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd >= 0) {
      text += '\n';
      // One write call, so lines from several processes do not interleave.
      [[maybe_unused]] auto n = ::write(fd, text.data(), text.size());
      ::close(fd);
      return;
    }
  }
  ::syslog(LOG_USER | LOG_DEBUG, "%s", text.c_str());
}

}  // namespace platform
