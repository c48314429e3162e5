// Escaping and line layout of wbq's output shapes.
#include "tools/wbq_output.h"

#include <cstdio>

namespace wbq {

void append_tsv_escaped(std::string& out, std::string_view text) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* escape;
    switch (text[i]) {
      case '\\':
        escape = "\\\\";
        break;
      case '\t':
        escape = "\\t";
        break;
      case '\n':
        escape = "\\n";
        break;
      case '\r':
        escape = "\\r";
        break;
      default:
        continue;
    }
    out.append(text.substr(start, i - start));
    out.append(escape);
    start = i + 1;
  }
  out.append(text.substr(start));
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

void RecordWriter::end_record(std::string& out) {
  out.push_back(format_ == Format::Json ? '}' : '\n');
}

void RecordWriter::footer(std::string& out) {
  if (format_ == Format::Json) out.append(first_record_ ? "]\n" : "\n]\n");
}

}  // namespace wbq
