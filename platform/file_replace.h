// Writing a whole file in one step, so that a full disk or a killed process never leaves half of
// it.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the file's contents with `contents`: written to a temporary file beside it, flushed to
// disk, then renamed over it, keeping the old file's permissions. A read-only file, a folder
// without write permission (even for a privileged user) or a missing folder is refused. Failures
// throw platform::Error("cannot write " + what + " " + path + ": " + why) and leave the file as it
// was; `what` names the kind of file for the reader ("the settings file").
void replace_file(const std::string& path, std::string_view contents, std::string_view what);

}  // namespace platform
