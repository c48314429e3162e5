// The grid's view of the table for wxGrid: virtual, reading pages of rows on demand, so that a
// table of a million rows scrolls without being loaded.
#pragma once

#include <wx/grid.h>

#include <vector>

#include "grid_columns.h"
#include "table_dataset.h"

namespace gridhost {

class GridTable : public wxGridTableBase {
 public:
  GridTable(TableDataset& dataset, const std::vector<GridColumn>& columns);
  ~GridTable() override { right_aligned_->DecRef(); }

  int GetNumberRows() override;
  int GetNumberCols() override { return static_cast<int>(shown_.size()); }
  wxString GetValue(int row, int col) override;
  void SetValue(int, int, const wxString&) override {}  // the grid is read-only
  bool IsEmptyCell(int row, int col) override { return GetValue(row, col).empty(); }
  wxString GetColLabelValue(int col) override;
  // Numbers line up on the right.
  wxGridCellAttr* GetAttr(int row, int col, wxGridCellAttr::wxAttrKind kind) override;

  // Forgets the cached rows and tells the grid how its row count changed.
  void reload();

 private:
  static constexpr int64_t kPageRows = 256;

  TableDataset& dataset_;
  std::vector<std::size_t> shown_;  // dataset columns of the visible grid columns
  std::vector<wxString> captions_;
  wxGridCellAttr* right_aligned_;  // one reference kept, one given to each caller
  int shown_rows_ = 0;             // the row count the grid was last told
  int64_t page_first_ = -1;
  std::vector<std::vector<std::string>> page_;
};

}  // namespace gridhost
