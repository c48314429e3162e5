// The column map: which value of a row fills which customer field, and the row at which
// conversion starts, as the configuration file gives them. PascalCase names are the plug-in's own
// names for its records and steps, alike in every part; helpers follow the code base's style.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sheetport {

struct TInfoItem {
  // 1-based position among a row's values. 32 bits wide, so that a configured column above 65535
  // stays beyond every worksheet instead of wrapping round into a real column.
  std::uint32_t Order = 0;
  std::string Key;  // the four-letter field key
};

using TInfoAry = std::vector<TInfoItem>;

struct ColumnMap {
  TInfoAry items;             // in key order, unmapped fields left out
  std::int32_t StartRow = 2;  // worksheet row, the header row being row 1
};

// Reads the map from the configuration file; nothing when the file is missing or refused (with a
// debug line saying why), its "COUNT" is absent or not positive, or the number of mapped fields
// differs from "COUNT".
std::optional<ColumnMap> read_column_map(const std::string& config_path);

}  // namespace sheetport
