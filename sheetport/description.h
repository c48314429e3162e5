// The description record the host asks for with GetDescription.
#pragma once

#include <ctime>

#include "sheetport/sheetport.h"

namespace sheetport {

// Zeroes all of desc, then writes Kind 3, the name, version, the local date of now and the
// description, as GBK.
void fill_description(PluginDescription& desc, std::time_t now);

}  // namespace sheetport
