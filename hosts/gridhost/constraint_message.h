// The clerk's words for a record the database refused, with the database's own reason.
#pragma once

#include <string>
#include <vector>

#include "field_type.h"

namespace gridhost {

struct Column;

// `code` is SQLite's extended result code, `reason` its message; `values` are the record's values
// by column. NOT NULL and UNIQUE name the fields (and the repeated values), CHECK and the rest
// quote the reason.
std::string constraint_message(int code, const std::string& reason, const std::string& table,
                               const std::vector<Column>& columns,
                               const std::vector<StoredValue>& values);

// A stored value as text for messages and replays ("" for null).
std::string value_text(const StoredValue& value);

}  // namespace gridhost
