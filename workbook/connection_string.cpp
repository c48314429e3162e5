// Connection strings of the form "Provider=...;Data Source=PATH;Extended Properties=...".
#include "workbook/connection_string.h"

#include <array>

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace workbook {
namespace {

using platform::find_ignoring_ascii_case;
using platform::starts_with_ignoring_ascii_case;

// The property names an OLE DB connection string for a workbook may carry after the path.
constexpr std::array kKnownKeys = {"provider",
                                   "data source",
                                   "extended properties",
                                   "persist security info",
                                   "mode",
                                   "user id",
                                   "password",
                                   "jet oledb:",
                                   "connect timeout",
                                   "locale identifier",
                                   "ole db services",
                                   "prompt"};

bool is_known_key(std::string_view key) {
  key = platform::trim_blanks(key);
  for (std::string_view known : kKnownKeys)
    if (known.back() == ':'
            ? starts_with_ignoring_ascii_case(key, known)
            : key.size() == known.size() && starts_with_ignoring_ascii_case(key, known))
      return true;
  return false;
}

// True when text (starting just after a ";") is a run of "key=value" properties with known
// keys, each value bare or quoted with ' or ", separated by ";".
bool is_property_tail(std::string_view text) {
  while (true) {
    if (platform::trim_blanks(text).empty()) return true;
    auto eq = text.find('=');
    if (eq == std::string_view::npos || !is_known_key(text.substr(0, eq))) return false;
    std::string_view rest = text.substr(eq + 1);
    std::size_t lead = 0;
    while (lead < rest.size() && rest[lead] == ' ') ++lead;
    std::size_t end;
    if (lead < rest.size() && (rest[lead] == '\'' || rest[lead] == '"')) {
      auto close = rest.find(rest[lead], lead + 1);
      if (close == std::string_view::npos) return false;
      end = rest.find(';', close + 1);
    } else {
      end = rest.find(';');
    }
    if (end == std::string_view::npos) return true;
    text = rest.substr(end + 1);
  }
}

}  // namespace

ConnectionTarget parse_connection_string(std::string_view text) {
  constexpr std::string_view kSource = "data source=";
  auto at = find_ignoring_ascii_case(text, kSource);
  if (at == std::string_view::npos)
    throw platform::Error("The connection string names no workbook (no \"Data Source=\").");
  std::string_view after = text.substr(at + kSource.size());
  // Every ";" after which the rest reads as properties could end the path. A path that itself
  // holds such a ";" is told apart by asking which candidate names an existing file.
  std::size_t end = std::string_view::npos;
  for (auto semi = after.find(';'); semi != std::string_view::npos;
       semi = after.find(';', semi + 1)) {
    if (!is_property_tail(after.substr(semi + 1))) continue;
    if (end == std::string_view::npos) end = semi;
    if (platform::file_exists(std::string(after.substr(0, semi)))) {
      end = semi;
      break;
    }
  }
  if (end == std::string_view::npos) end = after.size();
  ConnectionTarget target;
  std::string_view path = after.substr(0, end);
  // A path wrapped in quotes by a caller that quotes; a bare path keeps its quotes.
  if (path.size() >= 2 && (path.front() == '"' || path.front() == '\'') &&
      path.back() == path.front() && path.find(path.front(), 1) == path.size() - 1)
    path = path.substr(1, path.size() - 2);
  target.path = std::string(path);
  if (target.path.empty()) throw platform::Error("The connection string names no workbook.");

  // The format is named in the extended properties, before or after the path, never in it.
  std::string_view before = text.substr(0, at), rest = after.substr(end);
  std::string_view scope =
      find_ignoring_ascii_case(rest, "excel ") != std::string_view::npos ? rest : before;
  auto excel = find_ignoring_ascii_case(scope, "excel ");
  if (excel != std::string_view::npos) {
    std::string_view version = scope.substr(excel + 6);
    if (starts_with_ignoring_ascii_case(version, "8.0") ||
        starts_with_ignoring_ascii_case(version, "5.0") ||
        starts_with_ignoring_ascii_case(version, "97"))
      target.format = WorkbookFormat::Xls;
    else if (starts_with_ignoring_ascii_case(version, "12.0") ||
             starts_with_ignoring_ascii_case(version, "14.0"))
      target.format = WorkbookFormat::Xlsx;
  }
  return target;
}

}  // namespace workbook
