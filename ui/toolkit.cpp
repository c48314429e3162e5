// The module's current toolkit and the names of message-box and file-dialog values.
#include "ui/toolkit.h"

#include <cstdlib>
#include <utility>

#include "platform/error.h"
#include "ui/scripted_toolkit.h"

namespace ui {
namespace {

// The module state: the toolkit this plug-in (or test program) shows its dialogs through.
struct ToolkitSlot {
  std::unique_ptr<Toolkit> owned;
  Toolkit* current = nullptr;
  // Set while `owned` was made from the environment: the values it was made from.
  ScriptedToolkit* from_env = nullptr;
  std::string script_env;
  std::string transcript_env;
  ToolkitFactory display = nullptr;
};

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

ToolkitSlot& slot() {
  static ToolkitSlot s;
  return s;
}

}  // namespace

const char* icon_name(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return "none";
    case MessageIcon::Error:
      return "error";
    case MessageIcon::Warning:
      return "warning";
    case MessageIcon::Information:
      return "information";
    case MessageIcon::Question:
      return "question";
  }
  return "none";
}

const char* buttons_name(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return "ok";
    case MessageButtons::OkCancel:
      return "ok-cancel";
    case MessageButtons::YesNo:
      return "yes-no";
    case MessageButtons::YesNoCancel:
      return "yes-no-cancel";
  }
  return "ok";
}

const char* button_name(DialogButton button) {
  switch (button) {
    case DialogButton::Ok:
      return "ok";
    case DialogButton::Cancel:
      return "cancel";
    case DialogButton::Yes:
      return "yes";
    case DialogButton::No:
      return "no";
  }
  return "ok";
}

bool offers(MessageButtons buttons, DialogButton button) {
  switch (buttons) {
    case MessageButtons::Ok:
      return button == DialogButton::Ok;
    case MessageButtons::OkCancel:
      return button == DialogButton::Ok || button == DialogButton::Cancel;
    case MessageButtons::YesNo:
      return button == DialogButton::Yes || button == DialogButton::No;
    case MessageButtons::YesNoCancel:
      return button != DialogButton::Ok;
  }
  return false;
}

std::vector<FileFilter> parse_filters(std::string_view text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t bar = text.find('|', start);
    if (bar == std::string_view::npos) bar = text.size();
    parts.emplace_back(text.substr(start, bar - start));
    start = bar + 1;
  }
  std::vector<FileFilter> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    filters.push_back({parts[i], parts[i + 1]});
  }
  return filters;
}

Toolkit& toolkit() {
  ToolkitSlot& s = slot();
  // A host that runs several scripted sessions in one process (a test) names a new script for
  // each; it is taken up between dialogs, never in the middle of one.
  if (s.from_env != nullptr && s.current == s.from_env && s.from_env->idle() &&
      (env("PORT_UI_SCRIPT") != s.script_env || env("PORT_UI_TRANSCRIPT") != s.transcript_env)) {
    s.owned.reset();
    s.current = nullptr;
    s.from_env = nullptr;
  }
  if (s.current == nullptr) {
    s.script_env = env("PORT_UI_SCRIPT");
    s.transcript_env = env("PORT_UI_TRANSCRIPT");
    if (s.script_env.empty()) {
      if (s.display != nullptr) {
        s.owned = s.display();
        s.current = s.owned.get();
        return *s.current;
      }
      throw platform::Error(
          "no user interface is available: no display toolkit is built in, and PORT_UI_SCRIPT "
          "names no script to play");
    }
    auto scripted = ScriptedToolkit::from_environment();
    s.from_env = scripted.get();
    s.owned = std::move(scripted);
    s.current = s.owned.get();
  }
  return *s.current;
}

void register_display_toolkit(ToolkitFactory factory) {
  slot().display = factory;
}

std::unique_ptr<Toolkit> install_toolkit(std::unique_ptr<Toolkit> toolkit) {
  ToolkitSlot& s = slot();
  s.from_env = nullptr;
  std::unique_ptr<Toolkit> previous = std::move(s.owned);
  s.owned = std::move(toolkit);
  s.current = s.owned.get();
  return previous;
}

ScopedToolkit::ScopedToolkit(Toolkit& toolkit) : previous_(slot().current) {
  slot().current = &toolkit;
}

ScopedToolkit::~ScopedToolkit() {
  slot().current = previous_;
}

namespace {

NativeParent& parent_slot() {
  static NativeParent parent;
  return parent;
}

}  // namespace

const NativeParent& native_parent() {
  return parent_slot();
}

ScopedNativeParent::ScopedNativeParent(NativeParent parent) : previous_(parent_slot()) {
  parent_slot() = parent;
}

ScopedNativeParent::~ScopedNativeParent() {
  parent_slot() = previous_;
}

}  // namespace ui
