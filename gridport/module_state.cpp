// The one instance of the module state, and its loading and unloading.
#include "gridport/module_state.h"

namespace gridport {
namespace {

// The module's own objects: no host behind them, so message boxes and the error display are the
// plug-in's own.
const GridportApplication kOwnApplication{sizeof(GridportApplication), nullptr, 0, nullptr, nullptr,
                                          GRIDPORT_PARENT_NONE,        nullptr};
const GridportScreen kOwnScreen{sizeof(GridportScreen), nullptr};

ModuleState make_loaded_state() {
  ModuleState state;
  state.OwnApplication = &kOwnApplication;
  state.OwnScreen = &kOwnScreen;
  state.Application = state.OwnApplication;
  state.Screen = state.OwnScreen;
  return state;
}

// The host's tables may be gone once the library is unloaded; nothing may point at them then.
__attribute__((destructor)) void on_unload() {
  ModuleDetach(0);
}

}  // namespace

ModuleState& module_state() {
  static ModuleState state = make_loaded_state();
  return state;
}

host::Application application() {
  return host::Application(module_state().Application);
}

void ModuleDetach(int reason) {
  if (reason != 0) return;
  ModuleState& state = module_state();
  state.Screen = state.OwnScreen;
  state.Application = state.OwnApplication;
}

}  // namespace gridport
