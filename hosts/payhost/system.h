// What payhost needs of the operating system beyond loading the plug-in (hosts/common): the
// plug-in's file name, Ctrl-C and the console.
// The one place where payhost differs between Linux and Windows.
#pragma once

#include <string>

namespace payhost {

// The plug-in's file name beside a host on this system.
extern const char* const kPluginFileName;

// Calls handler at the first Ctrl-C, and keeps it for the rest of the run (system calls it breaks
// into go on); a second Ctrl-C ends the program at once.
void catch_first_interrupt(void (*handler)(int));

bool stderr_is_terminal();

// Lets a console show the UTF-8 that payhost prints (Windows consoles default to the ANSI code
// page), with lines ending as on Linux.
void prepare_console();

}  // namespace payhost
