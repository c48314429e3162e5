// Reading the caption side table.
#include "grid_columns.h"

#include <algorithm>
#include <iostream>

#include "sqlite_handle.h"
#include "table_dataset.h"

namespace gridhost {
namespace {

bool side_table_exists(sqlite3* db) {
  Statement probe(db, "SELECT 1 FROM sqlite_schema WHERE type IN ('table', 'view') AND name = ?");
  probe.bind(1, kCaptionTable);
  return probe.step();
}

struct SideRow {
  GridColumn column;
  bool has_position = false;
  int64_t position = 0;
  std::size_t table_order = 0;
};

}  // namespace

std::vector<GridColumn> load_grid_columns(TableDataset& dataset) {
  const auto& columns = dataset.columns();
  std::vector<SideRow> rows;
  std::vector<bool> described(columns.size(), false);
  if (side_table_exists(dataset.connection())) {
    Statement read(dataset.connection(),
                   std::string("SELECT field_name, caption, visible, position FROM ") +
                       kCaptionTable + " WHERE table_name = ? COLLATE NOCASE");
    read.bind(1, dataset.table());
    while (read.step()) {
      std::string name = read.column_text(0);
      int index = dataset.column_index(name);
      if (index < 0) {
        std::cerr << "gridhost: " << kCaptionTable << " describes a column " << name
                  << " that the table " << dataset.table() << " does not have; it is left out\n";
        continue;
      }
      auto i = static_cast<std::size_t>(index);
      if (described[i]) continue;  // the first row for a column counts
      described[i] = true;
      SideRow row;
      row.column.field_name = columns[i].name;
      row.column.caption = read.column_null(1) ? columns[i].name : read.column_text(1);
      row.column.visible = read.column_null(2) || read.column_int(2) != 0;
      row.has_position = !read.column_null(3);
      row.position = read.column_int(3);
      row.table_order = i;
      rows.push_back(std::move(row));
    }
  }
  std::stable_sort(rows.begin(), rows.end(), [](const SideRow& a, const SideRow& b) {
    if (a.has_position != b.has_position) return a.has_position;
    if (a.position != b.position) return a.position < b.position;
    return a.table_order < b.table_order;
  });
  std::vector<GridColumn> out;
  for (auto& row : rows) out.push_back(std::move(row.column));
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!described[i]) out.push_back({columns[i].name, columns[i].name, true});
  }
  for (const auto& column : out) dataset.set_label(column.field_name, column.caption);
  return out;
}

}  // namespace gridhost
