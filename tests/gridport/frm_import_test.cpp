// The import dialog played by a scripted user over a fake host grid: the mapping rows, opening
// workbooks and worksheets, the pre-fill, failures, and closing.
#include "gridport/frm_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_host.h"
#include "gridport/exec.h"
#include "gridport/module_state.h"
#include "ui/quote.h"
#include "ui/scripted_toolkit.h"

namespace gridport {
namespace {

using testing::FakeApplication;
using testing::FakeColumn;
using testing::FakeHost;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kForm = "Tfrm_Import";

std::string fixture(const std::string& name) {
  return std::string(GRIDPORT_FIXTURES) + "/" + name;
}

struct Session {
  int32_t result;
  std::string transcript;
};

// Runs exec1 over the host with a scripted user; the script's last line closes the dialog.
Session play(FakeHost& host, std::vector<std::string> script, int32_t auto_map_mode = 2,
             FakeApplication* app = nullptr) {
  FakeApplication own_app;
  ui::ScriptedToolkit toolkit(script);
  ui::ScopedToolkit scope(toolkit);
  int32_t result =
      run_exec((app ? app : &own_app)->table(), nullptr, host.grid.table(), auto_map_mode, 2);
  return {result, toolkit.transcript()};
}

std::vector<FakeColumn> columns(std::initializer_list<const char*> titles) {
  std::vector<FakeColumn> out;
  for (const char* t : titles) out.push_back({t, std::string("F_") + t});
  return out;
}

std::string choose(const std::string& file) {
  return "choose-file " + ui::quote(file);
}

TEST(Tfrm_Import, HiddenColumnsAndColumnsTitledPrintGetNoMappingRow) {
  FakeHost host(
      {{"编号", "BH"}, {"隐藏", "YC", false}, {"打印", "DY"}, {"打印 ", "DY2"}, {"姓名", "XM"}});
  auto run = play(host, {"close " + kForm});
  EXPECT_EQ(run.result, 2);
  EXPECT_THAT(run.transcript, HasSubstr("show Tfrm_Import \"从Excel导入数据\""));
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"编号\",\"\"],[\"打印 \",\"\"],[\"姓名\",\"\"]]"));
  EXPECT_THAT(run.transcript, HasSubstr("closed Tfrm_Import result=cancel"));
}

TEST(Tfrm_Import, AGridWithNoEligibleColumnOpensWithAnEmptyMappingThatStillWorks) {
  FakeHost host({{"隐藏", "YC", false}, {"打印", "DY"}});
  auto run =
      play(host, {"invoke " + kForm + ".SelectExcel", choose(fixture("people.xlsx")),
                  "click-title " + kForm + ".DataViewGrid 1", "dump " + kForm, "close " + kForm});
  EXPECT_THAT(run.transcript, HasSubstr("Label2 label caption=\"Excel文件记录数：2\""));
  EXPECT_THAT(run.transcript, HasSubstr("rows=[]"));
  EXPECT_EQ(run.result, 2);
}

TEST(Tfrm_Import, ConnectionStringFollowsTheExtensionInAnyCase) {
  for (const char* name : {"/d/a.xlsx", "/d/a.XLSX", "/d/b.XlSx"}) {
    EXPECT_EQ(workbook_connection_string(name),
              std::string("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=") + name +
                  ";Extended Properties='Excel 12.0;IMEX=1;';Persist Security Info=False");
  }
  for (const char* name : {"/d/a.xls", "/d/a.xlsm", "/d/noext", "/d.xlsx/noext", "/d/a.xlsx.bak"}) {
    EXPECT_EQ(workbook_connection_string(name),
              std::string("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + name +
                  ";Extended Properties='Excel 8.0;IMEX=1;';Persist Security Info=False");
  }
}

TEST(Tfrm_Import, QueryTextHasAWhereOnlyForAConditionBeyondBlanks) {
  EXPECT_EQ(worksheet_query_text("人员$", " \r\n\t \r\n"), "select * from [人员$]");
  EXPECT_EQ(worksheet_query_text("人员$", "\r\n 金额 > 10 \r\n"),
            "select * from [人员$] where 金额 > 10");
}

TEST(Tfrm_Import, PrefillByPositionFillsAsManyRowsAsTheSheetHasColumns) {
  FakeHost host(columns({"一", "二", "三", "四", "五"}));
  auto run = play(host,
                  {"invoke " + kForm + ".SelectExcel", choose(fixture("people.xlsx")),
                   "dump " + kForm, "close " + kForm},
                  GRIDPORT_MAP_BY_POSITION);
  EXPECT_THAT(run.transcript,
              HasSubstr("pick1=[\"编号\",\"姓名\",\"金额\"] rows=[[\"一\",\"编号\"],"
                        "[\"二\",\"姓名\"],[\"三\",\"金额\"],[\"四\",\"\"],[\"五\",\"\"]]"));
  EXPECT_THAT(run.transcript, HasSubstr("Label2 label caption=\"Excel文件记录数：2\""));
  EXPECT_THAT(run.transcript, HasSubstr("ComboBox1 combo index=0 text=\"人员$\""));
  EXPECT_THAT(run.transcript, HasSubstr("position=0 min=0 max=12"));
  EXPECT_EQ(run.result, 2);
}

TEST(Tfrm_Import, PrefillByNameMatchesOnlyEveryByte) {
  // The sheet's columns are "姓名", "amount", "编号 " and "金额".
  FakeHost host(columns({"姓名", "Amount", "编号", "金额"}));
  auto run = play(host, {"invoke " + kForm + ".SelectExcel", choose(fixture("names.xlsx")),
                         "dump " + kForm, "close " + kForm});
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"姓名\",\"姓名\"],[\"Amount\",\"\"],"
                                        "[\"编号\",\"\"],[\"金额\",\"金额\"]]"));
}

