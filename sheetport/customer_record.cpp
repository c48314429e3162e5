// Customer fields and the splitter of delimited text.
#include "sheetport/customer_record.h"

#include <cstring>

#include "platform/text.h"

namespace sheetport {

const std::array<FieldSpec, 7>& field_specs() {
  static const std::array<FieldSpec, 7> specs{{
      {"KHBH", offsetof(TCustomerInfo, KHBH), 20, "KHBHORDER", "KHBHNAME"},
      {"KHXM", offsetof(TCustomerInfo, KHXM), 60, "KHXMORDER", "KHXMNAME"},
      {"KHZH", offsetof(TCustomerInfo, KHZH), 30, "KHZHORDER", "KHZHNAME"},
      // The amount's configuration keys carry three letters, its field key four.
      {"JYJE", offsetof(TCustomerInfo, JYJE), 19, "JYJORDER", "JYJNAME"},
      {"ZJLX", offsetof(TCustomerInfo, ZJLX), 6, "ZJLXORDER", "ZJLXNAME"},
      {"ZJHM", offsetof(TCustomerInfo, ZJHM), 40, "ZJHMORDER", "ZJHMNAME"},
      {"SSDM", offsetof(TCustomerInfo, SSDM), 2, "SSDMORDER", "SSDMNAME"},
  }};
  return specs;
}

void SetCustomerField(const char* key, std::string_view value, TCustomerInfo& info) {
  if (key == nullptr) return;
  std::string_view wanted(key);
  for (const auto& field : field_specs()) {
    if (field.key != wanted) continue;
    std::string_view cut = platform::gbk_prefix(value, field.capacity);
    auto* slot = reinterpret_cast<unsigned char*>(&info) + field.offset;
    slot[0] = static_cast<unsigned char>(cut.size());
    std::memcpy(slot + 1, cut.data(), cut.size());
    return;
  }
}

std::string_view field_text(const TCustomerInfo& info, const FieldSpec& field) {
  const auto* slot = reinterpret_cast<const unsigned char*>(&info) + field.offset;
  std::size_t length = slot[0] <= field.capacity ? slot[0] : field.capacity;
  return {reinterpret_cast<const char*>(slot + 1), length};
}

void SplitByDelimiter(std::vector<std::string>& list, std::string_view text, char delimiter) {
  std::size_t start = 0;
  for (auto p = text.find(delimiter); p != std::string_view::npos;
       p = text.find(delimiter, start)) {
    list.emplace_back(text.substr(start, p - start));
    start = p + 1;
  }
  list.emplace_back(text.substr(start));
}

}  // namespace sheetport
