// The local calendar time of a moment, as the system's time zone gives it.
#pragma once

#include <ctime>

namespace platform {

// Thread-safe; a moment the system cannot convert gives a zeroed std::tm.
std::tm local_time(std::time_t moment);

}  // namespace platform