TEST(Tfrm_Import, OpeningAnotherSheetReplacesTheMapping) {
  FakeHost host(columns({"一", "二", "三"}));
  auto run = play(host,
                  {"invoke " + kForm + ".SelectExcel", choose(fixture("people.xlsx")),
                   "grid-set " + kForm + ".DataViewGrid 2 1 \"自己写的\"", "dump " + kForm,
                   "select " + kForm + ".ComboBox1 \"Other$\"", "dump " + kForm, "close " + kForm},
                  GRIDPORT_MAP_BY_POSITION);
  EXPECT_THAT(run.transcript, HasSubstr("[\"三\",\"自己写的\"]"));
  EXPECT_THAT(run.transcript, HasSubstr("pick1=[\"A\",\"B\"] rows=[[\"一\",\"A\"],"
                                        "[\"二\",\"B\"],[\"三\",\"\"]]"));
}

TEST(Tfrm_Import, SortingTheGridLeavesThePrefillInTheHostsColumnOrder) {
  FakeHost host(columns({"三", "一", "二"}));
  auto run = play(host,
                  {"click-title " + kForm + ".DataViewGrid 0", "invoke " + kForm + ".SelectExcel",
                   choose(fixture("people.xlsx")), "dump " + kForm, "close " + kForm},
                  GRIDPORT_MAP_BY_POSITION);
  // Shown sorted by caption; 三, the host's first column, still gets the first sheet column.
  EXPECT_THAT(
      run.transcript,
      HasSubstr("pick1=[\"编号\",\"姓名\",\"金额\"] sort=[\"+目标字段名\"] "
                "rows=[[\"二\",\"金额\"],[\"三\",\"编号\"],[\"一\",\"姓名\"]] current=1,0"));
}

TEST(Tfrm_Import, ASheetWithoutRecordsOpensWithCountZeroAndNothingToImport) {
  FakeHost host(columns({"编号"}));
  auto run = play(host, {"invoke " + kForm + ".SelectExcel", choose(fixture("people.xlsx")),
                         "select " + kForm + ".ComboBox1 \"Empty$\"", "dump " + kForm,
                         "invoke " + kForm + ".StartImport", "close " + kForm});
  EXPECT_THAT(run.transcript, HasSubstr("Label2 label caption=\"Excel文件记录数：0\""));
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"编号\",\"编号\"]]"));
  EXPECT_THAT(run.transcript, HasSubstr("refused invoke Tfrm_Import.StartImport"));
}

TEST(Tfrm_Import, ARefusedConditionSaysWhyAndReturnsToNoWorkbook) {
  FakeHost host(columns({"编号"}));
  auto run = play(host, {"type " + kForm + ".Memo1 \"编号 = 'C01'; delete from t\"",
                         "invoke " + kForm + ".SelectExcel", choose(fixture("people.xlsx")),
                         "answer-message OK", "dump " + kForm, "invoke " + kForm + ".StartImport",
                         "close " + kForm});
  EXPECT_THAT(run.transcript, HasSubstr("message warning \"从Excel导入数据\" \"详细：因为"));
  EXPECT_THAT(run.transcript, HasSubstr("only one statement is allowed打开Excel文件失败！\" [ok]"));
  EXPECT_THAT(run.transcript, HasSubstr("ComboBox1 combo index=-1 text=\"\" items=[] list"));
  EXPECT_THAT(run.transcript, HasSubstr("Label2 label caption=\"Excel文件记录数：\""));
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"编号\",\"\"]]"));
  EXPECT_THAT(run.transcript, HasSubstr("refused invoke Tfrm_Import.StartImport"));
}

TEST(Tfrm_Import, ConditionFiltersTheRecordsCounted) {
  FakeHost host(columns({"编号"}));
  auto run =
      play(host, {"type " + kForm + ".Memo1 \"金额 > 10\"", "invoke " + kForm + ".SelectExcel",
                  choose(fixture("people.xlsx")), "dump " + kForm, "close " + kForm});
  EXPECT_THAT(run.transcript, HasSubstr("Label2 label caption=\"Excel文件记录数：1\""));
}

