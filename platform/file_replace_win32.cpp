// All-or-nothing file writes on Windows: a temporary file beside the target, flushed, then moved
// over it in one step; in place only where a locked-down folder leaves no other way.
#include <windows.h>

#include "platform/error.h"
#include "platform/file_replace.h"

namespace platform {
namespace {

// The file a write replaces, as found before anything is written.
struct Target {
  std::string path;
  std::string what;
  std::string folder;
  bool exists = false;
};

[[noreturn]] void refuse(const Target& target, const std::string& why) {
  throw Error("cannot write " + target.what + " " + target.path + ": " + why);
}

std::string error_text(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n > 0 && text != nullptr ? std::string(text, n) : "";
  LocalFree(text);
  while (!out.empty() &&
         (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.')) {
    out.pop_back();
  }
  return out.empty() ? "Windows error " + std::to_string(code) : out;
}

// Closes a file handle on every way out.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }
  // Closes now; the error code of a failing close, else 0.
  DWORD close() {
    HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) ? 0 : GetLastError();
  }

 private:
  HANDLE h_;
};

DWORD write_all(HANDLE file, std::string_view body) {
  std::size_t done = 0;
  while (done < body.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(body.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, body.data() + done, chunk, &written, nullptr)) return GetLastError();
    done += written;
  }
  return 0;
}

Target find_target(const std::string& path, std::string_view what) {
  Target target{path, std::string(what), {}, false};
  DWORD attributes = GetFileAttributesA(path.c_str());
  target.exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (target.exists) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) refuse(target, "it is not a file");
    if (attributes & FILE_ATTRIBUTE_READONLY) refuse(target, "the file is read-only");
  }
  auto cut = path.find_last_of("\\/");
  target.folder = cut == std::string::npos ? "."
                  : cut == 0               ? path.substr(0, 1)
                                           : path.substr(0, cut);
  if (target.folder.size() == 2 && target.folder[1] == ':') target.folder += '\\';
  DWORD folder = GetFileAttributesA(target.folder.c_str());
  if (folder == INVALID_FILE_ATTRIBUTES || (folder & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    refuse(target, "the folder " + target.folder + " does not exist");
  }
  return target;
}

// Writes body to a new file beside the target and moves it over the target. Returns false, with
// create_error set, when the folder refuses the new file; any later failure throws.
bool replace_by_move(const Target& target, std::string_view body, DWORD& create_error) {
  std::string temp(MAX_PATH + 1, '\0');
  if (GetTempFileNameA(target.folder.c_str(), "prt", 0, temp.data()) == 0) {
    create_error = GetLastError();
    return false;
  }
  temp.resize(temp.find('\0'));
  DWORD err = 0;
  {
    Handle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) err = GetLastError();
    if (err == 0) err = write_all(file.get(), body);
    if (err == 0 && !FlushFileBuffers(file.get())) err = GetLastError();
    if (file.valid()) {
      DWORD close_err = file.close();
      if (err == 0) err = close_err;
    }
  }
  if (err == 0 && !MoveFileExA(temp.c_str(), target.path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    err = GetLastError();
  }
  if (err != 0) {
    DeleteFileA(temp.c_str());
    refuse(target, error_text(err));
  }
  return true;
}

// Overwrites the existing file with body. The new length is set first, so that a full disk
// refuses the write before any of the old content is touched.
void rewrite_in_place(const Target& target, std::string_view body) {
  Handle file(CreateFileA(target.path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) refuse(target, error_text(GetLastError()));
  LARGE_INTEGER old_size{};
  LARGE_INTEGER new_size{};
  new_size.QuadPart = static_cast<LONGLONG>(body.size());
  DWORD err = GetFileSizeEx(file.get(), &old_size) ? 0 : GetLastError();
  if (err == 0 && new_size.QuadPart > old_size.QuadPart) {
    if (!SetFilePointerEx(file.get(), new_size, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) {
      err = GetLastError();
      SetFilePointerEx(file.get(), old_size, nullptr, FILE_BEGIN);
      SetEndOfFile(file.get());
    }
  }
  LARGE_INTEGER start{};
  if (err == 0 && !SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) err = GetLastError();
  if (err == 0) err = write_all(file.get(), body);
  if (err == 0 && !SetEndOfFile(file.get())) err = GetLastError();
  if (err == 0 && !FlushFileBuffers(file.get())) err = GetLastError();
  DWORD close_err = file.close();
  if (err == 0) err = close_err;
  if (err != 0) refuse(target, error_text(err));
}

}  // namespace

ReplaceMethod replace_file(const std::string& path, std::string_view contents,
                           std::string_view what, InPlaceFallback fallback) {
  Target target = find_target(path, what);
  DWORD create_error = 0;
  if (replace_by_move(target, contents, create_error)) return ReplaceMethod::Replaced;
  if (fallback == InPlaceFallback::Refused) {
    refuse(target,
           create_error == ERROR_ACCESS_DENIED
               ? "the folder " + target.folder + " is read-only"
               : "the folder " + target.folder + " refuses new files: " + error_text(create_error));
  }
  // A folder locked down with only the file left writable: the file is all that may change.
  if (!target.exists) {
    refuse(target, "no file can be created in the folder " + target.folder + ": " +
                       error_text(create_error));
  }
  rewrite_in_place(target, contents);
  return ReplaceMethod::InPlace;
}

}  // namespace platform
