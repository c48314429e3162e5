// The one failure type of the system: an exception carrying a message a person can act on.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

// Visible across shared-library edges so a host-side throw is caught by the plug-in's catch.
class __attribute__((visibility("default"))) Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace platform
