// The three output shapes of wbq: tab-separated lines with backslash escapes, CSV, and JSON.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wbq {

enum class Format { Tsv, Csv, Json };

// Builds the output line by line; the caller writes each finished line and clears it.
class RecordWriter {
 public:
  explicit RecordWriter(Format format) : format_(format) {}
  // The first line(s): the field names (TSV, CSV) or the opening bracket (JSON).
  void header(std::string& out, const std::vector<std::string>& names);
  void begin_record(std::string& out);
  void value(std::string& out, std::string_view text);
  void end_record(std::string& out);
  // A whole record at once, the same as begin_record, value for each and end_record.
  void record(std::string& out, std::span<const std::string_view> values);
  void footer(std::string& out);

 private:
  Format format_;
  std::vector<std::string> names_;
  std::size_t column_ = 0;
  bool first_record_ = true;
};

// "\" -> "\\", tab -> "\t", line feed -> "\n", carriage return -> "\r".
void append_tsv_escaped(std::string& out, std::string_view text);
void append_csv_quoted(std::string& out, std::string_view text);
void append_json_string(std::string& out, std::string_view text);

}  // namespace wbq
