// Texts of SQL: quoted identifiers, and the names a condition may refer to, read as SQLite's
// tokenizer reads them.
#include "workbook/sql_text.h"

#include <unordered_set>

#include "platform/text.h"

namespace workbook {
namespace {

bool is_identifier_byte(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
         u == '$' || u >= 0x80;
}

// The text up to the closing quote q, a doubled q standing for one; from just past the opening
// quote. Moves i past the closing quote (or to the end, where SQLite reports the error).
std::string quoted_text(std::string_view sql, std::size_t& i, char q, bool doubling) {
  std::string text;
  while (i < sql.size()) {
    char c = sql[i++];
    if (c != q) {
      text.push_back(c);
    } else if (doubling && i < sql.size() && sql[i] == q) {
      text.push_back(q);
      ++i;
    } else {
      break;
    }
  }
  return text;
}

// Every identifier of an SQL text, ASCII letters in lower case, read as SQLite's tokenizer reads
// them so that a quote inside a comment or a text does not throw the reading off.
std::vector<std::string> identifiers(std::string_view sql) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < sql.size()) {
    char c = sql[i];
    if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      i = sql.find('\n', i);
      if (i == std::string_view::npos) break;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      i = sql.find("*/", i + 2);
      if (i == std::string_view::npos) break;
      i += 2;
    } else if (c == '\'') {
      ++i;
      words.push_back(quoted_text(sql, i, '\'', true));  // a text, counted as a word
    } else if (c == '"' || c == '`') {
      ++i;
      words.push_back(quoted_text(sql, i, c, true));
    } else if (c == '[') {
      ++i;
      words.push_back(quoted_text(sql, i, ']', false));
    } else if (is_identifier_byte(c)) {
      std::size_t begin = i;
      while (i < sql.size() && is_identifier_byte(sql[i])) ++i;
      words.emplace_back(sql.substr(begin, i - begin));
    } else {
      ++i;
    }
  }
  for (auto& w : words) w = platform::ascii_lower(w);
  return words;
}

}  // namespace

std::vector<std::uint32_t> fields_named_in(std::string_view condition,
                                           const std::vector<std::string>& field_names) {
  auto words = identifiers(condition);
  std::unordered_set<std::string> named(words.begin(), words.end());
  std::vector<std::uint32_t> fields;
  for (std::size_t f = 0; f < field_names.size(); ++f)
    if (f == 0 || named.count(platform::ascii_lower(field_names[f])))
      fields.push_back(static_cast<std::uint32_t>(f));
  return fields;
}

std::string quoted_identifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out + "\"";
}

std::string column_list(const std::vector<std::string>& field_names) {
  std::string out = "(";
  for (std::size_t i = 0; i < field_names.size(); ++i)
    out += (i ? ", " : "") + quoted_identifier(field_names[i]);
  return out + ")";
}

}  // namespace workbook
