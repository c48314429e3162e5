// End-to-end imports through the built libsheetport.so, loaded with dlopen as a host loads it,
// with the dialogs answered by a script: callbacks, record bytes, debug lines and the file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <ctime>

#include "host_harness.h"

namespace sheetport::test_helpers {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kFixtures = SHEETPORT_FIXTURES;
const std::string kFullMap =
    "[CHANGCOL]\r\nDELIMITER=2\r\nKHBHORDER=1\r\nKHXMORDER=2\r\nKHZHORDER=3\r\nJYJORDER=4\r\n"
    "ZJLXORDER=5\r\nZJHMORDER=6\r\nSSDMORDER=7\r\n[PUBLICPROPERTY]\r\nCOUNT=7\r\n";

std::string fixture(const std::string& name) {
  return kFixtures + "/" + name;
}

std::vector<std::string> choose(const std::string& workbook, const std::string& sheet) {
  return {"choose-file \"" + workbook + "\"", "select TUSelSheet.ComboBox1 \"" + sheet + "\"",
          "click TUSelSheet.Button1"};
}

// One import as a host runs it: configuration path, DoImport, the list read, FreeListData.
std::function<void(const Plugin&)> import_with(const std::string& config,
                                               TImportCallback callback = note_callback) {
  return [config, callback](const Plugin& p) {
    auto param = length_prefixed(config);
    p.SetImportParam(param.data());
    TRecordList* list = nullptr;
    p.DoImport(0, callback, &list);
    note_list(list);
    p.FreeListData(&list);
    if (list != nullptr) {
      note("after free " + std::to_string(list->Count));
      // Done with the list for good, as the header allows.
      std::free(list->Items);
      std::free(list);
    }
  };
}

class SheetportImport : public ::testing::Test {
 protected:
  std::string config(const std::string& text) {
    write_file(dir_.file("Unfixed.ini"), text);
    return dir_.file("Unfixed.ini");
  }
  TempFolder dir_;
};

TEST_F(SheetportImport, ThreeRowsArriveAsRecordsWithTheirBytesAtTheirOffsets) {
  auto run =
      run_host(dir_, choose(fixture("customers.xls"), "Pay$"), import_with(config(kFullMap)));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("callback 0", "callback 0", "callback 0", "callback 2 3",
                                     "list 3", "after free 0"));
  ASSERT_EQ(run.records.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(run.records[i].size(), 196u);
    EXPECT_EQ(record_number(run.records[i]), i + 1);
    EXPECT_EQ(run.records[i].substr(kExtra1, 8), std::string(8, '\0'));
  }
  const auto& first = run.records[0];
  EXPECT_EQ(record_text(first, kKHBH), "C001");
  EXPECT_EQ(record_text(first, kKHXM), std::string("\xD5\xC5\xC8\xFD"));  // 张三
  EXPECT_EQ(record_text(first, kKHZH), "6222000011112222");
  EXPECT_EQ(record_text(first, kJYJE), "1,200.00");  // a comma inside a cell stays there
  EXPECT_EQ(record_text(first, kZJLX), "01");
  EXPECT_EQ(record_text(first, kZJHM), "110101199001011234");
  EXPECT_EQ(record_text(first, kSSDM), "11");
  const auto& second = run.records[1];
  EXPECT_EQ(record_text(second, kKHBH), "12345678901234567890");             // 25 bytes cut to 20
  EXPECT_EQ(record_text(second, kKHXM), std::string("\xC0\xEE  \xCB\xC4"));  // 李　四 -> 李  四
  EXPECT_EQ(record_text(second, kJYJE), "300.5");
  EXPECT_EQ(record_text(second, kSSDM), "31");
  EXPECT_EQ(record_text(run.records[2], kJYJE), "42");
  EXPECT_EQ(run.debug, "");
  EXPECT_THAT(run.transcript, HasSubstr("\"不选择\",\"Pay$\",\"Notes$\""));
  EXPECT_THAT(run.transcript, HasSubstr("Image1 image picture=358x50"));
  EXPECT_THAT(run.transcript, ::testing::Not(HasSubstr("\"不选\"")));  // the designed entry
}

