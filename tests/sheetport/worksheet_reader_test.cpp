// The worksheet reader over a data source of the test's own: sheet choice, start row, callbacks,
// the stop flag, failed rows and records that cannot be read.
#include "sheetport/worksheet_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "platform/error.h"
#include "platform/text.h"
#include "sheetport/customer_record.h"
#include "sheetport/module_state.h"
#include "sheetport/record_list.h"
#include "test_files.h"
#include "ui/scripted_toolkit.h"

namespace sheetport {
namespace {

using Strings = std::vector<std::string>;

// A worksheet in memory: the records below the header row, and records whose texts fail.
class FakeSource : public WorksheetSource {
 public:
  Strings tables{"Sheet1$"};
  std::vector<Strings> records;
  std::set<std::size_t> unreadable;
  std::string connection, sql;
  std::size_t reads = 0;

  void connect(const std::string& text) override { connection = text; }
  Strings table_names() override { return tables; }
  void open(const std::string& text) override {
    if (text == "select * from []") throw platform::Error("no table named ''");
    sql = text;
    at_ = 0;
  }
  bool eof() override { return at_ >= records.size(); }
  void next() override { ++at_; }
  void field_texts(Strings& texts) override {
    ++reads;
    if (unreadable.count(at_)) throw platform::Error("cell unreadable");
    texts = records.at(at_);
  }

 private:
  std::size_t at_ = 0;
};

struct Call {
  int code;
  int count;  // -1 for a null pointer
  bool operator==(const Call&) const = default;
};
std::vector<Call> calls;
int stop_after_records = -1;

void SHEETPORT_CALL record_call(int32_t code, void* data) {
  calls.push_back({code, data ? *static_cast<int32_t*>(data) : -1});
  if (code == 0 && --stop_after_records == 0) module_state().StopRequested.store(true);
}

class ConvertWorksheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    stop_after_records = -1;
    module_state().ImportCallback = record_call;
    module_state().StopRequested.store(false);
    ::setenv("PORT_DEBUG_LOG", dir_.file("debug.log").c_str(), 1);
    list_ = create_list();
  }
  void TearDown() override {
    list_release_records(*list_);
    std::free(list_->Items);
    std::free(list_);
    ::unsetenv("PORT_DEBUG_LOG");
  }

  std::int32_t run(const TInfoAry& map, std::int32_t start_row,
                   Strings script = {"select TUSelSheet.ComboBox1 1", "click TUSelSheet.Button1"}) {
    ui::ScriptedToolkit toolkit(script);
    ui::ScopedToolkit scope(toolkit);
    auto result = ConvertWorksheet("/data/pay.xls", map, start_row, *list_, source_);
    transcript_ = toolkit.transcript();
    return result;
  }
  std::vector<int> rec_nos() const {
    std::vector<int> out;
    for (int i = 0; i < list_->Count; ++i) out.push_back(list_->Items[i]->RecNo);
    return out;
  }
  std::string field(int item, int f) const {
    return std::string(field_text(list_->Items[item]->Info, field_specs()[f]));
  }
  std::string debug_log() const { return test_helpers::read_file(dir_.file("debug.log")); }

  test_helpers::TempFolder dir_;
  FakeSource source_;
  TRecordList* list_ = nullptr;
  std::string transcript_;
};

