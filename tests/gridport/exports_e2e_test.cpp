// The built libgridport.so as hosts see it: a host in C loads it, calls exec or exec1, and a
// scripted user answers the dialog.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "c_host_run.h"

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

using gridport::testing::HostRun;

class GridportLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "gridport-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Runs the C host on a scenario with the script's lines answering the dialogs.
  HostRun host(const std::string& scenario, const std::vector<std::string>& script) {
    return gridport::testing::run_c_host(dir_, scenario, script);
  }

  std::filesystem::path dir_;
};

std::string fixture(const std::string& name) {
  return std::string(GRIDPORT_FIXTURES) + "/" + name;
}

TEST_F(GridportLibrary, AGridWithoutAnOpenDatasetIsRefusedWithOneMessageAndNoDialog) {
  for (const char* scenario : {"null-grid", "no-source", "no-dataset", "closed"}) {
    auto run = host(scenario, {});
    EXPECT_THAT(run.lines, ElementsAre("message icon=48 buttons=0 caption=Sheetport "
                                       "text=详细：待导入数据集未打开！",
                                       "result 1"))
        << scenario;
    EXPECT_THAT(run.transcript, Not(HasSubstr("Tfrm_Import"))) << scenario;
  }
}

TEST_F(GridportLibrary, AHostWithoutTheUtf8FlagGetsItsTextsInGbk) {
  auto run = host("closed-gbk", {});
  // "详细：待导入数据集未打开！" in GBK.
  EXPECT_THAT(run.lines,
              ElementsAre("message icon=48 buttons=0 caption=Sheetport text=\xCF\xEA\xCF\xB8"
                          "\xA3\xBA\xB4\xFD\xB5\xBC\xC8\xEB\xCA\xFD\xBE\xDD\xBC\xAF"
                          "\xCE\xB4\xB4\xF2\xBF\xAA\xA3\xA1",
                          "result 1"));
}

TEST_F(GridportLibrary, AnOlderApplicationTableGetsThePluginsOwnMessageBox) {
  auto run = host("old-host", {"answer-message OK"});
  EXPECT_THAT(run.lines, ElementsAre("result 1"));
  EXPECT_THAT(run.transcript,
              HasSubstr("message warning \"Sheetport\" \"详细：待导入数据集未打开！\" [ok] -> ok"));
}

TEST_F(GridportLibrary, GbkColumnsBecomeMappingRowsWithoutHiddenAndPrintColumns) {
  auto run = host("columns", {"close Tfrm_Import"});
  EXPECT_THAT(run.lines, ElementsAre("result 2"));
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"编号\",\"\"],[\"打印 \",\"\"],[\"姓名\",\"\"]]"));
  EXPECT_THAT(run.transcript, HasSubstr("closed Tfrm_Import result=cancel"));
}

TEST_F(GridportLibrary, ExecMapsAsExec1WithTwoAndTwo) {
  const std::vector<std::string> script = {"invoke Tfrm_Import.SelectExcel",
                                           "choose-file \"" + fixture("names.xlsx") + "\"",
                                           "dump Tfrm_Import", "click Tfrm_Import.Button3"};
  const std::string by_name =
      "rows=[[\"姓名\",\"姓名\"],[\"Amount\",\"\"],[\"编号\",\"\"],[\"金额\",\"金额\"]]";
  auto exec = host("exec", script);
  EXPECT_THAT(exec.lines, ElementsAre("result 2"));
  EXPECT_THAT(exec.transcript, HasSubstr(by_name));
  auto exec1 = host("exec1-2-2", script);
  EXPECT_THAT(exec1.lines, ElementsAre("result 2"));
  EXPECT_EQ(exec1.transcript, exec.transcript);
  auto by_position = host("exec1-1-1", script);
  EXPECT_THAT(by_position.transcript,
              HasSubstr("rows=[[\"姓名\",\"姓名\"],[\"Amount\",\"amount\"],[\"编号\",\"编号 \"],"
                        "[\"金额\",\"金额\"]]"));
}

TEST_F(GridportLibrary, AnUnreadableWorkbookReachesTheHostsErrorDisplay) {
  auto run = host("exec", {"invoke Tfrm_Import.SelectExcel",
                           "choose-file \"" + fixture("renamed.xls") + "\"", "close Tfrm_Import"});
  ASSERT_EQ(run.lines.size(), 2u);
  EXPECT_THAT(run.lines[0], HasSubstr("error "));
  EXPECT_THAT(run.lines[0], HasSubstr("renamed.xls"));
  EXPECT_EQ(run.lines[1], "result 2");
}

// The import of three.xlsx, whose second row the C host refuses, in each error mode.
std::vector<std::string> import_script(std::vector<std::string> answers) {
  std::vector<std::string> script = {"invoke Tfrm_Import.SelectExcel",
                                     "choose-file \"" + fixture("three.xlsx") + "\"",
                                     "invoke Tfrm_Import.StartImport"};
  script.insert(script.end(), answers.begin(), answers.end());
  script.push_back("dump Tfrm_Import");
  script.push_back("close Tfrm_Import");
  return script;
}

