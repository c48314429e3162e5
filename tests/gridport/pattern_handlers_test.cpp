// Saving and loading mapping patterns in the import dialog, played by a scripted user over a fake
// host grid: the file written, the name fix-up and its overwrite question, how lines find rows,
// and failures that reach the host's error display changing nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fake_host.h"
#include "gridport/exec.h"
#include "gridport/pattern_file.h"
#include "platform/text.h"
#include "ui/quote.h"
#include "ui/scripted_toolkit.h"

namespace gridport {
namespace {

using ::testing::ElementsAre;
using testing::FakeApplication;
using testing::FakeColumn;
using testing::FakeHost;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
namespace fs = std::filesystem;

const std::string kForm = "Tfrm_Import";
const std::string kSave = "click Tfrm_Import.SpeedButton1";
const std::string kLoad = "click Tfrm_Import.SpeedButton2";
const std::string kSaved =
    "message information \"从Excel导入数据\" \"详细：格式已成功保存！\" [ok] -> ok";
const std::string kLoaded =
    "message information \"从Excel导入数据\" \"详细：格式已成功导入！\" [ok] -> ok";

std::vector<FakeColumn> columns(std::initializer_list<const char*> titles) {
  std::vector<FakeColumn> out;
  for (const char* t : titles) out.push_back({t, std::string("F_") + t});
  return out;
}

std::string choose(const fs::path& file) {
  return "choose-file " + ui::quote(file.string());
}

std::string map_row(int row, const std::string& source) {
  return "grid-set " + kForm + ".DataViewGrid " + std::to_string(row) + " 1 \"" + source + "\"";
}

class PatternHandlers : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "pattern-handlers-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }

  // Runs exec over the host with a scripted user who dumps the dialog and closes it at the end.
  std::string play(FakeHost& host, std::vector<std::string> script) {
    script.push_back("dump " + kForm);
    script.push_back("close " + kForm);
    ui::ScriptedToolkit toolkit(script);
    ui::ScopedToolkit scope(toolkit);
    run_exec(app_.table(), nullptr, host.grid.table(), 2, 2);
    return toolkit.transcript();
  }

  std::string contents(const fs::path& path) const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  FakeApplication app_;
  fs::path dir_;
};

TEST_F(PatternHandlers, SavingWritesEveryRowInTableOrderAsGbkAndReturnsToTheFirstRow) {
  FakeHost host(columns({"编号", "姓名", "金额"}));
  auto transcript = play(host, {map_row(1, "名字"), map_row(2, ""), kSave, choose(dir_ / "p.pat"),
                                "answer-message OK"});
  EXPECT_EQ(contents(dir_ / "p.pat"), platform::utf8_to_gbk("编号:\r\n姓名:名字\r\n金额:\r\n"));
  EXPECT_THAT(
      transcript,
      HasSubstr("save-file \"\" filters=[\"Import Pattern files (*.pat)|*.pat\"]"
                " index=0 folder=" +
                ui::quote(pattern_folder()) + " name=" + ui::quote(default_pattern_file())));
  EXPECT_THAT(transcript, HasSubstr(kSaved));
  EXPECT_THAT(transcript, HasSubstr("rows=[[\"编号\",\"\"],[\"姓名\",\"名字\"],[\"金额\",\"\"]]"
                                    " current=0,1"));
  EXPECT_TRUE(fs::is_directory(pattern_folder()));
}

TEST_F(PatternHandlers, ANameNotEndingInPatInAnyCaseGetsTheExtension) {
  FakeHost host(columns({"编号"}));
  play(host, {kSave, choose(dir_ / "mine"), "answer-message OK", kSave, choose(dir_ / "UPPER.PAT"),
              "answer-message OK", kSave, choose(dir_ / "x.pat.txt"), "answer-message OK"});
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("UPPER.PAT", "mine.pat", "x.pat.txt.pat"));
}

