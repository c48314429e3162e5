// The import run played by a scripted user over a host whose dataset refuses what a real one
// would: an amount that is no number, a record on posting, an append. Records, log lines, the
// counter, the page, the messages, stopping and closing in the middle, and the host's refresh.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "gridport/exec.h"
#include "gridport/frm_import.h"
#include "gridport/gridport.hpp"
#include "gridport/module_state.h"
#include "ui/scripted_toolkit.h"

namespace gridport {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kForm = "Tfrm_Import";

// A dataset that stores each posted record as "BH=C01 BZ=甲 ..." (fields sorted by name) and
// refuses a text as told. (Refused appends and posts: the end-to-end tests.)
class RefusingDataSet : public gridport::DataSet {
 public:
  std::vector<std::string> records;
  int suspended = 0;  // DisableControls minus EnableControls
  int suspensions = 0;
  // The text an assignment refuses, with the message it gives.
  std::string refused_text = "坏";
  std::string refusal = "金额“坏”不是数字";

  bool active() override { return true; }
  void disable_controls() override {
    ++suspended;
    ++suspensions;
  }
  void enable_controls() override { --suspended; }
  void append() override { pending_.clear(); }
  void set_field_text(const std::string& field, const std::string& text) override {
    if (!refused_text.empty() && text == refused_text) throw std::runtime_error(refusal);
    pending_[field] = text;
  }
  void post() override {
    std::string record;
    for (const auto& [field, value] : pending_) {
      record += (record.empty() ? "" : " ") + field + "=" + value;
    }
    records.push_back(record);
  }
  void cancel() override { ++cancels; }
  int cancels = 0;

 private:
  std::map<std::string, std::string> pending_;
};

struct Column {
  std::string title, field;
};

class Source : public gridport::DataSource {
 public:
  explicit Source(gridport::DataSet& dataset) : dataset_(dataset) {}
  gridport::DataSet* dataset() override { return &dataset_; }

 private:
  gridport::DataSet& dataset_;
};

// The host's grid over the refusing dataset.
class Host : public gridport::Grid {
 public:
  explicit Host(std::vector<Column> columns) : columns_(std::move(columns)) {}
  RefusingDataSet dataset;
  Source source{dataset};
  gridport::DataSource* data_source() override { return &source; }
  int32_t column_count() override { return static_cast<int32_t>(columns_.size()); }
  bool column_visible(int32_t) override { return true; }
  std::string column_title(int32_t i) override { return columns_.at(i).title; }
  std::string column_field_name(int32_t i) override { return columns_.at(i).field; }

