// Building a form's widgets, feeding input to its controls, and following its changes.
#include "ui/wx/form_window.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/gauge.h>
#include <wx/grid.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/label_image_panel.h"
#include "ui/memo_progress.h"
#include "ui/pages.h"
#include "ui/quote.h"
#include "ui/table_grid.h"
#include "ui/wx/grid_window.h"
#include "ui/wx/keymap.h"
#include "ui/wx/layout.h"
#include "ui/wx/widgets.h"
#include "ui/wx/wx_toolkit.h"

namespace ui::wx {
namespace {

long border_style(const Form& form) {
  const Form::BorderIcons& icons = form.border_icons();
  long style = 0;
  switch (form.border_style()) {
    case BorderStyle::None:
      return wxBORDER_NONE;
    case BorderStyle::Sizeable:
      style = wxCAPTION | wxRESIZE_BORDER;
      if (icons.maximize) style |= wxMAXIMIZE_BOX;
      if (icons.minimize) style |= wxMINIMIZE_BOX;
      break;
    case BorderStyle::Single:
      style = wxCAPTION;
      if (icons.maximize) style |= wxMAXIMIZE_BOX;
      if (icons.minimize) style |= wxMINIMIZE_BOX;
      break;
    case BorderStyle::Dialog:
      style = wxCAPTION;
      break;
  }
  if (icons.system_menu) style |= wxSYSTEM_MENU | wxCLOSE_BOX;
  return style;
}

long label_style(const Label& label) {
  long style = label.auto_size() ? 0 : wxST_NO_AUTORESIZE;
  switch (label.alignment()) {
    case TextAlign::Left:
      return style | wxALIGN_LEFT;
    case TextAlign::Right:
      return style | wxALIGN_RIGHT;
    case TextAlign::Center:
      return style | wxALIGN_CENTRE_HORIZONTAL;
  }
  return style;
}

wxArrayString wx_items(const std::vector<std::string>& items) {
  wxArrayString out;
  for (const auto& item : items) out.Add(wx_text(item));
  return out;
}

std::string memo_text(const Memo& memo) {
  std::string out;
  for (std::size_t i = 0; i < memo.lines().size(); ++i) {
    if (i > 0) out += "\n";
    out += memo.lines()[i];
  }
  return out;
}

KeyEvent key_event(const wxKeyEvent& e, int vk) {
  return {vk, e.ShiftDown(), e.RawControlDown(), e.AltDown()};
}

}  // namespace

FormWindow::FormWindow(Form& form, wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wx_text(form.caption()), wxDefaultPosition, wxDefaultSize,
               border_style(form)),
      form_(form) {
  // Return and Escape mean only what the form's default and cancel buttons make them mean.
  SetEscapeId(wxID_NONE);
  SetName(wx_text(form.name()));
  SetAffirmativeId(wxID_NONE);
  build(nullptr, this);
  apply_fonts();
  apply_form_bounds();
  apply_layout();
  apply_tab_order();
  form_.set_observer(this);

  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& e) {
    if (ended_) {
      e.Skip();
      return;
    }
    e.Veto();
    guarded([this] { form_.close(); });
  });
  Bind(wxEVT_IDLE, [this](wxIdleEvent& e) {
    if (!ended_) {
      apply_deferred();
      guarded([this] { form_.update_actions(); });
      screen_log_flush();
    }
    e.Skip();
  });
  Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
    if (e.IsShown()) {
      CallAfter([this] {
        // Asks for the keyboard, which without a window manager nobody else hands over.
        Raise();
        focus_widget();
      });
    }
    screen_log_changed();
    e.Skip();
  });
  Bind(wxEVT_ACTIVATE, [this](wxActivateEvent& e) {
    // Coming back to the window gives the focus back to the form's focused control, whatever
    // GTK picked on its own.
    if (e.GetActive()) {
      CallAfter([this] {
        focus_widget();
        focus_placed_ = true;
      });
    }
    e.Skip();
  });
  Bind(wxEVT_MOVE, [](wxMoveEvent& e) {
    screen_log_changed();
    e.Skip();
  });
}

FormWindow::~FormWindow() {
  ended_ = true;
  form_.set_observer(nullptr);
  // While the map still stands: children send focus events as they go.
  DestroyChildren();
  widgets_.clear();
}

void FormWindow::run() {
  ShowModal();
}

