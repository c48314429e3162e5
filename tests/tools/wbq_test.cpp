// wbq: the exact bytes of each output shape, and the command line run end to end.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/text.h"
#include "tools/wbq_output.h"

namespace {

struct WbqRun {
  int status;
  std::string out, err;
};

std::string slurp(const std::string& path) {
  std::string data;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::array<char, 4096> buf;
    while (std::size_t n = std::fread(buf.data(), 1, buf.size(), f)) data.append(buf.data(), n);
    std::fclose(f);
  }
  return data;
}

// Runs wbq with shell-quoted arguments, capturing both streams.
WbqRun run_wbq(const std::string& args) {
  // Named per process and test: ctest runs the tests of this file side by side.
  std::string stem = testing::TempDir() + "wbq_" + std::to_string(::getpid()) + "_" +
                     testing::UnitTest::GetInstance()->current_test_info()->name();
  std::string out = stem + ".out", err = stem + ".err";
  std::string cmd = std::string(WBQ_PATH) + " " + args + " >" + out + " 2>" + err;
  int rc = std::system(cmd.c_str());
  WbqRun run{WEXITSTATUS(rc), slurp(out), slurp(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return run;
}

std::string fixture(const std::string& name) {
  std::string quoted = "'";  // appended: GCC 12 -O3 warns wrongly on "'" + std::string(...)
  quoted.append(WORKBOOK_FIXTURES).append("/").append(name).append("'");
  return quoted;
}

std::string shape(wbq::Format format, const std::vector<std::vector<std::string>>& rows) {
  wbq::RecordWriter w(format);
  std::string out;
  w.header(out, rows[0]);
  for (std::size_t r = 1; r < rows.size(); ++r) {
    std::vector<std::string_view> values(rows[r].begin(), rows[r].end());
    w.record(out, values);
  }
  w.footer(out);
  return out;
}

}  // namespace

TEST(WbqOutput, TsvEscapesBackslashTabAndLineBreaks) {
  EXPECT_EQ(shape(wbq::Format::Tsv, {{"a", "b"}, {"x\\y\tz", "1\r\n2"}}),
            "a\tb\nx\\\\y\\tz\t1\\r\\n2\n");
}

// Texts are checked eight bytes at a time: every byte value, at every place in a word and in the
// tail, against the plain byte-by-byte rule.
TEST(WbqOutput, TsvEscapesEveryByteWhereverItStands) {
  for (int c = 0; c < 256; ++c)
    for (std::size_t at = 0; at < 19; ++at) {
      std::string text(19, 'x');
      text[at] = static_cast<char>(c);
      std::string expected = text.substr(0, at);
      switch (c) {
        case '\\':
          expected += "\\\\";
          break;
        case '\t':
          expected += "\\t";
          break;
        case '\n':
          expected += "\\n";
          break;
        case '\r':
          expected += "\\r";
          break;
        default:
          expected += static_cast<char>(c);
      }
      expected += text.substr(at + 1);
      std::string out;
      wbq::append_tsv_escaped(out, text);
      ASSERT_EQ(out, expected) << "byte " << c << " at " << at;
    }
}

// Query::values() gives empty cells as empty views, which may point nowhere.
TEST(WbqOutput, TsvRecordsTakeEmptyValues) {
  wbq::RecordWriter w(wbq::Format::Tsv);
  std::string out;
  const std::vector<std::string_view> values = {{}, "a", {}};
  w.record(out, values);
  EXPECT_EQ(out, "\ta\t\n");
}

TEST(WbqOutput, CsvQuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(shape(wbq::Format::Csv, {{"a", "b"}, {"1,200", "say \"hi\""}, {"plain", ""}}),
            "a,b\n\"1,200\",\"say \"\"hi\"\"\"\nplain,\n");
}

TEST(WbqOutput, JsonIsAnArrayOfObjectsKeyedByFieldName) {
  EXPECT_EQ(shape(wbq::Format::Json, {{"k", "v"}, {"1", "a\"\x01"}, {"2", ""}}),
            "[\n{\"k\":\"1\",\"v\":\"a\\\"\\u0001\"},\n{\"k\":\"2\",\"v\":\"\"}\n]\n");
  EXPECT_EQ(shape(wbq::Format::Json, {{"k"}}), "[\n]\n");
}

TEST(Wbq, ListsTablesAndPrintsASheetByNameOrTable) {
  WbqRun list = run_wbq(fixture("layout.xlsx"));
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "Data$\n'My Sheet$'\n'Bob''s 2$'\n");
  WbqRun by_sheet = run_wbq(fixture("no_refs.xlsx") + " --sheet S");
  EXPECT_EQ(by_sheet.out, "1\t2\tF3\tF4\n3\t\t4\t5\n");
  WbqRun by_table = run_wbq(fixture("layout.xlsx") + " --table \"'My Sheet\\$'\"");
  EXPECT_EQ(by_table.status, 0) << by_table.err;
  EXPECT_EQ(by_table.out, "1\n");
}

TEST(Wbq, CsvAndJsonShapesFromAWorkbook) {
  WbqRun csv = run_wbq(fixture("layout.xlsx") + " --sheet Data --format csv");
  EXPECT_EQ(csv.out, "Code,F2,Code1,code2,F5\n1,2,3,,\n,,,,\n,5,,,6\n");
  WbqRun json = run_wbq(fixture("no_refs.xlsx") + " --sheet S --format=json");
  EXPECT_EQ(json.out, "[\n{\"1\":\"3\",\"2\":\"\",\"F3\":\"4\",\"F4\":\"5\"}\n]\n");
}

TEST(Wbq, RawPrintsTheHeaderRowAsTheSheetHasIt) {
  // Field names would be "Code,F2,Code1,code2,F5" and "1,2,F3,F4".
  WbqRun csv = run_wbq(fixture("layout.xlsx") + " --sheet Data --format csv --raw");
  EXPECT_EQ(csv.status, 0) << csv.err;
  EXPECT_EQ(csv.out, "Code,,Code,code,\n1,2,3,,\n,,,,\n,5,,,6\n");
  WbqRun tsv = run_wbq(fixture("no_refs.xlsx") + " --sheet S --raw --where 'F4 = 5'");
  EXPECT_EQ(tsv.out, "1\t2\t\t\n3\t\t4\t5\n");
  WbqRun json = run_wbq(fixture("no_refs.xlsx") + " --sheet S --raw --format json");
  EXPECT_EQ(json.status, 2);
}

TEST(Wbq, FiltersAndConvertsToGbk) {
  WbqRun r =
      run_wbq(fixture("basic.xlsx") + " --sheet Sheet1 --where 'Amount = 1200' --encoding gbk");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(platform::gbk_to_utf8(r.out),
            "Name\tAmount\tWhen\tFlag\n张三\t1200\t2025-01-01\tTRUE\n");
}

TEST(Wbq, EveryFailureIsStatusTwoWithOneLineOnStderr) {
  for (std::string args :
       {fixture("missing.xlsx"), fixture("basic.xlsx") + " --sheet Nope",
        fixture("basic.xlsx") + " --sheet Sheet1 --where '1=1; drop table x'",
        fixture("bad_sst_index.xlsx") + " --sheet S", fixture("basic.xlsx") + " --format xml",
        std::string("--where x"), std::string("")}) {
    WbqRun r = run_wbq(args);
    EXPECT_EQ(r.status, 2) << args;
    ASSERT_FALSE(r.err.empty()) << args;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  WbqRun help = run_wbq("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--where"), std::string::npos);
}