 private:
  std::vector<Column> columns_;
};

class Application : public gridport::Application {
 public:
  Application() : gridport::Application(GRIDPORT_APP_UTF8) {
    use_plugin_message_box();
    use_plugin_error_display();
  }
};

// The worksheet's four columns, mapped by name.
std::vector<Column> sheet_columns() {
  return {{"编号", "BH"}, {"姓名", "XM"}, {"金额", "JE"}, {"备注", "BZ"}};
}

std::string open_three() {
  return "invoke " + kForm + ".SelectExcel\nchoose-file \"" + std::string(GRIDPORT_FIXTURES) +
         "/three.xlsx\"";
}

struct Session {
  int32_t result;
  std::string transcript;
};

// Opens three.xlsx, then plays the script's lines; the dialog's state is dumped after them and
// the dialog closed, unless the script closed it.
Session play(Host& host, int32_t error_mode, const std::vector<std::string>& script,
             bool close = true) {
  std::vector<std::string> lines = {open_three()};
  lines.insert(lines.end(), script.begin(), script.end());
  if (close) {
    lines.push_back("dump " + kForm);
    lines.push_back("close " + kForm);
  }
  std::vector<std::string> split;
  for (const auto& line : lines) {
    std::size_t start = 0, end;
    while ((end = line.find('\n', start)) != std::string::npos) {
      split.push_back(line.substr(start, end - start));
      start = end + 1;
    }
    split.push_back(line.substr(start));
  }
  Application app;
  ui::ScriptedToolkit toolkit(split);
  ui::ScopedToolkit scope(toolkit);
  int32_t result = run_exec(app.table(), nullptr, host.table(), 2, error_mode);
  return {result, toolkit.transcript()};
}

const std::string kImport = "invoke Tfrm_Import.StartImport";
const std::string kRecord1 = "BH=C01 BZ=甲 JE=10 XM=张三";
const std::string kRecord3 = "BH=C03 BZ= JE=30 XM=王五";
const std::string kSummary =
    "message information \"从Excel导入数据\" \"详细：导入已完成，但产生了一些错误！\" [ok]";

std::string counter(int n) {
  return "Panel1 panel caption=\"共有“" + std::to_string(n) + "”笔数据导入失败！\"";
}

TEST(ImportRun, LogModeKeepsGoodRowsLogsTheFailureAndSumsUp) {
  Host host(sheet_columns());
  auto run = play(host, 2, {kImport, "answer-message OK"});
  EXPECT_THAT(host.dataset.records, ElementsAre(kRecord1, kRecord3));
  EXPECT_EQ(host.dataset.cancels, 1);
  EXPECT_THAT(run.transcript, HasSubstr(kSummary));
  EXPECT_THAT(run.transcript, HasSubstr("Memo2 memo lines=[\"金额“坏”不是数字\"]"));
  EXPECT_THAT(run.transcript, HasSubstr(counter(1)));
  EXPECT_THAT(run.transcript, HasSubstr("PageControl1 pages active=\"错误日志\""));
  EXPECT_THAT(run.transcript, HasSubstr("state Tfrm_Import \"从Excel导入数据\" height=470"));
  // Three rows stepped, of a maximum of three + 10.
  EXPECT_THAT(run.transcript, HasSubstr("position=3 min=0 max=13"));
  EXPECT_EQ(host.dataset.suspended, 0);
  EXPECT_EQ(run.result, 2);
}

TEST(ImportRun, AbortModeEndsAtTheFirstFailingRowWithoutSummary) {
  Host host(sheet_columns());
  auto run = play(host, 1, {kImport, "answer-message OK"});
  EXPECT_THAT(host.dataset.records, ElementsAre(kRecord1));
  EXPECT_THAT(run.transcript, HasSubstr("message error \"从Excel导入数据\" "
                                        "\"详细：因为金额“坏”不是数字导入失败！\" [ok]"));
  EXPECT_THAT(run.transcript, Not(HasSubstr("导入已完成")));
  EXPECT_THAT(run.transcript, HasSubstr("Memo2 memo lines=[\"金额“坏”不是数字\"]"));
  EXPECT_THAT(run.transcript, HasSubstr(counter(1)));
  EXPECT_THAT(run.transcript, HasSubstr("PageControl1 pages active=\"导入操作\""));
  EXPECT_EQ(host.dataset.suspended, 0);
}

TEST(ImportRun, DropModeKeepsGoodRowsSilently) {
  Host host(sheet_columns());
  auto run = play(host, 0, {kImport});
  EXPECT_THAT(host.dataset.records, ElementsAre(kRecord1, kRecord3));
  EXPECT_THAT(run.transcript, Not(HasSubstr("message ")));
  EXPECT_THAT(run.transcript, HasSubstr("Memo2 memo lines=[]"));
  EXPECT_THAT(run.transcript, HasSubstr(counter(0)));
  EXPECT_EQ(host.dataset.suspended, 0);
}

TEST(ImportRun, AFailureMessageWithLineBreaksIsOneLineAndCountsOnce) {
  Host host(sheet_columns());
  host.dataset.refusal = "金额“坏”不是数字\r\n第2行\n请改正\r";
  auto run = play(host, 2, {kImport, "answer-message OK"});
  EXPECT_THAT(run.transcript, HasSubstr("Memo2 memo lines=[\"金额“坏”不是数字 第2行 请改正 \"]"));
  EXPECT_THAT(run.transcript, HasSubstr(counter(1)));
}

TEST(ImportRun, WithoutAnyMappedSourceWarnsAndAppendsNothing) {
  Host host(sheet_columns());
  // A first run leaves a log line, which the refused run clears.
  auto run = play(
      host, 2,
      {kImport, "answer-message OK", "select-page Tfrm_Import.PageControl1 0",
       "grid-set Tfrm_Import.DataViewGrid 0 1 \"   \"",
       "grid-set Tfrm_Import.DataViewGrid 1 1 \"\"", "grid-set Tfrm_Import.DataViewGrid 2 1 \" \"",
       "grid-set Tfrm_Import.DataViewGrid 3 1 \"\"", kImport, "answer-message OK"});
  EXPECT_EQ(host.dataset.records.size(), 2u);
  EXPECT_THAT(run.transcript, HasSubstr("message warning \"从Excel导入数据\" "
                                        "\"详细：你没有设置导入的对应字段！\" [ok]"));
  EXPECT_THAT(run.transcript, HasSubstr("Memo2 memo lines=[]"));
  EXPECT_THAT(run.transcript, HasSubstr(counter(0)));
  EXPECT_EQ(host.dataset.suspensions, 2);
  EXPECT_EQ(host.dataset.suspended, 0);
}

TEST(ImportRun, SourcesWithSurroundingBlanksAndRepeatedDestinations) {
  // Two grid columns write into BH: the later mapping's value is what stays.
  Host host({{"编号", "BH"}, {"姓名", "BH"}});
  auto run = play(host, 2,
                  {"grid-set Tfrm_Import.DataViewGrid 0 1 \" 编号\t\"",
                   "grid-set Tfrm_Import.DataViewGrid 1 1 \"  姓名 \"", kImport});
  EXPECT_THAT(host.dataset.records, ElementsAre("BH=张三", "BH=李四", "BH=王五"));
}

TEST(ImportRun, TheMappingStandsOnItsFirstRowAfterARunAlsoWhenSorted) {
  Host host(sheet_columns());
  host.dataset.refused_text.clear();
  // Sorted by source, the table's first row (编号) is shown second.
  auto run = play(host, 2,
                  {"click-title Tfrm_Import.DataViewGrid 1",
                   "select-cell Tfrm_Import.DataViewGrid 3 1", kImport});
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"备注\",\"备注\"],[\"编号\",\"编号\"],"
                                        "[\"金额\",\"金额\"],[\"姓名\",\"姓名\"]] current=1,1"));
}

