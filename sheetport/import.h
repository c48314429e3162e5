// One import as the exports run it: the file prompt, the column map with the reader, and the
// configuration dialog offered while the map cannot be built. PascalCase names are the plug-in's
// own names for its steps, alike in every part; helpers follow the code base's style.
#pragma once

#include <cstdint>
#include <string>

#include "sheetport/sheetport.h"

namespace sheetport {

inline constexpr std::int32_t kMapMissing = 10;
// LoadColumnMap's result when the reader failed as a whole; it ends the import quietly.
inline constexpr std::int32_t kReaderFailed = 3;

// Asks for a workbook file: 0 with the path stored, 1 when the user cancelled.
std::int32_t PromptWorkbookFile(std::string* path);

// Builds the column map from the configuration file and runs the reader; kMapMissing when the
// map is missing or invalid, else the reader's result.
std::int32_t LoadColumnMap(const std::string& workbook_path, TRecordList& list);

// Shows the configuration dialog for ImportParam; its SaveResult.
std::int32_t run_config_form();

// DoImport's work; the caller catches what escapes.
void run_import(TImportCallback callback, TRecordList** list_var);

}  // namespace sheetport
