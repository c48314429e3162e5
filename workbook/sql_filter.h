// A user's condition run by SQLite over a table's records, in a sandbox: one statement, reads of
// the table itself only, listed functions only, no ATTACH, pragmas, extensions or temporary
// files, and limits on time, heap, value and pattern lengths (limits.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/limits.h"
#include "workbook/reader.h"
#include "workbook/row_spool.h"

namespace workbook {

// How the records met the condition: streamed past it once (a condition that tests one record
// at a time), or stored in a table first (one that sorts, groups, limits or reads the table
// again). Both give the same rows.
enum class FilterPlan { Streamed, Stored };

struct FilterResult {
  FilterPlan plan = FilterPlan::Streamed;
  // Streamed: the records that pass are records given, so only their numbers are kept (0-based,
  // in the order next_record gave them).
  std::vector<std::uint32_t> passed;
  // Stored: the rows the statement made, with index = result position and cells by column of
  // the result.
  std::unique_ptr<RowSpool> rows;
};

// Records come from next_record as rows whose cells carry 0-based field numbers. Throws
// platform::Error naming the table and the reason (syntax, refused operation, time limit,
// memory). The time limit is the system's own; tests give a shorter one, and make the records
// be stored to hold the two plans to the same rows.
FilterResult filter_records(
    const std::string& table, const std::vector<std::string>& field_names,
    const std::function<bool(Row&)>& next_record, std::string_view condition,
    std::chrono::milliseconds time_limit = std::chrono::milliseconds(limits::kQueryTimeLimitMs),
    FilterPlan plan = FilterPlan::Streamed);

}  // namespace workbook
