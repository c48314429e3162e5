// Test helpers: a fixture's path, and a whole table read through Connection and Query.
#pragma once

#include <string>
#include <vector>

#include "workbook/connection.h"
#include "workbook/query.h"

namespace workbook_test {

inline std::string fixture(const std::string& name) {
  return std::string(WORKBOOK_FIXTURES) + "/" + name;
}

inline std::string jet(const std::string& path) {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
         ";Extended Properties=Excel 8.0;Mode=Read";
}

inline std::string ace(const std::string& path) {
  return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path +
         ";Extended Properties='Excel 12.0;IMEX=1;';Persist Security Info=False";
}

using Lines = std::vector<std::string>;

// The field names and then each record, each as one line of tab-joined texts.
inline Lines read_table(const std::string& path, const std::string& table,
                        const std::string& condition = "") {
  workbook::Connection connection(ace(path));
  connection.Connect();
  workbook::Query query(connection);
  query.SetSQL("select * from [" + table + "]" + (condition.empty() ? "" : " where " + condition));
  query.Open();
  Lines lines;
  std::string line;
  for (std::size_t i = 0; i < query.FieldCount(); ++i)
    line += (i ? "\t" : "") + query.Fields(i).FieldName();
  lines.push_back(line);
  for (query.First(); !query.Eof(); query.Next()) {
    line.clear();
    for (std::size_t i = 0; i < query.FieldCount(); ++i) {
      if (i) line += '\t';
      line += query.Fields(i).AsString();
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace workbook_test
