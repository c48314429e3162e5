// The scripted toolkit: plays script actions through the controls' user-input methods and
// writes the transcript.
#include "ui/scripted_toolkit.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/memo_progress.h"
#include "ui/pages.h"
#include "ui/quote.h"
#include "ui/table_grid.h"

namespace ui {
namespace {

bool answers_dialog(const ScriptAction& a) {
  return a.verb == "answer-message" || a.verb == "choose-file" || a.verb == "cancel-file";
}

DialogButton button_from(const std::string& name) {
  if (name == "cancel") return DialogButton::Cancel;
  if (name == "yes") return DialogButton::Yes;
  if (name == "no") return DialogButton::No;
  return DialogButton::Ok;
}

std::string why_refused(const Control& c) {
  if (!c.showing()) return "hidden";
  if (!c.usable()) return "disabled";
  return "refused";
}

// A grid's column named by a script: its index, field name or title.
std::optional<std::size_t> find_grid_column(const DataGrid& grid, const std::string& name,
                                            bool by_index) {
  const auto& columns = grid.columns();
  if (by_index) {
    std::size_t index = std::stoul(name);
    if (index < columns.size()) return index;
    return std::nullopt;
  }
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].field == name || columns[i].title == name) return i;
  }
  return std::nullopt;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

// Keeps the stack of showing forms right on every way out of show_modal.
struct StackEntry {
  std::vector<Form*>& stack;
  StackEntry(std::vector<Form*>& s, Form& f) : stack(s) { stack.push_back(&f); }
  ~StackEntry() { stack.pop_back(); }
};

}  // namespace

ScriptedToolkit::ScriptedToolkit(const std::vector<std::string>& lines, std::string origin)
    : origin_(std::move(origin)), actions_(parse_script(joined(lines), origin_)) {}

std::unique_ptr<ScriptedToolkit> ScriptedToolkit::from_text(std::string_view text,
                                                            std::string origin) {
  return std::make_unique<ScriptedToolkit>(std::vector<std::string>{std::string(text)},
                                           std::move(origin));
}

std::unique_ptr<ScriptedToolkit> ScriptedToolkit::from_environment() {
  const char* path = std::getenv("PORT_UI_SCRIPT");
  if (path == nullptr || *path == '\0') throw ScriptError("PORT_UI_SCRIPT names no script");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScriptError(std::string("cannot read the user-interface script ") + path);
  std::ostringstream text;
  text << in.rdbuf();
  std::unique_ptr<ScriptedToolkit> toolkit;
  try {
    toolkit = from_text(text.str(), path);
  } catch (const ScriptError& e) {
    std::cerr << "script error: " << e.what() << std::endl;
    throw;
  }
  const char* transcript = std::getenv("PORT_UI_TRANSCRIPT");
  if (transcript != nullptr && *transcript != '\0') toolkit->write_transcript_to(transcript);
  return toolkit;
}

void ScriptedToolkit::write_transcript_to(std::string path) {
  transcript_path_ = std::move(path);
  std::ofstream out(transcript_path_, std::ios::binary | std::ios::trunc);
  out << transcript_;
  if (!out) throw platform::Error("cannot write the user-interface transcript " + transcript_path_);
}

void ScriptedToolkit::log(const std::string& line) {
  transcript_ += line + "\n";
  if (!transcript_path_.empty()) {
    // Appended line by line, so a run that ends badly still leaves what happened before.
    std::ofstream out(transcript_path_, std::ios::binary | std::ios::app);
    out << line << "\n";
  }
}

const ScriptAction* ScriptedToolkit::peek() const {
  return next_ < actions_.size() ? &actions_[next_] : nullptr;
}

std::string ScriptedToolkit::next_description() const {
  const ScriptAction* a = peek();
  if (a == nullptr) return "the script has ended";
  return "next is " + origin_ + " line " + std::to_string(a->line) + ": " + a->source;
}

void ScriptedToolkit::raise(const std::string& message) {
  // Written down before it is thrown: a plug-in catches everything at its exports, and the
  // person running the script still has to learn what went wrong.
  log("script-error " + message);
  std::cerr << "script error: " << message << std::endl;
  throw ScriptError(message);
}

void ScriptedToolkit::fail(const ScriptAction& action, const std::string& what) {
  raise(origin_ + " line " + std::to_string(action.line) + ": " + action.source + ": " + what);
}

void ScriptedToolkit::record_form(const Form& form, const char* entry) {
  std::string head = std::string(entry) + " " + form.name() + " " + quote(form.caption());
  if (std::string_view(entry) == "state") head += " height=" + std::to_string(form.height());
  log(head);
  for (const Control* c : form.controls()) {
    std::string state = c->describe();
    log("  " + c->name() + " " + c->kind() + (state.empty() ? "" : " " + state));
  }
  for (const Action* a : form.actions()) {
    log("  " + a->name() + " action caption=" + quote(a->caption()) +
        (a->enabled() ? "" : " disabled"));
  }
}

