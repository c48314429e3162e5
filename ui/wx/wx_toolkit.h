// The toolkit of real windows: forms as wx dialogs, message boxes with their icons, the
// standard file dialogs, and message processing during long loops.
#pragma once

#include <chrono>
#include <memory>

#include "ui/toolkit.h"

namespace ui::wx {

class WxToolkit : public Toolkit {
 public:
  // Starts wx when the host has not (see runtime.h); throws platform::Error without a display.
  WxToolkit();

  ModalResult show_modal(Form& form) override;
  DialogButton message_box(const std::string& text, const std::string& caption, MessageIcon icon,
                           MessageButtons buttons) override;
  std::optional<std::string> open_file(const FileDialogOptions& options) override;
  std::optional<std::string> save_file(const FileDialogOptions& options) override;
  // Called after every step of a long loop. Input that is waiting is handled when at least
  // kInputInterval has passed since the last look: looking costs a round trip to the display
  // server (several system calls), far more than one row of an import, while a millisecond is
  // well below what a person pressing a button can tell. Painting and idle time, where the
  // windows catch up with what changed meanwhile, come at most every kScreenInterval, and
  // further apart when they take long: the loop runs at least kLoopTimePerScreenTime times as
  // long as the screen between two updates. So the loop does not repaint at every step.
  void process_messages() override;

  static constexpr std::chrono::milliseconds kInputInterval{1};
  static constexpr std::chrono::milliseconds kScreenInterval{40};
  static constexpr int kLoopTimePerScreenTime = 6;

 private:
  std::chrono::steady_clock::time_point next_screen_update_{};
  std::chrono::steady_clock::time_point last_input_check_{};
  // Spent on the screen and on input since the last screen update.
  std::chrono::steady_clock::duration screen_time_{};
};

// The factory the user-interface layer is given (registered when the module loads).
std::unique_ptr<Toolkit> make_wx_toolkit();

// A message box with its icon; the one implementation both the toolkit and the form windows
// (for a handler's error) use.
DialogButton show_message(const std::string& text, const std::string& caption, MessageIcon icon,
                          MessageButtons buttons);

}  // namespace ui::wx
