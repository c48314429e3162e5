// Limits of the platform layer, each with the reason for it.
#pragma once

#include <cstdint>

namespace platform::limits {

// A settings (INI) file holds a dozen short keys, a few hundred bytes. A file far larger than
// that is not one (a device, a log named by mistake) and is refused before it is read whole.
inline constexpr std::uint64_t kMaxProfileBytes = 1u << 20;

}  // namespace platform::limits
