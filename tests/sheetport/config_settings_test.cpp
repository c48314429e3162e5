// The configuration dialog's entries: what a file shows, the checks and their order, the save.
#include "sheetport/config_settings.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "test_files.h"

namespace sheetport {
namespace {

using test_helpers::read_file;
using test_helpers::TempFolder;
using test_helpers::write_file;

enum Field { KHBH, KHXM, KHZH, JYJE, ZJLX, ZJHM, SSDM };

ConfigEntries entries(std::string start_row, std::array<std::string, 7> positions = {}) {
  return {std::move(start_row), std::move(positions)};
}

TEST(LoadEntries, MissingFileShowsTwoAndEmptyPositions) {
  auto shown = load_entries(platform::IniDocument());
  EXPECT_EQ(shown.start_row, "2");
  for (const auto& p : shown.positions) EXPECT_EQ(p, "");
}

TEST(LoadEntries, EveryStoredStartRowShowsAsStored) {
  auto with = [](const char* value) {
    return load_entries(
               platform::IniDocument::parse(std::string("[CHANGCOL]\nDELIMITER=") + value + "\n"))
        .start_row;
  };
  EXPECT_EQ(with("9"), "9");
  EXPECT_EQ(with("32"), "32");
  EXPECT_EQ(with("255"), "255");
  EXPECT_EQ(with("65535"), "65535");
  EXPECT_EQ(with("abc"), "abc");
  EXPECT_EQ(with("-4"), "-4");
}

TEST(LoadEntries, PositionsShowAsStored) {
  auto shown = load_entries(platform::IniDocument::parse(
      "[CHANGCOL]\nKHBHORDER=0x0A\nKHXMORDER=007\nJYJORDER=4\nJYJEORDER=9\n"));
  EXPECT_EQ(shown.positions[KHBH], "0x0A");
  EXPECT_EQ(shown.positions[KHXM], "007");
  EXPECT_EQ(shown.positions[JYJE], "4");
  EXPECT_EQ(shown.positions[SSDM], "");
}

TEST(CheckEntries, DuplicateNamesTheEarlierEntryAndComparesTexts) {
  auto e = entries("2");
  e.positions[KHXM] = "3";
  e.positions[SSDM] = "3";
  e.positions[JYJE] = "0";
  auto problem = check_entries(e);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->place, KHXM);
  EXPECT_EQ(problem->text, "客户名称位置不能有重复,请修改．");
  EXPECT_EQ(problem->caption, "输入出错");
  e = entries("2");
  e.positions[KHBH] = "3";
  e.positions[KHXM] = "03";
  e.positions[KHZH] = " 3";
  EXPECT_FALSE(check_entries(e));
}

TEST(CheckEntries, MinimumsFollowTheirOwnOrder) {
  auto e = entries("2");
  e.positions[KHBH] = "0";
  e.positions[KHZH] = "00";
  auto problem = check_entries(e);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->place, KHZH);
  EXPECT_EQ(problem->text, "客户账号位置必须从1开始.");
  e.positions[KHZH] = "1";
  EXPECT_EQ(check_entries(e)->text, "客户编号位置必须从1开始.");
  e = entries("2");
  e.positions[JYJE] = "0";
  EXPECT_EQ(check_entries(e)->text, "交易金额位置必须从1开始.");
  EXPECT_EQ(check_entries(e)->place, JYJE);
  e = entries("2");
  e.positions[SSDM] = "-1";
  e.positions[KHBH] = "-1x";  // not a number: reported before the province code's minimum
  EXPECT_EQ(check_entries(e)->text, "'-1x' is not a valid integer value");
}

TEST(CheckEntries, StartRowMustBeGivenAndBeAnInteger) {
  EXPECT_EQ(check_entries(entries(""))->text, "请输入一个形如转换行.");
  EXPECT_EQ(check_entries(entries(" \t"))->place, kStartRowPlace);
  EXPECT_EQ(check_entries(entries("\\t"))->text, "'\\t' is not a valid integer value");
  EXPECT_FALSE(check_entries(entries("0")));
  EXPECT_FALSE(check_entries(entries("-4")));
  EXPECT_FALSE(check_entries(entries(" +0x10")));
  // A duplicate is found before the start row is looked at.
  auto e = entries("");
  e.positions[KHBH] = e.positions[ZJHM] = "1";
  EXPECT_EQ(check_entries(e)->place, KHBH);
}

TEST(CheckEntries, PastedBlanksAreBlankForDuplicatesButNotAnIntegerForTheMinimum) {
  auto e = entries("2");
  e.positions[KHBH] = "  ";
  e.positions[KHXM] = "  ";
  auto problem = check_entries(e);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->place, KHXM);
  EXPECT_EQ(problem->text, "'  ' is not a valid integer value");
}

