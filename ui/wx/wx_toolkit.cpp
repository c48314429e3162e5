// Modal forms, message boxes, file dialogs and message processing through wxWidgets.
#include "ui/wx/wx_toolkit.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/nativewin.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#ifdef _WIN32
#include <wx/msw/wrapwin.h>
#endif

#include <algorithm>

#ifdef _WIN32
#include "platform/codepage_win32.h"
#endif
#include "ui/form.h"
#include "ui/quote.h"
#include "ui/wx/form_window.h"
#include "ui/wx/runtime.h"
#include "ui/wx/screen_log.h"
#include "ui/wx/widgets.h"

namespace ui::wx {
namespace {

long icon_style(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return wxICON_NONE;
    case MessageIcon::Error:
      return wxICON_ERROR;
    case MessageIcon::Warning:
      return wxICON_WARNING;
    case MessageIcon::Information:
      return wxICON_INFORMATION;
    case MessageIcon::Question:
      return wxICON_QUESTION;
  }
  return wxICON_NONE;
}

long buttons_style(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return wxOK;
    case MessageButtons::OkCancel:
      return wxOK | wxCANCEL;
    case MessageButtons::YesNo:
      return wxYES_NO;
    case MessageButtons::YesNoCancel:
      return wxYES_NO | wxCANCEL;
  }
  return wxOK;
}

// What a message box shows, for the screen log: its place, icon, text and buttons.
class MessageLogSource : public ScreenLogSource {
 public:
  MessageLogSource(const wxDialog& dialog, std::string caption, std::string text, MessageIcon icon)
      : dialog_(dialog), caption_(std::move(caption)), text_(std::move(text)), icon_(icon) {}

  void describe(std::vector<std::string>& lines) const override {
    lines.push_back("message " + quote(caption_) + " " + quote(text_) + " " + icon_name(icon_) +
                    screen_rect(dialog_));
    describe_children(dialog_, lines);
  }

 private:
  static void describe_children(const wxWindow& parent, std::vector<std::string>& lines) {
    for (const wxWindow* child : parent.GetChildren()) {
      if (!child->IsShown()) continue;
      if (dynamic_cast<const wxStaticBitmap*>(child) != nullptr) {
        lines.push_back("  icon" + screen_rect(*child));
      } else if (auto* button = dynamic_cast<const wxButton*>(child)) {
        lines.push_back("  button " + quote(utf8_text(button->GetLabelText())) +
                        screen_rect(*child));
      }
      describe_children(*child, lines);
    }
  }

  const wxDialog& dialog_;
  std::string caption_;
  std::string text_;
  MessageIcon icon_;
};

class FileDialogLogSource : public ScreenLogSource {
 public:
  FileDialogLogSource(const wxDialog& dialog, std::string title)
      : dialog_(dialog), title_(std::move(title)) {}
  void describe(std::vector<std::string>& lines) const override {
    lines.push_back("file-dialog " + quote(title_) + screen_rect(dialog_));
  }

 private:
  const wxDialog& dialog_;
  std::string title_;
};

// "desc|patterns|..." as wx spells a type list; patterns keep their ";" separators.
wxString wildcard(const std::vector<FileFilter>& filters) {
  if (filters.empty()) return "*";
  wxString out;
  for (const auto& f : filters) {
    if (!out.empty()) out += "|";
    out += wx_text(f.description) + "|" + wx_text(f.patterns);
  }
  return out;
}

// Paths are the bytes the file system takes: UTF-8 on Linux; on Windows the ANSI code page's,
// as hosts pass them.
wxString native_path(const std::string& bytes) {
#ifdef _WIN32
  return wxString(platform::win32::widen(CP_ACP, bytes));
#else
  return wxString::FromUTF8(bytes);
#endif
}

std::string native_bytes(const wxString& path) {
#ifdef _WIN32
  return platform::win32::narrow(CP_ACP, path.ToStdWstring());
#else
  return std::string(path.fn_str());
#endif
}

std::optional<std::string> run_file_dialog(const FileDialogOptions& options, bool save) {
  // Titled as the system's own dialogs are when the caller gives none.
  std::string title = options.title.empty() ? (save ? "保存" : "打开") : options.title;
  long style = save ? wxFD_SAVE : wxFD_OPEN;
  if (save && options.overwrite_prompt) style |= wxFD_OVERWRITE_PROMPT;
  wxFileDialog dialog(nullptr, wx_text(title), native_path(options.initial_folder),
                      wx_text(options.file_name), wildcard(options.filters), style);
  if (!options.filters.empty()) dialog.SetFilterIndex(options.filter_index);
  FileDialogLogSource source(dialog, title);
  ScreenLogEntry entry(&source);
  // The native dialog sends no idle events of its own; it is listed before it shows.
  screen_log_flush();
  dialog.Bind(wxEVT_IDLE, [](wxIdleEvent& e) {
    screen_log_flush();
    e.Skip();
  });
  if (dialog.ShowModal() != wxID_OK) return std::nullopt;
  wxFileName chosen(dialog.GetPath());
  if (!options.default_extension.empty() && !chosen.HasExt()) {
    chosen.SetExt(wx_text(options.default_extension));
  }
  return native_bytes(chosen.GetFullPath());
}

