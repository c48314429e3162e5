// The state one loaded plug-in keeps between and during calls: the two modes, the dialog that is
// open, and the application and screen objects in use, with the module's own ones restored when
// the library is unloaded.
#pragma once

#include <cstdint>

#include "gridport/gridport.h"
#include "gridport/host.h"

namespace gridport {

class Tfrm_Import;

struct ModuleState {
  // 1: the mapping is pre-filled by column position; any other value: by name.
  int32_t AutoMapMode = 0;
  // 1: an import aborts at its first failing row; 2: logs it and goes on; else drops it.
  int32_t ErrorMode = 0;
  Tfrm_Import* ImportFormInstance = nullptr;
  // The host's objects once an export installed them; until then the module's own.
  const GridportApplication* Application = nullptr;
  const GridportScreen* Screen = nullptr;
  const GridportApplication* OwnApplication = nullptr;
  const GridportScreen* OwnScreen = nullptr;
};

ModuleState& module_state();

// The application object in use, through which every message box is shown.
host::Application application();

// Library notifications: reason 0 (the process detaches the library) puts the module's own
// application and screen back.
void ModuleDetach(int reason);

}  // namespace gridport
