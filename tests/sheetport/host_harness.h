// Plays a batch-payment host against the built libsheetport.so: each run forks a child that loads
// the library afresh (so its module state and scripted user start clean), answers its dialogs
// from a script, and writes down what a host sees. The parent then checks those notes.
#pragma once

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "sheetport/sheetport.h"
#include "test_files.h"

namespace sheetport::test_helpers {

// The exports, looked up by name as a host does.
struct Plugin {
  void(SHEETPORT_CALL* SetImportParam)(const unsigned char*);
  int32_t(SHEETPORT_CALL* ShowConfigForm)();
  void(SHEETPORT_CALL* DoImport)(int32_t, TImportCallback, TRecordList**);
  void(SHEETPORT_CALL* StopImport)();
  void(SHEETPORT_CALL* GetDescription)(PluginDescription*);
  void(SHEETPORT_CALL* FreeListData)(TRecordList**);
};

// What the child wrote down, read back by the parent.
struct HostRun {
  int exit_status = -1;
  std::vector<std::string> notes;    // one line per event: "callback 0", "callback 2 3", ...
  std::vector<std::string> records;  // each record's 196 bytes, in list order
  std::string transcript;
  std::string debug;
};

// A length-prefixed text as SetImportParam takes it.
inline std::vector<unsigned char> length_prefixed(const std::string& text) {
  std::vector<unsigned char> out(text.size() + 1);
  out[0] = static_cast<unsigned char>(text.size());
  std::copy(text.begin(), text.end(), out.begin() + 1);
  return out;
}

// Notes written by the child; globals because the host callback is a plain C function.
inline std::FILE* g_notes = nullptr;
inline Plugin g_plugin{};
inline int g_stop_after_records = -1;

inline void SHEETPORT_CALL note_callback(int32_t code, void* data) {
  if (data != nullptr) {
    std::fprintf(g_notes, "callback %d %d\n", code, *static_cast<int32_t*>(data));
  } else {
    std::fprintf(g_notes, "callback %d\n", code);
  }
  if (code == SHEETPORT_RECORD_ADDED && --g_stop_after_records == 0) g_plugin.StopImport();
}

inline void note(const std::string& line) {
  std::fprintf(g_notes, "%s\n", line.c_str());
}

// Writes the list's count and every record's bytes, reading the list as a C host would.
inline void note_list(const TRecordList* list) {
  if (list == nullptr) {
    note("list null");
    return;
  }
  std::fprintf(g_notes, "list %d\n", list->Count);
  for (int i = 0; i < list->Count; ++i) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(list->Items[i]);
    std::fprintf(g_notes, "record ");
    for (std::size_t b = 0; b < sizeof(TCustomerRecord); ++b)
      std::fprintf(g_notes, "%02x", bytes[b]);
    std::fprintf(g_notes, "\n");
  }
}

// Runs body as a host in a child process with the given script; the library is SHEETPORT_LIBRARY.
inline HostRun run_host(const TempFolder& dir, const std::vector<std::string>& script,
                        const std::function<void(const Plugin&)>& body) {
  std::string script_text;
  for (const auto& line : script) script_text += line + "\n";
  write_file(dir.file("script.txt"), script_text);
  for (const char* name : {"notes.txt", "transcript.txt", "debug.log"}) {
    std::remove(dir.file(name).c_str());
  }
  std::fflush(nullptr);
  pid_t child = ::fork();
  if (child == 0) {
    ::setenv("PORT_UI_SCRIPT", dir.file("script.txt").c_str(), 1);
    ::setenv("PORT_UI_TRANSCRIPT", dir.file("transcript.txt").c_str(), 1);
    ::setenv("PORT_DEBUG_LOG", dir.file("debug.log").c_str(), 1);
    g_notes = std::fopen(dir.file("notes.txt").c_str(), "w");
    void* library = ::dlopen(SHEETPORT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr || g_notes == nullptr) {
      std::fprintf(stderr, "cannot load %s: %s\n", SHEETPORT_LIBRARY, ::dlerror());
      ::_exit(90);
    }
    auto find = [&](const char* name) {
      void* symbol = ::dlsym(library, name);
      if (symbol == nullptr) ::_exit(91);
      return symbol;
    };
    g_plugin.SetImportParam =
        reinterpret_cast<decltype(g_plugin.SetImportParam)>(find("SetImportParam"));
    g_plugin.ShowConfigForm =
        reinterpret_cast<decltype(g_plugin.ShowConfigForm)>(find("ShowConfigForm"));
    g_plugin.DoImport = reinterpret_cast<decltype(g_plugin.DoImport)>(find("DoImport"));
    g_plugin.StopImport = reinterpret_cast<decltype(g_plugin.StopImport)>(find("StopImport"));
    g_plugin.GetDescription =
        reinterpret_cast<decltype(g_plugin.GetDescription)>(find("GetDescription"));
    g_plugin.FreeListData = reinterpret_cast<decltype(g_plugin.FreeListData)>(find("FreeListData"));
    body(g_plugin);
    std::fclose(g_notes);
    // A normal exit, so that a leak checker in the build looks at what the plug-in left behind.
    std::exit(0);
  }
  HostRun run;
  int status = 0;
  ::waitpid(child, &status, 0);
  run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::string notes = read_file(dir.file("notes.txt"));
  std::size_t pos = 0;
  while (pos < notes.size()) {
    auto end = notes.find('\n', pos);
    std::string line = notes.substr(pos, end - pos);
    pos = end + 1;
    if (line.rfind("record ", 0) == 0) {
      std::string bytes;
      for (std::size_t i = 7; i + 1 < line.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(line.substr(i, 2), nullptr, 16)));
      }
      run.records.push_back(bytes);
    } else {
      run.notes.push_back(line);
    }
  }
  run.transcript = read_file(dir.file("transcript.txt"));
  run.debug = read_file(dir.file("debug.log"));
  return run;
}

// A length-prefixed field of a record's bytes, at its offset within TCustomerRecord.
inline std::string record_text(const std::string& record, std::size_t offset) {
  auto length = static_cast<unsigned char>(record.at(offset));
  return record.substr(offset + 1, length);
}

inline std::int32_t record_number(const std::string& record) {
  std::int32_t n;
  std::memcpy(&n, record.data(), 4);
  return n;
}

// Offsets within TCustomerRecord (4 bytes of RecNo, then TCustomerInfo).
inline constexpr std::size_t kKHBH = 4, kKHXM = 25, kKHZH = 86, kSSDM = 117, kZJLX = 120,
                             kZJHM = 127, kJYJE = 168, kExtra1 = 188, kExtra2 = 192;

}  // namespace sheetport::test_helpers