ModalResult ScriptedToolkit::show_modal(Form& form) {
  form.begin_modal();
  StackEntry entry(modal_stack_, form);
  record_form(form, "show");
  for (;;) {
    if (form.close_pending()) {
      if (form.settle_close()) break;
      log("close-refused " + form.name());
    }
    const ScriptAction* a = peek();
    std::string waiting = "form " + form.name() + " " + quote(form.caption());
    if (a == nullptr) {
      raise("the script ended while " + waiting + " was waiting for input");
    }
    if (answers_dialog(*a)) fail(*a, "no dialog is open to answer; " + waiting + " is showing");
    if (a->verb == "wait-messages") {
      fail(*a, "only " + std::to_string(waited_) + " calls to process messages came; " + waiting +
                   " is waiting for input");
    }
    if (a->form != form.name()) fail(*a, "that form is not active; " + waiting + " is showing");
    ++next_;
    perform_guarded(form, *a);
    form.update_actions();
  }
  log("closed " + form.name() + " result=" + modal_result_name(form.modal_result()));
  return form.modal_result();
}

void ScriptedToolkit::perform_guarded(Form& form, const ScriptAction& action) {
  try {
    perform(form, action);
  } catch (const ScriptError&) {
    throw;
  } catch (const std::exception& e) {
    // What a handler throws reaches the person as an application's error display shows it.
    message_box(e.what(), form.caption(), MessageIcon::Error, MessageButtons::Ok);
  }
}

void ScriptedToolkit::perform(Form& form, const ScriptAction& action) {
  log("> " + action.source);
  if (action.verb == "close") {
    form.close();
    return;
  }
  if (action.verb == "dump") {
    record_form(form, "state");
    return;
  }
  if (action.verb == "invoke") {
    Action* act = form.find_action(action.target);
    if (act == nullptr) fail(action, "form " + form.name() + " has no action " + action.target);
    if (!act->invoke()) log("refused invoke " + form.name() + "." + act->name() + " (disabled)");
    return;
  }
  Control* control = form.find_control(action.target);
  if (control == nullptr) fail(action, "form " + form.name() + " has no control " + action.target);
  const Control* focus_before = form.focused();
  if (!perform_on_control(form, action, *control)) {
    log("refused " + action.verb + " " + form.name() + "." + control->name() + " (" +
        why_refused(*control) + ")");
    return;
  }
  // The idle refresh a real toolkit runs before the person looks again.
  form.update_actions();
  std::string state = control->describe();
  if (!state.empty()) log("  = " + state);
  // A handler that moved the focus elsewhere (to the edit a check names) shows it.
  if (form.focused() != focus_before && form.focused() != control && form.focused() != nullptr) {
    log("  focus " + form.focused()->name());
  }
}

bool ScriptedToolkit::perform_on_control(Form& form, const ScriptAction& action, Control& c) {
  const std::string& verb = action.verb;
  auto wrong_kind = [&]() {
    fail(action, verb + " does not apply to " + form.name() + "." + c.name() + ", a " + c.kind());
  };
  auto* edit = dynamic_cast<Edit*>(&c);
  auto* combo = dynamic_cast<ComboBox*>(&c);
  auto* memo = dynamic_cast<Memo*>(&c);
  auto* grid = dynamic_cast<DataGrid*>(&c);
  if (verb == "type") {
    if (edit != nullptr) return edit->type_text(action.args[0]);
    if (grid != nullptr) return grid->type_text(action.args[0]);
    if (combo != nullptr) return combo->type_text(action.args[0]);
    if (memo != nullptr) return memo->type_text(action.args[0]);
    wrong_kind();
  }
  if (verb == "key") {
    KeyEvent key{key_from_name(action.args[0])};
    if (edit != nullptr) return edit->press_key({key, character_for_key(key)});
    if (auto* button = dynamic_cast<Button*>(&c)) return button->press_key(key);
    if (grid != nullptr) return grid->press_key(key);
    wrong_kind();
  }
  if (verb == "paste") {
    if (edit != nullptr) return edit->paste_text(action.args[0]);
    if (memo != nullptr) return memo->type_text(action.args[0]);
    wrong_kind();
  }
  if (verb == "clear") {
    if (edit != nullptr) return edit->clear_text();
    if (memo != nullptr) {
      if (!memo->showing() || !memo->usable() || memo->read_only()) return false;
      memo->user_changed_text("");
      return true;
    }
    wrong_kind();
  }
  if (verb == "select") {
    if (combo == nullptr) wrong_kind();
    if (!combo->showing() || !combo->usable()) return false;
    if (action.by_index) {
      int index = std::stoi(action.args[0]);
      if (index < 0 || std::size_t(index) >= combo->items().size()) {
        fail(action, c.name() + " has " + std::to_string(combo->items().size()) + " entries");
      }
      return combo->choose(index);
    }
    if (std::find(combo->items().begin(), combo->items().end(), action.args[0]) ==
        combo->items().end()) {
      fail(action, c.name() + " has no entry " + quote(action.args[0]) +
                       " (entries: " + quote_list(combo->items()) + ")");
    }
    return combo->choose_text(action.args[0]);
  }
  if (verb == "select-page") {
    auto* pages = dynamic_cast<PageControl*>(&c);
    if (pages == nullptr) wrong_kind();
    int index = -1;
    if (action.by_index) {
      index = std::stoi(action.args[0]);
    } else {
      for (std::size_t i = 0; i < pages->pages().size(); ++i) {
        if (pages->pages()[i]->caption() == action.args[0]) index = static_cast<int>(i);
      }
    }
    if (index < 0 || std::size_t(index) >= pages->pages().size()) {
      fail(action, c.name() + " has no such page");
    }
    return pages->choose_page(index);
  }
  if (grid != nullptr && (verb == "grid-set" || verb == "select-cell")) {
    std::size_t row = std::stoul(action.args[0]);
    std::size_t column = grid_column(action, *grid, action.args[1]);
    if (row >= grid->table().row_count()) {
      fail(action, c.name() + " has " + std::to_string(grid->table().row_count()) + " rows");
    }
    if (verb == "select-cell") return grid->select_cell(row, column);
    return grid->edit_cell(row, column, action.args[2]);
  }
  if (grid != nullptr && (verb == "click-title" || verb == "ctrl-click-title")) {
    return grid->click_title(grid_column(action, *grid, action.args[0]),
                             verb == "ctrl-click-title");
  }
  if (verb == "grid-set" || verb == "select-cell" || verb == "click-title" ||
      verb == "ctrl-click-title") {
    wrong_kind();
  }
  if (verb == "click") {
    auto* button = dynamic_cast<Button*>(&c);
    if (button == nullptr) wrong_kind();
    return button->click();
  }
  fail(action, "unknown action");
}