TEST(ImportRun, AMappingToAMissingColumnFailsEveryRowOnce) {
  Host host(sheet_columns());
  auto run = play(host, 2,
                  {"grid-set Tfrm_Import.DataViewGrid 1 1 \"电话\"", kImport, "answer-message OK"});
  EXPECT_THAT(host.dataset.records, IsEmpty());
  EXPECT_EQ(host.dataset.cancels, 3);
  EXPECT_THAT(run.transcript, HasSubstr(counter(3)));
  EXPECT_THAT(run.transcript, HasSubstr(kSummary));
}

TEST(ImportRun, StopInTheMiddleFinishesTheRowInProgressAndStillSumsUp) {
  Host host(sheet_columns());
  // The second row fails; the stop comes while messages are processed after it.
  auto run =
      play(host, 2, {kImport, "wait-messages 2", "click Tfrm_Import.Button4", "answer-message OK"});
  EXPECT_THAT(host.dataset.records, ElementsAre(kRecord1));
  EXPECT_THAT(run.transcript, HasSubstr(kSummary));
  EXPECT_THAT(run.transcript, HasSubstr("state Tfrm_Import \"从Excel导入数据\" height=470"));
  EXPECT_THAT(run.transcript, HasSubstr("ProgressBar1 progress position=0"));
  EXPECT_THAT(run.transcript, HasSubstr(counter(1)));
  EXPECT_EQ(host.dataset.suspended, 0);
}

TEST(ImportRun, TheCloseButtonStopsTheRunAndThenCloses) {
  Host host(sheet_columns());
  host.dataset.refused_text.clear();
  auto run = play(host, 2, {kImport, "wait-messages 1", "click Tfrm_Import.Button3"}, false);
  EXPECT_THAT(host.dataset.records, ElementsAre(kRecord1));
  EXPECT_THAT(run.transcript, Not(HasSubstr("请先中止导入再关闭")));
  EXPECT_THAT(run.transcript, HasSubstr("closed Tfrm_Import result=cancel"));
  EXPECT_EQ(run.result, 2);
  EXPECT_EQ(host.dataset.suspended, 0);
  EXPECT_EQ(module_state().ImportFormInstance, nullptr);
}

TEST(ImportRun, TheCloseBoxDuringARunClosesOnceTheRunHasEnded) {
  Host host(sheet_columns());
  host.dataset.refused_text.clear();
  auto run = play(host, 2, {kImport, "wait-messages 1", "close Tfrm_Import"}, false);
  EXPECT_EQ(host.dataset.records.size(), 3u);
  EXPECT_THAT(run.transcript, HasSubstr("closed Tfrm_Import result=cancel"));
  EXPECT_EQ(run.result, 2);
}

TEST(ImportRun, TheHostsRefreshIsResumedWhenAFailureEscapesTheRun) {
  Host host(sheet_columns());
  // Nobody answers the summary: the script's error leaves the run and the dialog.
  Application app;
  ui::ScriptedToolkit toolkit({"invoke " + kForm + ".SelectExcel",
                               "choose-file \"" + std::string(GRIDPORT_FIXTURES) + "/three.xlsx\"",
                               kImport});
  ui::ScopedToolkit scope(toolkit);
  module_state().Application = app.table();
  module_state().ErrorMode = 2;
  {
    Tfrm_Import form(host::Grid(host.table(), application().codec()));
    module_state().ImportFormInstance = &form;
    EXPECT_THROW(ui::toolkit().show_modal(form), ui::ScriptError);
    EXPECT_TRUE(form.Stopped);
    EXPECT_EQ(form.height(), Tfrm_Import::kIdleHeight);
    module_state().ImportFormInstance = nullptr;
  }
  EXPECT_EQ(host.dataset.records.size(), 2u);
  EXPECT_EQ(host.dataset.suspensions, 1);
  EXPECT_EQ(host.dataset.suspended, 0);
  module_state().Application = module_state().OwnApplication;
}

}  // namespace
}  // namespace gridport
