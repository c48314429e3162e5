// State, user input and transcript notation of each control kind, and actions.
#include "ui/controls.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/error.h"
#include "ui/form.h"
#include "ui/quote.h"

namespace ui {
namespace {

// The byte length of the UTF-8 character that starts with `lead`.
std::size_t utf8_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

std::vector<std::string_view> utf8_characters(std::string_view text) {
  std::vector<std::string_view> out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t n = std::min(utf8_length(static_cast<unsigned char>(text[i])), text.size() - i);
    out.push_back(text.substr(i, n));
    i += n;
  }
  return out;
}

void drop_last_character(std::string& text) {
  if (text.empty()) return;
  std::size_t i = text.size() - 1;
  while (i > 0 && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) --i;
  text.erase(i);
}

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

// --- Label ---

std::string Label::describe() const {
  return "caption=" + quote(caption_) + describe_flags();
}

void Label::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

void Label::set_alignment(TextAlign alignment) {
  alignment_ = alignment;
  notify(Change::Style);
}

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
  // Compared as a view: GCC 12 at -O3 warns falsely (-Wmaybe-uninitialized) when a moved-in
  // string is compared as a string here.
  if (text_ == std::string_view(text)) return;
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
  if (max_length_ > 0 && utf8_characters(text_).size() >= std::size_t(max_length_)) return false;
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
    drop_last_character(text);
    set_text(std::move(text));
  } else if (accepts_character(stroke.character)) {
    set_text(text_ + stroke.character);
  }
  return true;
}

bool Edit::type_text(std::string_view utf8) {
  if (!accepts_input()) return false;
  for (std::string_view ch : utf8_characters(utf8)) press_key(key_for_character(ch));
  return true;
}