TEST_F(SheetportImport, CancelledPromptGivesOneCallbackFiveAfterTheListWasEmptied) {
  auto script = choose(fixture("customers.xls"), "Pay$");
  script.push_back("cancel-file");
  auto run = run_host(dir_, script, [this](const Plugin& p) {
    auto param = length_prefixed(config(kFullMap));
    p.SetImportParam(param.data());
    TRecordList* list = nullptr;
    p.DoImport(0, note_callback, &list);
    TRecordList* first = list;
    note("list " + std::to_string(list->Count));
    p.DoImport(0, note_callback, &list);
    note_list(list);
    note(list == first ? "same list" : "new list");
    // The first import's records were dropped from the list unreleased, as a host that skips
    // FreeListData leaves them; end here so a leak checker does not count them.
    std::fclose(g_notes);
    ::_exit(0);
  });
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("callback 0", "callback 0", "callback 0", "callback 2 3",
                                     "list 3", "callback 5", "list 0", "same list"));
}

TEST_F(SheetportImport, PromptComesBackUntilAnExistingFileIsChosen) {
  auto run = run_host(dir_,
                      {"choose-file \"" + dir_.file("nowhere.xls") + "\"",
                       "choose-file \"" + dir_.path().string() + "\"", "cancel-file"},
                      import_with(config(kFullMap)));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("callback 5", "list 0", "after free 0"));
  EXPECT_EQ(run.transcript.find("message"), std::string::npos);
}

TEST_F(SheetportImport, MissingConfigurationOffersTheDialogUntilACancel) {
  const std::string path = dir_.file("absent.ini");
  auto run = run_host(dir_,
                      {"choose-file \"" + fixture("customers.xls") + "\"",
                       "click TFrmSetExcelINI.BuOk", "click TFrmSetExcelINI.BuCancel"},
                      import_with(path));
  ASSERT_EQ(run.exit_status, 0);
  // The save wrote "COUNT" 0, still no map: shown again; after the cancel one more load, then
  // the import ends without a callback.
  EXPECT_THAT(run.notes, ElementsAre("list 0", "after free 0"));
  auto first = run.transcript.find("show TFrmSetExcelINI");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(run.transcript.find("show TFrmSetExcelINI", first + 1), std::string::npos);
  EXPECT_EQ(run.transcript.find("show TUSelSheet"), std::string::npos);
  EXPECT_THAT(read_file(path), HasSubstr("COUNT=0"));
}

TEST_F(SheetportImport, IncompleteConfigurationCompletedInTheDialogIsUsedAtOnce) {
  auto path = config("[CHANGCOL]\nKHBHORDER=1\nKHXMORDER=2\n[PUBLICPROPERTY]\nCOUNT=3\n");
  std::vector<std::string> script = {"choose-file \"" + fixture("customers.xls") + "\"",
                                     "type TFrmSetExcelINI.EdJYJ \"4\"",
                                     "click TFrmSetExcelINI.BuOk"};
  for (auto line : choose("", "Pay$")) {
    if (line.rfind("choose-file", 0) != 0) script.push_back(line);
  }
  auto run = run_host(dir_, script, import_with(path));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("callback 0", "callback 0", "callback 0", "callback 2 3",
                                     "list 3", "after free 0"));
  ASSERT_EQ(run.records.size(), 3u);
  EXPECT_EQ(record_text(run.records[0], kJYJE), "1,200.00");
  EXPECT_EQ(record_text(run.records[0], kKHZH), "");
}

TEST_F(SheetportImport, XlsxWorkbookIsRefusedWithCallbackOne) {
  auto run = run_host(dir_, {"choose-file \"" + fixture("customers.xlsx") + "\""},
                      import_with(config(kFullMap)));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("callback 1", "list 0", "after free 0"));
}

TEST_F(SheetportImport, NoChoiceOrNoSelectionReadsNoRowsAndCallsNothing) {
  const std::string pick = "choose-file \"" + fixture("customers.xls") + "\"";
  for (auto script : std::vector<std::vector<std::string>>{
           {pick, "select TUSelSheet.ComboBox1 0", "click TUSelSheet.Button1"},
           {pick, "click TUSelSheet.Button1"},
           {pick, "type TUSelSheet.ComboBox1 \"Elsewhere\"", "close TUSelSheet"}}) {
    auto run = run_host(dir_, script, import_with(config(kFullMap)));
    ASSERT_EQ(run.exit_status, 0);
    EXPECT_THAT(run.notes, ElementsAre("list 0", "after free 0")) << script[1];
    EXPECT_THAT(run.transcript, HasSubstr("closed TUSelSheet"));
    EXPECT_EQ(run.debug.find("not unFixed"), std::string::npos);
  }
}