void FormWindow::build(const Control* parent, wxWindow* into) {
  for (Control* c : form_.children(parent)) {
    wxWindow* widget = nullptr;
    if (auto* page = dynamic_cast<Page*>(c)) {
      auto* book = static_cast<wxNotebook*>(into);
      widget = new wxPanel(book, wxID_ANY);
      book->AddPage(widget, wx_text(page->caption()));
    } else {
      widget = make_widget(*c, into);
    }
    widgets_[c] = widget;
    // Named as the control, so tools (and tests) can find a control's widget by its name.
    widget->SetName(wx_text(c->name()));
    bind_common(*c, widget);
    if (c->is_container()) build(c, widget);
    if (!c->visible()) widget->Hide();
    if (!c->enabled()) widget->Disable();
    if (!c->hint().empty()) widget->SetToolTip(wx_text(c->hint()));
  }
  if (auto* pages = dynamic_cast<const PageControl*>(parent)) {
    if (pages->active_index() >= 0)
      static_cast<wxNotebook*>(into)->SetSelection(pages->active_index());
  }
}

wxWindow* FormWindow::make_widget(Control& c, wxWindow* parent) {
  if (auto* label = dynamic_cast<Label*>(&c)) {
    return new wxStaticText(parent, wxID_ANY, wx_text(label->caption()), wxDefaultPosition,
                            wxDefaultSize, label_style(*label));
  }
  if (auto* edit = dynamic_cast<Edit*>(&c)) {
    auto* widget = new wxTextCtrl(parent, wxID_ANY, wx_text(edit->text()), wxDefaultPosition,
                                  wxDefaultSize, wxTE_PROCESS_ENTER | wxTE_PROCESS_TAB);
    if (edit->read_only()) widget->SetEditable(false);
    if (edit->max_length() > 0) widget->SetMaxLength(edit->max_length());
    bind_edit(*edit, widget);
    return widget;
  }
  if (auto* combo = dynamic_cast<ComboBox*>(&c)) {
    long style = combo->style() == ComboBox::Style::DropDownList ? wxCB_READONLY : wxCB_DROPDOWN;
    auto* widget = new wxComboBox(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                  wx_items(combo->items()), style | wxTE_PROCESS_ENTER);
    if (combo->item_index() >= 0) widget->SetSelection(combo->item_index());
    if (combo->style() == ComboBox::Style::DropDown) widget->ChangeValue(wx_text(combo->text()));
    bind_combo(*combo, widget);
    return widget;
  }
  if (auto* button = dynamic_cast<Button*>(&c)) {
    auto* widget = new wxButton(parent, wxID_ANY, wx_text(button->caption()), wxDefaultPosition,
                                wxDefaultSize, button->flat() ? wxBORDER_NONE : 0);
    bind_button(*button, widget);
    return widget;
  }
  if (auto* separator = dynamic_cast<Separator*>(&c))
    return new SeparatorWindow(parent, *separator);
  if (auto* image = dynamic_cast<Image*>(&c)) return new PictureWindow(parent, *image);
  if (auto* panel = dynamic_cast<Panel*>(&c)) return new PanelWindow(parent, *panel);
  if (auto* memo = dynamic_cast<Memo*>(&c)) {
    long style = wxTE_MULTILINE;
    if (memo->scroll_bars() == Memo::ScrollBars::Horizontal ||
        memo->scroll_bars() == Memo::ScrollBars::Both) {
      style |= wxHSCROLL;
    }
    auto* widget = new wxTextCtrl(parent, wxID_ANY, wx_text(memo_text(*memo)), wxDefaultPosition,
                                  wxDefaultSize, style);
    if (memo->read_only()) widget->SetEditable(false);
    widget->Bind(wxEVT_TEXT, [this, memo, widget](wxCommandEvent&) {
      if (syncing_ || ended_) return;
      guarded([&] { memo->user_changed_text(utf8_text(widget->GetValue())); });
    });
    return widget;
  }
  if (auto* progress = dynamic_cast<ProgressBar*>(&c)) {
    auto* gauge = new wxGauge(parent, wxID_ANY, std::max(1, progress->max() - progress->min()));
    gauge->SetValue(progress->position() - progress->min());
    return gauge;
  }
  if (auto* pages = dynamic_cast<PageControl*>(&c)) {
    auto* book = new wxNotebook(parent, wxID_ANY);
    book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGED, [this, pages](wxBookCtrlEvent& e) {
      if (syncing_ || ended_) return;
      int index = e.GetSelection();
      guarded([&] {
        if (index != pages->active_index()) pages->choose_page(index);
      });
    });
    return book;
  }
  if (auto* grid = dynamic_cast<DataGrid*>(&c)) {
    return make_grid_window(parent, *grid, [this](const std::function<void()>& input) {
      if (!syncing_ && !ended_) guarded(input);
    });
  }
  // A control kind this toolkit does not know yet still takes its place.
  return new wxWindow(parent, wxID_ANY);
}

