// Writing a whole file in one step, so that a full disk or a killed process never leaves half of
// it.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// How replace_file() put the new content in place.
enum class ReplaceMethod {
  // Written beside the file and renamed over it: readers and a crash see the old content or the
  // new, never a mixture.
  Replaced,
  // The folder refused a new file, so the file itself was overwritten and flushed to disk.
  InPlace,
};

// Whether a file whose folder refuses new files may be overwritten where it stands.
enum class InPlaceFallback { Refused, Allowed };

// Replaces the file's contents with `contents`: written to a temporary file beside it, flushed to
// disk, then renamed over it, keeping the old file's permissions. When the folder lets no new file
// be created (no write permission, even for a privileged user), an existing writable file is
// overwritten in place if `fallback` allows it; otherwise that is refused. A read-only file or a
// missing folder is always refused. Failures throw
// platform::Error("cannot write " + what + " " + path + ": " + why) and leave the file as it was;
// `what` names the kind of file for the reader ("the settings file").
ReplaceMethod replace_file(const std::string& path, std::string_view contents,
                           std::string_view what,
                           InPlaceFallback fallback = InPlaceFallback::Refused);

}  // namespace platform
