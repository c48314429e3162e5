// The base of every control: name, place, visibility, enabling, tab order, hint, font, and the
// change notification through which a backend keeps its widgets in step.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ui {

class Form;
class Control;
class Action;

// Left, top, width, height in pixels at 96 dots per inch, relative to the parent's client area.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

// How a control fills its parent (the rest of its bounds is then ignored on that axis).
enum class Align { None, Top, Bottom, Left, Right, Client };

// Horizontal placement of text inside a label or panel.
enum class TextAlign { Left, Right, Center };

// A font as dialogs declare it. `height` follows the Windows convention: negative for the
// character height in pixels (-11 is 8 points, -12 is 9 points, -16 is 12 points at 96 dpi),
// positive for the cell height; 0 leaves the size to the backend.
struct Font {
  std::string name;
  int height = 0;
  std::string charset;  // "GB2312", "DEFAULT", ...; informational for backends
  bool operator==(const Font&) const = default;

  // The negative height of a size in points at 96 dpi.
  static int points(int pt) { return -(pt * 96 + 36) / 72; }
};

// How a modal form ended; the values are those of the Windows dialog results.
enum class ModalResult {
  None = 0,
  Ok = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7
};

// The name the transcript and scripts use ("ok", "cancel", ...).
const char* modal_result_name(ModalResult result);

// What changed in a form, control or action, so a backend can update just that.
enum class Change {
  Caption,    // caption of a form, label, button, panel, page or action
  Text,       // text of an edit or combo box
  Items,      // items of a combo box
  Selection,  // selected index of a combo box, current cell of a grid
  Lines,      // lines of a memo
  Enabled,
  Visible,
  ReadOnly,
  Style,   // style bits of an edit, style of a combo box or separator
  Bounds,  // position and size; for a form its client size, height or screen position
  Font,
  Hint,
  TabOrder,
  Range,  // minimum, maximum or position of a progress bar
  ActivePage,
  Cells,    // contents of a grid's table
  Columns,  // columns of a grid, pick lists included
  Picture,
  Focus,  // the form's focused control
  ModalResult,
};

// Installed by a backend on a form; told of every state change of the form, its controls and
// its actions. The scripted toolkit needs none.
class Observer {
 public:
  virtual ~Observer() = default;
  virtual void form_changed(Form& form, Change what) = 0;
  virtual void control_changed(Control& control, Change what) = 0;
  virtual void action_changed(Action& action, Change what) = 0;
};

// A control is a member of the form that declares it; it registers with the form on
// construction, so the form knows its controls in declaration order. Setters are what code does;
// the methods documented as "user input" are what a person does (they fire events and obey
// enabling, read-only and key filters), and both backends feed input through them.
class Control {
 public:
  Control(Form& form, std::string name, Control* parent = nullptr);
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // "label", "edit", "combo", "button", ... as the transcript spells it.
  virtual const char* kind() const = 0;
  // The state a person sees, in the transcript's notation (see ui/README.md).
  virtual std::string describe() const = 0;
  // True for controls that hold others (panels, pages, page controls).
  virtual bool is_container() const { return false; }
  // True for controls that can take the focus.
  virtual bool focusable() const { return false; }

  const std::string& name() const { return name_; }
  Form& form() const { return form_; }
  Control* parent() const { return parent_; }

  const Rect& bounds() const { return bounds_; }
  void set_bounds(Rect bounds);
  Align align() const { return align_; }
  void set_align(Align align);

  bool visible() const { return visible_; }
  void set_visible(bool visible);
  bool enabled() const { return enabled_; }
  void set_enabled(bool enabled);
  // Visible itself and in every container up to the form (a page only while active).
  virtual bool showing() const;
  // Enabled itself and in every container up to the form.
  bool usable() const;

  int tab_order() const { return tab_order_; }
  void set_tab_order(int order);
  bool tab_stop() const { return tab_stop_; }
  void set_tab_stop(bool stop);

  const std::string& hint() const { return hint_; }
  void set_hint(std::string hint);

  // Its own font, or the parent's, or the form's.
  Font font() const;
  void set_font(Font font);

  // Moves the form's focus here.
  void set_focus();
  bool focused() const;

 protected:
  void notify(Change what);
  // The "hidden"/"disabled"/"focus" flags shared by every describe().
  std::string describe_flags() const;

 private:
  Form& form_;
  std::string name_;
  Control* parent_ = nullptr;
  Rect bounds_;
  Align align_ = Align::None;
  bool visible_ = true;
  bool enabled_ = true;
  int tab_order_ = 0;
  bool tab_stop_ = false;
  std::string hint_;
  std::optional<Font> font_;
};

}  // namespace ui
