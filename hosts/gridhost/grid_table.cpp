// Pages of table rows for wxGrid.
#include "grid_table.h"

#include <algorithm>
#include <climits>

namespace gridhost {

GridTable::GridTable(TableDataset& dataset, const std::vector<GridColumn>& columns)
    : dataset_(dataset), right_aligned_(new wxGridCellAttr) {
  right_aligned_->SetAlignment(wxALIGN_RIGHT, wxALIGN_CENTRE);
  for (const auto& column : columns) {
    int index = dataset.column_index(column.field_name);
    if (!column.visible || index < 0) continue;
    shown_.push_back(static_cast<std::size_t>(index));
    captions_.push_back(wxString::FromUTF8(column.caption));
  }
  shown_rows_ = GetNumberRows();
}

// The grid asks while painting, where an exception would end the program: a database that
// cannot be read shows no rows, and the status bar says why (HostFrame::refresh).
int GridTable::GetNumberRows() {
  try {
    return static_cast<int>(std::min<int64_t>(dataset_.row_count(), INT_MAX));
  } catch (const std::exception&) {
    return 0;
  }
}

wxString GridTable::GetValue(int row, int col) {
  if (col < 0 || static_cast<std::size_t>(col) >= shown_.size()) return {};
  if (page_first_ < 0 || row < page_first_ || row >= page_first_ + kPageRows) {
    page_first_ = row - row % kPageRows;
    try {
      page_ = dataset_.rows(page_first_, kPageRows);
    } catch (const std::exception&) {
      page_.clear();
    }
  }
  auto offset = static_cast<std::size_t>(row - page_first_);
  if (offset >= page_.size()) return {};
  return wxString::FromUTF8(page_[offset][shown_[static_cast<std::size_t>(col)]]);
}

wxString GridTable::GetColLabelValue(int col) {
  if (col < 0 || static_cast<std::size_t>(col) >= captions_.size()) return {};
  return captions_[static_cast<std::size_t>(col)];
}

wxGridCellAttr* GridTable::GetAttr(int, int col, wxGridCellAttr::wxAttrKind) {
  if (col < 0 || static_cast<std::size_t>(col) >= shown_.size()) return nullptr;
  if (!is_numeric(dataset_.columns()[shown_[static_cast<std::size_t>(col)]].type)) return nullptr;
  right_aligned_->IncRef();
  return right_aligned_;
}

void GridTable::reload() {
  page_first_ = -1;
  page_.clear();
  int rows = GetNumberRows();
  if (GetView() != nullptr && rows != shown_rows_) {
    if (rows > shown_rows_) {
      wxGridTableMessage message(this, wxGRIDTABLE_NOTIFY_ROWS_APPENDED, rows - shown_rows_);
      GetView()->ProcessTableMessage(message);
    } else {
      wxGridTableMessage message(this, wxGRIDTABLE_NOTIFY_ROWS_DELETED, rows, shown_rows_ - rows);
      GetView()->ProcessTableMessage(message);
    }
  }
  shown_rows_ = rows;
  if (GetView() != nullptr) GetView()->ForceRefresh();
}

}  // namespace gridhost
