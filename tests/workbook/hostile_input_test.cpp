// Broken, hostile and mislabelled files fail with a message naming the file and the problem,
// never a crash (these tests also run under the sanitizers).
#include <gtest/gtest.h>

#include "platform/error.h"
#include "table_helpers.h"

using namespace workbook_test;

namespace {

// The message of the failure that reading the file's first table raises ("" when none).
std::string failure(const std::string& name, const std::string& connection = "") {
  std::string path = fixture(name);
  try {
    workbook::Connection c(connection.empty() ? ace(path) : connection);
    c.Connect();
    auto tables = c.GetTableNames();
    if (tables.empty()) return "no tables";
    workbook::Query q(c);
    q.SetSQL("select * from [" + tables[0] + "]");
    q.Open();
  } catch (const platform::Error& e) {
    std::string m = e.what();
    EXPECT_NE(m.find(path), std::string::npos) << "message does not name the file: " << m;
    return m;
  }
  return "";
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(HostileInput, DtdsAndEntityExpansionAreRefused) {
  EXPECT_TRUE(has(failure("doctype.xlsx"), "DTD")) << failure("doctype.xlsx");
  EXPECT_TRUE(has(failure("laughs.xlsx"), "DTD")) << failure("laughs.xlsx");
}

TEST(HostileInput, TableOfTooManyCellsIsRefusedNamingItsRange) {
  std::string m = failure("far_corner.xlsx");
  EXPECT_TRUE(has(m, "A1:XFD1048576")) << m;
  EXPECT_TRUE(has(m, "17179869184 cells; a table may span at most 268435456")) << m;
}

TEST(HostileInput, ZipBombStopsAtTheRatioLimit) {
  EXPECT_TRUE(has(failure("bomb.xlsx"), "ratio limit")) << failure("bomb.xlsx");
  // Sizes given only as ZIP64 markers: the bytes inflated are held against the bytes read.
  EXPECT_TRUE(has(failure("bomb_zip64.xlsx"), "ratio limit")) << failure("bomb_zip64.xlsx");
}

TEST(HostileInput, OneHugeTokenIsRefusedBeforeExpatRescansIt) {
  EXPECT_TRUE(has(failure("huge_token.xlsx"), "single piece of markup"))
      << failure("huge_token.xlsx");
}

TEST(HostileInput, CorruptTruncatedAndEncryptedPackagesFailClearly) {
  EXPECT_TRUE(has(failure("corrupt.xlsx"), "damaged")) << failure("corrupt.xlsx");
  EXPECT_TRUE(has(failure("truncated.xlsx"), "not a readable zip")) << failure("truncated.xlsx");
  EXPECT_TRUE(has(failure("encrypted.xlsx"), "encrypted")) << failure("encrypted.xlsx");
  EXPECT_TRUE(has(failure("no_workbook.xlsx"), "no workbook part"));
}

TEST(HostileInput, MislabelledTextAndEmptyFilesFailClearly) {
  std::string named_xls = fixture("xlsx_named.xls");
  EXPECT_TRUE(has(failure("xlsx_named.xls", jet(named_xls)), ".xlsx workbook"));
  EXPECT_TRUE(has(failure("text.xls", jet(fixture("text.xls"))), "neither an .xls nor an .xlsx"));
  EXPECT_TRUE(has(failure("empty.xlsx"), "empty"));
  EXPECT_TRUE(has(failure("missing.xlsx"), "does not exist"));
}

TEST(HostileInput, BrokenSheetMarkupNamesTheSheetAndCell) {
  std::string m = failure("bad_sst_index.xlsx");
  EXPECT_TRUE(has(m, "sheet \"S\", cell A1") && has(m, "shared string 5")) << m;
  EXPECT_TRUE(has(failure("rows_out_of_order.xlsx"), "out of order"));
  EXPECT_TRUE(has(failure("bad_ref.xlsx"), "\"XFE1\""));
  EXPECT_TRUE(has(failure("bad_row.xlsx"), "\"1048577\""));
  EXPECT_TRUE(has(failure("deep.xlsx"), "nests deeper"));
  EXPECT_TRUE(has(failure("malformed.xlsx"), "malformed"));
  EXPECT_TRUE(has(failure("wide_row.xlsx"), "MiB for one row")) << failure("wide_row.xlsx");
}
