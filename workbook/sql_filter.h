// A user's condition run by SQLite over a table's records, in a sandbox: one statement, reads of
// the table itself only, listed functions only, no ATTACH, pragmas, extensions or temporary
// files, and limits on time, heap, value and pattern lengths (limits.h).
#pragma once

#include <chrono>
#include <functional>
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

// Records come from next_record as rows whose cells carry 0-based field numbers; the records
// that pass the condition are appended to out with index = result position. Throws
// platform::Error naming the table and the reason (syntax, refused operation, time limit,
// memory). The time limit is the system's own; tests give a shorter one, and make the records
// be stored to hold the two plans to the same rows. Returns the plan taken.
FilterPlan filter_records(
    const std::string& table, const std::vector<std::string>& field_names,
    const std::function<bool(Row&)>& next_record, std::string_view condition, RowSpool& out,
    std::chrono::milliseconds time_limit = std::chrono::milliseconds(limits::kQueryTimeLimitMs),
    FilterPlan plan = FilterPlan::Streamed);

}  // namespace workbook
