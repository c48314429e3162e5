// Messages of limit errors, worded one way everywhere, and of whatever reaches a library's edge.
#include "platform/error.h"

#include <exception>

namespace platform {

Error limit_error(std::string_view what, std::uint64_t asked, std::uint64_t limit,
                  std::string_view unit) {
  std::string message(what);
  message += " (" + std::to_string(asked) + " " + std::string(unit) + " where the limit is " +
             std::to_string(limit) + " " + std::string(unit) + ")";
  // A whole sentence ends as one; a fragment is finished by the message it goes into.
  if (!what.empty() && what.front() >= 'A' && what.front() <= 'Z') message += ".";
  return Error(message, ErrorKind::Limit);
}

std::string current_failure_text() {
  try {
    throw;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown failure";
  }
}

}  // namespace platform
