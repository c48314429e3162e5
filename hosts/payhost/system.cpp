// The operating system's side of payhost: POSIX signals and the terminal, or their Windows
// counterparts.
#include "system.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <csignal>
#include <cstdio>

namespace payhost {

#ifdef _WIN32
const char* const kPluginFileName = "sheetport.dll";

void catch_first_interrupt(void (*handler)(int)) {
  // The C runtime puts the default back before it calls the handler.
  std::signal(SIGINT, handler);
}

bool stderr_is_terminal() {
  return _isatty(_fileno(stderr)) != 0;
}

void prepare_console() {
  SetConsoleOutputCP(CP_UTF8);
  // The records go out as on Linux, each line ending in "\n" alone.
  _setmode(_fileno(stdout), _O_BINARY);
}
#else
const char* const kPluginFileName = "libsheetport.so";

void catch_first_interrupt(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  // A second Ctrl-C ends payhost at once; writes the signal breaks into go on.
  action.sa_flags = SA_RESETHAND | SA_RESTART;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
}

bool stderr_is_terminal() {
  return ::isatty(STDERR_FILENO) != 0;
}

void prepare_console() {}
#endif

}  // namespace payhost
