// The two functions a grid host calls. Each catches every failure at its edge: nothing thrown
// inside the plug-in reaches the host.
#include <exception>
#include <iostream>

#include "gridport/exec.h"
#include "gridport/gridport.h"
#include "gridport/module_state.h"
#include "platform/error.h"

namespace {

// Called inside a catch block: the failure goes to the host's error display when it has one,
// else to stderr, and the export returns as a closed dialog would.
int32_t report_escaped() {
  std::string why = platform::current_failure_text();
  try {
    gridport::host::Application app = gridport::application();
    if (app.has_error_display()) {
      app.show_error(why);
    } else {
      std::cerr << "Gridport: " << why << std::endl;
    }
  } catch (...) {
    // Not even the report could be made; the host must still get control back.
  }
  return GRIDPORT_CLOSED;
}

}  // namespace

extern "C" {

GRIDPORT_API int32_t GRIDPORT_CALL exec(const GridportApplication* application,
                                        const GridportScreen* screen, const GridportGrid* grid) {
  try {
    return gridport::run_exec(application, screen, grid, 2, 2);
  } catch (...) {
    return report_escaped();
  }
}

GRIDPORT_API int32_t GRIDPORT_CALL exec1(const GridportApplication* application,
                                         const GridportScreen* screen, const GridportGrid* grid,
                                         int32_t auto_map_mode, int32_t error_mode) {
  try {
    return gridport::run_exec(application, screen, grid, auto_map_mode, error_mode);
  } catch (...) {
    return report_escaped();
  }
}

}  // extern "C"
