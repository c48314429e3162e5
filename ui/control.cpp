// The state every control shares and its change notification.
#include "ui/control.h"

#include <utility>

#include "ui/form.h"

namespace ui {

const char* modal_result_name(ModalResult result) {
  switch (result) {
    case ModalResult::None:
      return "none";
    case ModalResult::Ok:
      return "ok";
    case ModalResult::Cancel:
      return "cancel";
    case ModalResult::Abort:
      return "abort";
    case ModalResult::Retry:
      return "retry";
    case ModalResult::Ignore:
      return "ignore";
    case ModalResult::Yes:
      return "yes";
    case ModalResult::No:
      return "no";
  }
  return "none";
}

Control::Control(Form& form, std::string name, Control* parent)
    : form_(form), name_(std::move(name)), parent_(parent) {
  form_.add_control(this);
}

void Control::notify(Change what) {
  form_.control_changed(*this, what);
}

void Control::set_bounds(Rect bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  notify(Change::Bounds);
}

void Control::set_align(Align align) {
  if (align == align_) return;
  align_ = align;
  notify(Change::Bounds);
}

void Control::set_visible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  notify(Change::Visible);
}

void Control::set_enabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  notify(Change::Enabled);
}

bool Control::showing() const {
  return visible_ && (parent_ == nullptr || parent_->showing());
}

bool Control::usable() const {
  return enabled_ && (parent_ == nullptr || parent_->usable());
}

void Control::set_tab_order(int order) {
  if (order == tab_order_) return;
  tab_order_ = order;
  notify(Change::TabOrder);
}

void Control::set_tab_stop(bool stop) {
  if (stop == tab_stop_) return;
  tab_stop_ = stop;
  notify(Change::TabOrder);
}

void Control::set_hint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  notify(Change::Hint);
}

Font Control::font() const {
  if (font_) return *font_;
  if (parent_ != nullptr) return parent_->font();
  return form_.font();
}

void Control::set_font(Font font) {
  font_ = std::move(font);
  notify(Change::Font);
}

void Control::set_focus() {
  form_.set_focus(this);
}

bool Control::focused() const {
  return form_.focused() == this;
}

std::string Control::describe_flags() const {
  std::string flags;
  if (!visible_) flags += " hidden";
  if (!enabled_) flags += " disabled";
  if (focused()) flags += " focus";
  return flags;
}

}  // namespace ui
