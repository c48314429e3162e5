// .xls workbooks through the data source the plug-ins use: a Jet connection string, the table
// list and a query, with and without a condition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "workbook/connection.h"
#include "workbook/query.h"

namespace {

std::string jet(const std::string& name) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + std::string(XLS_FIXTURES) + "/" + name +
         ";Extended Properties=Excel 8.0;Mode=Read";
}

std::vector<std::string> records(const std::string& name, const std::string& sql) {
  workbook::Connection connection(jet(name));
  connection.Connect();
  workbook::Query query(connection);
  query.SetSQL(sql);
  query.Open();
  std::vector<std::string> out;
  for (query.First(); !query.Eof(); query.Next()) {
    std::string line;
    for (std::size_t i = 0; i < query.FieldCount(); ++i) {
      line += (i ? "|" : "") + query.Fields(i).FieldName() + "=" + query.Fields(i).AsString();
    }
    out.push_back(line);
  }
  return out;
}

TEST(XlsThroughConnection, ListsWorksheetsAsTablesAndReadsThem) {
  workbook::Connection connection(jet("biff5_gbk.xls"));
  connection.Connect();
  EXPECT_EQ(connection.GetTableNames(), std::vector<std::string>{"工资表$"});
  EXPECT_EQ(records("biff5_gbk.xls", "select * from [工资表$]"),
            (std::vector<std::string>{"姓名=张三|金额=88.5|日期=2023-03-15",
                                      "姓名=合计|金额=备注|日期="}));
  EXPECT_EQ(records("xlwt_basic.xls", "select * from [客户$] where Amount > 1000"),
            (std::vector<std::string>{"编号=C001|Name=王小明|Amount=1234.56|Date=2024-02-29|Stamp="
                                      "2024-03-01 08:30:05|Flag=TRUE"}));
}

TEST(XlsThroughConnection, ABrokenWorkbookFailsOnConnect) {
  workbook::Connection connection(jet("hostile_encrypted.xls"));
  try {
    connection.Connect();
    FAIL() << "connected to an encrypted workbook";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.kind(), platform::ErrorKind::Encrypted) << e.what();
  }
}

}  // namespace