TEST_F(PatternHandlers, AFixedUpNameThatExistsIsReplacedOnlyAfterAYes) {
  FakeHost host(columns({"编号"}));
  put(dir_ / "old.pat", "编号:旧");
  const std::string question =
      "message question \"从Excel导入数据\" \"详细：文件“old.pat”已存在，要替换它吗？\" [yes-no]";
  auto refused = play(
      host, {map_row(0, "新"), kSave, choose(dir_ / "old"), "answer-message No", "cancel-file"});
  EXPECT_THAT(refused, HasSubstr(question + " -> no"));
  // No shows the save dialog again, with the name that would have been written.
  EXPECT_THAT(refused, HasSubstr("name=" + ui::quote((dir_ / "old.pat").string()) + " -> cancel"));
  EXPECT_THAT(refused, Not(HasSubstr(kSaved)));
  EXPECT_EQ(contents(dir_ / "old.pat"), "编号:旧");

  auto replaced = play(host, {map_row(0, "新"), kSave, choose(dir_ / "old"), "answer-message Yes",
                              "answer-message OK"});
  EXPECT_THAT(replaced, HasSubstr(question + " -> yes"));
  EXPECT_THAT(replaced, HasSubstr(kSaved));
  EXPECT_EQ(contents(dir_ / "old.pat"), platform::utf8_to_gbk("编号:新\r\n"));

  // A name the file dialog showed was its own question to ask.
  auto direct = play(host, {kSave, choose(dir_ / "old.pat"), "answer-message OK"});
  EXPECT_THAT(direct, Not(HasSubstr("message question")));
}

TEST_F(PatternHandlers, LoadingSetsTheFirstRowOfEachExactCaptionAndTheLaterLineWins) {
  FakeHost host(columns({"编号", "姓名", "姓名", "金额", "备注"}));
  put(dir_ / "p.pat", platform::utf8_to_gbk("编号:第一:列\n"
                                            " 姓名:空格在前\n"
                                            "姓名 :空格在后\n"
                                            "金额:先\n"
                                            "姓名:名字\n"
                                            "金额:后\n"
                                            "无此字段:x\n"
                                            "没有冒号\n"));
  auto transcript = play(host, {map_row(4, "原来"), map_row(2, "保持"), kLoad,
                                choose(dir_ / "p.pat"), "answer-message OK"});
  EXPECT_THAT(
      transcript,
      HasSubstr("open-file \"\" filters=[\"Import Pattern files (*.pat)|*.pat\"]"
                " index=0 folder=" +
                ui::quote(pattern_folder()) + " name=" + ui::quote(default_pattern_file())));
  EXPECT_THAT(transcript, HasSubstr(kLoaded));
  EXPECT_THAT(transcript, HasSubstr("rows=[[\"编号\",\"第一:列\"],[\"姓名\",\"名字\"],"
                                    "[\"姓名\",\"保持\"],[\"金额\",\"后\"],[\"备注\",\"原来\"]]"
                                    " current=0,1"));
}

TEST_F(PatternHandlers, ASavedPatternLoadsBackIntoAFreshDialog) {
  FakeHost host(columns({"客户编号", "Name", "金额（元）", "空"}));
  play(host, {map_row(0, "编号"), map_row(1, "姓 名"), map_row(2, "￥金额"), kSave,
              choose(dir_ / "round"), "answer-message OK"});
  auto transcript = play(host, {kLoad, choose(dir_ / "round.pat"), "answer-message OK"});
  EXPECT_THAT(transcript, HasSubstr("rows=[[\"客户编号\",\"编号\"],[\"Name\",\"姓 名\"],"
                                    "[\"金额（元）\",\"￥金额\"],[\"空\",\"\"]]"));
}

TEST_F(PatternHandlers, AFileNamingNoRowWarnsAndChangesNothing) {
  FakeHost host(columns({"编号"}));
  put(dir_ / "other.pat", "Code:A\r\nName:B\r\n");
  auto transcript =
      play(host, {map_row(0, "原来"), kLoad, choose(dir_ / "other.pat"), "answer-message OK"});
  EXPECT_THAT(transcript, HasSubstr("message warning \"从Excel导入数据\" "
                                    "\"详细：格式文件中没有与目标字段对应的行！\" [ok]"));
  EXPECT_THAT(transcript, Not(HasSubstr(kLoaded)));
  EXPECT_THAT(transcript, HasSubstr("rows=[[\"编号\",\"原来\"]] current=0,1"));
}

