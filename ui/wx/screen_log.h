// A test aid: with PORT_UI_SCREEN_LOG naming a file, the toolkit keeps in it where every window
// it shows is on the screen, each control's rectangle and state, so that a test driving real
// windows by mouse and keyboard knows where to click and what the dialogs hold. The file is
// rewritten whole (atomically) whenever something changed, once the toolkit is idle.
#pragma once

#include <string>
#include <vector>

class wxWindow;

namespace ui::wx {

// Something on the screen that can describe itself in the log's lines.
class ScreenLogSource {
 public:
  virtual ~ScreenLogSource() = default;
  virtual void describe(std::vector<std::string>& lines) const = 0;
};

// " x y w h" of a window's client area on the screen.
std::string screen_rect(const wxWindow& window);

// All do nothing when PORT_UI_SCREEN_LOG is not set.
void screen_log_add(const ScreenLogSource* source);
void screen_log_remove(const ScreenLogSource* source);
void screen_log_changed();
// Writes the file when something changed since the last write (called on idle).
void screen_log_flush();

// Keeps a source listed for its lifetime.
class ScreenLogEntry {
 public:
  explicit ScreenLogEntry(const ScreenLogSource* source) : source_(source) {
    screen_log_add(source_);
  }
  ~ScreenLogEntry() { screen_log_remove(source_); }
  ScreenLogEntry(const ScreenLogEntry&) = delete;
  ScreenLogEntry& operator=(const ScreenLogEntry&) = delete;

 private:
  const ScreenLogSource* source_;
};

}  // namespace ui::wx
