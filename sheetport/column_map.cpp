// Building the column map from the configuration file.
#include "sheetport/column_map.h"

#include "platform/debug_output.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "sheetport/customer_record.h"

namespace sheetport {

std::optional<ColumnMap> read_column_map(const std::string& config_path) {
  if (!platform::file_exists(config_path)) return std::nullopt;
  // One read of the file; it is not held open while the worksheet is read.
  platform::IniDocument config;
  try {
    config = platform::profile::load(config_path);
  } catch (const platform::Error& e) {
    platform::debug_output(platform::utf8_to_gbk(std::string("Sheetport: ") + e.what()));
    return std::nullopt;
  }
  auto read_int = [&](std::string_view section, std::string_view key, int default_value) {
    auto text = config.get(section, key);
    return text ? platform::parse_int_or(*text, default_value) : default_value;
  };
  int count = read_int("PUBLICPROPERTY", "COUNT", 0);
  // A negative count can never match the mapped fields; it is refused like a missing one.
  if (count <= 0) return std::nullopt;
  ColumnMap map;
  map.StartRow = read_int("CHANGCOL", "DELIMITER", 2);
  for (const auto& field : field_specs()) {
    int order = read_int("CHANGCOL", field.order_key, 0);
    if (order < 1) continue;
    map.items.push_back({static_cast<std::uint32_t>(order), std::string(field.key)});
  }
  if (map.items.size() != static_cast<std::size_t>(count)) return std::nullopt;
  return map;
}

}  // namespace sheetport