bool Edit::paste_text(std::string_view utf8) {
  if (!accepts_input() || read_only_) return false;
  if (!focused()) set_focus();
  std::string text = text_;
  for (std::string_view ch : utf8_characters(utf8)) {
    if (max_length_ > 0 && utf8_characters(text).size() >= std::size_t(max_length_)) break;
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

// --- Button ---

Button::Button(Form& form, std::string name, Control* parent)
    : Control(form, std::move(name), parent) {
  set_tab_stop(true);
}

Button::~Button() {
  if (action_ != nullptr) std::erase(action_->clients_, this);
}

std::string Button::describe() const {
  return "caption=" + quote(caption_) + describe_flags();
}

void Button::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

void Button::set_action(Action* action) {
  if (action_ != nullptr) std::erase(action_->clients_, this);
  action_ = action;
  if (action_ != nullptr) {
    action_->clients_.push_back(this);
    sync_from_action();
  }
}

void Button::sync_from_action() {
  set_caption(action_->caption());
  set_hint(action_->hint());
  set_enabled(action_->enabled());
}

bool Button::press_key(const KeyEvent& key) {
  if (!showing() || !usable()) return false;
  if (key.key == vk::Return || key.key == vk::Space) return click();
  form().dialog_key(key);
  return true;
}

bool Button::click() {
  if (action_ != nullptr) action_->update();
  if (!showing() || !usable()) return false;
  if (tab_stop() && !flat_) set_focus();  // a flat tool button never takes the focus
  if (action_ != nullptr) {
    if (action_->on_execute) action_->on_execute(*action_);
  } else if (on_click) {
    on_click(*this);
  }
  if (modal_result_ != ModalResult::None) form().set_modal_result(modal_result_);
  return true;
}

// --- Separator ---

std::string Separator::describe() const {
  std::string flags = describe_flags();
  return flags.empty() ? flags : flags.substr(1);
}

void Separator::set_shape(Shape shape, Style style) {
  shape_ = shape;
  style_ = style;
  notify(Change::Style);
}

// --- Image ---

std::string Image::describe() const {
  std::string out = picture_.empty() ? std::string("picture=none")
                                     : "picture=" + std::to_string(picture_.width) + "x" +
                                           std::to_string(picture_.height);
  return out + describe_flags();
}

void Image::set_jpeg(std::span<const unsigned char> bytes) {
  jpeg_.assign(bytes.begin(), bytes.end());
  picture_ = {};
  notify(Change::Picture);
}

void Image::set_picture(Picture picture) {
  jpeg_.clear();
  picture_ = std::move(picture);
  notify(Change::Picture);
}

void Image::decode() {
  if (jpeg_.empty()) return;
  try {
    picture_ = decode_jpeg(jpeg_);
  } catch (const platform::Error& e) {
    throw platform::Error("picture " + form().name() + "." + name() + ": " + e.what());
  }
  notify(Change::Picture);
}

// --- Panel ---

std::string Panel::describe() const {
  return "caption=" + quote(caption_) + describe_flags();
}

void Panel::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

void Panel::set_alignment(TextAlign alignment) {
  alignment_ = alignment;
  notify(Change::Style);
}

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

// --- PageControl and Page ---

std::string PageControl::describe() const {
  Page* page = active_page();
  return "active=" + quote(page != nullptr ? page->caption() : "") + describe_flags();
}

Page* PageControl::active_page() const {
  return active_ < 0 ? nullptr : pages_[std::size_t(active_)];
}

void PageControl::set_active_index(int index) {
  if (index < 0 || std::size_t(index) >= pages_.size() || index == active_) return;
  active_ = index;
  notify(Change::ActivePage);
}

void PageControl::set_active_page(Page& page) {
  auto it = std::find(pages_.begin(), pages_.end(), &page);
  if (it != pages_.end()) set_active_index(static_cast<int>(it - pages_.begin()));
}

bool PageControl::choose_page(int index) {
  if (!showing() || !usable() || index < 0 || std::size_t(index) >= pages_.size()) return false;
  set_active_index(index);
  if (on_change) on_change(*this);
  return true;
}

void PageControl::add_page(Page* page) {
  pages_.push_back(page);
  if (active_ < 0) active_ = 0;
}

Page::Page(Form& form, std::string name, PageControl& owner)
    : Control(form, std::move(name), &owner), owner_(owner) {
  owner_.add_page(this);
}

std::string Page::describe() const {
  return "caption=" + quote(caption_) + describe_flags();
}

bool Page::showing() const {
  return visible() && owner_.active_page() == this && owner_.showing();
}

void Page::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

// --- Table ---

void Table::set_fields(std::vector<std::string> fields) {
  fields_ = std::move(fields);
  rows_.clear();
  changed();
}

void Table::changed() {
  if (updating_ > 0) {
    pending_ = true;
    return;
  }
  changed_();
}

void Table::end_update() {
  if (updating_ > 0 && --updating_ == 0 && pending_) {
    pending_ = false;
    changed_();
  }
}

int Table::field_index(std::string_view field) const {
  auto it = std::find(fields_.begin(), fields_.end(), field);
  return it == fields_.end() ? -1 : static_cast<int>(it - fields_.begin());
}

void Table::append_row(std::vector<std::string> values) {
  values.resize(fields_.size());
  rows_.push_back(std::move(values));
  changed();
}

void Table::clear_rows() {
  rows_.clear();
  changed();
}

std::size_t Table::checked_field(std::string_view field) const {
  int index = field_index(field);
  if (index < 0) throw platform::Error("table has no field \"" + std::string(field) + "\"");
  return std::size_t(index);
}

const std::string& Table::value(std::size_t row, std::string_view field) const {
  return value(row, checked_field(field));
}

void Table::set_value(std::size_t row, std::string_view field, std::string value) {
  set_value(row, checked_field(field), std::move(value));
}

const std::string& Table::value(std::size_t row, std::size_t field) const {
  if (row >= rows_.size()) {
    throw platform::Error("table has no row " + std::to_string(row) + " (it has " +
                          std::to_string(rows_.size()) + ")");
  }
  if (field >= fields_.size()) {
    throw platform::Error("table has no field number " + std::to_string(field));
  }
  return rows_[row][field];
}

void Table::set_value(std::size_t row, std::size_t field, std::string value) {
  (void)this->value(row, field);  // range checks
  if (rows_[row][field] == value) return;
  rows_[row][field] = std::move(value);
  changed();
}

// --- DataGrid ---

DataGrid::DataGrid(Form& form, std::string name, Control* parent)
    : Control(form, std::move(name), parent), table_([this] { notify(Change::Cells); }) {
  set_tab_stop(true);
}

std::string DataGrid::describe() const {
  std::vector<std::string> titles;
  for (const auto& c : columns_) titles.push_back(c.title);
  std::string out = "columns=" + quote_list(titles);
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (!columns_[i].pick_list.empty()) {
      out += " pick" + std::to_string(i) + "=" + quote_list(columns_[i].pick_list);
    }
  }
  out += " rows=[";
  for (std::size_t r = 0; r < table_.row_count(); ++r) {
    std::vector<std::string> cells;
    for (const auto& c : columns_) {
      int f = table_.field_index(c.field);
      cells.push_back(f < 0 ? std::string() : table_.row(r)[std::size_t(f)]);
    }
    if (r > 0) out += ',';
    out += quote_list(cells);
  }
  out += "]";
  return out + describe_flags();
}

void DataGrid::add_column(Column column) {
  columns_.push_back(std::move(column));
  notify(Change::Columns);
}

void DataGrid::set_pick_list(std::size_t column, std::vector<std::string> items) {
  columns_.at(column).pick_list = std::move(items);
  notify(Change::Columns);
}

void DataGrid::set_read_only(bool on) {
  if (on == read_only_) return;
  read_only_ = on;
  notify(Change::ReadOnly);
}

void DataGrid::set_current(int row, int column) {
  if (row == row_ && column == col_) return;
  row_ = row;
  col_ = column;
  notify(Change::Selection);
}

bool DataGrid::edit_cell(std::size_t row, std::size_t column, std::string text) {
  if (!showing() || !usable() || read_only_) return false;
  if (column >= columns_.size() || columns_[column].read_only) return false;
  if (row >= table_.row_count()) return false;
  int field = table_.field_index(columns_[column].field);
  if (field < 0) return false;
  if (!focused()) set_focus();
  set_current(static_cast<int>(row), static_cast<int>(column));
  table_.set_value(row, std::size_t(field), std::move(text));
  if (on_cell_edited) on_cell_edited(*this, row, column);
  return true;
}

// --- Action ---

Action::Action(Form& form, std::string name) : form_(form), name_(std::move(name)) {
  form_.add_action(this);
}

Action::~Action() {
  for (Button* b : clients_) b->action_ = nullptr;
  form_.remove_action(this);
}

void Action::notify(Change what) {
  form_.action_changed(*this, what);
  for (Button* b : clients_) b->sync_from_action();
}

void Action::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

void Action::set_hint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  notify(Change::Hint);
}

void Action::set_enabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  notify(Change::Enabled);
}

void Action::update() {
  if (on_update) on_update(*this);
}

bool Action::invoke() {
  update();
  if (!enabled_) return false;
  if (on_execute) on_execute(*this);
  return true;
}

}  // namespace ui
