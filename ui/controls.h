// The control kinds dialogs are built from, each holding its state, and the form's actions.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"
#include "ui/jpeg.h"
#include "ui/keys.h"

namespace ui {

// A text label.
class Label : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "label"; }
  std::string describe() const override;

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  bool auto_size() const { return auto_size_; }
  void set_auto_size(bool on) { auto_size_ = on; }
  TextAlign alignment() const { return alignment_; }
  void set_alignment(TextAlign alignment);

 private:
  std::string caption_;
  bool auto_size_ = true;
  TextAlign alignment_ = TextAlign::Left;
};

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

// A push button, optionally bound to an action whose caption, hint and enabling it then shows.
class Button : public Control {
 public:
  Button(Form& form, std::string name, Control* parent = nullptr);
  ~Button() override;
  const char* kind() const override { return "button"; }
  std::string describe() const override;
  bool focusable() const override { return true; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  // Set on the form after on_click when the button is pressed (closes a modal form).
  ModalResult modal_result() const { return modal_result_; }
  void set_modal_result(ModalResult result) { modal_result_ = result; }
  bool is_default() const { return default_; }
  void set_default(bool on) { default_ = on; }
  bool is_cancel() const { return cancel_; }
  void set_cancel(bool on) { cancel_ = on; }
  // A flat tool button: drawn without a frame, and pressing it leaves the focus where it was.
  bool flat() const { return flat_; }
  void set_flat(bool on) { flat_ = on; }
  Action* action() const { return action_; }
  void set_action(Action* action);

  std::function<void(Button&)> on_click;

  // --- user input ---
  // A press: refused (false) when hidden or disabled, or when its action's update handler says
  // no; otherwise the action's execute handler or on_click, then the modal result.
  bool click();
  // A key pressed while the button has the focus: Return and Space press it, other dialog keys
  // (Escape, Tab) go to the form. False when refused (hidden, disabled).
  bool press_key(const KeyEvent& key);

 private:
  friend class Action;
  void sync_from_action();
  std::string caption_;
  ModalResult modal_result_ = ModalResult::None;
  bool default_ = false;
  bool cancel_ = false;
  bool flat_ = false;
  Action* action_ = nullptr;
};

// A separator line (a bevel showing one edge).
class Separator : public Control {
 public:
  enum class Shape { Box, Frame, TopLine, BottomLine, LeftLine, RightLine };
  enum class Style { Lowered, Raised };

  using Control::Control;
  const char* kind() const override { return "separator"; }
  std::string describe() const override;

  Shape shape() const { return shape_; }
  Style style() const { return style_; }
  void set_shape(Shape shape, Style style);

 private:
  Shape shape_ = Shape::BottomLine;
  Style style_ = Style::Lowered;
};

// A picture: a JPEG held in memory, decoded when the form is created.
class Image : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "image"; }
  std::string describe() const override;

  // The bytes are copied; decoding waits for decode() (the form's create step).
  void set_jpeg(std::span<const unsigned char> bytes);
  // A picture already in pixels (a bitmap stored with the dialog); replaces any JPEG.
  void set_picture(Picture picture);
  // Decodes the held JPEG into pixels; throws platform::Error naming the control when the
  // picture cannot be decoded. Nothing to do without a picture.
  void decode();
  const Picture& picture() const { return picture_; }
  bool stretch() const { return stretch_; }
  void set_stretch(bool on) { stretch_ = on; }

 private:
  std::vector<unsigned char> jpeg_;
  Picture picture_;
  bool stretch_ = false;
};

// A panel holding other controls, with a caption drawn in its middle.
class Panel : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "panel"; }
  std::string describe() const override;
  bool is_container() const override { return true; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  TextAlign alignment() const { return alignment_; }
  void set_alignment(TextAlign alignment);
  bool bevel() const { return bevel_; }
  void set_bevel(bool on) { bevel_ = on; }

 private:
  std::string caption_;
  TextAlign alignment_ = TextAlign::Center;
  bool bevel_ = true;
};

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

class Page;

// Tabbed pages; exactly one page is active once there is a page.
class PageControl : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "pages"; }
  std::string describe() const override;
  bool is_container() const override { return true; }
  bool focusable() const override { return true; }

  const std::vector<Page*>& pages() const { return pages_; }
  int active_index() const { return active_; }
  Page* active_page() const;
  void set_active_index(int index);
  void set_active_page(Page& page);

  std::function<void(PageControl&)> on_change;

  // --- user input ---
  // Clicks a page's tab; fires on_change. False when refused or out of range.
  bool choose_page(int index);

 private:
  friend class Page;
  void add_page(Page* page);
  std::vector<Page*> pages_;
  int active_ = -1;
};

