// Printing the rows an import added.
#include "rows_output.h"

#include <algorithm>

#include "host_text.h"

namespace gridhost {
namespace {

struct Shown {
  std::vector<std::size_t> columns;  // indexes into the dataset's columns
  std::vector<std::string> captions, names;
  std::vector<bool> numeric;  // lined up on the right
};

Shown shown_columns(const TableDataset& dataset, const std::vector<GridColumn>& columns) {
  Shown shown;
  for (const auto& column : columns) {
    int index = dataset.column_index(column.field_name);
    if (!column.visible || index < 0) continue;
    shown.columns.push_back(static_cast<std::size_t>(index));
    shown.captions.push_back(column.caption);
    shown.names.push_back(column.field_name);
    shown.numeric.push_back(is_numeric(dataset.columns()[static_cast<std::size_t>(index)].type));
  }
  return shown;
}

void print_table(std::ostream& out, const Shown& shown,
                 const std::vector<std::vector<std::string>>& rows) {
  const auto& headings = shown.captions;
  std::vector<std::size_t> widths;
  for (const auto& heading : headings) widths.push_back(hosts::display_width(heading));
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      widths[c] = std::max(widths[c], hosts::display_width(row[c]));
    }
  }
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (std::size_t c = 0; c < cells.size(); ++c) {
      std::size_t pad = widths[c] - hosts::display_width(cells[c]);
      if (shown.numeric[c]) text.append(pad, ' ');
      text += cells[c];
      if (c + 1 < cells.size()) text.append(shown.numeric[c] ? 2 : pad + 2, ' ');
    }
    out << text.substr(0, text.find_last_not_of(' ') + 1) << "\n";
  };
  line(headings);
  std::vector<std::string> rule;
  for (auto width : widths) rule.emplace_back(width, '-');
  line(rule);
  for (const auto& row : rows) line(row);
}

}  // namespace

void print_added_rows(std::ostream& out, TableDataset& dataset,
                      const std::vector<GridColumn>& columns, Format format) {
  Shown shown = shown_columns(dataset, columns);
  std::vector<std::vector<std::string>> rows;
  for (int64_t rowid : dataset.posted_rowids()) {
    auto all = dataset.row_by_rowid(rowid);
    if (all.empty()) continue;  // deleted meanwhile by another program
    std::vector<std::string> row;
    for (auto c : shown.columns) row.push_back(all[c]);
    rows.push_back(std::move(row));
  }
  if (format == Format::Table) {
    print_table(out, shown, rows);
  } else if (format == Format::Csv) {
    auto line = [&](const std::vector<std::string>& cells) {
      for (std::size_t c = 0; c < cells.size(); ++c) {
        out << (c ? "," : "") << hosts::csv_field(cells[c]);
      }
      out << "\n";
    };
    line(shown.names);
    for (const auto& row : rows) line(row);
  } else {
    out << "[";
    for (std::size_t r = 0; r < rows.size(); ++r) {
      out << (r ? ",\n " : "\n ") << "{";
      for (std::size_t c = 0; c < rows[r].size(); ++c) {
        out << (c ? ", " : "") << hosts::json_string(shown.names[c]) << ": "
            << hosts::json_string(rows[r][c]);
      }
      out << "}";
    }
    out << (rows.empty() ? "]\n" : "\n]\n");
  }
}

}  // namespace gridhost
