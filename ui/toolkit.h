// The toolkit interface dialogs are shown through, and the toolkit the module holds.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace ui {

class Form;

enum class MessageIcon { None, Error, Warning, Information, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class DialogButton { Ok, Cancel, Yes, No };

// "error", "ok", "yes-no", ... as transcripts and scripts spell them.
const char* icon_name(MessageIcon icon);
const char* buttons_name(MessageButtons buttons);
const char* button_name(DialogButton button);
// Whether a button belongs to a button set.
bool offers(MessageButtons buttons, DialogButton button);

// One entry of a file dialog's type list.
struct FileFilter {
  std::string description;  // "Excel files (*.xls)"
  std::string patterns;     // "*.xls" or "*.xls;*.xlsx"
  bool operator==(const FileFilter&) const = default;
};

// Splits the Windows notation "description|patterns|description|patterns...".
std::vector<FileFilter> parse_filters(std::string_view text);

// What a file dialog shows and starts from.
struct FileDialogOptions {
  std::string title;
  std::vector<FileFilter> filters;
  int filter_index = 0;  // preselected entry, counted from 0
  std::string initial_folder;
  std::string file_name;  // preset name
  std::string default_extension;
  bool overwrite_prompt = false;  // save: ask before replacing an existing file
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Runs the form's modal loop until it closes; returns its modal result. Handlers' exceptions
  // are shown as error message boxes, as an application's error display would, and the loop
  // goes on.
  virtual ModalResult show_modal(Form& form) = 0;
  virtual DialogButton message_box(const std::string& text, const std::string& caption,
                                   MessageIcon icon, MessageButtons buttons) = 0;
  // The chosen path, or nothing when the person cancelled.
  virtual std::optional<std::string> open_file(const FileDialogOptions& options) = 0;
  virtual std::optional<std::string> save_file(const FileDialogOptions& options) = 0;
  // Lets pending user input run (a stop button during a long loop).
  virtual void process_messages() = 0;
};

// The toolkit the module uses. Each plug-in links this layer statically, so each holds its own.
// When none is installed, the first call makes the default one: the scripted toolkit when
// PORT_UI_SCRIPT is set (see ui/README.md), else the display toolkit when one is registered;
// otherwise it throws platform::Error saying no user interface is available. A toolkit made
// from PORT_UI_SCRIPT is made anew, between dialogs, once PORT_UI_SCRIPT or PORT_UI_TRANSCRIPT
// names another file.
Toolkit& toolkit();

// Makes the toolkit for real windows, or throws platform::Error saying why there is none (no
// display). Registered by a GUI backend; consulted when no script is set.
using ToolkitFactory = std::unique_ptr<Toolkit> (*)();
void register_display_toolkit(ToolkitFactory factory);

// Installs a toolkit owned by the module; returns the one it replaces (may be null).
std::unique_ptr<Toolkit> install_toolkit(std::unique_ptr<Toolkit> toolkit);

// Uses a toolkit owned elsewhere for the lifetime of the scope (tests), then restores the
// previous one.
class ScopedToolkit {
 public:
  explicit ScopedToolkit(Toolkit& toolkit);
  ~ScopedToolkit();
  ScopedToolkit(const ScopedToolkit&) = delete;
  ScopedToolkit& operator=(const ScopedToolkit&) = delete;

 private:
  Toolkit* previous_;
};

// The host's window that dialogs are to be modal over, when a plug-in's host names one. Backends
// without windows ignore it.
struct NativeParent {
  enum class Kind { None, Wx, Gdk };
  Kind kind = Kind::None;
  void* window = nullptr;  // a wxWindow* of a wx host, or the GdkWindow* of a GTK host's window
};
const NativeParent& native_parent();

// Names the host's window for the lifetime of the scope (one export's call), then restores the
// previous one.
class ScopedNativeParent {
 public:
  explicit ScopedNativeParent(NativeParent parent);
  ~ScopedNativeParent();
  ScopedNativeParent(const ScopedNativeParent&) = delete;
  ScopedNativeParent& operator=(const ScopedNativeParent&) = delete;

 private:
  NativeParent previous_;
};

}  // namespace ui
