// The host objects as the plug-in reaches them, through the C tables: refusals come back as
// failures with the dataset's message, kept until the next call on the table.
#include "host_objects.h"

#include <gtest/gtest.h>

#include "temp_database.h"

namespace gridhost {
namespace {

TEST(HostObjects, RefusalsCrossTheCTableWithTheirMessages) {
  TempDatabase db;
  TableDataset table(db.path(), "t", "code VARCHAR(4) NOT NULL, qty INTEGER");
  HostObjects objects(table);
  const GridportDataSource* source =
      objects.grid.table()->data_source(objects.grid.table()->context);
  const GridportDataSet* ds = source->dataset(source->context);
  const char* error = nullptr;

  ASSERT_EQ(ds->append(ds->context, &error), 1);
  // Long enough to live on the heap: the message must outlive the exception that carried it.
  std::string value(60, '9');
  value += "x";
  EXPECT_EQ(ds->set_field_text(ds->context, "qty", value.c_str(), &error), 0);
  EXPECT_EQ(std::string(error), "字段“qty”不接受“" + std::string(40, '9') + "…”：不是整数");
  EXPECT_EQ(ds->post(ds->context, &error), 0);
  EXPECT_EQ(std::string(error), "字段“code”不能为空（数据库：NOT NULL constraint failed: t.code）");
  EXPECT_EQ(ds->cancel(ds->context, &error), 1);
  EXPECT_EQ(table.row_count(), 0);
}

}  // namespace
}  // namespace gridhost
