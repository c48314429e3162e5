// ConvertWorksheet: opens the chosen workbook, lets the user pick a worksheet, and turns its rows
// from the start row on into customer records in the host's list. PascalCase names are the
// plug-in's own names for its steps, alike in every part; helpers follow the code base's style.
#pragma once

#include <cstdint>
#include <string>

#include "sheetport/column_map.h"
#include "sheetport/sheetport.h"
#include "sheetport/worksheet_source.h"

namespace sheetport {

// Results of a run.
inline constexpr std::int32_t kNotXls = 1;
inline constexpr std::int32_t kFinished = 2;
inline constexpr std::int32_t kStopped = 11;

// Reads the worksheet through source, appending records to list and telling the host through
// the module's callback (0 per record, 4 per failed row, 2 at the end). Returns kNotXls at once
// for a path not ending in "xls" (any case). Throws platform::Error when the workbook cannot be
// read or no worksheet was chosen; rows read before a failure stay in the list.
std::int32_t ConvertWorksheet(const std::string& path, const TInfoAry& map, std::int32_t start_row,
                              TRecordList& list, WorksheetSource& source);

// True when the last three characters of path are "xls" in any case.
bool names_xls_file(const std::string& path);

}  // namespace sheetport
