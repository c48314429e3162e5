// A dialog: a form owning its controls and actions, with the events create, show, close query,
// close and key preview, and the modal state a toolkit's loop works on.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/control.h"
#include "ui/keys.h"

namespace ui {

enum class BorderStyle { Dialog, Single, Sizeable, None };

// Where the form appears: at its designed left/top, or centred.
enum class FormPosition { Designed, ScreenCenter, DesktopCenter };

// Dialogs derive from Form, declare their controls and actions as members (in the order the
// dialog declares them), set their properties and bind handlers in the constructor, and call
// create() as the constructor's last statement so that on_create runs once everything exists.
class Form {
 public:
  // Marks the form busy for a scope (see begin_busy).
  class BusyScope {
   public:
    explicit BusyScope(Form& form) : form_(form) { form_.begin_busy(); }
    ~BusyScope() { form_.end_busy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    Form& form_;
  };

  // `name` is what scripts and transcripts call the form: the dialog's class name, e.g.
  // "TFrmSetExcelINI".
  explicit Form(std::string name);
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& name() const { return name_; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);

  int client_width() const { return client_width_; }
  int client_height() const { return client_height_; }
  void set_client_size(int width, int height);
  // The window's outer height: client height plus caption bar and borders (kFrameHeight).
  int height() const { return client_height_ + kFrameHeight; }
  void set_height(int height);
  static constexpr int kFrameHeight = 31;

  BorderStyle border_style() const { return border_; }
  void set_border_style(BorderStyle style) { border_ = style; }
  // The title bar's boxes: the system menu (which brings the close box), minimize, maximize.
  struct BorderIcons {
    bool system_menu = true;
    bool minimize = true;
    bool maximize = true;
  };
  const BorderIcons& border_icons() const { return icons_; }
  void set_border_icons(BorderIcons icons) { icons_ = icons; }
  FormPosition position() const { return position_; }
  int left() const { return left_; }
  int top() const { return top_; }
  void set_position(FormPosition position, int left = 0, int top = 0);
  const Font& font() const { return font_; }
  void set_font(Font font);
  bool show_hints() const { return show_hints_; }
  void set_show_hints(bool on) { show_hints_ = on; }
  // When set, on_key_down sees keys before the focused control does.
  bool key_preview() const { return key_preview_; }
  void set_key_preview(bool on) { key_preview_ = on; }

  const std::vector<Control*>& controls() const { return controls_; }
  const std::vector<Action*>& actions() const { return actions_; }
  // By name; nullptr when the form has none of that name.
  Control* find_control(std::string_view name) const;
  Action* find_action(std::string_view name) const;
  // The direct children of a container (nullptr: of the form), in declaration order.
  std::vector<Control*> children(const Control* parent) const;
  // Focusable, tab-stop controls in tab order, containers entered in their own tab order.
  std::vector<Control*> tab_sequence() const;

  Control* focused() const { return focused_; }
  void set_focus(Control* control);

  ModalResult modal_result() const { return modal_result_; }
  // A result other than None asks the modal loop to close the form.
  void set_modal_result(ModalResult result);
  // Asks the form to close, as its title-bar close box does; the modal loop then consults
  // on_close_query. The result becomes Cancel unless one is already set.
  void close();

  // Events. on_close_query returns false to keep the form open.
  std::function<void(Form&)> on_create;
  std::function<void(Form&)> on_show;
  std::function<bool(Form&)> on_close_query;
  std::function<void(Form&)> on_close;
  std::function<void(Form&, KeyEvent&)> on_key_down;

  // Decodes pictures and fires on_create; runs once, later calls do nothing.
  void create();
  bool created() const { return created_; }

  // --- for toolkits ---
  // Starts a modal showing: create() if needed, result None, visible, on_show, first control of
  // the tab sequence focused unless a handler chose one, actions updated.
  void begin_modal();
  // True when a close has been asked for (close() or a modal result).
  bool close_pending() const { return modal_result_ != ModalResult::None; }
  // Settles a pending close: on_close_query decides; when it allows, on_close runs and the
  // modal showing ends (true). When it refuses, the result goes back to None (false).
  bool settle_close();
  // Runs every action's update handler (the idle refresh of a real toolkit).
  void update_actions();
  // A handler that runs a long loop and lets messages be processed as it goes (an import run)
  // marks the form busy for its duration: a close asked for meanwhile is settled by the modal
  // loop once the handler has returned, never in the middle, and a toolkit may bring the screen
  // up to date less often.
  bool busy() const { return busy_ > 0; }
  void begin_busy() { ++busy_; }
  // Reports a close asked for while busy, so that the loop settles it now.
  void end_busy();
  // The dialog keys a focused control leaves to its form: Return presses the default button,
  // Escape the cancel button, Tab (Shift+Tab) moves the focus along the tab sequence. Returns
  // true when the form took the key.
  bool dialog_key(const KeyEvent& key);

  void set_observer(Observer* observer) { observer_ = observer; }
  Observer* observer() const { return observer_; }

 protected:
  void notify(Change what);

 private:
  friend class Control;
  friend class Action;
  void add_control(Control* control) { controls_.push_back(control); }
  void add_action(Action* action) { actions_.push_back(action); }
  void remove_action(Action* action);
  void control_changed(Control& control, Change what);
  void action_changed(Action& action, Change what);
  // `also` joins the sequence at its place though it is no tab stop (the focused control).
  void add_tab_sequence(const Control* parent, const Control* also,
                        std::vector<Control*>& out) const;

  std::string name_;
  std::string caption_;
  int client_width_ = 0;
  int client_height_ = 0;
  BorderStyle border_ = BorderStyle::Dialog;
  BorderIcons icons_;
  FormPosition position_ = FormPosition::Designed;
  int left_ = 0;
  int top_ = 0;
  Font font_;
  bool show_hints_ = false;
  bool key_preview_ = false;
  std::vector<Control*> controls_;
  std::vector<Action*> actions_;
  Control* focused_ = nullptr;
  ModalResult modal_result_ = ModalResult::None;
  bool created_ = false;
  int busy_ = 0;
  Observer* observer_ = nullptr;
};

}  // namespace ui
