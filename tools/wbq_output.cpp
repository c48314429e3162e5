// Escaping and line layout of wbq's output shapes.
#include "tools/wbq_output.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace wbq {

namespace {

// The bytes TSV escapes: backslash, tab, line feed, carriage return.
constexpr std::array<bool, 256> kTsvSpecial = [] {
  std::array<bool, 256> t{};
  t['\\'] = t['\t'] = t['\n'] = t['\r'] = true;
  return t;
}();

// Whether text may hold a byte TSV escapes: eight bytes at a time, where any byte below 0x0E or
// equal to '\\' sends the caller to the byte-wise loop.
bool may_need_tsv_escapes(std::string_view text) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + i, 8);
    std::uint64_t low = (w - kOnes * 0x0E) & ~w & kHighs;
    std::uint64_t backslash = w ^ (kOnes * '\\');
    if (low | ((backslash - kOnes) & ~backslash & kHighs)) return true;
  }
  for (; i < text.size(); ++i)
    if (kTsvSpecial[static_cast<unsigned char>(text[i])]) return true;
  return false;
}

}  // namespace

namespace {

// Writes text at p with TSV's escapes and returns the end; p has room for twice its size.
char* put_tsv_escaped(char* p, std::string_view text) {
  if (!may_need_tsv_escapes(text)) {
    if (!text.empty()) std::memcpy(p, text.data(), text.size());  // an empty view may be null
    return p + text.size();
  }
  for (char c : text) {
    if (!kTsvSpecial[static_cast<unsigned char>(c)]) {
      *p++ = c;
      continue;
    }
    *p++ = '\\';
    *p++ = c == '\t' ? 't' : c == '\n' ? 'n' : c == '\r' ? 'r' : '\\';
  }
  return p;
}

}  // namespace

void append_tsv_escaped(std::string& out, std::string_view text) {
  std::size_t at = out.size();
  out.resize(at + 2 * text.size());
  out.resize(static_cast<std::size_t>(put_tsv_escaped(out.data() + at, text) - out.data()));
}

void append_csv_quoted(std::string& out, std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.append(text);
    return;
  }
  out.push_back('"');
  for (char c : text) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void append_json_string(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (c == '\n') {
      out.append("\\n");
    } else if (c == '\r') {
      out.append("\\r");
    } else if (c == '\t') {
      out.append("\\t");
    } else if (u < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", u);
      out.append(buf);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

void RecordWriter::header(std::string& out, const std::vector<std::string>& names) {
  names_ = names;
  if (format_ == Format::Json) {
    out.append("[\n");
    return;
  }
  begin_record(out);
  for (const auto& n : names) value(out, n);
  end_record(out);
}

void RecordWriter::begin_record(std::string& out) {
  column_ = 0;
  if (format_ == Format::Json) {
    if (!first_record_) out.append(",\n");
    out.push_back('{');
  }
  first_record_ = false;
}

void RecordWriter::value(std::string& out, std::string_view text) {
  switch (format_) {
    case Format::Tsv:
      if (column_) out.push_back('\t');
      append_tsv_escaped(out, text);
      break;
    case Format::Csv:
      if (column_) out.push_back(',');
      append_csv_quoted(out, text);
      break;
    case Format::Json:
      if (column_) out.push_back(',');
      append_json_string(out, column_ < names_.size() ? names_[column_] : std::string());
      out.push_back(':');
      append_json_string(out, text);
      break;
  }
  ++column_;
}

void RecordWriter::record(std::string& out, std::span<const std::string_view> values) {
  if (format_ != Format::Tsv) {
    begin_record(out);
    for (std::string_view v : values) value(out, v);
    end_record(out);
    return;
  }
  // A TSV line is made in place: room for every text escaped, the tabs and the line feed.
  first_record_ = false;
  std::size_t room = values.size() + 1;
  for (std::string_view v : values) room += 2 * v.size();
  std::size_t at = out.size();
  out.resize(at + room);
  char* p = out.data() + at;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i) *p++ = '\t';
    p = put_tsv_escaped(p, values[i]);
  }
  *p++ = '\n';
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void RecordWriter::end_record(std::string& out) {
  out.push_back(format_ == Format::Json ? '}' : '\n');
}

void RecordWriter::footer(std::string& out) {
  if (format_ == Format::Json) out.append(first_record_ ? "]\n" : "\n]\n");
}

}  // namespace wbq
