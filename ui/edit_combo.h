// Typed text: the one-line edit and the combo box.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"
#include "ui/keys.h"

namespace ui {

// A one-line edit. Its style bits follow the Windows edit styles; `kNumber` makes it accept only
// the digits 0 to 9 as typed characters, and may be switched on by a key-down handler before the
// key's character arrives.
class Edit : public Control {
 public:
  static constexpr std::uint32_t kNumber = 0x2000;

  Edit(Form& form, std::string name, Control* parent = nullptr);
  const char* kind() const override { return "edit"; }
  std::string describe() const override;
  bool focusable() const override { return true; }

  const std::string& text() const { return text_; }
  // Fires on_change when the text differs.
  void set_text(std::string text);
  bool read_only() const { return read_only_; }
  void set_read_only(bool on);
  std::uint32_t style() const { return style_; }
  void set_style(std::uint32_t style);
  bool digits_only() const { return (style_ & kNumber) != 0; }
  // Characters, not bytes; 0 for no limit.
  int max_length() const { return max_length_; }
  void set_max_length(int length) { max_length_ = length; }

  std::function<void(Edit&, KeyEvent&)> on_key_down;
  std::function<void(Edit&)> on_change;

  // --- user input ---
  // Runs the key-down handlers (the form's preview first); returns the key as they left it
  // (key 0 when swallowed). Does not type anything: a backend lets its widget do that.
  KeyEvent key_down(KeyEvent key);
  // Whether a typed character would be accepted now (read-only, digits-only and length rules).
  bool accepts_character(std::string_view utf8_character) const;
  // The person has changed the text in the widget (backend reports it); fires on_change.
  void user_changed_text(std::string text);
  // One key press: key-down handlers, then its character (if any, and accepted) appended, or
  // Back removing the last character; Return and Escape go to the form's default and cancel
  // buttons. Returns false when the edit refuses input altogether
  // (hidden, disabled).
  bool press_key(const KeyStroke& stroke);
  // Types text character by character through press_key.
  bool type_text(std::string_view utf8);
  // Appends text as a paste does: no key events, no digits-only filter; read-only still refuses.
  bool paste_text(std::string_view utf8);
  // Selects everything and deletes it.
  bool clear_text();

 private:
  bool accepts_input() const;
  std::string text_;
  bool read_only_ = false;
  std::uint32_t style_ = 0;
  int max_length_ = 0;
};

// A combo box: a list of items with a selected index (-1 when none) and, in the editable style,
// an edit field whose text may match no item.
class ComboBox : public Control {
 public:
  enum class Style { DropDown, DropDownList };

  ComboBox(Form& form, std::string name, Control* parent = nullptr);
  const char* kind() const override { return "combo"; }
  std::string describe() const override;
  bool focusable() const override { return true; }

  Style style() const { return style_; }
  void set_style(Style style);
  const std::vector<std::string>& items() const { return items_; }
  void set_items(std::vector<std::string> items);  // selection becomes -1, text ""
  void add_item(std::string item);
  void clear_items();  // selection becomes -1, text ""
  int item_index() const { return item_index_; }
  // Code's selection: sets the text to the item's; does not fire on_change.
  void set_item_index(int index);
  // The edit field's text (the selected item's text in the list style).
  const std::string& text() const { return text_; }
  void set_text(std::string text);
  int item_height() const { return item_height_; }
  void set_item_height(int height) { item_height_ = height; }

  std::function<void(ComboBox&)> on_change;

  // --- user input ---
  // Picks an item from the list; fires on_change. False when refused (hidden, disabled, out
  // of range).
  bool choose(int index);
  // Picks the item with exactly this text; false when there is none.
  bool choose_text(std::string_view text);
  // Types (appends) into the edit field of the editable style; the selection becomes the item
  // with exactly that text, or -1. Fires on_change. False for the list style.
  bool type_text(std::string_view utf8);
  // The person has changed the edit field's whole text in the widget (backend reports it);
  // selection and event as for type_text.
  bool user_changed_text(std::string text);

 private:
  Style style_ = Style::DropDown;
  std::vector<std::string> items_;
  int item_index_ = -1;
  std::string text_;
  int item_height_ = 0;
};

}  // namespace ui
