// The record list over malloc and realloc, matching the layout the public header promises.
#include "sheetport/record_list.h"

#include <cstdlib>
#include <limits>
#include <new>

namespace sheetport {

TRecordList* create_list() {
  auto* list = static_cast<TRecordList*>(std::calloc(1, sizeof(TRecordList)));
  if (list == nullptr) throw std::bad_alloc();
  return list;
}

void list_append(TRecordList& list, TCustomerRecord* record) {
  if (list.Count >= list.Capacity) {
    if (list.Capacity > std::numeric_limits<std::int32_t>::max() / 2) throw std::bad_alloc();
    std::int32_t capacity = list.Capacity < 16 ? 16 : list.Capacity * 2;
    void* grown = std::realloc(list.Items, static_cast<std::size_t>(capacity) * sizeof(void*));
    if (grown == nullptr) throw std::bad_alloc();
    list.Items = static_cast<TCustomerRecord**>(grown);
    list.Capacity = capacity;
  }
  list.Items[list.Count++] = record;
}

void list_clear(TRecordList& list) {
  list.Count = 0;
}

void list_release_records(TRecordList& list) {
  for (std::int32_t i = 0; i < list.Count; ++i) {
    free_record(list.Items[i]);
    list.Items[i] = nullptr;
  }
  list.Count = 0;
}

TCustomerRecord* new_record(std::int32_t rec_no) {
  auto* record = static_cast<TCustomerRecord*>(std::calloc(1, sizeof(TCustomerRecord)));
  if (record == nullptr) throw std::bad_alloc();
  record->RecNo = rec_no;
  return record;
}

void free_record(TCustomerRecord* record) {
  std::free(record);
}

}  // namespace sheetport
