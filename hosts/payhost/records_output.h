// Turns the plug-in's customer records into text: an aligned table, CSV or JSON, in UTF-8.
#pragma once

#include <sheetport/sheetport.h>

#include <ostream>
#include <string>
#include <vector>

#include "options.h"

namespace payhost {

// One record as UTF-8 texts: the record number, then the seven fields.
std::vector<std::string> record_columns(const TCustomerRecord& record);

void print_records(std::ostream& out, const TRecordList* list, Format format);

}  // namespace payhost
