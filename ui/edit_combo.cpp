// The edit and the combo box: state, user input and transcript notation.
#include "ui/edit_combo.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/utf8.h"
#include "ui/form.h"
#include "ui/quote.h"

namespace ui {

// --- Edit ---

Edit::Edit(Form& form, std::string name, Control* parent) : Control(form, std::move(name), parent) {
  set_tab_stop(true);
}

std::string Edit::describe() const {
  std::string out = "text=" + quote(text_);
  if (digits_only()) out += " digits-only";
  if (read_only_) out += " read-only";
  return out + describe_flags();
}

void Edit::set_text(std::string text) {
  // Compared through compare(): GCC 12 at -O3 warns falsely (-Wmaybe-uninitialized) when a
  // moved-in string is compared with == here.
  if (text_.size() == text.size() && text_.compare(text) == 0) return;
  text_ = std::move(text);
  notify(Change::Text);
  if (on_change) on_change(*this);
}

void Edit::set_read_only(bool on) {
  if (on == read_only_) return;
  read_only_ = on;
  notify(Change::ReadOnly);
}

void Edit::set_style(std::uint32_t style) {
  if (style == style_) return;
  style_ = style;
  notify(Change::Style);
}

bool Edit::accepts_input() const {
  return showing() && usable();
}

KeyEvent Edit::key_down(KeyEvent key) {
  Form& owner = form();
  if (owner.key_preview() && owner.on_key_down) {
    owner.on_key_down(owner, key);
    if (key.key == 0) return key;
  }
  if (on_key_down) on_key_down(*this, key);
  return key;
}

bool Edit::accepts_character(std::string_view ch) const {
  if (read_only_ || ch.empty()) return false;
  if (digits_only() && !(ch.size() == 1 && ch[0] >= '0' && ch[0] <= '9')) return false;
  if (max_length_ > 0 && platform::utf8_characters(text_).size() >= std::size_t(max_length_))
    return false;
  return true;
}

void Edit::user_changed_text(std::string text) {
  set_text(std::move(text));
}

bool Edit::press_key(const KeyStroke& stroke) {
  if (!accepts_input()) return false;
  if (!focused()) set_focus();
  KeyEvent left = key_down(stroke.event);
  if (left.key == 0) return true;
  if (form().dialog_key(left)) return true;
  if (stroke.event.key == vk::Back) {
    if (read_only_) return true;
    std::string text = text_;
    platform::drop_last_character(text);
    set_text(std::move(text));
  } else if (accepts_character(stroke.character)) {
    set_text(text_ + stroke.character);
  }
  return true;
}

bool Edit::type_text(std::string_view utf8) {
  if (!accepts_input()) return false;
  for (std::string_view ch : platform::utf8_characters(utf8)) press_key(key_for_character(ch));
  return true;
}

bool Edit::paste_text(std::string_view utf8) {
  if (!accepts_input() || read_only_) return false;
  if (!focused()) set_focus();
  std::string text = text_;
  for (std::string_view ch : platform::utf8_characters(utf8)) {
    if (max_length_ > 0 && platform::utf8_characters(text).size() >= std::size_t(max_length_))
      break;
    text += ch;
  }
  set_text(std::move(text));
  return true;
}

bool Edit::clear_text() {
  if (!accepts_input() || read_only_) return false;
  if (!focused()) set_focus();
  set_text("");
  return true;
}

// --- ComboBox ---

ComboBox::ComboBox(Form& form, std::string name, Control* parent)
    : Control(form, std::move(name), parent) {
  set_tab_stop(true);
}

std::string ComboBox::describe() const {
  std::string out = "index=" + std::to_string(item_index_) + " text=" + quote(text_) +
                    " items=" + quote_list(items_);
  if (style_ == Style::DropDownList) out += " list";
  return out + describe_flags();
}

void ComboBox::set_style(Style style) {
  if (style == style_) return;
  style_ = style;
  notify(Change::Style);
}

void ComboBox::set_items(std::vector<std::string> items) {
  items_ = std::move(items);
  notify(Change::Items);
  set_item_index(-1);
}

void ComboBox::add_item(std::string item) {
  items_.push_back(std::move(item));
  notify(Change::Items);
}

void ComboBox::clear_items() {
  set_items({});
}

void ComboBox::set_item_index(int index) {
  if (index < 0 || std::size_t(index) >= items_.size()) index = -1;
  std::string text = index < 0 ? std::string() : items_[std::size_t(index)];
  bool changed = index != item_index_;
  item_index_ = index;
  if (changed) notify(Change::Selection);
  if (text != text_) {
    text_ = std::move(text);
    notify(Change::Text);
  }
}

void ComboBox::set_text(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  notify(Change::Text);
}

bool ComboBox::choose(int index) {
  if (!showing() || !usable() || index < 0 || std::size_t(index) >= items_.size()) return false;
  if (!focused()) set_focus();
  set_item_index(index);
  if (on_change) on_change(*this);
  return true;
}

bool ComboBox::choose_text(std::string_view text) {
  auto it = std::find(items_.begin(), items_.end(), text);
  if (it == items_.end()) return false;
  return choose(static_cast<int>(it - items_.begin()));
}

bool ComboBox::type_text(std::string_view utf8) {
  return user_changed_text(text_ + std::string(utf8));
}

bool ComboBox::user_changed_text(std::string text) {
  if (!showing() || !usable() || style_ != Style::DropDown) return false;
  if (!focused()) set_focus();
  auto it = std::find(items_.begin(), items_.end(), text);
  int index = it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  if (index != item_index_) {
    item_index_ = index;
    notify(Change::Selection);
  }
  set_text(std::move(text));
  if (on_change) on_change(*this);
  return true;
}

}  // namespace ui
