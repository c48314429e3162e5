// The dataset over a real database file: posts and their refusals, cancel, and that every row
// posted is in the database for other connections once refresh resumes, whatever ended the run.
#include "table_dataset.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "error.h"
#include "temp_database.h"

namespace gridhost {
namespace {

const char* const kPayments =
    "code VARCHAR(6) NOT NULL UNIQUE, name VARCHAR(10) NOT NULL, "
    "amount DECIMAL(20,2) CHECK (amount > 0), paid DATE, note TEXT DEFAULT '无'";

void add(TableDataset& d, const std::string& code, const std::string& name,
         const std::string& amount = "1") {
  d.append();
  d.set_field_text("code", code);
  d.set_field_text("NAME", name);  // field names are found in any letter case
  d.set_field_text("amount", amount);
  d.post();
}

std::string refusal(const std::function<void()>& step) {
  try {
    step();
  } catch (const Error& e) {
    return e.what();
  }
  return "(accepted)";
}

class TableDatasetTest : public ::testing::Test {
 protected:
  TempDatabase db;
  std::string count() const { return db.value("SELECT count(*) FROM payments"); }
};

TEST_F(TableDatasetTest, CreatesTheTableAndStoresTypedValues) {
  TableDataset d(db.path(), "payments", kPayments);
  d.append();
  d.set_field_text("code", "C1");
  d.set_field_text("name", "欧阳明华");
  d.set_field_text("amount", "1200.5");
  d.set_field_text("paid", "2024/3/5");
  d.post();
  EXPECT_EQ(d.row_count(), 1);
  EXPECT_EQ(
      d.rows(0, 10),
      (std::vector<std::vector<std::string>>{{"C1", "欧阳明华", "1200.50", "2024-03-05", "无"}}));
  EXPECT_EQ(db.value("SELECT typeof(amount) || ' ' || amount FROM payments"), "real 1200.5");
  EXPECT_EQ(d.row_by_rowid(d.posted_rowids().at(0)).at(0), "C1");
  // A whole amount beyond a double's digits reads back exactly.
  add(d, "C2", "李四", "123456789012345678");
  EXPECT_EQ(d.rows(1, 1).at(0).at(2), "123456789012345678.00");
}

TEST_F(TableDatasetTest, AMissingTableWithoutColumnsToCreateIsRefused) {
  EXPECT_THROW(TableDataset(db.path(), "nowhere"), Error);
}

TEST_F(TableDatasetTest, NotNullUniqueAndCheckGiveTheFieldAndTheDatabasesReason) {
  TableDataset d(db.path(), "payments", kPayments);
  d.set_label("name", "客户名称");
  d.set_label("code", "客户编号");
  add(d, "C1", "张三");
  EXPECT_EQ(refusal([&] {
              d.append();
              d.set_field_text("code", "C2");
              d.post();
            }),
            "字段“客户名称”不能为空（数据库：NOT NULL constraint failed: payments.name）");
  d.cancel();
  EXPECT_EQ(refusal([&] { add(d, "C1", "李四"); }),
            "字段“客户编号”的值“C1”已经存在（数据库：UNIQUE constraint failed: payments.code）");
  d.cancel();
  EXPECT_EQ(refusal([&] { add(d, "C3", "王五", "-3"); }),
            "记录不符合数据表“payments”的检查条件（数据库：CHECK constraint failed: amount > 0）");
  d.cancel();
  EXPECT_EQ(refusal([&] { d.set_field_text("nosuch", "1"); }), "数据表“payments”没有字段“nosuch”");
  EXPECT_EQ(count(), "1");
}

TEST_F(TableDatasetTest, CancelLeavesNoRow) {
  TableDataset d(db.path(), "payments", kPayments);
  d.append();
  d.set_field_text("code", "C1");
  d.set_field_text("name", "张三");
  d.cancel();
  EXPECT_FALSE(d.editing());
  d.post();  // nothing is being edited: nothing to store
  EXPECT_EQ(count(), "0");
  EXPECT_EQ(d.row_count(), 0);
}

TEST_F(TableDatasetTest, RowsPostedBeforeAStopOrAnAbortAreStoredWhenRefreshResumes) {
  TableDataset d(db.path(), "payments", kPayments);
  int suspends = 0, refreshes = 0;
  d.set_suspend_handler([&] { ++suspends; });
  d.set_refresh_handler([&] { ++refreshes; });
  d.disable_controls();
  d.disable_controls();  // nested: one suspend, one refresh at the outermost resume
  add(d, "C1", "张三");
  add(d, "C2", "李四");
  EXPECT_THROW(add(d, "C1", "重复"), Error);  // the failing row of an abort
  d.cancel();
  // Another program does not see the open batch yet...
  EXPECT_EQ(count(), "0");
  d.enable_controls();
  EXPECT_EQ(refreshes, 0);
  d.enable_controls();
  // ...and sees every row posted before the failure once the run resumes refresh.
  EXPECT_EQ(count(), "2");
  EXPECT_EQ(suspends, 1);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(d.row_count(), 2);
}

TEST_F(TableDatasetTest, LongRunsCommitInBatchesSoAKilledProcessLosesOnlyTheOpenOne) {
  { TableDataset create(db.path(), "payments", kPayments); }
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    TableDataset d(db.path(), "payments");
    d.disable_controls();
    for (std::size_t i = 0; i < TableDataset::kBatchRows + 5; ++i) {
      std::string code = "C";
      code += std::to_string(i);
      add(d, code, "某人");
    }
    _exit(0);  // as if killed: no destructor, no resume
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(count(), std::to_string(TableDataset::kBatchRows));
}

TEST_F(TableDatasetTest, ABatchTheDatabaseRollsBackIsWrittenAgain) {
  TableDataset d(db.path(), "payments", kPayments);
  // Stands in for a full disk or an I/O error, which undo the whole open transaction.
  db.run(
      "CREATE TRIGGER fail BEFORE INSERT ON payments WHEN NEW.code = 'BOOM' "
      "BEGIN SELECT RAISE(ROLLBACK, 'disk I/O error'); END");
  d.disable_controls();
  add(d, "C1", "张三");
  add(d, "C2", "李四");
  EXPECT_EQ(refusal([&] { add(d, "BOOM", "王五"); }),
            "数据表“payments”拒绝了这条记录（数据库：disk I/O error）");
  d.cancel();
  add(d, "C3", "赵六");
  d.enable_controls();
  EXPECT_EQ(db.value("SELECT group_concat(code) FROM payments"), "C1,C2,C3");
  EXPECT_EQ(d.row_by_rowid(d.posted_rowids().at(2)).at(0), "C3");
}

TEST_F(TableDatasetTest, UnassignedFieldsTakeTheirDefaults) {
  TableDataset d(db.path(), "payments", kPayments);
  add(d, "C1", "张三");
  EXPECT_EQ(db.value("SELECT note FROM payments"), "无");
}

}  // namespace
}  // namespace gridhost
