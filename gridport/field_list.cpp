// The mapping table's fields, looked up without regard to case and cut to their size.
#include "gridport/field_list.h"

#include "platform/error.h"
#include "platform/text.h"

namespace gridport {

FieldList::FieldList(ui::Table& table) : table_(table) {
  table_.set_fields({"destField", "destFieldName", "sourceField"});
}

void FieldList::Append(std::string_view dest_field, std::string_view dest_field_name) {
  table_.append_row({std::string(cut_to_characters(dest_field, kFieldSize)),
                     std::string(cut_to_characters(dest_field_name, kFieldSize)), ""});
}

std::size_t FieldList::field_index(std::string_view field) const {
  const std::string wanted = platform::ascii_upper(field);
  const auto& fields = table_.fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (platform::ascii_upper(fields[i]) == wanted) return i;
  }
  throw platform::Error("the mapping table has no field " + std::string(field));
}

const std::string& FieldList::FieldByName(std::size_t row, std::string_view field) const {
  return table_.value(row, field_index(field));
}

void FieldList::SetFieldByName(std::size_t row, std::string_view field, std::string_view value) {
  table_.set_value(row, field_index(field), std::string(cut_to_characters(value, kFieldSize)));
}

std::string_view cut_to_characters(std::string_view utf8, std::size_t characters) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    // Every byte that does not continue a character starts one.
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && count++ == characters) {
      return utf8.substr(0, i);
    }
  }
  return utf8;
}

}  // namespace gridport
