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

TEST_F(GridportLibrary, ShowsOnlyExecAndExec1) {
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
