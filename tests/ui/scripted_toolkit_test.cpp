// The scripted user end to end on a small demonstration form, and the scripted toolkit's errors.
#include "ui/scripted_toolkit.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/label_image_panel.h"
#include "ui/memo_progress.h"
#include "ui/toolkit.h"

namespace {

// A dialog with one of everything the scripted user drives: a filtered edit, a list, an action
// with an enabling rule, a long run with a stop button, a save with a question and a file
// dialog, and a close event that refuses until something was saved.
class TDemo : public ui::Form {
 public:
  ui::Label LbCode{*this, "LbCode"};
  ui::Edit EdCode{*this, "EdCode"};
  ui::ComboBox CbKind{*this, "CbKind"};
  ui::Button BuRun{*this, "BuRun"};
  ui::Button BuStop{*this, "BuStop"};
  ui::Button BuSave{*this, "BuSave"};
  ui::ProgressBar Bar{*this, "Bar"};
  ui::Action ActRun{*this, "ActRun"};

  bool running = false;
  bool stop = false;
  int rows_done = 0;
  std::string saved_to;

  TDemo() : Form("TDemo") {
    set_caption("演示");
    set_client_size(300, 200);
    LbCode.set_caption("编号");
    EdCode.set_tab_order(0);
    EdCode.on_key_down = [](ui::Edit& edit, ui::KeyEvent& key) {
      if (key.key >= ui::vk::Numpad0 && key.key <= ui::vk::Numpad9) return;
      edit.set_style(edit.style() | ui::Edit::kNumber);
    };
    CbKind.set_style(ui::ComboBox::Style::DropDownList);
    CbKind.set_items({"甲", "乙"});
    CbKind.set_tab_order(1);
    ActRun.set_caption("运行");
    ActRun.on_update = [this](ui::Action& a) {
      a.set_enabled(!running && CbKind.item_index() >= 0);
    };
    ActRun.on_execute = [this](ui::Action&) { Run(); };
    BuRun.set_action(&ActRun);
    BuStop.set_caption("中止");
    BuStop.on_click = [this](ui::Button&) { stop = true; };
    BuSave.set_caption("保存");
    BuSave.on_click = [this](ui::Button&) { Save(); };
    on_close_query = [this](ui::Form&) { return !saved_to.empty(); };
    create();
  }

 private:
  void Run() {
    running = true;
    stop = false;
    Bar.set_range(0, 10);
    for (int i = 0; i < 10 && !stop; ++i) {
      ++rows_done;
      Bar.step_by(1);
      ui::toolkit().process_messages();
    }
    running = false;
  }

  void Save() {
    auto answer = ui::toolkit().message_box("保存吗?", caption(), ui::MessageIcon::Question,
                                            ui::MessageButtons::YesNo);
    if (answer != ui::DialogButton::Yes) return;
    ui::FileDialogOptions options;
    options.title = "保存到";
    options.filters = ui::parse_filters("Text (*.txt)|*.txt|All|*");
    auto path = ui::toolkit().save_file(options);
    if (path) saved_to = *path;
  }
};

std::string run_error(ui::ScriptedToolkit& tk, ui::Form& form) {
  ui::ScopedToolkit scope(tk);
  try {
    tk.show_modal(form);
  } catch (const ui::ScriptError& e) {
    return e.what();
  }
  return "no error";
}

}  // namespace

