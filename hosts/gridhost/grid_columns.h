// The columns gridhost's grid shows: captions, visibility and order from the side table
// grid_columns of the same database when it exists, else the table's column names in order.
#pragma once

#include <string>
#include <vector>

namespace gridhost {

class TableDataset;

// The side table: one row per column of a table.
//   CREATE TABLE grid_columns (table_name TEXT, field_name TEXT, caption TEXT,
//                              visible INTEGER, position INTEGER)
inline constexpr const char* kCaptionTable = "grid_columns";

struct GridColumn {
  std::string field_name;
  std::string caption;
  bool visible = true;
};

// Columns with a side row come in their positions' order (ties in table order), then the
// columns without one, captioned by their names. A side row for a column the table lacks is
// left out with a warning on stderr, since every import into it would fail. Also gives the
// dataset the captions, so that its messages name fields as the grid does.
std::vector<GridColumn> load_grid_columns(TableDataset& dataset);

}  // namespace gridhost
