// Starting wxWidgets inside a host that did not, and only ever cleaning up what was started here.
#include "ui/wx/runtime.h"

#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>
#ifdef _WIN32
#include <wx/artprov.h>
#include <wx/icon.h>
#include <wx/msw/private.h>
#endif

#include <cstdlib>
#include <iostream>
#include <string>

#include "platform/error.h"

namespace ui::wx {
namespace {

// The application object of a plug-in that had to start wx itself.
class PluginApp : public wxApp {
 public:
  bool OnInit() override { return true; }
  // A wx self-check that fails is a line on stderr, never a dialog asking the clerk to stop the
  // host.
  void OnAssertFailure(const wxChar* file, int line, const wxChar* func, const wxChar* cond,
                       const wxChar* msg) override {
    std::cerr << "wxWidgets check failed: " << wxString(cond).utf8_str() << " ("
              << wxString(msg).utf8_str() << ") in " << wxString(func).utf8_str() << " at "
              << wxString(file).utf8_str() << ":" << line << std::endl;
  }
};

#ifdef _WIN32
// The message boxes' icons from the system's classic set, which every Windows has; wx's own
// choice, the shell's stock icons, is a blank page on some systems.
class SystemMessageIcons : public wxArtProvider {
 protected:
  wxBitmap CreateBitmap(const wxArtID& id, const wxArtClient&, const wxSize&) override {
    LPCTSTR which = id == wxART_ERROR         ? IDI_HAND
                    : id == wxART_WARNING     ? IDI_EXCLAMATION
                    : id == wxART_QUESTION    ? IDI_QUESTION
                    : id == wxART_INFORMATION ? IDI_ASTERISK
                                              : nullptr;
    if (which == nullptr) return wxNullBitmap;
    wxIcon icon;
    if (!icon.CreateFromHICON(::LoadIcon(nullptr, which))) return wxNullBitmap;
    wxBitmap bitmap;
    bitmap.CopyFromIcon(icon);
    return bitmap;
  }
};
#endif

// Module state: whether this module started wx, so that it alone cleans it up at exit.
struct Runtime {
  bool started = false;
  ~Runtime() {
    if (started) wxEntryCleanup();
  }
};

Runtime& runtime() {
  static Runtime r;
  return r;
}

[[noreturn]] void fail(const std::string& why) {
  std::string message =
      "no user interface is available: " + why + ", and PORT_UI_SCRIPT names no script to play";
  std::cerr << message << std::endl;
  throw platform::Error(message);
}

[[maybe_unused]] bool set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

void ensure_app() {
  if (wxTheApp != nullptr) return;
  Runtime& r = runtime();
#ifdef _WIN32
  // Window classes belong to the module that registers them: two plug-ins in one host, each with
  // its own copy of wx, must not meet on the program's.
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ensure_app), &self);
  wxSetInstance(self);
#else
  if (!set("DISPLAY") && !set("WAYLAND_DISPLAY")) {
    fail("there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
  }
#endif
  wxApp::SetInstance(new PluginApp);
  int argc = 1;
  char name[] = "plugin";
  char* argv[] = {name, nullptr};
  if (!wxEntryStart(argc, argv)) {
    // wxEntryStart has already released the application object it was given.
    wxApp::SetInstance(nullptr);
    fail("the display cannot be opened");
  }
  r.started = true;
  if (!wxTheApp->CallOnInit()) fail("the window toolkit did not start");
  // The host owns the process: closing our last window must not end anything.
  wxTheApp->SetExitOnFrameDelete(false);
#ifdef _WIN32
  wxArtProvider::Push(new SystemMessageIcons);
#endif
  // wx's own messages go to stderr rather than popping up windows of their own.
  delete wxLog::SetActiveTarget(new wxLogStderr);
}

}  // namespace ui::wx
