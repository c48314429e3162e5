// The mapping table's fields, looked up without regard to case and cut to their size.
#include "gridport/field_list.h"

#include "platform/error.h"

namespace gridport {

FieldList::FieldList(ui::Table& table) : table_(table) {
  table_.set_fields({"destField", "destFieldName", "sourceField"});
  // What a person types into the grid stops at the size; what code stores is cut to it.
  for (const char* field : {"destField", "destFieldName", "sourceField"}) {
    table_.set_field_size(field, kFieldSize);
  }
}

void FieldList::Append(std::string_view dest_field, std::string_view dest_field_name) {
  table_.append_row({std::string(cut_to_characters(dest_field, kFieldSize)),
                     std::string(cut_to_characters(dest_field_name, kFieldSize)), ""});
}

std::size_t FieldList::field_index(std::string_view field) const {
  int index = table_.field_index(field);
  if (index < 0)
    throw platform::Error("the mapping table has no field " + std::string(field),
                          platform::ErrorKind::NotFound);
  return static_cast<std::size_t>(index);
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
