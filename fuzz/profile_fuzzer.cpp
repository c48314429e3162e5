// libFuzzer target for the settings-file reader: any bytes as a file, read from disk, every key
// looked up and read as an integer, then edited and written back. A key that was set must read
// back as set; only platform::Error may come out of a load.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace {

// Section and key names as the file spells them, "[name]" lines and "key=" lines.
std::vector<std::pair<std::string, std::string>> names_in(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> out;
  std::string section;
  std::size_t pos = 0;
  while (pos < text.size() && out.size() < 32) {
    auto end = text.find('\n', pos);
    auto line = text.substr(pos, end == std::string_view::npos ? text.size() - pos : end - pos);
    auto trimmed = platform::trim_blanks(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      section = std::string(trimmed.substr(1, trimmed.find(']') - 1));
    } else if (auto eq = line.find('='); eq != std::string_view::npos) {
      out.emplace_back(section, std::string(line.substr(0, eq)));
    }
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return out;
}

// Names the writer can store as they are: what set() writes, get() finds again.
bool plain(std::string_view name) {
  if (name.empty() || platform::trim_blanks(name) != name || name.front() == '[') return false;
  for (char c : name)
    if (c == '=' || c == ']' || c == '\r' || c == '\n' || c == '\0') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/profile_fuzz_" + std::to_string(getpid()) + ".ini";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  platform::IniDocument doc;
  try {
    doc = platform::profile::load(path);
  } catch (const platform::Error&) {
    return 0;
  }
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto names = names_in(text);
  for (const auto& [section, key] : names)
    if (auto value = doc.get(section, key)) (void)platform::parse_int_or(*value, 0);

  // What is rendered parses to the same values.
  auto again = platform::IniDocument::parse(doc.render());
  for (const auto& [section, key] : names)
    if (doc.get(section, key) != again.get(section, key)) std::abort();

  for (const auto& [section, key] : names) {
    if (!plain(section) || !plain(key)) continue;
    doc.set(section, key, "42");
    if (doc.get(section, key) != "42") std::abort();
    doc.erase(section, key);
    (void)doc.render();
  }
  return 0;
}
