// The rows an import added, as text for people (an aligned table) or programs (CSV, JSON).
#pragma once

#include <ostream>
#include <vector>

#include "grid_columns.h"
#include "options.h"
#include "table_dataset.h"

namespace gridhost {

// The grid's visible columns of every row the dataset posted, in posting order: the table under
// the captions, CSV and JSON under the field names.
void print_added_rows(std::ostream& out, TableDataset& dataset,
                      const std::vector<GridColumn>& columns, Format format);

}  // namespace gridhost
