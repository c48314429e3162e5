// The one failure type of gridhost: a message for the person who has to act on it.
#pragma once

#include <stdexcept>
#include <string>

namespace gridhost {

// Refusals handed to the plug-in are in Chinese, for the clerk who reads its error log; failures
// of gridhost's own command line are in English, like its --help.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace gridhost
