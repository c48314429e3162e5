// The customer fields of a record, the setter that fills them and the splitter of delimited row
// text: what the reader and the list share. PascalCase names are the plug-in's own names for its
// records and steps, alike in every part; helpers follow the code base's style.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sheetport/sheetport.h"

namespace sheetport {

// One of the seven customer fields: its key, where it lies in TCustomerInfo, and its two keys in
// the configuration file.
struct FieldSpec {
  std::string_view key;        // "KHBH", ...
  std::size_t offset;          // of the length byte within TCustomerInfo
  std::size_t capacity;        // bytes of text after the length byte
  std::string_view order_key;  // position key in section "CHANGCOL"
  std::string_view name_key;   // name key in section "CHANGCOL"
};

// In the fixed key order of the column map: KHBH, KHXM, KHZH, JYJE, ZJLX, ZJHM, SSDM.
const std::array<FieldSpec, 7>& field_specs();

// Stores value (GBK bytes) into the field that key names, cut to the field's capacity without
// leaving half a double-byte character. A null key or one outside the seven (compared exactly)
// changes nothing.
void SetCustomerField(const char* key, std::string_view value, TCustomerInfo& info);

// The text of a length-prefixed field, as the host reads it.
std::string_view field_text(const TCustomerInfo& info, const FieldSpec& field);

// Appends the pieces of text between occurrences of delimiter: n delimiters give n + 1 pieces,
// empty ones included. Pieces are not trimmed and the list is not cleared first.
void SplitByDelimiter(std::vector<std::string>& list, std::string_view text, char delimiter);

}  // namespace sheetport