TEST(ScriptedToolkit, PlaysAPersonThroughADialogEndToEnd) {
  ui::ScriptedToolkit tk({
      "# a person fills the demo dialog",
      "type TDemo.EdCode \"1a2\"",
      "key TDemo.EdCode numpad3",
      "invoke TDemo.ActRun",
      "select TDemo.CbKind \"乙\"",
      "click TDemo.BuRun",
      "wait-messages 3",
      "click TDemo.BuStop",
      "close TDemo",
      "click TDemo.BuSave",
      "answer-message Yes",
      "choose-file \"/tmp/demo out.txt\"",
      "close TDemo",
  });
  ui::ScopedToolkit scope(tk);
  TDemo form;
  EXPECT_EQ(ui::toolkit().show_modal(form), ui::ModalResult::Cancel);

  EXPECT_EQ(form.EdCode.text(), "123");
  EXPECT_EQ(form.CbKind.item_index(), 1);
  EXPECT_EQ(form.CbKind.text(), "乙");
  EXPECT_EQ(form.rows_done, 3);
  EXPECT_EQ(tk.messages_processed(), 3u);
  EXPECT_EQ(form.saved_to, "/tmp/demo out.txt");
  EXPECT_EQ(tk.remaining(), 0u);
  EXPECT_EQ(tk.transcript(),
            "show TDemo \"演示\"\n"
            "  LbCode label caption=\"编号\"\n"
            "  EdCode edit text=\"\" focus\n"
            "  CbKind combo index=-1 text=\"\" items=[\"甲\",\"乙\"] list\n"
            "  BuRun button caption=\"运行\" disabled\n"
            "  BuStop button caption=\"中止\"\n"
            "  BuSave button caption=\"保存\"\n"
            "  Bar progress position=0 min=0 max=100\n"
            "  ActRun action caption=\"运行\" disabled\n"
            "> type TDemo.EdCode \"1a2\"\n"
            "  = text=\"12\" digits-only focus\n"
            "> key TDemo.EdCode numpad3\n"
            "  = text=\"123\" digits-only focus\n"
            "> invoke TDemo.ActRun\n"
            "refused invoke TDemo.ActRun (disabled)\n"
            "> select TDemo.CbKind \"乙\"\n"
            "  = index=1 text=\"乙\" items=[\"甲\",\"乙\"] list focus\n"
            "> click TDemo.BuRun\n"
            "> wait-messages 3\n"
            "> click TDemo.BuStop\n"
            "  = caption=\"中止\" focus\n"
            "  = caption=\"运行\"\n"
            "  focus BuStop\n"
            "> close TDemo\n"
            "close-refused TDemo\n"
            "> click TDemo.BuSave\n"
            "message question \"演示\" \"保存吗?\" [yes-no] -> yes\n"
            "save-file \"保存到\" filters=[\"Text (*.txt)|*.txt\",\"All|*\"] index=0 -> "
            "\"/tmp/demo out.txt\"\n"
            "  = caption=\"保存\" focus\n"
            "> close TDemo\n"
            "closed TDemo result=cancel\n");
}

TEST(ScriptedToolkit, DisabledButtonIsRefusedAndTheScriptGoesOn) {
  ui::ScriptedToolkit tk(
      {"click TDemo.BuRun", "click TDemo.BuSave", "answer-message no", "close TDemo"});
  ui::ScopedToolkit scope(tk);
  TDemo form;
  form.on_close_query = nullptr;
  EXPECT_EQ(tk.show_modal(form), ui::ModalResult::Cancel);
  EXPECT_NE(tk.transcript().find("refused click TDemo.BuRun (disabled)\n"), std::string::npos);
  EXPECT_EQ(form.rows_done, 0);
  // "No" ends the save before its file dialog.
  EXPECT_EQ(form.saved_to, "");
  EXPECT_EQ(tk.remaining(), 0u);
}

TEST(ScriptedToolkit, UnansweredMessageBoxFailsNamingItInsteadOfWaiting) {
  ui::ScriptedToolkit tk({"click TDemo.BuSave", "close TDemo"});
  TDemo form;
  std::string error = run_error(tk, form);
  EXPECT_NE(error.find("no answer to the message box \"演示\": \"保存吗?\""), std::string::npos)
      << error;
  EXPECT_NE(error.find("line 2: close TDemo"), std::string::npos) << error;
  EXPECT_NE(tk.transcript().find("[yes-no] -> no answer\nscript-error the script gives no answer"),
            std::string::npos);
}

TEST(ScriptedToolkit, FormLeftOpenOrFileDialogUnansweredFailsClearly) {
  {
    ui::ScriptedToolkit tk({"type TDemo.EdCode \"5\""});
    TDemo form;
    EXPECT_EQ(run_error(tk, form),
              "the script ended while form TDemo \"演示\" was waiting for input");
  }
  {
    ui::ScriptedToolkit tk({"click TDemo.BuSave", "answer-message yes"});
    TDemo form;
    EXPECT_EQ(run_error(tk, form),
              "the script gives no answer to the save-file dialog \"保存到\"; the script has "
              "ended");
  }
  {
    ui::ScriptedToolkit tk({"answer-message OK"});
    TDemo form;
    EXPECT_NE(run_error(tk, form).find("no dialog is open to answer"), std::string::npos);
  }
  {
    ui::ScriptedToolkit tk({"click TUSelSheet.Button1"});
    TDemo form;
    EXPECT_NE(run_error(tk, form).find("that form is not active; form TDemo"), std::string::npos);
  }
  {
    ui::ScriptedToolkit tk({"click TDemo.BuNope"});
    TDemo form;
    EXPECT_NE(run_error(tk, form).find("form TDemo has no control BuNope"), std::string::npos);
  }
  {
    ui::ScriptedToolkit tk({"select TDemo.CbKind \"丙\""});
    TDemo form;
    EXPECT_NE(run_error(tk, form).find("no entry \"丙\" (entries: [\"甲\",\"乙\"])"),
              std::string::npos);
  }
  {
    ui::ScriptedToolkit tk({"answer-message yes"});
    EXPECT_THROW(tk.message_box("x", "y", ui::MessageIcon::Error, ui::MessageButtons::Ok),
                 ui::ScriptError);
  }
}