// Records the writes and can fail at a given one, as a full disk or a lost share would.
class RecordingWriter : public SettingsWriter {
 public:
  explicit RecordingWriter(SettingsWriter* inner = nullptr, int fail_at = -1)
      : inner_(inner), fail_at_(fail_at) {}
  void set(std::string_view s, std::string_view k, std::string_view v) override {
    step("set " + std::string(s) + "/" + std::string(k) + "=" + std::string(v));
    if (inner_) inner_->set(s, k, v);
  }
  void erase(std::string_view s, std::string_view k) override {
    step("erase " + std::string(s) + "/" + std::string(k));
    if (inner_) inner_->erase(s, k);
  }
  void commit() override {
    step("commit");
    if (inner_) inner_->commit();
  }
  std::vector<std::string> log;

 private:
  void step(std::string what) {
    if (static_cast<int>(log.size()) == fail_at_) throw platform::Error("write refused");
    log.push_back(std::move(what));
  }
  SettingsWriter* inner_;
  int fail_at_;
};

TEST(WriteEntries, WritesInTheFileOrderTrimmedWithDeletionsForBlankEntries) {
  auto e = entries(" 0x10");
  e.positions[KHBH] = " 1 ";
  e.positions[JYJE] = "5";
  e.positions[ZJLX] = "  ";
  RecordingWriter writer;
  write_entries(e, writer);
  EXPECT_EQ(writer.log, (std::vector<std::string>{
                            "set CHANGCOL/DELIMITER=16",
                            "set PUBLICPROPERTY/NONCETYPENAME=CHANGCOL",
                            "set PUBLICPROPERTY/COUNT=2",
                            "set CHANGCOL/KHBHORDER=1",
                            "set CHANGCOL/KHBHNAME=KHBH",
                            "erase CHANGCOL/KHXMORDER",
                            "erase CHANGCOL/KHXMNAME",
                            "erase CHANGCOL/KHZHORDER",
                            "erase CHANGCOL/KHZHNAME",
                            "set CHANGCOL/JYJORDER=5",
                            "set CHANGCOL/JYJNAME=JYJE",
                            "erase CHANGCOL/ZJLXORDER",
                            "erase CHANGCOL/ZJLXNAME",
                            "erase CHANGCOL/ZJHMORDER",
                            "erase CHANGCOL/ZJHMNAME",
                            "erase CHANGCOL/SSDMORDER",
                            "erase CHANGCOL/SSDMNAME",
                            "commit",
                        }));
}

TEST(WriteEntries, NewFileHoldsTheExampleInItsOrder) {
  TempFolder dir;
  auto e = entries("2");
  e.positions[KHBH] = "1";
  e.positions[KHXM] = "2";
  e.positions[KHZH] = "3";
  e.positions[JYJE] = "5";
  ProfileWriter writer(dir.file("Unfixed.ini"));
  write_entries(e, writer);
  EXPECT_EQ(read_file(dir.file("Unfixed.ini")),
            "[CHANGCOL]\r\nDELIMITER=2\r\nKHBHORDER=1\r\nKHBHNAME=KHBH\r\nKHXMORDER=2\r\n"
            "KHXMNAME=KHXM\r\nKHZHORDER=3\r\nKHZHNAME=KHZH\r\nJYJORDER=5\r\nJYJNAME=JYJE\r\n"
            "[PUBLICPROPERTY]\r\nNONCETYPENAME=CHANGCOL\r\nCOUNT=4\r\n");
}

TEST(WriteEntries, AFailureAtAnyWriteLeavesTheFileAsItWas) {
  TempFolder dir;
  const std::string path = dir.file("Unfixed.ini");
  const std::string before =
      "; bank template\n[OTHER]\nA=1\n[CHANGCOL]\nDELIMITER=3\nKHBHORDER=1\nKHBHNAME=KHBH\n"
      "[PUBLICPROPERTY]\nCOUNT=1\n";
  auto e = entries("2");
  e.positions[KHXM] = "4";
  e.positions[SSDM] = "1";
  for (int fail_at = 0; fail_at <= 17; ++fail_at) {
    write_file(path, before);
    ProfileWriter file(path);
    RecordingWriter writer(&file, fail_at);
    EXPECT_THROW(write_entries(e, writer), platform::Error) << fail_at;
    EXPECT_EQ(read_file(path), before) << "failed at write " << fail_at;
  }
  write_file(path, before);
  ProfileWriter file(path);
  write_entries(e, file);
  EXPECT_EQ(read_file(path),
            "; bank template\n[OTHER]\nA=1\n[CHANGCOL]\nDELIMITER=2\nKHXMORDER=4\nKHXMNAME=KHXM\n"
            "SSDMORDER=1\nSSDMNAME=SSDM\n[PUBLICPROPERTY]\nCOUNT=2\nNONCETYPENAME=CHANGCOL\n");
}

}  // namespace
}  // namespace sheetport
