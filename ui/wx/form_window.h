// One showing of a form as a wx dialog: widgets built from its controls, user input fed to the
// controls' user-input methods, and the widgets kept in step with the controls through the
// form's observer.
#pragma once

#include <wx/dialog.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "ui/button_action.h"
#include "ui/control.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/wx/screen_log.h"

class wxTextCtrl;
class wxComboBox;
class wxButton;

namespace ui::wx {

class FormWindow : public wxDialog, public Observer, public ScreenLogSource {
 public:
  // parent: the window the dialog is modal over, or null.
  explicit FormWindow(Form& form, wxWindow* parent = nullptr);
  ~FormWindow() override;

  // Runs the modal loop until the form has closed.
  void run();

  void form_changed(Form& form, Change what) override;
  void control_changed(Control& control, Change what) override;
  void action_changed(Action& action, Change what) override;
  void describe(std::vector<std::string>& lines) const override;

 private:
  void build(const Control* parent, wxWindow* into);
  wxWindow* make_widget(Control& control, wxWindow* parent);
  void bind_common(Control& control, wxWindow* widget);
  void bind_edit(Edit& edit, wxTextCtrl* widget);
  void bind_combo(ComboBox& combo, wxComboBox* widget);
  void bind_button(Button& button, wxButton* widget);
  void apply_layout();
  void apply_tab_order();
  void apply_fonts();
  void apply_form_bounds();
  void sync(Control& control, Change what);
  void focus_widget();
  // Runs one piece of user input: a handler's exception becomes an error message box, and a
  // close the input asked for is settled.
  void guarded(const std::function<void()>& input);
  void settle();
  // A Tab, Return or Escape left over by a control goes to the form.
  bool dialog_key(int vk, bool shift);
  // Brings the widgets of controls that changed while the form was busy up to date.
  void apply_deferred();

  Form& form_;
  std::map<const Control*, wxWindow*> widgets_;
  bool syncing_ = false;  // a widget is being set from its control: its events are echoes
  bool ended_ = false;
  bool focus_placed_ = false;  // the form's focused control has had the focus once
  // Controls that changed while the form was busy (a long loop processing messages after each
  // step): their widgets are brought up to date at idle time, which the toolkit's message
  // processing grants only every few tens of milliseconds, instead of at every change.
  std::vector<std::pair<Control*, Change>> deferred_;
  ScreenLogEntry log_entry_{this};
};

}  // namespace ui::wx
