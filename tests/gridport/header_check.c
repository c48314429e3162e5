/* Compiled for other targets by a test: the public header must build as plain C11 on 32-bit
 * Windows and Linux as well as on 64-bit machines, and GRIDPORT_HAS must see a table's members. */
#include "gridport/gridport.h"

_Static_assert(offsetof(GridportApplication, size) == 0, "size comes first");
_Static_assert(offsetof(GridportScreen, size) == 0, "size comes first");
_Static_assert(offsetof(GridportGrid, size) == 0, "size comes first");
_Static_assert(offsetof(GridportDataSource, size) == 0, "size comes first");
_Static_assert(offsetof(GridportDataSet, size) == 0, "size comes first");

int gridport_header_check(const GridportDataSet* dataset) {
  return GRIDPORT_HAS(GridportDataSet, dataset, cancel) ? 1 : 0;
}
