// Long text and long runs: the multi-line memo and the progress bar.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"

namespace ui {

// A multi-line text. Lines hold no line breaks: text given with breaks (CR LF, LF or CR) becomes
// several lines. on_change fires on every change, by code or by a person.
class Memo : public Control {
 public:
  enum class ScrollBars { None, Horizontal, Vertical, Both };

  Memo(Form& form, std::string name, Control* parent = nullptr);
  const char* kind() const override { return "memo"; }
  std::string describe() const override;
  bool focusable() const override { return true; }

  const std::vector<std::string>& lines() const { return lines_; }
  void set_lines(std::vector<std::string> lines);
  void add_line(std::string_view text);
  void clear();
  // The lines joined with CR LF.
  std::string text() const;
  void set_text(std::string_view text);
  bool read_only() const { return read_only_; }
  void set_read_only(bool on);
  ScrollBars scroll_bars() const { return scroll_bars_; }
  void set_scroll_bars(ScrollBars bars);

  std::function<void(Memo&)> on_change;

  // --- user input ---
  // Appends typed or pasted text at the end; false when hidden, disabled or read-only.
  bool type_text(std::string_view utf8);
  // The person has changed the whole text in the widget (backend reports it).
  void user_changed_text(std::string_view text);

 private:
  std::vector<std::string> lines_;
  bool read_only_ = false;
  ScrollBars scroll_bars_ = ScrollBars::None;
};

// A progress bar; the position is kept inside [min, max].
class ProgressBar : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "progress"; }
  std::string describe() const override;

  int min() const { return min_; }
  int max() const { return max_; }
  int position() const { return position_; }
  void set_range(int min, int max);
  void set_max(int max) { set_range(min_, max); }
  void set_position(int position);
  void step_by(int delta) { set_position(position_ + delta); }

 private:
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
};

}  // namespace ui
