// Row values and record fields.
#include "sheetport/row_conversion.h"

#include "platform/error.h"
#include "platform/text.h"
#include "sheetport/customer_record.h"

namespace sheetport {

std::string replace_full_width_blanks(std::string_view utf8) {
  static constexpr std::string_view kFullWidthBlank = "\xE3\x80\x80";
  std::string out;
  out.reserve(utf8.size());
  std::size_t start = 0;
  for (auto p = utf8.find(kFullWidthBlank); p != std::string_view::npos;
       p = utf8.find(kFullWidthBlank, start)) {
    out.append(utf8.substr(start, p - start));
    out.append("  ");
    start = p + kFullWidthBlank.size();
  }
  out.append(utf8.substr(start));
  return out;
}

bool row_values(const std::vector<std::string>& cells, std::vector<std::string>& values) {
  values.clear();
  if (cells.size() >= 2) {
    for (const auto& cell : cells) values.push_back(replace_full_width_blanks(cell));
    return true;
  }
  std::string text = cells.empty() ? std::string() : replace_full_width_blanks(cells.front());
  if (text.empty()) return false;
  SplitByDelimiter(values, text, ',');
  return true;
}

void fill_fields(const TInfoAry& map, const std::vector<std::string>& values, TCustomerInfo& info) {
  for (const auto& item : map) {
    if (item.Order < 1 || values.size() < item.Order)
      throw platform::Error(std::string(kOrderInvalid));
    SetCustomerField(item.Key.c_str(), platform::utf8_to_gbk(values[item.Order - 1]), info);
  }
}

}  // namespace sheetport
