// The scripted toolkit: plays a person from a script and writes what was shown to a transcript.
// The script format and the transcript are described in ui/README.md.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "ui/toolkit.h"

namespace ui {

class DataGrid;

// A fault of the script against the dialogs: a malformed line, a dialog it does not answer, an
// action on a form or control that is not there. Never shown as a message box; it ends the run.
class ScriptError : public platform::Error {
 public:
  using platform::Error::Error;
};

// One parsed script line.
struct ScriptAction {
  std::size_t line = 0;
  std::string verb;
  std::string form;    // for actions on forms and controls
  std::string target;  // control or action name; empty for a form
  std::vector<std::string> args;
  // select, select-page, grid-set, select-cell, (ctrl-)click-title: the choice is an index
  bool by_index = false;
  std::string source;  // the line as written, for messages
};

// Parses a script; throws ScriptError naming the line number of the first malformed line.
std::vector<ScriptAction> parse_script(std::string_view text, const std::string& origin);

class ScriptedToolkit : public Toolkit {
 public:
  // From a test's list of lines; `origin` names the script in errors ("script line 3: ...").
  explicit ScriptedToolkit(const std::vector<std::string>& lines, std::string origin = "script");
  // From a script's whole text (a file's content).
  static std::unique_ptr<ScriptedToolkit> from_text(std::string_view text, std::string origin);
  // From PORT_UI_SCRIPT, writing to PORT_UI_TRANSCRIPT when that is set.
  static std::unique_ptr<ScriptedToolkit> from_environment();

  ModalResult show_modal(Form& form) override;
  DialogButton message_box(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons) override;
  std::optional<std::string> open_file(const FileDialogOptions& options) override;
  std::optional<std::string> save_file(const FileDialogOptions& options) override;
  void process_messages() override;

  // The transcript so far, one line per entry, each ending in "\n".
  const std::string& transcript() const { return transcript_; }
  // Also appends each transcript line to this file as it is written.
  void write_transcript_to(std::string path);
  // Script actions not yet played.
  std::size_t remaining() const { return actions_.size() - next_; }
  // True while no form is showing (between dialogs).
  bool idle() const { return modal_stack_.empty(); }
  // How many times process_messages has been called.
  std::size_t messages_processed() const { return processed_; }

 private:
  std::optional<std::string> file_dialog(const char* kind, const FileDialogOptions& options);
  const ScriptAction* peek() const;
  std::string next_description() const;
  [[noreturn]] void raise(const std::string& message);
  [[noreturn]] void fail(const ScriptAction& action, const std::string& what);
  void perform_guarded(Form& form, const ScriptAction& action);
  void perform(Form& form, const ScriptAction& action);
  bool perform_on_control(Form& form, const ScriptAction& action, Control& control);
  std::size_t grid_column(const ScriptAction& action, const DataGrid& grid,
                          const std::string& name);
  Form& showing_form(const ScriptAction& action);
  void record_form(const Form& form, const char* entry);
  void log(const std::string& line);

  std::string origin_;
  std::vector<ScriptAction> actions_;
  std::size_t next_ = 0;
  std::vector<Form*> modal_stack_;
  std::size_t processed_ = 0;
  std::size_t waited_ = 0;  // calls counted towards the current wait-messages
  std::string transcript_;
  std::string transcript_path_;
};

}  // namespace ui
