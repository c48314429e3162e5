// Pattern files through the built libgridport.so: a host in C shows the messages and the errors,
// a scripted user presses the pattern buttons and answers the file dialogs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "c_host_run.h"

namespace {

using gridport::testing::HostRun;
using gridport::testing::read_file;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

const std::string kSave = "click Tfrm_Import.SpeedButton1";
const std::string kLoad = "click Tfrm_Import.SpeedButton2";
const std::string kHostSaved =
    "message icon=64 buttons=0 caption=从Excel导入数据 text=详细：格式已成功保存！";
const std::string kHostLoaded =
    "message icon=64 buttons=0 caption=从Excel导入数据 text=详细：格式已成功导入！";

// A path as scripts and transcripts quote it: Windows paths hold backslashes.
std::string quoted(const fs::path& file) {
  std::string text = "\"";
  for (char c : file.string()) {
    if (c == '\\' || c == '"') text += '\\';
    text += c;
  }
  return text + "\"";
}

std::string choose(const fs::path& file) {
  return "choose-file " + quoted(file);
}

class GridportPatterns : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "gridport-pat-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      if (entry.is_directory()) fs::permissions(entry.path(), fs::perms::owner_all);
    }
    fs::remove_all(dir_);
  }

  // The C host's grid has the columns 姓名, Amount, 编号 and 金额; the script ends by closing.
  HostRun host(const std::string& scenario, std::vector<std::string> script,
               const std::string& program = GRIDPORT_C_HOST) {
    script.push_back("dump Tfrm_Import");
    script.push_back("close Tfrm_Import");
    return gridport::testing::run_c_host(dir_, scenario, script, program);
  }

  fs::path dir_;
};

TEST_F(GridportPatterns, ASavedPatternIsGbkAndLoadsBackInAnotherCall) {
  auto save =
      host("exec", {"grid-set Tfrm_Import.DataViewGrid 0 1 \"名字\"",
                    "grid-set Tfrm_Import.DataViewGrid 2 1 \"号:码\"", kSave, choose(dir_ / "p")});
  EXPECT_THAT(save.lines, ElementsAre(kHostSaved, "result 2"));
  // "姓名:名字", "Amount:", "编号:号:码", "金额:" in GBK.
  EXPECT_EQ(read_file(dir_ / "p.pat"),
            "\xD0\xD5\xC3\xFB:\xC3\xFB\xD7\xD6\r\nAmount:\r\n"
            "\xB1\xE0\xBA\xC5:\xBA\xC5:\xC2\xEB\r\n\xBD\xF0\xB6\xEE:\r\n");
  // As the host program names its own folder (on Windows with its drive and backslashes).
  const fs::path folder = (fs::absolute(GRIDPORT_C_HOST).parent_path() / "Pat").make_preferred();
  EXPECT_THAT(save.transcript,
              HasSubstr("folder=" + quoted(folder) + " name=" + quoted(folder / "pat.pat")));
  EXPECT_TRUE(fs::is_directory(folder));

  auto load = host("exec", {kLoad, choose(dir_ / "p.pat")});
  EXPECT_THAT(load.lines, ElementsAre(kHostLoaded, "result 2"));
  EXPECT_THAT(load.transcript,
              HasSubstr("rows=[[\"姓名\",\"名字\"],[\"Amount\",\"\"],[\"编号\",\"号:码\"],"
                        "[\"金额\",\"\"]] current=0,0"));
}

