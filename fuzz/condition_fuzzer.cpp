// libFuzzer target for the condition sandbox: any bytes as a condition over a small table of
// texts, numbers, dates and empty cells. Only platform::Error may come out; the time and memory
// bounds are the runner's -timeout and -rss_limit_mb. The records streamed past the condition
// and stored in a table first must give the same rows or the same error.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "workbook/limits.h"
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

struct Outcome {
  std::vector<std::string> rows;
  std::string error;
  bool timed_out = false;
};

Outcome run(std::string_view condition, workbook::FilterPlan plan) {
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
  Outcome o;
  workbook::FilterResult result;
  try {
    result = workbook::filter_records(
        "Sheet1$", kFields, next_record, condition,
        std::chrono::milliseconds(workbook::limits::kQueryTimeLimitMs), plan);
  } catch (const platform::Error& e) {
    o.error = e.what();
    o.timed_out = o.error.find("ran too long") != std::string::npos;
    return o;
  }
  auto add = [&](std::uint32_t index, const workbook::Row& row) {
    std::string line = std::to_string(index);
    for (std::size_t i = 0; i < row.size(); ++i)
      line.append("|").append(std::to_string(row.column(i))).append("=").append(row.text(i));
    o.rows.push_back(line);
  };
  workbook::Row row;
  if (result.plan == workbook::FilterPlan::Streamed) {
    for (std::size_t i = 0; i < result.passed.size(); ++i) {
      next = result.passed[i];
      next_record(row);
      add(static_cast<std::uint32_t>(i), row);
    }
    return o;
  }
  result.rows->rewind();
  while (result.rows->read(row)) add(row.index, row);
  return o;
}

// Conditions whose result may change between two runs: random values and the clock.
bool varies(std::string_view condition) {
  std::string lower(condition);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* word : {"random", "current_", "now", "date", "time", "julianday", "unixepoch"})
    if (lower.find(word) != std::string::npos) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view condition(reinterpret_cast<const char*>(data), size);
  Outcome streamed = run(condition, workbook::FilterPlan::Streamed);
  if (streamed.timed_out || varies(condition)) return 0;
  Outcome stored = run(condition, workbook::FilterPlan::Stored);
  if (stored.timed_out) return 0;
  if (streamed.rows != stored.rows || streamed.error != stored.error) std::abort();
  return 0;
}
