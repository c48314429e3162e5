// Table names as the provider spells them ("Sheet1$", "'My Sheet$'") and the one query shape
// the plug-ins send: "select * from [TABLE]" with an optional " where CONDITION".
#pragma once

#include <string>
#include <string_view>

namespace workbook {

// "Sheet1" -> "Sheet1$"; a name with blanks, punctuation or a leading digit is quoted, with an
// apostrophe inside doubled: "Bob's list" -> "'Bob''s list$'".
std::string table_name_for_sheet(std::string_view sheet);
// The sheet a table name means, quotes removed ("'My Sheet$'" -> "My Sheet"); the text as
// given when it is not a table name.
std::string sheet_name_for_table(std::string_view table);

struct QueryText {
  std::string table;
  std::string condition;  // empty when there is none; a trailing ";" is already dropped
};
// Throws platform::Error quoting the text when it is not of that shape or names no table.
QueryText parse_query_text(std::string_view text);

}  // namespace workbook
