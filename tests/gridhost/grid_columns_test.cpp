// The grid's columns from the caption side table, and without one.
#include "grid_columns.h"

#include <gtest/gtest.h>

#include "table_dataset.h"
#include "temp_database.h"

namespace gridhost {
namespace {

std::string describe(const std::vector<GridColumn>& columns) {
  std::string out;
  for (const auto& c : columns) {
    out += c.field_name + "=" + c.caption + (c.visible ? "" : "(hidden)") + " ";
  }
  return out;
}

TEST(GridColumns, WithoutASideTableTheColumnNamesInTableOrder) {
  TempDatabase db;
  TableDataset d(db.path(), "t", "b TEXT, a TEXT");
  EXPECT_EQ(describe(load_grid_columns(d)), "b=b a=a ");
}

TEST(GridColumns, TheSideTableGivesCaptionsVisibilityAndOrder) {
  TempDatabase db;
  db.run(
      "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT, amount REAL, printed INTEGER, extra);"
      "CREATE TABLE grid_columns (table_name TEXT, field_name TEXT, caption TEXT, "
      "visible INTEGER, position INTEGER);"
      "INSERT INTO grid_columns VALUES ('t', 'id', '编号', 0, 1), ('t', 'amount', '金额', 1, 2),"
      " ('T', 'NAME', '姓名', 1, 3), ('t', 'printed', '打印', 1, 4), ('t', 'gone', '无', 1, 5),"
      " ('other', 'extra', '别的表', 1, 0);");
  TableDataset d(db.path(), "t");
  // The column without a side row comes last, under its own name; the row naming a column the
  // table lacks is left out.
  EXPECT_EQ(describe(load_grid_columns(d)),
            "id=编号(hidden) amount=金额 name=姓名 printed=打印 extra=extra ");
  EXPECT_EQ(d.columns()[2].label, "金额");  // refusals name fields by their captions
}

}  // namespace
}  // namespace gridhost
