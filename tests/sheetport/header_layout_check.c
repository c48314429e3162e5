/* Compiled for other targets by a test: the public header's size and offset checks must hold on
 * 32-bit Windows and Linux as well as on 64-bit machines. */
#include "sheetport/sheetport.h"

int sheetport_header_layout_check(TRecordList* list) {
  return list->Count;
}
