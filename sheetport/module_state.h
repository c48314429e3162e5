// The state one loaded plug-in shares between its exports: the configuration path, the host's
// callback and the stop flag. Empty, null and false when the library is loaded. PascalCase names
// are the plug-in's own names for its state, alike in every part.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "sheetport/sheetport.h"

namespace sheetport {

struct ModuleState {
  unsigned char ImportParam[256] = {};  // length byte, then up to 255 bytes
  TImportCallback ImportCallback = nullptr;
  // Written by StopImport, possibly from another of the host's threads.
  std::atomic<bool> StopRequested{false};
};

ModuleState& module_state();

// The text of ImportParam.
std::string import_param_text();

// Calls the host's callback; without one there is nobody to tell.
void notify(std::int32_t code, void* data);

}  // namespace sheetport
