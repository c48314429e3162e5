// Broken, hostile and mislabelled files fail with a message naming the file and the problem,
// never a crash (these tests also run under the sanitizers).
#include <gtest/gtest.h>

#include "platform/error.h"
#include "table_helpers.h"

using namespace workbook_test;

namespace {

struct Failure {
  std::string message;  // "" when reading succeeded
  platform::ErrorKind kind = platform::ErrorKind::Failed;
};

// The failure that reading the file's first table raises.
Failure failure_of(const std::string& name, const std::string& connection = "") {
  std::string path = fixture(name);
  try {
    workbook::Connection c(connection.empty() ? ace(path) : connection);
    c.Connect();
    auto tables = c.GetTableNames();
    if (tables.empty()) return {"no tables"};
    workbook::Query q(c);
    q.SetSQL("select * from [" + tables[0] + "]");
    q.Open();
  } catch (const platform::Error& e) {
    std::string m = e.what();
    EXPECT_NE(m.find(path), std::string::npos) << "message does not name the file: " << m;
    return {m, e.kind()};
  }
  return {};
}

std::string failure(const std::string& name, const std::string& connection = "") {
  return failure_of(name, connection).message;
}

platform::ErrorKind kind_of(const std::string& name, const std::string& connection = "") {
  return failure_of(name, connection).kind;
}

bool has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(HostileInput, DtdsAndEntityExpansionAreRefused) {
  EXPECT_EQ(kind_of("doctype.xlsx"), platform::ErrorKind::Refused) << failure("doctype.xlsx");
  EXPECT_EQ(kind_of("laughs.xlsx"), platform::ErrorKind::Refused) << failure("laughs.xlsx");
}

TEST(HostileInput, ZipBombStopsAtTheRatioLimit) {
  Failure bomb = failure_of("bomb.xlsx");
  EXPECT_EQ(bomb.kind, platform::ErrorKind::Limit) << bomb.message;
  EXPECT_TRUE(has(bomb.message, "where the limit is 400 times its compressed size"))
      << bomb.message;
}

TEST(HostileInput, OneHugeTokenIsRefusedBeforeExpatRescansIt) {
  EXPECT_EQ(kind_of("huge_token.xlsx"), platform::ErrorKind::Limit) << failure("huge_token.xlsx");
}

TEST(HostileInput, CorruptTruncatedAndEncryptedPackagesFailClearly) {
  EXPECT_EQ(kind_of("corrupt.xlsx"), platform::ErrorKind::Damaged) << failure("corrupt.xlsx");
  EXPECT_EQ(kind_of("truncated.xlsx"), platform::ErrorKind::Damaged) << failure("truncated.xlsx");
  EXPECT_EQ(kind_of("encrypted.xlsx"), platform::ErrorKind::Encrypted) << failure("encrypted.xlsx");
  EXPECT_EQ(kind_of("no_workbook.xlsx"), platform::ErrorKind::Unsupported)
      << failure("no_workbook.xlsx");
  Failure long_name = failure_of("long_part_name.xlsx");
  EXPECT_EQ(long_name.kind, platform::ErrorKind::Limit) << long_name.message;
  EXPECT_TRUE(has(long_name.message, "where the limit is 1023 bytes")) << long_name.message;
}

TEST(HostileInput, MislabelledTextAndEmptyFilesFailClearly) {
  std::string named_xls = fixture("xlsx_named.xls");
  EXPECT_TRUE(has(failure("xlsx_named.xls", jet(named_xls)), ".xlsx workbook"));
  EXPECT_EQ(kind_of("xlsx_named.xls", jet(named_xls)), platform::ErrorKind::Unsupported);
  EXPECT_EQ(kind_of("text.xls", jet(fixture("text.xls"))), platform::ErrorKind::Unsupported);
  EXPECT_EQ(kind_of("empty.xlsx"), platform::ErrorKind::Damaged);
  EXPECT_EQ(kind_of("missing.xlsx"), platform::ErrorKind::NotFound);
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
  Failure deep = failure_of("deep.xlsx");
  EXPECT_EQ(deep.kind, platform::ErrorKind::Limit);
  EXPECT_TRUE(has(deep.message, "257 levels where the limit is 256 levels")) << deep.message;
  EXPECT_EQ(kind_of("malformed.xlsx"), platform::ErrorKind::Damaged);
  EXPECT_EQ(kind_of("wide_row.xlsx"), platform::ErrorKind::Limit) << failure("wide_row.xlsx");
}
