// The few POSIX calls the tests use, on Windows: environment variables, a fresh temporary
// folder, and the exit status of std::system. Included into every test there by the build.
#pragma once

#if defined(_WIN32) && defined(__cplusplus)
#include <direct.h>
#include <io.h>

#include <cstdlib>
#include <cstring>

inline int setenv(const char* name, const char* value, int) {
  return _putenv_s(name, value);
}

// An empty value removes the variable.
inline int unsetenv(const char* name) {
  return _putenv_s(name, "");
}

inline char* mkdtemp(char* pattern) {
  if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0) return nullptr;
  return _mkdir(pattern) == 0 ? pattern : nullptr;
}

// std::system gives the program's exit code as it is.
#define WEXITSTATUS(status) (status)
#endif
