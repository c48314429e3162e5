// Form state, focus and tab order, and the modal steps every toolkit runs.
#include "ui/form.h"

#include <algorithm>
#include <utility>

#include "ui/button_action.h"
#include "ui/label_image_panel.h"
#include "ui/pages.h"

namespace ui {

Form::Form(std::string name) : name_(std::move(name)) {}

void Form::notify(Change what) {
  if (observer_ != nullptr) observer_->form_changed(*this, what);
}

void Form::control_changed(Control& control, Change what) {
  if (observer_ != nullptr) observer_->control_changed(control, what);
}

void Form::action_changed(Action& action, Change what) {
  if (observer_ != nullptr) observer_->action_changed(action, what);
}

void Form::remove_action(Action* action) {
  std::erase(actions_, action);
}

void Form::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

void Form::set_client_size(int width, int height) {
  if (width == client_width_ && height == client_height_) return;
  client_width_ = width;
  client_height_ = height;
  notify(Change::Bounds);
}

void Form::set_height(int height) {
  set_client_size(client_width_, height - kFrameHeight);
}

void Form::set_position(FormPosition position, int left, int top) {
  position_ = position;
  left_ = left;
  top_ = top;
  notify(Change::Bounds);
}

void Form::set_font(Font font) {
  font_ = std::move(font);
  notify(Change::Font);
}

Control* Form::find_control(std::string_view name) const {
  for (Control* c : controls_) {
    if (c->name() == name) return c;
  }
  return nullptr;
}

Action* Form::find_action(std::string_view name) const {
  for (Action* a : actions_) {
    if (a->name() == name) return a;
  }
  return nullptr;
}

std::vector<Control*> Form::children(const Control* parent) const {
  std::vector<Control*> out;
  for (Control* c : controls_) {
    if (c->parent() == parent) out.push_back(c);
  }
  return out;
}

void Form::add_tab_sequence(const Control* parent, const Control* also,
                            std::vector<Control*>& out) const {
  std::vector<Control*> kids = children(parent);
  std::stable_sort(kids.begin(), kids.end(),
                   [](Control* a, Control* b) { return a->tab_order() < b->tab_order(); });
  for (Control* c : kids) {
    if (c->is_container()) {
      // A page control's own tab comes first, then the controls of its active page only.
      if (auto* pages = dynamic_cast<PageControl*>(c)) {
        if (pages->tab_stop()) out.push_back(c);
        if (Page* page = pages->active_page()) add_tab_sequence(page, also, out);
      } else if (dynamic_cast<Page*>(c) == nullptr) {
        add_tab_sequence(c, also, out);
      }
    } else if (c->focusable() && (c->tab_stop() || c == also)) {
      out.push_back(c);
    }
  }
}

std::vector<Control*> Form::tab_sequence() const {
  std::vector<Control*> out;
  add_tab_sequence(nullptr, nullptr, out);
  return out;
}

void Form::set_focus(Control* control) {
  if (control == focused_) return;
  focused_ = control;
  notify(Change::Focus);
}

void Form::set_modal_result(ModalResult result) {
  if (result == modal_result_) return;
  modal_result_ = result;
  notify(Change::ModalResult);
}

void Form::close() {
  if (modal_result_ == ModalResult::None) set_modal_result(ModalResult::Cancel);
}

void Form::create() {
  if (created_) return;
  created_ = true;
  for (Control* c : controls_) {
    if (auto* image = dynamic_cast<Image*>(c)) image->decode();
  }
  if (on_create) on_create(*this);
}

void Form::begin_modal() {
  create();
  modal_result_ = ModalResult::None;
  if (on_show) on_show(*this);
  if (focused_ == nullptr) {
    for (Control* c : tab_sequence()) {
      if (c->showing() && c->usable()) {
        set_focus(c);
        break;
      }
    }
  }
  update_actions();
}

bool Form::settle_close() {
  if (modal_result_ == ModalResult::None) return false;
  if (on_close_query && !on_close_query(*this)) {
    set_modal_result(ModalResult::None);
    return false;
  }
  if (on_close) on_close(*this);
  return true;
}

void Form::end_busy() {
  if (busy_ > 0) --busy_;
  if (busy_ == 0 && close_pending()) notify(Change::ModalResult);
}

void Form::update_actions() {
  // Copied: an update handler may not add or remove actions, but stay safe if one does.
  std::vector<Action*> actions = actions_;
  for (Action* a : actions) a->update();
}

bool Form::dialog_key(const KeyEvent& event) {
  int key = event.key;
  if (key == vk::Tab) {
    // From a control Tab does not stop at (a grid a person clicked into), Tab goes on to the
    // controls after it.
    std::vector<Control*> sequence;
    add_tab_sequence(nullptr, focused_, sequence);
    std::vector<Control*> order;
    for (Control* c : sequence) {
      if ((c->showing() && c->usable()) || c == focused_) order.push_back(c);
    }
    if (order.empty()) return true;
    auto it = std::find(order.begin(), order.end(), focused_);
    std::size_t at = it == order.end() ? 0 : std::size_t(it - order.begin());
    std::size_t n = order.size();
    if (it == order.end()) {
      set_focus(event.shift ? order.back() : order.front());
    } else {
      set_focus(order[event.shift ? (at + n - 1) % n : (at + 1) % n]);
    }
    return true;
  }
  if (key != vk::Return && key != vk::Escape) return false;
  for (Control* c : controls_) {
    auto* button = dynamic_cast<Button*>(c);
    if (button == nullptr) continue;
    if ((key == vk::Return && button->is_default()) || (key == vk::Escape && button->is_cancel())) {
      return button->click();
    }
  }
  return false;
}

}  // namespace ui