void FormWindow::bind_common(Control& c, wxWindow* widget) {
  if (!c.focusable()) return;
  // A grid takes the focus in its cell area, a window of its own.
  if (auto* grid = dynamic_cast<wxGrid*>(widget)) widget = grid->GetGridWindow();
  widget->Bind(wxEVT_SET_FOCUS, [this, &c](wxFocusEvent& e) {
    e.Skip();
    if (form_.focused() == &c) focus_placed_ = true;
    if (syncing_ || ended_ || form_.focused() == &c) return;
    if (!focus_placed_) {
      // GTK focusing a widget of its own choice as the window comes up: the form's choice wins.
      CallAfter([this] { focus_widget(); });
      return;
    }
    syncing_ = true;
    form_.set_focus(&c);
    syncing_ = false;
  });
}

bool FormWindow::dialog_key(int vk, bool shift) {
  bool taken = false;
  guarded([&] { taken = form_.dialog_key({vk, shift}); });
  return taken;
}

void FormWindow::bind_edit(Edit& edit, wxTextCtrl* widget) {
  widget->Bind(wxEVT_KEY_DOWN, [this, &edit](wxKeyEvent& e) {
    int vk = virtual_key(e.GetKeyCode(), static_cast<unsigned>(e.GetUnicodeKey()));
    if (ended_ || vk == 0) {
      e.Skip();
      return;
    }
    KeyEvent left{};
    guarded([&] { left = edit.key_down(key_event(e, vk)); });
    // Swallowed by a handler, or a dialog key the form took: the widget never sees it.
    if (left.key == 0 || ended_) return;
    if (left.key == vk::Tab || left.key == vk::Return || left.key == vk::Escape) {
      // The form's keys: never the widget's own (GTK would activate or close on its own).
      dialog_key(left.key, left.shift);
      return;
    }
    e.Skip();
  });
  widget->Bind(wxEVT_CHAR, [this, &edit](wxKeyEvent& e) {
    std::string ch = typed_character(static_cast<unsigned>(e.GetUnicodeKey()));
    // The digits-only style and the other character rules, switched on at run time.
    if (!ch.empty() && !e.RawControlDown() && !edit.accepts_character(ch)) return;
    if (!ended_) e.Skip();
  });
  widget->Bind(wxEVT_TEXT, [this, &edit, widget](wxCommandEvent&) {
    if (syncing_ || ended_) return;
    guarded([&] { edit.user_changed_text(utf8_text(widget->GetValue())); });
  });
}

void FormWindow::bind_combo(ComboBox& combo, wxComboBox* widget) {
  widget->Bind(wxEVT_COMBOBOX, [this, &combo, widget](wxCommandEvent&) {
    if (syncing_ || ended_) return;
    int index = widget->GetSelection();
    guarded([&] {
      if (index != combo.item_index() || combo.text() != combo.items().at(std::size_t(index))) {
        combo.choose(index);
      }
    });
  });
  widget->Bind(wxEVT_TEXT, [this, &combo, widget](wxCommandEvent&) {
    if (syncing_ || ended_ || combo.style() != ComboBox::Style::DropDown) return;
    std::string text = utf8_text(widget->GetValue());
    if (text == combo.text()) return;
    guarded([&] { combo.user_changed_text(std::move(text)); });
  });
  widget->Bind(wxEVT_KEY_DOWN, [this](wxKeyEvent& e) {
    int vk = virtual_key(e.GetKeyCode());
    if (!ended_ && (vk == vk::Tab || vk == vk::Return || vk == vk::Escape) &&
        dialog_key(vk, e.ShiftDown())) {
      return;
    }
    e.Skip();
  });
}

void FormWindow::bind_button(Button& button, wxButton* widget) {
  widget->Bind(wxEVT_BUTTON, [this, &button](wxCommandEvent&) {
    if (ended_) return;
    guarded([&] { button.click(); });
  });
  widget->Bind(wxEVT_KEY_DOWN, [this, &button](wxKeyEvent& e) {
    int vk = virtual_key(e.GetKeyCode());
    if (ended_ || (vk != vk::Tab && vk != vk::Return && vk != vk::Escape && vk != vk::Space)) {
      e.Skip();
      return;
    }
    guarded([&] { button.press_key(key_event(e, vk)); });
  });
}

