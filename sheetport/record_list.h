// The host-held list of customer records: created, appended to, emptied and released here, with
// the C allocator, so that a host written in C can read it and, when done for good, free it.
#pragma once

#include <cstdint>

#include "sheetport/sheetport.h"

namespace sheetport {

// A new empty list. Throws std::bad_alloc when memory runs out.
TRecordList* create_list();

// Appends one record pointer; throws std::bad_alloc (the list unchanged) when it cannot grow.
void list_append(TRecordList& list, TCustomerRecord* record);

// Drops the pointers without releasing the records.
void list_clear(TRecordList& list);

// Releases every record the list points to and empties it; null items are passed by.
void list_release_records(TRecordList& list);

// A zeroed record: every text empty, the text handles 0.
TCustomerRecord* new_record(std::int32_t rec_no);
void free_record(TCustomerRecord* record);

}  // namespace sheetport