// Each failure reaches the host's error display with the file and the reason; no success
// message, no row changed, and the grid back on its first row.
TEST_F(PatternHandlers, FilesThatCannotBeReadOrWrittenGoToTheErrorDisplayChangingNothing) {
#ifdef _WIN32
  GTEST_SKIP() << "a folder cannot be made read-only for its files on Windows";
#else
  FakeHost host(columns({"编号", "姓名"}));
  put(dir_ / "binary.pat", std::string("编号:变了\r\n\0\x01\x02", 19));
  put(dir_ / "big.pat", "编号:变了\r\n" + std::string(2 * 1024 * 1024, 'x'));
  fs::create_directories(dir_ / "locked");
  ::chmod((dir_ / "locked").c_str(), 0555);
  auto transcript =
      play(host, {map_row(0, "原来"), map_row(1, "姓名"), kSave, choose(dir_ / "locked" / "p.pat"),
                  kLoad, choose(dir_ / "binary.pat"), kLoad, choose(dir_ / "big.pat"), kLoad,
                  choose(dir_ / "missing.pat")});
  EXPECT_THAT(app_.errors,
              ElementsAre("cannot write the pattern file " + (dir_ / "locked" / "p.pat").string() +
                              ": the folder " + (dir_ / "locked").string() + " is read-only",
                          "cannot read the pattern file " + (dir_ / "binary.pat").string() +
                              ": it holds NUL bytes, so it is not a text pattern file",
                          "cannot read the pattern file " + (dir_ / "big.pat").string() +
                              ": it is larger than 1 MiB, far more than any pattern, so it is "
                              "not one",
                          "cannot read the pattern file " + (dir_ / "missing.pat").string() +
                              ": No such file or directory"));
  EXPECT_THAT(transcript, Not(HasSubstr("message information")));
  EXPECT_THAT(transcript, HasSubstr("rows=[[\"编号\",\"原来\"],[\"姓名\",\"姓名\"]] current=0,1"));
  EXPECT_FALSE(fs::exists(dir_ / "locked" / "p.pat"));
#endif
}

TEST_F(PatternHandlers, CancellingEitherFileDialogDoesNothing) {
  FakeHost host(columns({"编号"}));
  auto transcript = play(host, {map_row(0, "原来"), kSave, "cancel-file", kLoad, "cancel-file"});
  EXPECT_THAT(transcript, Not(HasSubstr("message ")));
  EXPECT_THAT(app_.errors, IsEmpty());
  EXPECT_THAT(transcript, HasSubstr("rows=[[\"编号\",\"原来\"]] current=0,1"));
}

// A cancel stops before anything happens, so the current row stays where the person left it;
// otherwise the grid goes back to the table's first row, wherever a sort shows it.
TEST_F(PatternHandlers, TheCurrentRowMovesToTheTablesFirstRowOnlyOnceAFileWasChosen) {
  FakeHost host(columns({"三", "一", "二"}));
  auto after_last_dump = [](const std::string& transcript) {
    return transcript.substr(transcript.rfind("> dump "));
  };
  auto cancelled = play(host, {map_row(2, "x"), kSave, "cancel-file", kLoad, "cancel-file"});
  EXPECT_THAT(after_last_dump(cancelled), HasSubstr("current=2,1"));
  // Shown sorted 二, 三, 一: the host's first column, 三, is the second row shown.
  const std::string sort = "click-title " + kForm + ".DataViewGrid 0";
  auto saved =
      play(host, {sort, map_row(2, "x"), kSave, choose(dir_ / "p.pat"), "answer-message OK"});
  EXPECT_THAT(after_last_dump(saved), HasSubstr("current=1,1"));
  auto loaded =
      play(host, {sort, map_row(2, "x"), kLoad, choose(dir_ / "p.pat"), "answer-message OK"});
  EXPECT_THAT(after_last_dump(loaded), HasSubstr("current=1,1"));
}

}  // namespace
}  // namespace gridport