TEST(ScriptedToolkit, WaitThatTheLoopNeverSatisfiesIsReported) {
  ui::ScriptedToolkit tk(
      {"select TDemo.CbKind 0", "click TDemo.BuRun", "wait-messages 11", "click TDemo.BuStop"});
  TDemo form;
  std::string error = run_error(tk, form);
  EXPECT_EQ(form.rows_done, 10);
  EXPECT_NE(error.find("line 3: wait-messages 11: only 10 calls"), std::string::npos) << error;
}

TEST(ScriptedToolkit, HandlerFailureIsShownAsAnErrorMessageAndTheDialogGoesOn) {
  ui::ScriptedToolkit tk(
      {"click TDemo.BuStop", "answer-message OK", "select TDemo.CbKind 1", "close TDemo"});
  ui::ScopedToolkit scope(tk);
  TDemo form;
  form.on_close_query = nullptr;
  form.BuStop.on_click = [](ui::Button&) { throw platform::Error("磁盘已满"); };
  EXPECT_EQ(tk.show_modal(form), ui::ModalResult::Cancel);
  EXPECT_NE(tk.transcript().find("message error \"演示\" \"磁盘已满\" [ok] -> ok\n"),
            std::string::npos);
  EXPECT_EQ(form.CbKind.item_index(), 1);
}

TEST(ScriptedToolkit, DumpWritesTheFormsCurrentState) {
  ui::ScriptedToolkit tk(
      {"select TDemo.CbKind 0", "click TDemo.BuRun", "dump TDemo", "close TDemo"});
  ui::ScopedToolkit scope(tk);
  TDemo form;
  form.on_close_query = nullptr;
  tk.show_modal(form);
  EXPECT_NE(tk.transcript().find("state TDemo \"演示\" height=231\n"
                                 "  LbCode label caption=\"编号\"\n"),
            std::string::npos);
  EXPECT_NE(tk.transcript().find("  Bar progress position=10 min=0 max=10\n"), std::string::npos);
}