TEST_F(SheetportImport, MapEntryBeyondTheColumnsFailsEachRowWithADebugLine) {
  auto run = run_host(dir_, choose(fixture("customers.xls"), "Pay$"),
                      import_with(config("[CHANGCOL]\nKHBHORDER=1\nKHXMORDER=8\n"
                                         "[PUBLICPROPERTY]\nCOUNT=2\n")));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("callback 4 1", "callback 4 2", "callback 4 3", "callback 2 3",
                                     "list 0", "after free 0"));
  const std::string line = "not unFixed------Failed----Order is invalible\n";
  EXPECT_EQ(run.debug, line + line + line);
}

TEST_F(SheetportImport, StartRowChoosesTheFirstWorksheetRowConverted) {
  for (auto [start, first] :
       std::vector<std::pair<int, std::string>>{{1, "r2"}, {2, "r2"}, {5, "r5"}, {7, "r7"}}) {
    auto run = run_host(dir_, choose(fixture("numbered.xls"), "Rows$"),
                        import_with(config("[CHANGCOL]\nDELIMITER=" + std::to_string(start) +
                                           "\nKHBHORDER=1\n[PUBLICPROPERTY]\nCOUNT=1\n")));
    ASSERT_EQ(run.exit_status, 0);
    ASSERT_FALSE(run.records.empty()) << start;
    EXPECT_EQ(record_text(run.records[0], kKHBH), first) << start;
    EXPECT_EQ(record_number(run.records[0]), 1);
  }
  auto run = run_host(dir_, choose(fixture("numbered.xls"), "Rows$"),
                      import_with(config("[CHANGCOL]\nDELIMITER=40\nKHBHORDER=1\n"
                                         "[PUBLICPROPERTY]\nCOUNT=1\n")));
  EXPECT_THAT(run.notes, ElementsAre("callback 2 0", "list 0", "after free 0"));
}

TEST_F(SheetportImport, StartRowAtTheEndsOfTheIntegerRangeReadsAsTheNearestRealRow) {
  auto first_records = [&](const std::string& start) {
    auto run = run_host(dir_, choose(fixture("numbered.xls"), "Rows$"),
                        import_with(config("[CHANGCOL]\nDELIMITER=" + start +
                                           "\nKHBHORDER=1\n[PUBLICPROPERTY]\nCOUNT=1\n")));
    EXPECT_EQ(run.exit_status, 0) << start;
    std::vector<std::string> texts;
    for (const auto& record : run.records) texts.push_back(record_text(record, kKHBH));
    return texts;
  };
  const auto from_two = first_records("2");
  ASSERT_FALSE(from_two.empty());
  // The lowest integers start at the header's next row; one past the range is no integer and
  // gives the default, 2.
  for (std::string start : {"-2147483648", "$80000000", "-1", "0", "2147483648"})
    EXPECT_EQ(first_records(start), from_two) << start;
  for (std::string start : {"2147483647", "$7FFFFFFF"})
    EXPECT_TRUE(first_records(start).empty()) << start;
}

TEST_F(SheetportImport, ConfigurationThatIsNoSettingsFileCountsAsMissing) {
  const std::string big = dir_.file("big.ini");
  write_file(big,
             "[PUBLICPROPERTY]\nCOUNT=1\n[CHANGCOL]\nKHBHORDER=1\n" + std::string(2 << 20, ';'));
  for (const std::string& path : {big, std::string("/dev/zero"), dir_.file("")}) {
    auto run = run_host(
        dir_,
        {"choose-file \"" + fixture("customers.xls") + "\"", "click TFrmSetExcelINI.BuCancel"},
        import_with(path));
    ASSERT_EQ(run.exit_status, 0) << path;
    EXPECT_THAT(run.notes, ElementsAre("list 0", "after free 0")) << path;
    EXPECT_THAT(run.debug, HasSubstr("the settings file " + path + " is refused")) << path;
  }
}

