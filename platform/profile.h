// Private-profile (INI) files: what the Windows profile functions do, over a plain file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_replace.h"

namespace platform {

// Reads an integer: decimal with an optional sign, or hexadecimal after "0x", "0X" or "$".
// Anything that is not an integer as a whole, or does not fit 32 bits, gives default_value.
int parse_int_or(std::string_view text, int default_value);

// The lines of an INI file held in memory. Section and key names match without regard to ASCII
// case; the first matching section and key win. Lines it does not understand are kept as they are.
class IniDocument {
 public:
  IniDocument() = default;
  static IniDocument parse(std::string_view text);

  std::optional<std::string> get(std::string_view section, std::string_view key) const;
  // Replaces the key's value in place, or adds the key at the end of its section, or the
  // section at the end of the document.
  void set(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key's line; a missing key or section is no error.
  void erase(std::string_view section, std::string_view key);
  std::string render() const;

 private:
  std::optional<std::size_t> find_section(std::string_view section) const;
  std::size_t section_end(std::size_t header) const;
  std::optional<std::size_t> find_key(std::size_t header, std::string_view key) const;

  std::vector<std::string> lines_;
  std::string newline_ = "\r\n";
};

namespace profile {

// The value of a key, trimmed of blanks and one pair of surrounding quotes; default_value when
// the file, the section or the key is missing or the file cannot be read or is refused.
std::string read_string(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view default_value);

// The value read by parse_int_or.
int read_int(const std::string& path, std::string_view section, std::string_view key,
             int default_value);

// Sets one key, creating the file (never its folder) when missing. Throws platform::Error naming
// the file when it cannot be written; the file is then left as it was.
void write_string(const std::string& path, std::string_view section, std::string_view key,
                  std::string_view value);

// Deletes one key; a missing file, section or key is no error.
void delete_key(const std::string& path, std::string_view section, std::string_view key);

// The whole file as a document (empty when missing or unreadable). Throws platform::Error naming
// the file when it is not a regular file or is larger than limits::kMaxProfileBytes.
IniDocument load(const std::string& path);

// Replaces the file with the document, keeping the old file's permissions: by renaming a new file
// over it, or in place when its folder lets no new file be created but the file may be written
// (platform::replace_file). A read-only file or a missing folder is refused with platform::Error,
// leaving the file as it was.
ReplaceMethod save(const std::string& path, const IniDocument& doc);

}  // namespace profile
}  // namespace platform
