// The one failure type of the system: an exception carrying a message a person can act on, and
// a kind that code decides on instead of reading the message.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

enum class ErrorKind {
  Failed,       // none of the kinds below
  Limit,        // the input crosses one of the system's limits
  Damaged,      // the input is malformed or truncated
  Encrypted,    // the input is password-protected
  Unsupported,  // a format or version that the system does not read
  Refused,      // a request the system declines on purpose (an unsafe condition, say)
  NotFound,     // a file, sheet, table or field that is not there
};

// Visible across shared-library edges so a host-side throw is caught by the plug-in's catch.
class __attribute__((visibility("default"))) Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, ErrorKind kind = ErrorKind::Failed)
      : std::runtime_error(message), kind_(kind) {}
  explicit Error(const char* message, ErrorKind kind = ErrorKind::Failed)
      : std::runtime_error(message), kind_(kind) {}

  ErrorKind kind() const noexcept { return kind_; }

 private:
  ErrorKind kind_;
};

// A limit crossed: `what` (a sentence, or the fragment of one) followed by what the input asked
// for and what the limit is, both counted in `unit`.
Error limit_error(std::string_view what, std::uint64_t asked, std::uint64_t limit,
                  std::string_view unit);

// The message of the exception being handled, or "unknown failure" for one that carries none;
// for the catch-all blocks at a library's edge. Call it inside a catch block only.
std::string current_failure_text();

}  // namespace platform