TEST_F(SheetportImport, StopRaisedInsideTheRecordCallbackKeepsThatRecordAndEnds) {
  auto run = run_host(dir_, choose(fixture("numbered.xls"), "Rows$"), [this](const Plugin& p) {
    g_stop_after_records = 2;
    import_with(config("[CHANGCOL]\nKHBHORDER=1\n[PUBLICPROPERTY]\nCOUNT=1\n"))(p);
  });
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes,
              ElementsAre("callback 0", "callback 0", "callback 2 2", "list 2", "after free 0"));
  ASSERT_EQ(run.records.size(), 2u);
  EXPECT_EQ(record_text(run.records[1], kKHBH), "r3");
}

TEST_F(SheetportImport, SingleColumnOfDelimitedTextIsSplitAndEmptyCellsPassedBy) {
  auto run = run_host(dir_, choose(fixture("single_column.xls"), "Data$"),
                      import_with(config("[CHANGCOL]\nKHBHORDER=1\nKHXMORDER=2\nJYJORDER=3\n"
                                         "[PUBLICPROPERTY]\nCOUNT=3\n")));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes,
              ElementsAre("callback 0", "callback 0", "callback 2 2", "list 2", "after free 0"));
  ASSERT_EQ(run.records.size(), 2u);
  EXPECT_EQ(record_number(run.records[1]), 2);
  EXPECT_EQ(record_text(run.records[1], kKHXM), std::string("\xC0\xEE\xCB\xC4"));  // 李四
  EXPECT_EQ(record_text(run.records[1], kJYJE), "200");
}

TEST_F(SheetportImport, NullCallbackAndNullListAreHarmless) {
  auto run = run_host(dir_, choose(fixture("customers.xls"), "Pay$"), [this](const Plugin& p) {
    TRecordList* none = nullptr;
    p.FreeListData(&none);
    p.FreeListData(nullptr);
    import_with(config(kFullMap), nullptr)(p);
  });
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("list 3", "after free 0"));
}

TEST_F(SheetportImport, DescriptionHoldsExactlyItsTextsAndTodaysDate) {
  auto run = run_host(dir_, {}, [](const Plugin& p) {
    PluginDescription desc;
    std::memset(&desc, 0xAB, sizeof desc);
    p.GetDescription(&desc);
    std::string bytes(reinterpret_cast<const char*>(&desc), sizeof desc);
    std::string hex;
    for (unsigned char c : bytes) {
      char two[3];
      std::snprintf(two, sizeof two, "%02x", c);
      hex += two;
    }
    note(hex);
  });
  ASSERT_EQ(run.exit_status, 0);
  ASSERT_EQ(run.notes.size(), 1u);
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[11];
  std::strftime(date, sizeof date, "%Y-%m-%d", &local);
  std::string expected(2052, '\0');
  expected[0] = 3;
  expected.replace(4, 9, "Sheetport");
  expected.replace(259, 3, "1.0");
  expected.replace(514, 10, date);
  const std::string text =  // 批量从EXCEL电子表格任一工作表中导入数据, GBK
      "\xC5\xFA\xC1\xBF\xB4\xD3"
      "EXCEL"
      "\xB5\xE7\xD7\xD3\xB1\xED\xB8\xF1\xC8\xCE\xD2\xBB"
      "\xB9\xA4\xD7\xF7\xB1\xED\xD6\xD0\xB5\xBC\xC8\xEB\xCA\xFD\xBE\xDD";
  expected.replace(769, text.size(), text);
  std::string hex;
  for (unsigned char c : expected) {
    char two[3];
    std::snprintf(two, sizeof two, "%02x", c);
    hex += two;
  }
  EXPECT_EQ(run.notes[0], hex);
}

class SheetportConfiguration : public SheetportImport {};

std::function<void(const Plugin&)> configure(const std::string& path) {
  return [path](const Plugin& p) {
    auto param = length_prefixed(path);
    p.SetImportParam(param.data());
    note("result " + std::to_string(p.ShowConfigForm()));
  };
}

