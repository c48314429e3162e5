// What payhost needs of the operating system: loading the plug-in as a host does (a library
// opened at run time, its exports found by name), its folder, Ctrl-C and the console.
// The one place where payhost differs between Linux and Windows.
#pragma once

#include <string>

namespace payhost {

// The plug-in's file name beside a host on this system.
extern const char* const kPluginFileName;

// An opened library, never closed: the plug-in stays loaded until the host ends, as in a real
// host.
class Library {
 public:
  // Opens the library; false with a message in error when the system refuses it.
  bool open(const std::string& path, std::string& error);
  // The address of an export, or null.
  void* symbol(const char* name) const;

 private:
  void* handle_ = nullptr;
};

// The folder of the running executable, without a trailing separator ("." when unknown).
std::string executable_folder();

// The folder and the name joined with this system's separator.
std::string join(const std::string& folder, const std::string& name);

bool file_exists(const std::string& path);

// Calls handler at the first Ctrl-C; a second one ends the program at once.
void catch_first_interrupt(void (*handler)(int));
void release_interrupt();

bool stderr_is_terminal();

// Lets a console show the UTF-8 that payhost prints (Windows consoles default to the ANSI code
// page), with lines ending as on Linux.
void prepare_console();

}  // namespace payhost
