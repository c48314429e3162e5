// Runs a condition over a fixed table of records by one plan, streamed or stored, and lists what
// passes, so that the two plans can be held to the same rows and errors. The differential test of
// the plans and the condition fuzzer share it.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "workbook/row_spool.h"
#include "workbook/sql_filter.h"

namespace test_support {

struct FilterOutcome {
  std::vector<std::string> rows;  // "index|column=text|...", one entry a record that passed
  std::string error;
  platform::ErrorKind kind = platform::ErrorKind::Failed;
  workbook::FilterPlan plan = workbook::FilterPlan::Stored;
};

// Records are cells by column; empty ones are left out, as a sheet gives them.
inline FilterOutcome filter_by_plan(const std::vector<std::vector<std::string>>& records,
                                    const std::vector<std::string>& fields,
                                    std::string_view condition, std::chrono::milliseconds limit,
                                    workbook::FilterPlan plan) {
  std::size_t next = 0;
  auto next_record = [&](workbook::Row& row) {
    if (next == records.size()) return false;
    row.clear();
    row.index = static_cast<std::uint32_t>(next);
    const auto& cells = records[next++];
    for (std::size_t c = 0; c < cells.size(); ++c)
      if (!cells[c].empty()) row.add(static_cast<std::uint32_t>(c), cells[c]);
    return true;
  };
  FilterOutcome o;
  workbook::FilterResult result;
  try {
    result = workbook::filter_records("Sheet1$", fields, next_record, condition, limit, plan);
  } catch (const platform::Error& e) {
    o.error = e.what();
    o.kind = e.kind();
    return o;
  }
  o.plan = result.plan;
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

}  // namespace test_support