TEST(Tfrm_Import, CancellingTheWorkbookPromptChangesNothing) {
  FakeHost host(columns({"编号", "姓名"}));
  auto run = play(
      host, {"invoke " + kForm + ".SelectExcel", choose(fixture("people.xlsx")),
             "grid-set " + kForm + ".DataViewGrid 0 1 \"金额\"", "invoke " + kForm + ".SelectExcel",
             "cancel-file", "dump " + kForm, "close " + kForm});
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"编号\",\"金额\"],[\"姓名\",\"姓名\"]]"));
  EXPECT_THAT(run.transcript, HasSubstr("Label2 label caption=\"Excel文件记录数：2\""));
}

TEST(Tfrm_Import, AWorkbookThatCannotBeReadGoesToTheHostsErrorDisplayAndTheDialogGoesOn) {
  FakeHost host(columns({"编号"}));
  FakeApplication app;
  auto run = play(host,
                  {"invoke " + kForm + ".SelectExcel", choose(fixture("renamed.xls")),
                   "invoke " + kForm + ".SelectExcel", choose(fixture("damaged.xlsx")),
                   "invoke " + kForm + ".SelectExcel", choose(fixture("people.xlsx")),
                   "dump " + kForm, "close " + kForm},
                  2, &app);
  ASSERT_EQ(app.errors.size(), 2u);
  EXPECT_THAT(app.errors[0], HasSubstr("renamed.xls"));
  EXPECT_THAT(app.errors[1], HasSubstr("damaged.xlsx"));
  EXPECT_THAT(run.transcript, HasSubstr("rows=[[\"编号\",\"编号\"]]"));
  EXPECT_EQ(run.result, 2);
}

TEST(Tfrm_Import, WithoutAHostErrorDisplayTheFailureIsShownByThePlugin) {
  FakeHost host(columns({"编号"}));
  FakeApplication app;
  app.use_plugin_error_display();
  auto run = play(host,
                  {"invoke " + kForm + ".SelectExcel", choose(fixture("damaged.xlsx")),
                   "answer-message OK", "close " + kForm},
                  2, &app);
  EXPECT_THAT(run.transcript, HasSubstr("message error \"从Excel导入数据\""));
  EXPECT_THAT(run.transcript, HasSubstr("damaged.xlsx"));
  EXPECT_EQ(run.result, 2);
}

TEST(Tfrm_Import, ARunningImportLocksWhatItReadsAndRefusesToClose) {
  FakeHost host(columns({"编号"}));
  FakeApplication app;
  ui::ScriptedToolkit toolkit({"answer-message OK"});
  ui::ScopedToolkit scope(toolkit);
  module_state().Application = app.table();
  Tfrm_Import form(host::Grid(host.grid.table(), application().codec()));
  form.Stopped = false;
  form.update_actions();
  for (ui::Control* c :
       std::initializer_list<ui::Control*>{&form.ComboBox1, &form.Memo1, &form.DataViewGrid,
                                           &form.SpeedButton1, &form.SpeedButton2}) {
    EXPECT_FALSE(c->enabled()) << c->name();
  }
  EXPECT_FALSE(form.SelectExcel.enabled());
  EXPECT_TRUE(form.StopImport.enabled());
  EXPECT_FALSE(form.FormClose());
  EXPECT_THAT(toolkit.transcript(), HasSubstr("详细：请先中止导入再关闭！"));
  form.Stopped = true;
  form.update_actions();
  EXPECT_TRUE(form.ComboBox1.enabled());
  EXPECT_TRUE(form.FormClose());
  EXPECT_EQ(form.SheetQuery, nullptr);
  module_state().Application = module_state().OwnApplication;
}

// Notes the host window the dialog would be modal over.
class ParentRecorder : public ui::ScriptedToolkit {
 public:
  using ui::ScriptedToolkit::ScriptedToolkit;
  ui::NativeParent seen;
  ui::ModalResult show_modal(ui::Form& form) override {
    seen = ui::native_parent();
    return ui::ScriptedToolkit::show_modal(form);
  }
};

TEST(Tfrm_Import, TheHostsWindowIsTheDialogsParentForTheCallOnly) {
  FakeHost host(columns({"编号"}));
  FakeApplication app;
  int host_window = 0;
  app.set_parent(GRIDPORT_PARENT_WX, &host_window);
  ParentRecorder toolkit({"close " + kForm});
  ui::ScopedToolkit scope(toolkit);
  EXPECT_EQ(run_exec(app.table(), nullptr, host.grid.table(), 2, 2), 2);
  EXPECT_EQ(toolkit.seen.kind, ui::NativeParent::Kind::Wx);
  EXPECT_EQ(toolkit.seen.window, &host_window);
  EXPECT_EQ(ui::native_parent().window, nullptr);
}

TEST(FieldList, FieldsAreNamedWithoutRegardToCaseAndCutToTheirSize) {
  ui::Table table([] {});
  FieldList list(table);
  list.Append(std::string(120, 'x'), "F");
  list.SetFieldByName(0, "SOURCEFIELD", std::string(99, 'a') + "汉字");
  EXPECT_EQ(list.FieldByName(0, "DestField"), std::string(100, 'x'));
  EXPECT_EQ(list.FieldByName(0, "sourcefield"), std::string(99, 'a') + "汉");
  EXPECT_THROW(list.FieldByName(0, "nofield"), platform::Error);
}

}  // namespace
}  // namespace gridport