const std::vector<std::string> kFirstRow = {"append", "set XM=张三", "set BH=C01", "set JE2=10",
                                            "post"};
const std::vector<std::string> kSecondRowRefused = {"append", "set XM=李四", "set BH=C02",
                                                    "cancel"};
const std::vector<std::string> kThirdRow = {"append", "set XM=王五", "set BH=C03", "set JE2=30",
                                            "post"};

std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

const std::string kLogLine = "Memo2 memo lines=[\"金额不是数字：坏 请改正\"]";

TEST_F(GridportLibrary, LogModeImportsTheGoodRowsAndLogsTheRefusalAsOneLine) {
  auto run = host("import-2", import_script({}));
  EXPECT_EQ(run.lines, joined({{"disable"},
                               kFirstRow,
                               kSecondRowRefused,
                               kThirdRow,
                               {"message icon=64 buttons=0 caption=从Excel导入数据 "
                                "text=详细：导入已完成，但产生了一些错误！",
                                "enable", "result 2"}}));
  EXPECT_THAT(run.transcript, HasSubstr(kLogLine));
  EXPECT_THAT(run.transcript, HasSubstr("共有“1”笔数据导入失败！"));
}

TEST_F(GridportLibrary, AbortModeStopsAtTheRefusedRow) {
  auto run = host("import-1", import_script({}));
  EXPECT_EQ(run.lines, joined({{"disable"},
                               kFirstRow,
                               kSecondRowRefused,
                               {"message icon=16 buttons=0 caption=从Excel导入数据 "
                                "text=详细：因为金额不是数字：坏\r",
                                "请改正导入失败！", "enable", "result 2"}}));
  EXPECT_THAT(run.transcript, HasSubstr(kLogLine));
}

TEST_F(GridportLibrary, DropModeSaysNothing) {
  auto run = host("import-0", import_script({}));
  EXPECT_EQ(run.lines,
            joined({{"disable"}, kFirstRow, kSecondRowRefused, kThirdRow, {"enable", "result 2"}}));
  EXPECT_THAT(run.transcript, HasSubstr("Memo2 memo lines=[]"));
}

TEST_F(GridportLibrary, ARefusedAppendOrPostIsLoggedWithTheHostsMessage) {
  auto append = host("refuse-append", import_script({}));
  EXPECT_THAT(append.lines,
              ElementsAre("disable", "append", "cancel", "append", "set XM=李四", "set BH=C02",
                          "cancel", "append", "set XM=王五", "set BH=C03", "set JE2=30", "post",
                          HasSubstr("message"), "enable", "result 2"));
  EXPECT_THAT(append.transcript,
              HasSubstr("Memo2 memo lines=[\"追加被拒绝\",\"金额不是数字：坏 请改正\"]"));
  auto post = host("refuse-post", import_script({}));
  EXPECT_THAT(post.transcript,
              HasSubstr("Memo2 memo lines=[\"金额不是数字：坏 请改正\",\"保存被拒绝\"]"));
  EXPECT_THAT(post.transcript, HasSubstr("共有“2”笔数据导入失败！"));
}

TEST_F(GridportLibrary, WithoutMappedSourcesTheWarningComesWhileTheHostsRefreshIsSuspended) {
  std::vector<std::string> script = {"invoke Tfrm_Import.SelectExcel",
                                     "choose-file \"" + fixture("three.xlsx") + "\""};
  for (int row = 0; row < 4; ++row) {
    script.push_back("grid-set Tfrm_Import.DataViewGrid " + std::to_string(row) + " 1 \" \"");
  }
  script.insert(script.end(), {"invoke Tfrm_Import.StartImport", "close Tfrm_Import"});
  auto run = host("import-2", script);
  EXPECT_THAT(run.lines, ElementsAre("disable",
                                     "message icon=48 buttons=0 caption=从Excel导入数据 "
                                     "text=详细：你没有设置导入的对应字段！",
                                     "enable", "result 2"));
}

TEST_F(GridportLibrary, StopAfterTheFirstRowLeavesOneRecord) {
  auto run = host("import-2", import_script({"wait-messages 1", "click Tfrm_Import.Button4"}));
  EXPECT_EQ(run.lines, joined({{"disable"}, kFirstRow, {"enable", "result 2"}}));
  EXPECT_THAT(run.transcript, HasSubstr("height=470"));
  EXPECT_THAT(run.transcript, HasSubstr("ProgressBar1 progress position=0"));
}

TEST_F(GridportLibrary, ShowsOnlyExecAndExec1) {
#ifdef _WIN32
  GTEST_SKIP() << "the DLL's exports are checked with objdump by scripts/check-windows";
#endif
  std::string command = std::string("nm -D --defined-only ") + GRIDPORT_LIBRARY;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    auto space = text.rfind(' ');
    names.push_back(text.substr(space + 1, text.size() - space - 2));
  }
  ::pclose(pipe);
  std::sort(names.begin(), names.end());
  EXPECT_THAT(names, ElementsAre("exec", "exec1"));
}

}  // namespace