std::size_t ScriptedToolkit::grid_column(const ScriptAction& action, const DataGrid& grid,
                                         const std::string& name) {
  std::optional<std::size_t> column = find_grid_column(grid, name, action.by_index);
  if (!column) fail(action, grid.name() + " has no such column");
  return *column;
}

Form& ScriptedToolkit::showing_form(const ScriptAction& action) {
  for (auto it = modal_stack_.rbegin(); it != modal_stack_.rend(); ++it) {
    if ((*it)->name() == action.form) return **it;
  }
  fail(action, "form " + action.form + " is not showing");
}

void ScriptedToolkit::process_messages() {
  ++processed_;
  const ScriptAction* wait = peek();
  if (wait == nullptr || wait->verb != "wait-messages") return;
  if (++waited_ < std::stoul(wait->args[0])) return;
  // The wait is over: the person does the next thing now, in the middle of the loop.
  waited_ = 0;
  ++next_;
  log("> " + wait->source);
  const ScriptAction* a = peek();
  if (a == nullptr || answers_dialog(*a) || a->verb == "wait-messages") return;
  Form& form = showing_form(*a);
  ++next_;
  form.update_actions();
  perform_guarded(form, *a);
}

DialogButton ScriptedToolkit::message_box(const std::string& text, const std::string& caption,
                                          MessageIcon icon, MessageButtons buttons) {
  std::string entry = std::string("message ") + icon_name(icon) + " " + quote(caption) + " " +
                      quote(text) + " [" + buttons_name(buttons) + "]";
  const ScriptAction* a = peek();
  if (a == nullptr || a->verb != "answer-message") {
    log(entry + " -> no answer");
    raise("the script gives no answer to the message box " + quote(caption) + ": " + quote(text) +
          "; " + next_description());
  }
  DialogButton button = button_from(a->args[0]);
  if (!offers(buttons, button)) {
    fail(*a, std::string("the message box offers only [") + buttons_name(buttons) + "]");
  }
  ++next_;
  log(entry + " -> " + button_name(button));
  return button;
}

std::optional<std::string> ScriptedToolkit::file_dialog(const char* kind,
                                                        const FileDialogOptions& options) {
  std::vector<std::string> filters;
  for (const auto& f : options.filters) filters.push_back(f.description + "|" + f.patterns);
  std::string entry = std::string(kind) + " " + quote(options.title) +
                      " filters=" + quote_list(filters) +
                      " index=" + std::to_string(options.filter_index);
  if (!options.initial_folder.empty()) entry += " folder=" + quote(options.initial_folder);
  if (!options.file_name.empty()) entry += " name=" + quote(options.file_name);
  const ScriptAction* a = peek();
  if (a == nullptr || (a->verb != "choose-file" && a->verb != "cancel-file")) {
    log(entry + " -> no answer");
    raise(std::string("the script gives no answer to the ") + kind + " dialog " +
          quote(options.title) + "; " + next_description());
  }
  ++next_;
  if (a->verb == "cancel-file") {
    log(entry + " -> cancel");
    return std::nullopt;
  }
  log(entry + " -> " + quote(a->args[0]));
  return a->args[0];
}

std::optional<std::string> ScriptedToolkit::open_file(const FileDialogOptions& options) {
  return file_dialog("open-file", options);
}

std::optional<std::string> ScriptedToolkit::save_file(const FileDialogOptions& options) {
  return file_dialog("save-file", options);
}

}  // namespace ui
