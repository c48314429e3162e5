// Messages for records that NOT NULL, UNIQUE, CHECK or another rule of the database refused.
#include "constraint_message.h"

#include <sqlite3.h>
#include <strings.h>

#include <cstdio>

#include "table_dataset.h"

namespace gridhost {
namespace {

// The columns a "UNIQUE constraint failed: t.a, t.b" reason names, as indexes into columns.
std::vector<std::size_t> named_columns(const std::string& reason, const std::string& table,
                                       const std::vector<Column>& columns) {
  std::vector<std::size_t> out;
  auto colon = reason.find(": ");
  if (colon == std::string::npos) return out;
  std::string list = reason.substr(colon + 2);
  std::size_t start = 0;
  while (start <= list.size()) {
    auto comma = list.find(", ", start);
    std::string item = list.substr(start, comma == std::string::npos ? comma : comma - start);
    if (item.size() > table.size() && item.compare(0, table.size(), table) == 0 &&
        item[table.size()] == '.') {
      item = item.substr(table.size() + 1);
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
      if (strcasecmp(columns[i].name.c_str(), item.c_str()) == 0) out.push_back(i);
    }
    if (comma == std::string::npos) break;
    start = comma + 2;
  }
  return out;
}

std::string quoted_list(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "“" : "、“") + item + "”";
  return out;
}

}  // namespace

std::string value_text(const StoredValue& value) {
  if (auto* i = std::get_if<int64_t>(&value)) return std::to_string(*i);
  if (auto* d = std::get_if<double>(&value)) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", *d);
    return buf;
  }
  if (auto* s = std::get_if<std::string>(&value)) return *s;
  return "";
}

std::string constraint_message(int code, const std::string& reason, const std::string& table,
                               const std::vector<Column>& columns,
                               const std::vector<StoredValue>& values) {
  std::string why = "（数据库：" + reason + "）";
  auto fields = named_columns(reason, table, columns);
  std::vector<std::string> labels, shown;
  for (auto i : fields) {
    labels.push_back(columns[i].label);
    shown.push_back(i < values.size() ? value_text(values[i]) : "");
  }
  switch (code) {
    case SQLITE_CONSTRAINT_NOTNULL:
      if (!labels.empty()) return "字段" + quoted_list(labels) + "不能为空" + why;
      break;
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
      if (!labels.empty()) {
        return "字段" + quoted_list(labels) + "的值" + quoted_list(shown) + "已经存在" + why;
      }
      break;
    case SQLITE_CONSTRAINT_CHECK:
      return "记录不符合数据表“" + table + "”的检查条件" + why;
    default:
      break;
  }
  return "数据表“" + table + "”拒绝了这条记录" + why;
}

}  // namespace gridhost
