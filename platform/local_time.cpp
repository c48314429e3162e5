// Local time through the thread-safe call each system offers.
#include "platform/local_time.h"

namespace platform {

std::tm local_time(std::time_t moment) {
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &moment) != 0) local = std::tm{};
#else
  if (localtime_r(&moment, &local) == nullptr) local = std::tm{};
#endif
  return local;
}

}  // namespace platform