TEST_F(GridportPatterns, RefusedFilesReachTheHostsErrorDisplayAndNoMatchWarns) {
#ifdef _WIN32
  GTEST_SKIP() << "a folder cannot be made read-only for its files on Windows";
#else
  std::ofstream(dir_ / "binary.pat", std::ios::binary) << std::string("Amount:x\r\n\0\0", 12);
  std::ofstream(dir_ / "big.pat", std::ios::binary) << std::string(2 * 1024 * 1024, 'A');
  std::ofstream(dir_ / "other.pat", std::ios::binary) << "Code:A\r\n";
  fs::create_directories(dir_ / "locked");
  ::chmod((dir_ / "locked").c_str(), 0555);
  auto run = host(
      "exec", {"grid-set Tfrm_Import.DataViewGrid 1 1 \"原来\"", kLoad, choose(dir_ / "binary.pat"),
               kLoad, choose(dir_ / "big.pat"), kLoad, choose(dir_ / "missing.pat"), kLoad,
               choose(dir_ / "other.pat"), kSave, choose(dir_ / "locked" / "p")});
  const std::string read = "error cannot read the pattern file ";
  EXPECT_THAT(
      run.lines,
      ElementsAre(read + (dir_ / "binary.pat").string() +
                      ": it holds NUL bytes, so it is not a text pattern file",
                  read + (dir_ / "big.pat").string() +
                      ": it is larger than 1 MiB, far more than any pattern, so it is "
                      "not one",
                  read + (dir_ / "missing.pat").string() + ": No such file or directory",
                  "message icon=48 buttons=0 caption=从Excel导入数据 "
                  "text=详细：格式文件中没有与目标字段对应的行！",
                  "error cannot write the pattern file " + (dir_ / "locked" / "p.pat").string() +
                      ": the folder " + (dir_ / "locked").string() + " is read-only",
                  "result 2"));
  EXPECT_THAT(run.transcript, HasSubstr("[\"Amount\",\"原来\"]"));
#endif
}

// The plug-in's own message boxes, answered by the script: No shows the save dialog again with
// the name that would have been written, Yes replaces the file.
TEST_F(GridportPatterns, AFixedUpNameThatExistsIsAskedAboutBothWays) {
  std::ofstream(dir_ / "old.pat", std::ios::binary) << "old";
  auto run =
      host("plugin-boxes", {kSave, choose(dir_ / "old"), "answer-message No", choose(dir_ / "old"),
                            "answer-message Yes", "answer-message OK"});
  const std::string question =
      "message question \"从Excel导入数据\" "
      "\"详细：文件“old.pat”已存在，要替换它吗？\" [yes-no]";
  EXPECT_THAT(run.transcript, HasSubstr(question + " -> no\nsave-file"));
  EXPECT_THAT(run.transcript, HasSubstr("name=" + quoted(dir_ / "old.pat") + " -> " +
                                        quoted(dir_ / "old") + "\n" + question + " -> yes"));
  EXPECT_THAT(run.transcript, HasSubstr("\"详细：格式已成功保存！\" [ok] -> ok"));
  EXPECT_EQ(read_file(dir_ / "old.pat"),
            "\xD0\xD5\xC3\xFB:\r\nAmount:\r\n\xB1\xE0\xBA\xC5:\r\n\xBD\xF0\xB6\xEE:\r\n");
  EXPECT_THAT(run.lines, ElementsAre("result 2"));
}

// A program folder where "Pat" cannot be made (here a file has that name): the host hears why,
// and the dialog opens all the same.
TEST_F(GridportPatterns, APatternFolderThatCannotBeMadeIsReportedAndTheDialogOpens) {
  fs::create_directories(dir_ / "bin");
  const fs::path copy = dir_ / "bin" / fs::path(GRIDPORT_C_HOST).filename();
  fs::copy_file(GRIDPORT_C_HOST, copy);
  std::ofstream(dir_ / "bin" / "Pat") << "not a folder";
  auto run = host("exec", {}, copy.string());
  ASSERT_EQ(run.lines.size(), 2u);
  EXPECT_THAT(run.lines[0],
              HasSubstr("error cannot create the folder " + (dir_ / "bin" / "Pat").string()));
  EXPECT_EQ(run.lines[1], "result 2");
  EXPECT_THAT(run.transcript, HasSubstr("closed Tfrm_Import result=cancel"));
}

}  // namespace
