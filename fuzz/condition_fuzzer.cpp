// libFuzzer target for the condition sandbox: any bytes as a condition over a small table of
// texts, numbers, dates and empty cells. Only platform::Error may come out; the time and memory
// bounds are the runner's -timeout and -rss_limit_mb.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "workbook/row_spool.h"
#include "workbook/sql_filter.h"

namespace {

const std::vector<std::string> kFields = {"Name", "Amount", "When", "Flag", "F5"};

// Records as a sheet gives them: cells by column, empty ones left out.
const std::vector<std::vector<std::string_view>> kRecords = {
    {"张三", "1200", "2025-01-01", "TRUE", ""},
    {"Rich text", "1200.5", "2025-01-01 12:00:00", "FALSE", "x"},
    {"pair😀", "0.1", "", "#DIV/0!", ""},
    {"line\r\ntwo", "1e+20", "12.5", "7", ""},
    {"", "", "", "", ""},
    {"-0", "-3", "00:30:00", "", "'quoted'"},
    {"a%b_c", "9007199254740993", "1900-02-29", "", "NULL"},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view condition(reinterpret_cast<const char*>(data), size);
  std::size_t next = 0;
  auto next_record = [&](workbook::Row& row) {
    if (next == kRecords.size()) return false;
    row.clear();
    row.index = static_cast<std::uint32_t>(next);
    const auto& cells = kRecords[next++];
    for (std::size_t c = 0; c < cells.size(); ++c)
      if (!cells[c].empty()) row.add(static_cast<std::uint32_t>(c), cells[c]);
    return true;
  };
  workbook::RowSpool out;
  try {
    workbook::filter_records("Sheet1$", kFields, next_record, condition, out);
  } catch (const platform::Error&) {
  }
  return 0;
}
