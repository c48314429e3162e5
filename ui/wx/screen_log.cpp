// The screen log file: every showing window of this module, rewritten when anything changed.
#include "ui/wx/screen_log.h"

#include <wx/window.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ui::wx {
namespace {

// Module state: the sources on screen, in the order they appeared.
struct ScreenLog {
  std::string path;
  std::vector<const ScreenLogSource*> sources;
  bool dirty = false;
  long generation = 0;
};

ScreenLog* screen_log() {
  static ScreenLog* log = [] {
    const char* path = std::getenv("PORT_UI_SCREEN_LOG");
    if (path == nullptr || *path == '\0') return static_cast<ScreenLog*>(nullptr);
    static ScreenLog instance;
    instance.path = path;
    return &instance;
  }();
  return log;
}

}  // namespace

std::string screen_rect(const wxWindow& window) {
  wxPoint origin = window.ClientToScreen(wxPoint(0, 0));
  wxSize size = window.GetClientSize();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, " %d %d %d %d", origin.x, origin.y, size.x, size.y);
  return buffer;
}

void screen_log_add(const ScreenLogSource* source) {
  if (ScreenLog* log = screen_log()) {
    log->sources.push_back(source);
    log->dirty = true;
  }
}

void screen_log_remove(const ScreenLogSource* source) {
  if (ScreenLog* log = screen_log()) {
    std::erase(log->sources, source);
    log->dirty = true;
    // Written at once: a closed window leaves no idle time behind to write it in.
    screen_log_flush();
  }
}

void screen_log_changed() {
  if (ScreenLog* log = screen_log()) log->dirty = true;
}

void screen_log_flush() {
  ScreenLog* log = screen_log();
  if (log == nullptr || !log->dirty) return;
  log->dirty = false;
  std::vector<std::string> lines;
  lines.push_back("generation " + std::to_string(++log->generation));
  for (const ScreenLogSource* s : log->sources) s->describe(lines);
  std::string temp = log->path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    for (const auto& line : lines) out << line << "\n";
  }
  // Replaces the old log on Windows too, where std::rename refuses an existing file.
  std::error_code ignored;
  std::filesystem::rename(temp, log->path, ignored);
}

}  // namespace ui::wx
