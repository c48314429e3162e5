// Commands: the push button and the form's actions that buttons may be bound to.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/keys.h"

namespace ui {

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