void FormWindow::guarded(const std::function<void()>& input) {
  try {
    input();
  } catch (const std::exception& e) {
    // As an application's error display shows what a handler throws; the loop goes on.
    show_message(e.what(), form_.caption(), MessageIcon::Error, MessageButtons::Ok);
  }
  settle();
}

void FormWindow::settle() {
  // Input processed inside a busy handler's loop waits for the handler to return (end_busy).
  if (ended_ || !form_.close_pending() || form_.busy()) return;
  bool closed = false;
  try {
    closed = form_.settle_close();
  } catch (const std::exception& e) {
    show_message(e.what(), form_.caption(), MessageIcon::Error, MessageButtons::Ok);
    form_.set_modal_result(ModalResult::None);
  }
  if (!closed) return;
  ended_ = true;
  EndModal(static_cast<int>(form_.modal_result()));
}

void FormWindow::apply_form_bounds() {
  SetClientSize(form_.client_width(), form_.client_height());
  if (form_.position() == FormPosition::Designed) {
    Move(form_.left(), form_.top());
  } else {
    CentreOnScreen();
  }
}

void FormWindow::apply_layout() {
  for (const auto& [control, rect] : layout_form(form_)) {
    wxWindow* widget = widgets_[control];
    if (widget == nullptr || dynamic_cast<const Page*>(control) != nullptr) continue;
    auto* label = dynamic_cast<const Label*>(control);
    if (label != nullptr && label->auto_size()) {
      // An auto-sized label keeps its place and takes the size of its text.
      widget->SetSize(rect.left, rect.top, -1, -1, wxSIZE_USE_EXISTING);
      widget->SetSize(widget->GetBestSize());
      continue;
    }
    widget->SetSize(rect.left, rect.top, rect.width, rect.height, wxSIZE_ALLOW_MINUS_ONE);
  }
  screen_log_changed();
}

void FormWindow::apply_tab_order() {
  std::vector<Control*> order = form_.tab_sequence();
  wxWindow* previous = nullptr;
  for (Control* c : order) {
    wxWindow* widget = widgets_[c];
    if (previous != nullptr && widget != nullptr && widget->GetParent() == previous->GetParent()) {
      widget->MoveAfterInTabOrder(previous);
    }
    previous = widget;
  }
}

void FormWindow::apply_fonts() {
  wxFont base = make_font(form_.font(), GetFont());
  SetFont(base);
  for (auto& [control, widget] : widgets_) {
    widget->SetFont(make_font(control->font(), base));
  }
}

void FormWindow::focus_widget() {
  if (ended_) return;
  Control* focused = form_.focused();
  auto it = widgets_.find(focused);
  if (it == widgets_.end()) return;
  syncing_ = true;
  it->second->SetFocus();
  syncing_ = false;
}

void FormWindow::form_changed(Form&, Change what) {
  switch (what) {
    case Change::Caption:
      SetTitle(wx_text(form_.caption()));
      break;
    case Change::Bounds:
      apply_form_bounds();
      apply_layout();
      break;
    case Change::Font:
      apply_fonts();
      apply_layout();
      break;
    case Change::Focus:
      if (!syncing_) focus_widget();
      break;
    case Change::ModalResult:
      // Code outside any input of ours (a stop button's loop) may close the form too.
      if (form_.close_pending()) CallAfter([this] { settle(); });
      break;
    default:
      break;
  }
  screen_log_changed();
}

void FormWindow::action_changed(Action&, Change) {
  // Buttons bound to an action follow it through their own changes.
}

void FormWindow::control_changed(Control& control, Change what) {
  auto it = widgets_.find(&control);
  if (it == widgets_.end()) return;
  if (form_.busy()) {
    std::pair change{&control, what};
    if (std::find(deferred_.begin(), deferred_.end(), change) == deferred_.end()) {
      deferred_.push_back(change);
    }
    return;
  }
  syncing_ = true;
  try {
    sync(control, what);
  } catch (...) {
    syncing_ = false;
    throw;
  }
  syncing_ = false;
  screen_log_changed();
}

void FormWindow::apply_deferred() {
  // Each widget is set from its control's state as it is now, so one sync per kind of change
  // covers all the changes of that kind.
  std::vector<std::pair<Control*, Change>> changes;
  changes.swap(deferred_);
  syncing_ = true;
  try {
    for (const auto& [control, what] : changes) sync(*control, what);
  } catch (...) {
    syncing_ = false;
    throw;
  }
  syncing_ = false;
  if (!changes.empty()) screen_log_changed();
}