// One page of a page control; its controls name it as their parent.
class Page : public Control {
 public:
  Page(Form& form, std::string name, PageControl& owner);
  const char* kind() const override { return "page"; }
  std::string describe() const override;
  bool is_container() const override { return true; }
  bool showing() const override;

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  PageControl& owner() const { return owner_; }

 private:
  PageControl& owner_;
  std::string caption_;
};

// A small in-memory table of texts: named fields, rows of values. Changes are reported to the
// grid that owns it.
class Table {
 public:
  explicit Table(std::function<void()> changed) : changed_(std::move(changed)) {}

  const std::vector<std::string>& fields() const { return fields_; }
  void set_fields(std::vector<std::string> fields);  // drops the rows
  // The index of a field (exact name), -1 when missing.
  int field_index(std::string_view field) const;

  std::size_t row_count() const { return rows_.size(); }
  const std::vector<std::string>& row(std::size_t index) const { return rows_.at(index); }
  // A row with as many values as fields (missing values empty, extra ones dropped).
  void append_row(std::vector<std::string> values);
  void clear_rows();

  // Between begin_update and end_update (nestable) changes are not reported; the last
  // end_update reports them once. Keeps a grid from repainting per row of a long change.
  void begin_update() { ++updating_; }
  void end_update();

  // Throws platform::Error naming the row or field when either is missing.
  const std::string& value(std::size_t row, std::string_view field) const;
  void set_value(std::size_t row, std::string_view field, std::string value);
  const std::string& value(std::size_t row, std::size_t field) const;
  void set_value(std::size_t row, std::size_t field, std::string value);

 private:
  std::size_t checked_field(std::string_view field) const;
  void changed();
  std::function<void()> changed_;
  int updating_ = 0;
  bool pending_ = false;
  std::vector<std::string> fields_;
  std::vector<std::vector<std::string>> rows_;
};

// A data grid over its own table. Columns show table fields; a column may be read-only and may
// offer a pick list (typing another text is still allowed).
class DataGrid : public Control {
 public:
  struct Column {
    std::string title;
    std::string field;
    int width = 64;
    bool read_only = false;
    std::vector<std::string> pick_list;
    bool operator==(const Column&) const = default;
  };

  DataGrid(Form& form, std::string name, Control* parent = nullptr);
  const char* kind() const override { return "grid"; }
  std::string describe() const override;
  bool focusable() const override { return true; }

  Table& table() { return table_; }
  const Table& table() const { return table_; }

  const std::vector<Column>& columns() const { return columns_; }
  void add_column(Column column);
  Column& column(std::size_t index) { return columns_.at(index); }
  void set_pick_list(std::size_t column, std::vector<std::string> items);
  // Notify after changing a column through column().
  void columns_changed() { notify(Change::Columns); }
  bool read_only() const { return read_only_; }
  void set_read_only(bool on);

  int current_row() const { return row_; }
  int current_column() const { return col_; }
  void set_current(int row, int column);

  // Fired after a person's edit has been stored in the table.
  std::function<void(DataGrid&, std::size_t row, std::size_t column)> on_cell_edited;

  // --- user input ---
  // Types a cell's new text and moves on: refused (false) when hidden, disabled, read-only,
  // or out of range.
  bool edit_cell(std::size_t row, std::size_t column, std::string text);

 private:
  Table table_;
  std::vector<Column> columns_;
  bool read_only_ = false;
  int row_ = 0;
  int col_ = 0;
};

// A named command with execute and update handlers. The toolkit runs the update handlers before
// it lets a person invoke an action (and whenever it refreshes the form), so buttons bound to an
// action are greyed exactly when its enabling rule says no.
class Action {
 public:
  Action(Form& form, std::string name);
  ~Action();
  Action(const Action&) = delete;
  Action& operator=(const Action&) = delete;

  const std::string& name() const { return name_; }
  Form& form() const { return form_; }
  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  const std::string& hint() const { return hint_; }
  void set_hint(std::string hint);
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled);

  std::function<void(Action&)> on_execute;
  std::function<void(Action&)> on_update;

  // Runs on_update (if any).
  void update();

  // --- user input ---
  // Updates, then executes when enabled. False when refused.
  bool invoke();

 private:
  friend class Button;
  void notify(Change what);
  Form& form_;
  std::string name_;
  std::string caption_;
  std::string hint_;
  bool enabled_ = true;
  std::vector<Button*> clients_;
};

}  // namespace ui
