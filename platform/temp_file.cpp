// Temporary files: std::tmpfile on POSIX. On Windows the C runtime's tmpfile makes its file in
// the root of the current drive, which ordinary users may not write, so the file is made in the
// user's temporary folder and marked to be deleted when it is closed.
#include "platform/temp_file.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

#include <cerrno>
#include <cstring>

#include "platform/error.h"

namespace platform {

#ifdef _WIN32
std::FILE* open_temporary_file() {
  char folder[MAX_PATH + 1] = {};
  char path[MAX_PATH + 1] = {};
  if (GetTempPathA(sizeof folder, folder) == 0 || GetTempFileNameA(folder, "prt", 0, path) == 0) {
    throw Error("no temporary file can be made: Windows error " + std::to_string(GetLastError()));
  }
  HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    DeleteFileA(path);
    throw Error(std::string("the temporary file ") + path + " cannot be made: Windows error " +
                std::to_string(error));
  }
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    throw Error(std::string("the temporary file ") + path + " cannot be opened");
  }
  std::FILE* file = _fdopen(fd, "w+b");
  if (file == nullptr) {
    _close(fd);
    throw Error(std::string("the temporary file ") + path + " cannot be opened");
  }
  return file;
}
#else
std::FILE* open_temporary_file() {
  std::FILE* file = std::tmpfile();
  if (file == nullptr) {
    throw Error("no temporary file can be made: " + std::string(std::strerror(errno)));
  }
  return file;
}
#endif

}  // namespace platform
