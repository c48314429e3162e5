// The mapping table CdsFieldList: one row per destination of the host grid, with the fields
// destField (the column's title), destFieldName (its dataset field) and sourceField (the
// worksheet column mapped to it). It lives in the mapping grid's table, so the grid shows it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "ui/table_grid.h"

namespace gridport {

class FieldList {
 public:
  // Each field holds at most this many characters; longer texts are cut, as the table's fixed
  // field size did.
  static constexpr std::size_t kFieldSize = 100;

  // Gives the table its three fields and no rows.
  explicit FieldList(ui::Table& table);

  std::size_t RecordCount() const { return table_.row_count(); }
  // Appends a row with an empty source; only while the dialog is being built, since the rows
  // stand for the host grid's columns.
  void Append(std::string_view dest_field, std::string_view dest_field_name);

  // Fields are named without regard to ASCII case ("destField" or "DestField"); an unknown name
  // or row throws platform::Error naming it.
  const std::string& FieldByName(std::size_t row, std::string_view field) const;
  void SetFieldByName(std::size_t row, std::string_view field, std::string_view value);

  // Stops and resumes the grid's refresh around a change of many rows (nestable).
  void DisableControls() { table_.begin_update(); }
  void EnableControls() { table_.end_update(); }

 private:
  std::size_t field_index(std::string_view field) const;
  ui::Table& table_;
};

// The longest prefix of a UTF-8 text that holds at most `characters` characters.
std::string_view cut_to_characters(std::string_view utf8, std::size_t characters);

}  // namespace gridport
