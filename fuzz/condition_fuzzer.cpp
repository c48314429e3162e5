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

#include "filter_by_plan.h"
#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/row_spool.h"
#include "workbook/sql_filter.h"

namespace {

const std::vector<std::string> kFields = {"Name", "Amount", "When", "Flag", "F5"};

// Records as a sheet gives them: cells by column, empty ones left out.
const std::vector<std::vector<std::string>> kRecords = {
    {"张三", "1200", "2025-01-01", "TRUE", ""},
    {"Rich text", "1200.5", "2025-01-01 12:00:00", "FALSE", "x"},
    {"pair😀", "0.1", "", "#DIV/0!", ""},
    {"line\r\ntwo", "1e+20", "12.5", "7", ""},
    {"", "", "", "", ""},
    {"-0", "-3", "00:30:00", "", "'quoted'"},
    {"a%b_c", "9007199254740993", "1900-02-29", "", "NULL"},
};

test_support::FilterOutcome run(std::string_view condition, workbook::FilterPlan plan) {
  return test_support::filter_by_plan(
      kRecords, kFields, condition, std::chrono::milliseconds(workbook::limits::kQueryTimeLimitMs),
      plan);
}

bool timed_out(const test_support::FilterOutcome& o) {
  return o.error.find("ran too long") != std::string::npos;
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
  auto streamed = run(condition, workbook::FilterPlan::Streamed);
  if (timed_out(streamed) || varies(condition)) return 0;
  auto stored = run(condition, workbook::FilterPlan::Stored);
  if (timed_out(stored)) return 0;
  if (streamed.rows != stored.rows || streamed.error != stored.error) std::abort();
  return 0;
}
