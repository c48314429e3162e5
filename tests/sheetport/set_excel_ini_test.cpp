// The configuration dialog played by a scripted user: what it shows, refuses, and writes.
#include "sheetport/set_excel_ini.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/error.h"
#include "test_files.h"
#include "ui/scripted_toolkit.h"
#ifndef _WIN32
#include "unprivileged_user.h"
#endif

namespace sheetport {
namespace {

using test_helpers::read_file;
using test_helpers::TempFolder;
using test_helpers::write_file;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

struct Run {
  int save_result;
  std::string transcript;
  std::string focused;
};

// Shows a fresh dialog for path and plays the script lines on it.
Run show(const std::string& path, std::vector<std::string> lines,
         TFrmSetExcelINI::WriterFactory writer = nullptr) {
  ui::ScriptedToolkit toolkit(lines);
  ui::ScopedToolkit scope(toolkit);
  TFrmSetExcelINI form;
  form.ParamPath = path;
  if (writer) form.make_writer = writer;
  toolkit.show_modal(form);
  return {form.SaveResult, toolkit.transcript(),
          form.focused() ? form.focused()->name() : std::string()};
}

const std::string kDialog = "TFrmSetExcelINI";

TEST(TFrmSetExcelINI, MissingFileShowsTwoAndOkWritesTheEmptyMapKeepingOtherSections) {
  TempFolder dir;
  const std::string path = dir.file("Unfixed.ini");
  auto first = show(dir.file("absent.ini"), {"close " + kDialog});
  EXPECT_THAT(first.transcript, HasSubstr("EdSign edit text=\"2\""));
  EXPECT_THAT(first.transcript, HasSubstr("EdKHBH edit text=\"\""));
  EXPECT_EQ(first.focused, "EdKHBH");

  write_file(path,
             "; kept comment\n[OTHER]\nX=1\n[CHANGCOL]\nKHBHORDER=1\nKHBHNAME=KHBH\n"
             "ZJHMORDER=4\nZJHMNAME=ZJHM\n");
  auto run = show(path, {"clear " + kDialog + ".EdKHBH", "clear " + kDialog + ".EdZJHM",
                         "click " + kDialog + ".BuOk"});
  EXPECT_EQ(run.save_result, 0);
  EXPECT_EQ(read_file(path),
            "; kept comment\n[OTHER]\nX=1\n[CHANGCOL]\nDELIMITER=2\n"
            "[PUBLICPROPERTY]\nNONCETYPENAME=CHANGCOL\nCOUNT=0\n");
}

TEST(TFrmSetExcelINI, DuplicateKeepsTheDialogOpenWithFocusAndCancelLeavesTheFile) {
  TempFolder dir;
  const std::string path = dir.file("Unfixed.ini");
  write_file(path, "[CHANGCOL]\nDELIMITER=2\n");
  auto run = show(path, {"type " + kDialog + ".EdKHMC \"3\"", "type " + kDialog + ".EdSSDM \"3\"",
                         "click " + kDialog + ".BuOk", "answer-message OK", "close " + kDialog});
  EXPECT_THAT(run.transcript,
              HasSubstr("message error \"输入出错\" \"客户名称位置不能有重复,请修改．\""));
  EXPECT_EQ(run.focused, "EdKHMC");
  EXPECT_EQ(run.save_result, 1);
  EXPECT_EQ(read_file(path), "[CHANGCOL]\nDELIMITER=2\n");

  run = show(path, {"type " + kDialog + ".EdJYJ \"0\"", "click " + kDialog + ".BuOk",
                    "answer-message OK", "click " + kDialog + ".BuCancel"});
  EXPECT_THAT(run.transcript, HasSubstr("\"交易金额位置必须从1开始.\""));
  EXPECT_EQ(run.save_result, 1);
  EXPECT_EQ(read_file(path), "[CHANGCOL]\nDELIMITER=2\n");
}

TEST(TFrmSetExcelINI, ThreeAndOhThreeAreDifferentPositionsAndBothAreWritten) {
  TempFolder dir;
  const std::string path = dir.file("Unfixed.ini");
  auto run = show(path, {"type " + kDialog + ".EdKHBH \"3\"", "type " + kDialog + ".EdKHMC \"03\"",
                         "click " + kDialog + ".BuOk"});
  EXPECT_EQ(run.save_result, 0);
  EXPECT_THAT(read_file(path), HasSubstr("KHBHORDER=3\r\nKHBHNAME=KHBH\r\nKHXMORDER=03\r\n"));
  EXPECT_THAT(read_file(path), HasSubstr("COUNT=2"));
}

TEST(TFrmSetExcelINI, StoredStartRowsShowAndSaveBackUnchanged) {
  TempFolder dir;
  const std::string path = dir.file("Unfixed.ini");
  for (const std::string row : {"9", "32", "255", "300", "65535"}) {
    write_file(path, "[CHANGCOL]\nDELIMITER=" + row + "\n");
    auto run = show(path, {"click " + kDialog + ".BuOk"});
    EXPECT_THAT(run.transcript, HasSubstr("EdSign edit text=\"" + row + "\""));
    EXPECT_EQ(run.save_result, 0) << row;
    EXPECT_THAT(read_file(path), HasSubstr("[CHANGCOL]\nDELIMITER=" + row + "\n"));
  }
}

TEST(TFrmSetExcelINI, FirstKeyThatIsNotAKeypadDigitSwitchesOnTheDigitsOnlyFilter) {
  TempFolder dir;
  auto run = show(dir.file("Unfixed.ini"),
                  {"key " + kDialog + ".EdKHBH a", "key " + kDialog + ".EdKHBH 1",
                   "key " + kDialog + ".EdKHMC numpad2", "key " + kDialog + ".EdKHMC b",
                   "key " + kDialog + ".EdKHMC numpad3", "type " + kDialog + ".EdSign \"x\"",
                   "close " + kDialog});
  EXPECT_THAT(run.transcript, HasSubstr("= text=\"1\" digits-only"));
  EXPECT_THAT(run.transcript, HasSubstr("= text=\"23\" digits-only"));
  EXPECT_THAT(run.transcript, HasSubstr("= text=\"2x\""));
}

TEST(TFrmSetExcelINI, PastedBlanksAreCaughtByTheMinimumCheck) {
  TempFolder dir;
  const std::string path = dir.file("Unfixed.ini");
  auto run = show(path, {"paste " + kDialog + ".EdZJLX \"  \"", "click " + kDialog + ".BuOk",
                         "answer-message OK", "close " + kDialog});
  EXPECT_THAT(run.transcript, HasSubstr("\"'  ' is not a valid integer value\""));
  EXPECT_EQ(run.focused, "EdZJLX");
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(TFrmSetExcelINI, MinimumMessagesFollowTheirOrder) {
  TempFolder dir;
  auto run =
      show(dir.file("Unfixed.ini"),
           {"type " + kDialog + ".EdKHBH \"0\"", "type " + kDialog + ".EdKHZH \"00\"",
            "click " + kDialog + ".BuOk", "answer-message OK", "clear " + kDialog + ".EdKHZH",
            "click " + kDialog + ".BuOk", "answer-message OK", "close " + kDialog});
  auto account = run.transcript.find("客户账号位置必须从1开始.");
  auto number = run.transcript.find("客户编号位置必须从1开始.");
  ASSERT_NE(account, std::string::npos);
  ASSERT_NE(number, std::string::npos);
  EXPECT_LT(account, number);
}

// Passes writes to the file's writer and refuses the nth one.
class FailingWriter : public SettingsWriter {
 public:
  FailingWriter(const std::string& path, int fail_at) : inner_(path), fail_at_(fail_at) {}
  void set(std::string_view s, std::string_view k, std::string_view v) override {
    step();
    inner_.set(s, k, v);
  }
  void erase(std::string_view s, std::string_view k) override {
    step();
    inner_.erase(s, k);
  }
  void commit() override {
    step();
    inner_.commit();
  }

 private:
  void step() {
    if (count_++ == fail_at_) throw platform::Error("disk full");
  }
  ProfileWriter inner_;
  int fail_at_;
  int count_ = 0;
};

TEST(TFrmSetExcelINI, WriteFailingPartWayOrReadOnlyFileLeavesTheFileAsItWas) {
  TempFolder dir;
  const std::string path = dir.file("Unfixed.ini");
  const std::string before = "[CHANGCOL]\nDELIMITER=4\nKHBHORDER=1\n[PUBLICPROPERTY]\nCOUNT=1\n";
  write_file(path, before);
  auto writer = [](const std::string& p) { return std::make_unique<FailingWriter>(p, 5); };
  auto run =
      show(path,
           {"type " + kDialog + ".EdKHMC \"2\"", "click " + kDialog + ".BuOk", "answer-message OK"},
           writer);
  EXPECT_THAT(run.transcript, HasSubstr("message error \"出错\" \"设置参数出错,请重试.\""));
  EXPECT_EQ(run.save_result, 1);
  EXPECT_EQ(read_file(path), before);

  ::chmod(path.c_str(), 0444);
  run = show(path, {"type " + kDialog + ".EdKHMC \"2\"", "click " + kDialog + ".BuOk",
                    "answer-message OK"});
  EXPECT_THAT(run.transcript, HasSubstr("\"设置参数出错,请重试.\""));
  EXPECT_EQ(run.save_result, 1);
  EXPECT_EQ(read_file(path), before);
}

// Windows folders do not refuse new files to a writer of the file the way this test needs.
#ifndef _WIN32
TEST(TFrmSetExcelINI, ClerkSavesWhereOnlyTheFileIsWritableAndNotWhereNeitherIs) {
  auto user = test_support::UnprivilegedUser::find();
  if (!user) GTEST_SKIP() << "running as root without a user \"nobody\" to become";
  TempFolder dir, logs;
  const std::string path = dir.file("Unfixed.ini");
  const std::string log = logs.file("debug.log");
  const std::string before =
      "[CHANGCOL]\nDELIMITER=4\nKHBHORDER=1\nKHBHNAME=KHBH\nKHZHORDER=3\nKHZHNAME=KHZH\n"
      "[PUBLICPROPERTY]\nNONCETYPENAME=CHANGCOL\nCOUNT=2\n";
  write_file(path, before);
  ASSERT_TRUE(user->give(path));
  ::chmod(path.c_str(), 0644);
  ::chmod(dir.path().c_str(), 0555);
  ::chmod(logs.path().c_str(), 0777);
  // The save result, then the transcript, of a showing played by the clerk.
  auto save_as_clerk = [&](std::vector<std::string> lines) {
    return user->run([&] {
      ::setenv("PORT_DEBUG_LOG", log.c_str(), 1);
      auto run = show(path, lines);
      ::unsetenv("PORT_DEBUG_LOG");
      return std::to_string(run.save_result) + "\n" + run.transcript;
    });
  };

  auto saved = save_as_clerk({"clear " + kDialog + ".EdKHZH", "click " + kDialog + ".BuOk"});
  EXPECT_THAT(saved, StartsWith("0\n"));
  const std::string after =
      "[CHANGCOL]\nDELIMITER=4\nKHBHORDER=1\nKHBHNAME=KHBH\n"
      "[PUBLICPROPERTY]\nNONCETYPENAME=CHANGCOL\nCOUNT=1\n";
  EXPECT_EQ(read_file(path), after);
  EXPECT_THAT(read_file(log), HasSubstr("saved the settings file " + path + " in place"));

  ::chmod(path.c_str(), 0444);
  auto refused = save_as_clerk(
      {"type " + kDialog + ".EdKHMC \"2\"", "click " + kDialog + ".BuOk", "answer-message OK"});
  EXPECT_THAT(refused, StartsWith("1\n"));
  EXPECT_THAT(refused, HasSubstr("message error \"出错\" \"设置参数出错,请重试.\""));
  EXPECT_EQ(read_file(path), after);
}
#endif

TEST(TFrmSetExcelINI, EmptyParamPathUsesPlugInsBesideTheProgram) {
  auto run = show("", {"close " + kDialog});
  EXPECT_THAT(run.transcript, Not(HasSubstr("error")));
  TFrmSetExcelINI form;
  form.LoadSettings();
#ifdef _WIN32
  EXPECT_THAT(form.ConfigFilePath, HasSubstr("\\PlugIns\\Unfixed.ini"));
#else
  EXPECT_THAT(form.ConfigFilePath, HasSubstr("/PlugIns/Unfixed.ini"));
#endif
}

}  // namespace
}  // namespace sheetport
