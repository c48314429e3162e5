// The one instance of the module state.
#include "sheetport/module_state.h"

namespace sheetport {

ModuleState& module_state() {
  static ModuleState state;
  return state;
}

std::string import_param_text() {
  const auto& param = module_state().ImportParam;
  return std::string(reinterpret_cast<const char*>(param + 1), param[0]);
}

void notify(std::int32_t code, void* data) {
  TImportCallback callback = module_state().ImportCallback;
  if (callback != nullptr) callback(code, data);
}

}  // namespace sheetport
