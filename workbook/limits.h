// Every limit of the workbook readers in one place, each with the reason for it. Crossing one
// is a platform::Error that names the limit; nothing is ever sized by an untrusted count alone.
#pragma once

#include <cstdint>

namespace workbook::limits {

// Excel's own grid: 1,048,576 rows by 16,384 columns (.xls: 65,536 by 256). A reference past
// these is a broken file, not a big one.
inline constexpr std::uint32_t kMaxRows = 1048576;
inline constexpr std::uint32_t kMaxColumns = 16384;

}  // namespace workbook::limits
