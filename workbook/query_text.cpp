// Table-name spelling and the parsing of "select * from [TABLE] where CONDITION".
#include "workbook/query_text.h"

#include "platform/error.h"
#include "platform/text.h"

namespace workbook {
namespace {

bool needs_quotes(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return true;
  for (char c : name) {
    auto u = static_cast<unsigned char>(c);
    bool plain = u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                 (c >= '0' && c <= '9') || c == '_';
    if (!plain) return true;
  }
  return false;
}

// Consumes a keyword (ASCII, any case) followed by a blank or the end; false when absent.
bool eat_keyword(std::string_view& s, std::string_view word) {
  s = platform::trim_blanks(s);
  if (!platform::starts_with_ignoring_ascii_case(s, word)) return false;
  if (s.size() > word.size() && static_cast<unsigned char>(s[word.size()]) > ' ' &&
      s[word.size()] != '[' && s[word.size()] != '*')
    return false;
  s.remove_prefix(word.size());
  return true;
}

}  // namespace

std::string table_name_for_sheet(std::string_view sheet) {
  if (!needs_quotes(sheet)) return std::string(sheet) + "$";
  std::string out = "'";
  for (char c : sheet) {
    out.push_back(c);
    if (c == '\'') out.push_back('\'');
  }
  return out + "$'";
}

std::string sheet_name_for_table(std::string_view table) {
  if (table.size() >= 3 && table.front() == '\'' && table.back() == '\'') {
    std::string_view inner = table.substr(1, table.size() - 2);
    if (inner.back() != '$') return std::string(table);
    inner.remove_suffix(1);
    std::string out;
    for (std::size_t i = 0; i < inner.size(); ++i) {
      out.push_back(inner[i]);
      if (inner[i] == '\'' && i + 1 < inner.size() && inner[i + 1] == '\'') ++i;
    }
    return out;
  }
  if (!table.empty() && table.back() == '$') table.remove_suffix(1);
  return std::string(table);
}

QueryText parse_query_text(std::string_view text) {
  auto refuse = [&](const std::string& why) -> platform::Error {
    return platform::Error("The query \"" + std::string(text) + "\" " + why + ".",
                           platform::ErrorKind::Refused);
  };
  std::string_view s = text;
  if (!eat_keyword(s, "select")) throw refuse("is not \"select * from [table]\"");
  s = platform::trim_blanks(s);
  if (s.empty() || s[0] != '*') throw refuse("is not \"select * from [table]\"");
  s.remove_prefix(1);
  if (!eat_keyword(s, "from")) throw refuse("is not \"select * from [table]\"");
  s = platform::trim_blanks(s);
  if (s.empty() || s[0] != '[') throw refuse("does not name its table in brackets");
  auto close = s.find(']');
  if (close == std::string_view::npos) throw refuse("lacks the \"]\" after the table name");
  QueryText q;
  q.table = std::string(s.substr(1, close - 1));
  if (q.table.empty()) throw refuse("names no table (nothing between the brackets)");
  s.remove_prefix(close + 1);
  if (platform::trim_blanks(s).empty()) return q;
  if (!eat_keyword(s, "where")) throw refuse("has text after the table name that is no condition");
  // A statement terminator typed by the user is not part of the condition.
  std::string_view condition = platform::trim_blanks(s);
  while (!condition.empty() && condition.back() == ';')
    condition = platform::trim_blanks(condition.substr(0, condition.size() - 1));
  q.condition = std::string(condition);
  return q;
}

}  // namespace workbook
