// A user's condition run by SQLite over a table's records, in a sandbox: one statement, reads of
// the table itself only, no ATTACH, pragmas or extensions, and a time limit.
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

// Records come from next_record as rows whose cells carry 0-based field numbers; the records
// that pass the condition are appended to out with index = result position. Throws
// platform::Error naming the table and the reason (syntax, refused operation, time limit).
// The time limit is the system's own; tests give a shorter one.
void filter_records(
    const std::string& table, const std::vector<std::string>& field_names,
    const std::function<bool(Row&)>& next_record, std::string_view condition, RowSpool& out,
    std::chrono::milliseconds time_limit = std::chrono::milliseconds(limits::kQueryTimeLimitMs));

}  // namespace workbook
