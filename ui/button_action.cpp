// Buttons and actions: state, presses, enabling rules and transcript notation.
#include "ui/button_action.h"

#include <algorithm>
#include <string>
#include <utility>

#include "ui/form.h"
#include "ui/quote.h"

namespace ui {

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
