// The memo and the progress bar: state, user input and transcript notation.
#include "ui/memo_progress.h"

#include <algorithm>
#include <string>
#include <utility>

#include "ui/quote.h"

namespace ui {
namespace {

// Splits at CR LF, LF or CR.
std::vector<std::string> split_lines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

}  // namespace

// --- Memo ---

Memo::Memo(Form& form, std::string name, Control* parent) : Control(form, std::move(name), parent) {
  set_tab_stop(true);
}

std::string Memo::describe() const {
  std::string out = "lines=" + quote_list(lines_);
  if (read_only_) out += " read-only";
  return out + describe_flags();
}

void Memo::set_lines(std::vector<std::string> lines) {
  // Lines never hold breaks; a text with breaks becomes several lines.
  std::vector<std::string> flat;
  for (const auto& line : lines) {
    for (auto& part : split_lines(line)) flat.push_back(std::move(part));
  }
  if (flat == lines_) return;
  lines_ = std::move(flat);
  notify(Change::Lines);
  if (on_change) on_change(*this);
}

void Memo::add_line(std::string_view text) {
  for (auto& part : split_lines(text)) lines_.push_back(std::move(part));
  notify(Change::Lines);
  if (on_change) on_change(*this);
}

void Memo::clear() {
  set_lines({});
}

std::string Memo::text() const {
  std::string out;
  for (const auto& line : lines_) out += line + "\r\n";
  return out;
}

void Memo::set_text(std::string_view text) {
  std::vector<std::string> lines = split_lines(text);
  // A final break ends the last line rather than starting an empty one.
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  set_lines(std::move(lines));
}

void Memo::set_read_only(bool on) {
  if (on == read_only_) return;
  read_only_ = on;
  notify(Change::ReadOnly);
}

void Memo::set_scroll_bars(ScrollBars bars) {
  scroll_bars_ = bars;
  notify(Change::Style);
}

bool Memo::type_text(std::string_view utf8) {
  if (!showing() || !usable() || read_only_) return false;
  if (!focused()) set_focus();
  std::string all = text();
  if (all.size() >= 2) all.resize(all.size() - 2);  // continue the last line
  set_text(all + std::string(utf8));
  return true;
}

void Memo::user_changed_text(std::string_view text) {
  set_text(text);
}

// --- ProgressBar ---

std::string ProgressBar::describe() const {
  return "position=" + std::to_string(position_) + " min=" + std::to_string(min_) +
         " max=" + std::to_string(max_) + describe_flags();
}

void ProgressBar::set_range(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  position_ = std::clamp(position_, min_, max_);
  notify(Change::Range);
}

void ProgressBar::set_position(int position) {
  position = std::clamp(position, min_, max_);
  if (position == position_) return;
  position_ = position;
  notify(Change::Range);
}

}  // namespace ui