TEST_F(ConvertWorksheetTest, ThreeRowsGiveThreeRecordsNumberedOneToThree) {
  source_.records = {{"C1", "张三"}, {"C2", "李四"}, {"C3", "王五"}};
  EXPECT_EQ(run({{1, "KHBH"}, {2, "KHXM"}}, 2), kFinished);
  EXPECT_EQ(calls, (std::vector<Call>{{0, -1}, {0, -1}, {0, -1}, {2, 3}}));
  EXPECT_EQ(rec_nos(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(field(1, 1), platform::utf8_to_gbk("李四"));
  EXPECT_EQ(source_.connection,
            "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/data/pay.xls;Extended "
            "Properties=Excel 8.0;Mode=Read");
  EXPECT_EQ(source_.sql, "select * from [Sheet1$]");
  EXPECT_THAT(transcript_, ::testing::HasSubstr("不选择"));
}

TEST_F(ConvertWorksheetTest, EntryBeyondTheColumnsFailsEveryRowWithOneDebugLineEach) {
  source_.records = {{"a", "b"}, {"c", "d"}, {"e", "f"}};
  EXPECT_EQ(run({{1, "KHBH"}, {3, "KHXM"}}, 2), kFinished);
  EXPECT_EQ(calls, (std::vector<Call>{{4, 1}, {4, 2}, {4, 3}, {2, 3}}));
  EXPECT_EQ(list_->Count, 0);
  const std::string line = "not unFixed------Failed----Order is invalible\n";
  EXPECT_EQ(debug_log(), line + line + line);
}

TEST_F(ConvertWorksheetTest, StartRowSkipsRecordsAndBeyondTheEndReadsNothing) {
  source_.records = {{"r2", ""}, {"r3", ""}, {"r4", ""}, {"r5", ""}, {"r6", ""}};
  for (int start : {1, 2}) {
    calls.clear();
    list_release_records(*list_);
    run({{1, "KHBH"}}, start);
    EXPECT_EQ(field(0, 0), "r2") << start;
  }
  list_release_records(*list_);
  run({{1, "KHBH"}}, 5);
  EXPECT_EQ(field(0, 0), "r5");
  EXPECT_EQ(rec_nos(), (std::vector<int>{1, 2}));
  calls.clear();
  EXPECT_EQ(run({{1, "KHBH"}}, 40), kFinished);
  EXPECT_EQ(calls, (std::vector<Call>{{2, 0}}));
}

TEST_F(ConvertWorksheetTest, StopRaisedInsideARecordCallbackKeepsThatRecordAndEndsWithEleven) {
  source_.records = {{"1", "x"}, {"2", "x"}, {"3", "x"}};
  stop_after_records = 2;
  EXPECT_EQ(run({{1, "KHBH"}}, 2), kStopped);
  EXPECT_EQ(calls, (std::vector<Call>{{0, -1}, {0, -1}, {2, 2}}));
  EXPECT_EQ(list_->Count, 2);
  // A stop during the last row's callback still reports the stop.
  calls.clear();
  list_release_records(*list_);
  stop_after_records = 3;
  EXPECT_EQ(run({{1, "KHBH"}}, 2), kStopped);
}

TEST_F(ConvertWorksheetTest, SingleColumnSplitsAtCommasAndPassesEmptyRowsBy) {
  source_.records = {{"1,张三,1,200.00"}, {""}, {"2,李四,7"}};
  EXPECT_EQ(run({{1, "KHBH"}, {3, "JYJE"}}, 2), kFinished);
  EXPECT_EQ(calls, (std::vector<Call>{{0, -1}, {0, -1}, {2, 2}}));
  EXPECT_EQ(field(0, 3), "1");
  EXPECT_EQ(rec_nos(), (std::vector<int>{1, 2}));
}

TEST_F(ConvertWorksheetTest, MultiColumnRowOfEmptyCellsIsARecordWithEmptyFields) {
  source_.records = {{"", "", ""}};
  run({{2, "KHXM"}}, 2);
  ASSERT_EQ(list_->Count, 1);
  EXPECT_EQ(list_->Items[0]->Info.KHXM[0], 0);
}

TEST_F(ConvertWorksheetTest, UnreadableRecordIsReportedOnceAndPassedBy) {
  source_.records = {{"1", "a"}, {"2", "b"}, {"3", "c"}};
  source_.unreadable = {1};
  EXPECT_EQ(run({{1, "KHBH"}}, 2), kFinished);
  EXPECT_EQ(source_.reads, 3u);
  EXPECT_EQ(rec_nos(), (std::vector<int>{1, 2}));
  EXPECT_EQ(field(1, 0), "3");
  EXPECT_EQ(calls, (std::vector<Call>{{0, -1}, {4, 1}, {0, -1}, {2, 2}}));
  EXPECT_EQ(debug_log(), "not unFixed------cell unreadable\n");
}

TEST_F(ConvertWorksheetTest, NoChoiceOrNoSelectionReadsNoRowsAndCallsNothing) {
  source_.records = {{"1", "a"}};
  source_.tables = {"Sheet1$", "  ", "Data$"};
  EXPECT_THROW(run({{1, "KHBH"}}, 2, {"select TUSelSheet.ComboBox1 0", "click TUSelSheet.Button1"}),
               platform::Error);
  EXPECT_THAT(transcript_, ::testing::Not(::testing::HasSubstr("\"  \"")));
  EXPECT_THROW(run({{1, "KHBH"}}, 2, {"click TUSelSheet.Button1"}), platform::Error);
  EXPECT_THROW(run({{1, "KHBH"}}, 2, {"type TUSelSheet.ComboBox1 \"Other\"", "close TUSelSheet"}),
               platform::Error);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(source_.reads, 0u);
  // Closing with the close box after choosing a sheet reads it as the button would.
  run({{1, "KHBH"}}, 2, {"select TUSelSheet.ComboBox1 \"Data$\"", "close TUSelSheet"});
  EXPECT_EQ(source_.sql, "select * from [Data$]");
}

TEST_F(ConvertWorksheetTest, OnlyPathsEndingInXlsAreRead) {
  EXPECT_TRUE(names_xls_file("a.XlS"));
  EXPECT_FALSE(names_xls_file("a.xlsx"));
  EXPECT_FALSE(names_xls_file("ls"));
  EXPECT_EQ(ConvertWorksheet("/data/pay.xlsx", {{1, "KHBH"}}, 2, *list_, source_), kNotXls);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(source_.connection, "");
}

}  // namespace
}  // namespace sheetport