TEST_F(SheetportConfiguration, NewFileFromTheExampleEntriesHoldsExactlyTheExample) {
  // A 255-byte path shows that the whole parameter was kept.
  std::string name(255 - dir_.file("").size(), 'u');
  const std::string path = dir_.file(name);
  ASSERT_EQ(path.size(), 255u);
  auto run = run_host(dir_,
                      {"type TFrmSetExcelINI.EdKHBH \"1\"", "type TFrmSetExcelINI.EdKHMC \"2\"",
                       "type TFrmSetExcelINI.EdKHZH \"3\"", "type TFrmSetExcelINI.EdJYJ \"5\"",
                       "click TFrmSetExcelINI.BuOk"},
                      configure(path));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("result 0"));
  EXPECT_EQ(read_file(path),
            "[CHANGCOL]\r\nDELIMITER=2\r\nKHBHORDER=1\r\nKHBHNAME=KHBH\r\nKHXMORDER=2\r\n"
            "KHXMNAME=KHXM\r\nKHZHORDER=3\r\nKHZHNAME=KHZH\r\nJYJORDER=5\r\nJYJNAME=JYJE\r\n"
            "[PUBLICPROPERTY]\r\nNONCETYPENAME=CHANGCOL\r\nCOUNT=4\r\n");
}

TEST_F(SheetportConfiguration, WithoutAPathTheDialogUsesPlugInsBesideTheHostAndNeverMakesIt) {
  auto run = run_host(dir_, {"click TFrmSetExcelINI.BuOk", "answer-message OK"}, configure(""));
  ASSERT_EQ(run.exit_status, 0);
  // The test program's folder has no "PlugIns" folder, and the dialog does not create one.
  EXPECT_THAT(run.notes, ElementsAre("result 1"));
  EXPECT_THAT(run.transcript, HasSubstr("\"设置参数出错,请重试.\""));
  EXPECT_THAT(run.debug, HasSubstr("PlugIns/Unfixed.ini"));
}

TEST_F(SheetportConfiguration, ReadOnlyFileGivesTheWriteMessageAndResultOneUnchanged) {
  const std::string before = "; mine\n[CHANGCOL]\nDELIMITER=9\n";
  auto path = config(before);
  ::chmod(path.c_str(), 0444);
  auto run = run_host(dir_, {"click TFrmSetExcelINI.BuOk", "answer-message OK"}, configure(path));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("result 1"));
  EXPECT_THAT(run.transcript, HasSubstr("EdSign edit text=\"9\""));
  EXPECT_THAT(run.transcript, HasSubstr("message error \"出错\" \"设置参数出错,请重试.\""));
  EXPECT_EQ(read_file(path), before);
}

TEST_F(SheetportConfiguration, CancelAfterAFailedCheckReturnsOneAndLeavesTheFile) {
  const std::string before = "[CHANGCOL]\nDELIMITER=32\nKHBHORDER=3\n";
  auto path = config(before);
  auto run = run_host(dir_,
                      {"type TFrmSetExcelINI.EdSSDM \"3\"", "click TFrmSetExcelINI.BuOk",
                       "answer-message OK", "click TFrmSetExcelINI.BuCancel"},
                      configure(path));
  ASSERT_EQ(run.exit_status, 0);
  EXPECT_THAT(run.notes, ElementsAre("result 1"));
  EXPECT_THAT(run.transcript, HasSubstr("\"客户编号位置不能有重复,请修改．\""));
  EXPECT_EQ(read_file(path), before);
}

TEST(SheetportLibrary, ShowsOnlyTheSixExports) {
  std::string command = std::string("nm -D --defined-only ") + SHEETPORT_LIBRARY;
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
  EXPECT_THAT(names, ElementsAre("DoImport", "FreeListData", "GetDescription", "SetImportParam",
                                 "ShowConfigForm", "StopImport"));
}

// The condition engine's bounds are process-wide within one copy of SQLite: the plug-in must use
// its own, never the host's.
TEST(SheetportLibrary, CarriesAPrivateSQLite) {
  std::string command = std::string("objdump -p ") + SHEETPORT_LIBRARY + " | grep NEEDED";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string needed;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) needed += line;
  ::pclose(pipe);
  EXPECT_THAT(needed, HasSubstr("libc.so"));
  EXPECT_THAT(needed, ::testing::Not(HasSubstr("sqlite")));
}

}  // namespace
}  // namespace sheetport::test_helpers