void FormWindow::sync(Control& c, Change what) {
  wxWindow* widget = widgets_[&c];
  switch (what) {
    case Change::Enabled:
      widget->Enable(c.enabled());
      return;
    case Change::Visible:
      widget->Show(c.visible());
      apply_layout();
      return;
    case Change::Bounds:
      apply_layout();
      return;
    case Change::Font:
      widget->SetFont(make_font(c.font(), GetFont()));
      apply_layout();
      return;
    case Change::Hint:
      widget->SetToolTip(wx_text(c.hint()));
      return;
    case Change::TabOrder:
      apply_tab_order();
      return;
    default:
      break;
  }
  if (auto* label = dynamic_cast<Label*>(&c)) {
    static_cast<wxStaticText*>(widget)->SetLabel(wx_text(label->caption()));
    if (label->auto_size()) widget->SetSize(widget->GetBestSize());
  } else if (auto* edit = dynamic_cast<Edit*>(&c)) {
    auto* text = static_cast<wxTextCtrl*>(widget);
    wxString value = wx_text(edit->text());
    if (what == Change::Text && text->GetValue() != value) {
      text->ChangeValue(value);
      text->SetInsertionPointEnd();
    }
    if (what == Change::ReadOnly) text->SetEditable(!edit->read_only());
  } else if (auto* combo = dynamic_cast<ComboBox*>(&c)) {
    auto* box = static_cast<wxComboBox*>(widget);
    if (what == Change::Items) box->Set(wx_items(combo->items()));
    if (what == Change::Items || what == Change::Selection || what == Change::Text) {
      if (combo->item_index() >= 0) {
        if (box->GetSelection() != combo->item_index()) box->SetSelection(combo->item_index());
      } else if (combo->style() == ComboBox::Style::DropDownList) {
        box->SetSelection(wxNOT_FOUND);
      }
      if (combo->style() == ComboBox::Style::DropDown &&
          box->GetValue() != wx_text(combo->text())) {
        box->ChangeValue(wx_text(combo->text()));
      }
    }
  } else if (auto* button = dynamic_cast<Button*>(&c)) {
    widget->SetLabel(wx_text(button->caption()));
  } else if (auto* panel = dynamic_cast<Panel*>(&c)) {
    (void)panel;
    widget->Refresh();
  } else if (dynamic_cast<Separator*>(&c) != nullptr) {
    widget->Refresh();
  } else if (dynamic_cast<Image*>(&c) != nullptr) {
    static_cast<PictureWindow*>(widget)->refresh_picture();
  } else if (auto* memo = dynamic_cast<Memo*>(&c)) {
    auto* text = static_cast<wxTextCtrl*>(widget);
    if (what == Change::ReadOnly) text->SetEditable(!memo->read_only());
    wxString value = wx_text(memo_text(*memo));
    if (what == Change::Lines && text->GetValue() != value) {
      text->ChangeValue(value);
      text->ShowPosition(text->GetLastPosition());
    }
  } else if (auto* progress = dynamic_cast<ProgressBar*>(&c)) {
    auto* gauge = static_cast<wxGauge*>(widget);
    gauge->SetRange(std::max(1, progress->max() - progress->min()));
    gauge->SetValue(progress->position() - progress->min());
  } else if (auto* pages = dynamic_cast<PageControl*>(&c)) {
    auto* book = static_cast<wxNotebook*>(widget);
    if (pages->active_index() >= 0 && book->GetSelection() != pages->active_index()) {
      book->ChangeSelection(static_cast<std::size_t>(pages->active_index()));
    }
  } else if (auto* page = dynamic_cast<Page*>(&c)) {
    auto* book = static_cast<wxNotebook*>(widget->GetParent());
    int index = book->FindPage(widget);
    if (index != wxNOT_FOUND)
      book->SetPageText(static_cast<std::size_t>(index), wx_text(page->caption()));
  } else if (auto* grid = dynamic_cast<DataGrid*>(&c)) {
    refresh_grid_window(widget, *grid, what);
  }
}

void FormWindow::describe(std::vector<std::string>& lines) const {
  lines.push_back("form " + form_.name() + " " + quote(form_.caption()) + screen_rect(*this));
  for (const Control* c : form_.controls()) {
    auto it = widgets_.find(c);
    if (it == widgets_.end()) continue;
    std::string state = c->describe();
    lines.push_back("  " + c->name() + " " + c->kind() + screen_rect(*it->second) +
                    (state.empty() ? "" : " " + state));
  }
}

}  // namespace ui::wx
