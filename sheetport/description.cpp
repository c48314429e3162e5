// The plug-in's description record.
#include "sheetport/description.h"

#include <cstring>
#include <string>

#include "platform/local_time.h"
#include "platform/text.h"

namespace sheetport {
namespace {

template <std::size_t N>
void put_text(char (&field)[N], const std::string& gbk) {
  // Each text keeps its terminating zero inside its field.
  std::size_t n = gbk.size() < N ? gbk.size() : N - 1;
  std::memcpy(field, gbk.data(), n);
}

}  // namespace

void fill_description(PluginDescription& desc, std::time_t now) {
  std::memset(&desc, 0, sizeof desc);
  desc.Kind = 3;
  put_text(desc.Name, "Sheetport");
  put_text(desc.Version, "1.0");
  std::tm local = platform::local_time(now);
  char date[32] = {};
  std::strftime(date, sizeof date, "%Y-%m-%d", &local);
  put_text(desc.Date, date);
  put_text(desc.Description, platform::utf8_to_gbk("批量从EXCEL电子表格任一工作表中导入数据"));
}

}  // namespace sheetport
