// What exec and exec1 do behind their C edge.
#pragma once

#include <cstdint>

#include "gridport/gridport.h"

namespace gridport {

// Installs the host's application and screen, sets the two modes, checks the grid and shows the
// import dialog over it. Returns the dialog's modal result (2 once closed) or, when the grid has
// no open dataset, the result of the message box that says so.
int32_t run_exec(const GridportApplication* application, const GridportScreen* screen,
                 const GridportGrid* grid, int32_t auto_map_mode, int32_t error_mode);

}  // namespace gridport
