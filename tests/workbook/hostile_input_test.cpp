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

TEST(HostileInput, ZipBombStopsAtTheRatioLimit) {
  EXPECT_TRUE(has(failure("bomb.xlsx"), "ratio limit")) << failure("bomb.xlsx");
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
  EXPECT_TRUE(has(failure("long_part_name.xlsx"), "longer than 1023 bytes"));
}

TEST(HostileInput, MislabelledTextAndEmptyFilesFailClearly) {
  std::string named_xls = fixture("xlsx_named.xls");
  EXPECT_TRUE(has(failure("xlsx_named.xls", jet(named_xls)), ".xlsx workbook"));
  EXPECT_TRUE(has(failure("text.xls", jet(fixture("text.xls"))), "neither an .xls nor an .xlsx"));
  EXPECT_TRUE(has(failure("empty.xlsx"), "empty"));
  EXPECT_TRUE(has(failure("missing.xlsx"), "does not exist"));
}

TEST(HostileInput, BrokenSheetMarkupNamesTheSheetRowAndCell) {
  // The shape the .xls reader's failures have too.
  EXPECT_EQ(failure("bad_sst_index.xlsx"),
            "The workbook \"" + fixture("bad_sst_index.xlsx") +
                "\", sheet \"S\", row 1 cannot be read: cell A1: it refers to shared string 5, "
                "which the workbook lacks.");
  EXPECT_EQ(failure("malformed.xlsx"),
            "The workbook \"" + fixture("malformed.xlsx") +
                "\", sheet \"S\" cannot be read: the XML of part xl/worksheets/sheet1.xml is "
                "malformed at line 2: mismatched tag.");
  EXPECT_TRUE(has(failure("rows_out_of_order.xlsx"), "row 3 cannot be read: it comes after row 5"));
  EXPECT_TRUE(has(failure("bad_ref.xlsx"), "\"XFE1\""));
  EXPECT_TRUE(has(failure("bad_row.xlsx"), "\"1048577\""));
  EXPECT_TRUE(has(failure("deep.xlsx"), "nests deeper"));
  EXPECT_TRUE(has(failure("wide_row.xlsx"), "MiB for one row")) << failure("wide_row.xlsx");
}
