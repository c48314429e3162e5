// The banner pictures of the two dialogs, JPEG data stored in the library.
#pragma once

#include <cstddef>

namespace sheetport {

extern const unsigned char kSettingsBanner[];  // 411 x 26, the configuration dialog
extern const std::size_t kSettingsBanner_size;
extern const unsigned char kSheetBanner[];  // 358 x 50, the sheet selection dialog
extern const std::size_t kSheetBanner_size;

}  // namespace sheetport