TEST(ScriptedToolkit, DialogKeysAndFocusMovedByAHandlerShowInTheTranscript) {
  ui::ScriptedToolkit tk({"key TDemo.EdCode return", "key TDemo.EdCode 5",
                          "key TDemo.BuSave return", "answer-message no",
                          "key TDemo.EdCode escape"});
  ui::ScopedToolkit scope(tk);
  TDemo form;
  form.on_close_query = nullptr;
  ui::Button ok{form, "BuOk"};
  ui::Button cancel{form, "BuCancel"};
  ok.set_default(true);
  ok.on_click = [&](ui::Button&) {
    if (form.EdCode.text().empty()) form.CbKind.set_focus();  // a failed check names the list
  };
  cancel.set_cancel(true);
  cancel.set_modal_result(ui::ModalResult::Cancel);
  // Return in the empty edit presses OK, whose check moves the focus; Return on a focused
  // button presses it; Escape presses the cancel button, which closes the form.
  EXPECT_EQ(tk.show_modal(form), ui::ModalResult::Cancel);
  const std::string& t = tk.transcript();
  EXPECT_NE(t.find("> key TDemo.EdCode return\n  = text=\"\" digits-only\n  focus CbKind\n"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("> key TDemo.BuSave return\nmessage question"), std::string::npos) << t;
  EXPECT_NE(t.find("closed TDemo result=cancel"), std::string::npos) << t;
  EXPECT_EQ(form.EdCode.text(), "5");
}

TEST(ScriptParser, MalformedLinesAreReportedWithTheirNumber) {
  auto error_of = [](const std::vector<std::string>& lines) -> std::string {
    try {
      ui::ScriptedToolkit tk(lines);
    } catch (const ui::ScriptError& e) {
      return e.what();
    }
    return "accepted";
  };
  EXPECT_EQ(error_of({"# fine", "", "clik TDemo.BuOk"}),
            "script line 3: unknown action \"clik\": clik TDemo.BuOk");
  EXPECT_EQ(error_of({"type TDemo.EdCode \"12"}),
            "script line 1: a quoted text is not closed: type TDemo.EdCode \"12");
  EXPECT_EQ(error_of({"close TDemo", "type EdCode \"1\""}),
            "script line 2: type needs Form.Control, not \"EdCode\": type EdCode \"1\"");
  EXPECT_EQ(error_of({"click TDemo.BuOk now"}),
            "script line 1: click takes 0 values, not 1: click TDemo.BuOk now");
  EXPECT_EQ(error_of({"answer-message Maybe"}),
            "script line 1: answer-message needs OK, Cancel, Yes or No: answer-message Maybe");
  EXPECT_EQ(error_of({"wait-messages 0"}),
            "script line 1: wait-messages needs a count of 1 or more: wait-messages 0");
  EXPECT_EQ(error_of({"key TDemo.EdCode numpad"}),
            "script line 1: unknown key \"numpad\": key TDemo.EdCode numpad");
  EXPECT_EQ(error_of({"close TDemo.BuOk"}),
            "script line 1: close needs a form, not a control: close TDemo.BuOk");
}

TEST(ScriptParser, QuotedTextsKeepBlanksAndEscapes) {
  auto actions = ui::parse_script(
      "\xEF\xBB\xBF  paste A.B \"  a \\\"b\\\" \\\\ \\t\"\r\n"
      "select A.C 2\nselect A.C \"2\"\ngrid-set A.G 1 sourceField \"x y\"\n",
      "s");
  ASSERT_EQ(actions.size(), 4u);
  EXPECT_EQ(actions[0].args[0], "  a \"b\" \\ \t");
  EXPECT_EQ(actions[0].form, "A");
  EXPECT_EQ(actions[0].target, "B");
  EXPECT_TRUE(actions[1].by_index);
  EXPECT_FALSE(actions[2].by_index);
  EXPECT_EQ(actions[3].line, 4u);
  EXPECT_FALSE(actions[3].by_index);
  EXPECT_EQ(actions[3].args, (std::vector<std::string>{"1", "sourceField", "x y"}));
}

TEST(ModuleToolkit, ComesFromTheEnvironmentAndWritesItsTranscriptFile) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "ui_module_toolkit_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  ui::install_toolkit(nullptr);
  unsetenv("PORT_UI_SCRIPT");
  EXPECT_THROW(ui::toolkit(), platform::Error);

  std::ofstream(dir / "play.txt") << "select TDemo.CbKind \"甲\"\nclose TDemo\n";
  setenv("PORT_UI_SCRIPT", (dir / "play.txt").string().c_str(), 1);
  setenv("PORT_UI_TRANSCRIPT", (dir / "transcript.txt").string().c_str(), 1);
  {
    TDemo form;
    form.on_close_query = nullptr;
    EXPECT_EQ(ui::toolkit().show_modal(form), ui::ModalResult::Cancel);
  }
  std::ifstream in(dir / "transcript.txt");
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("> select TDemo.CbKind \"甲\"\n"), std::string::npos);
  EXPECT_NE(text.str().find("closed TDemo result=cancel\n"), std::string::npos);

  std::ofstream(dir / "bad.txt") << "close TDemo\nwait-messages x\n";
  setenv("PORT_UI_SCRIPT", (dir / "bad.txt").string().c_str(), 1);
  ui::install_toolkit(nullptr);
  try {
    ui::toolkit();
    FAIL() << "a malformed script was accepted";
  } catch (const ui::ScriptError& e) {
    EXPECT_EQ(std::string(e.what()),
              (dir / "bad.txt").string() +
                  " line 2: wait-messages needs a count of 1 or more: wait-messages x");
  }
  unsetenv("PORT_UI_SCRIPT");
  unsetenv("PORT_UI_TRANSCRIPT");
  ui::install_toolkit(nullptr);
  // The session keeps its transcript open, which Windows does not let be removed.
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

TEST(ModuleToolkit, ANewScriptNameStartsANewSessionAndADisplayToolkitServesWithoutOne) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "ui_module_session_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "a.txt") << "cancel-file\n";
  std::ofstream(dir / "b.txt") << "choose-file /b.xls\n";
  ui::install_toolkit(nullptr);
  unsetenv("PORT_UI_TRANSCRIPT");
  setenv("PORT_UI_SCRIPT", (dir / "a.txt").string().c_str(), 1);
  EXPECT_EQ(ui::toolkit().open_file({}), std::nullopt);
  setenv("PORT_UI_SCRIPT", (dir / "b.txt").string().c_str(), 1);
  EXPECT_EQ(ui::toolkit().open_file({}), "/b.xls");

  unsetenv("PORT_UI_SCRIPT");
  ui::register_display_toolkit([]() -> std::unique_ptr<ui::Toolkit> {
    return std::make_unique<ui::ScriptedToolkit>(std::vector<std::string>{"choose-file /w.xls"});
  });
  EXPECT_EQ(ui::toolkit().open_file({}), "/w.xls");
  ui::register_display_toolkit(nullptr);
  ui::install_toolkit(nullptr);
  fs::remove_all(dir);
}