// The host's window named by ui::native_parent(), as a wx window. A GTK host's window is
// wrapped once and the wrapper kept: wx deletes it itself when the native window goes.
wxWindow* parent_window() {
  const NativeParent& parent = native_parent();
  if (parent.window == nullptr) return nullptr;
  switch (parent.kind) {
    case NativeParent::Kind::Wx:
      return static_cast<wxWindow*>(parent.window);
    case NativeParent::Kind::Gdk: {
      static wxNativeContainerWindow* wrapper = nullptr;
      static void* wrapped = nullptr;
      if (wrapped != parent.window) {
        wrapper =
            new wxNativeContainerWindow(static_cast<wxNativeContainerWindowHandle>(parent.window));
        wrapped = parent.window;
      }
      return wrapper;
    }
    case NativeParent::Kind::None:
      break;
  }
  return nullptr;
}

}  // namespace

WxToolkit::WxToolkit() {
  ensure_app();
}

ModalResult WxToolkit::show_modal(Form& form) {
  form.begin_modal();
  // A show handler may already have closed the form.
  if (form.close_pending() && form.settle_close()) return form.modal_result();
  FormWindow window(form, parent_window());
  window.run();
  return form.modal_result();
}

DialogButton WxToolkit::message_box(const std::string& text, const std::string& caption,
                                    MessageIcon icon, MessageButtons buttons) {
  return show_message(text, caption, icon, buttons);
}

DialogButton show_message(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons) {
  // The generic dialog, since GTK's own shows no icon.
  wxGenericMessageDialog dialog(nullptr, wx_text(text), wx_text(caption),
                                buttons_style(buttons) | icon_style(icon) | wxCENTRE);
  // The buttons speak the dialogs' language whatever the process's locale.
  dialog.SetYesNoCancelLabels(wx_text("是"), wx_text("否"), wx_text("取消"));
  dialog.SetOKCancelLabels(wx_text("确定"), wx_text("取消"));
  MessageLogSource source(dialog, caption, text, icon);
  ScreenLogEntry entry(&source);
  dialog.Bind(wxEVT_IDLE, [](wxIdleEvent& e) {
    screen_log_flush();
    e.Skip();
  });
  switch (dialog.ShowModal()) {
    case wxID_OK:
      return DialogButton::Ok;
    case wxID_YES:
      return DialogButton::Yes;
    case wxID_NO:
      return DialogButton::No;
    default:
      // Escape or the close box: what the button set offers for "no answer".
      return offers(buttons, DialogButton::Cancel) ? DialogButton::Cancel
             : offers(buttons, DialogButton::Ok)   ? DialogButton::Ok
                                                   : DialogButton::No;
  }
}

std::optional<std::string> WxToolkit::open_file(const FileDialogOptions& options) {
  return run_file_dialog(options, false);
}

std::optional<std::string> WxToolkit::save_file(const FileDialogOptions& options) {
  return run_file_dialog(options, true);
}

void WxToolkit::process_messages() {
  using Clock = std::chrono::steady_clock;
  if (wxTheApp == nullptr) return;
  const Clock::time_point now = Clock::now();
  if (now >= next_screen_update_) {
    wxTheApp->Yield(true);
    const Clock::time_point end = Clock::now();
    screen_time_ += end - now;
    // Where drawing is slow (software rendering, a loaded machine) the updates come further
    // apart, so that the screen never takes more than a small share of the loop's time.
    next_screen_update_ =
        end + std::max<Clock::duration>(kScreenInterval, screen_time_ * kLoopTimePerScreenTime);
    screen_time_ = {};
    last_input_check_ = end;
    return;
  }
  if (now - last_input_check_ < kInputInterval) return;
  last_input_check_ = now;
  // A bounded number of rounds: an idle handler that keeps asking for more must not hold the
  // caller here. What they take is mostly drawing, so it counts as the screen's time.
  for (int round = 0; round < 8 && wxTheApp->Pending(); ++round) wxTheApp->Dispatch();
  screen_time_ += Clock::now() - now;
}

std::unique_ptr<Toolkit> make_wx_toolkit() {
  return std::make_unique<WxToolkit>();
}

}  // namespace ui::wx
