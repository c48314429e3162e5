// Mapping pattern files: the import dialog's field mapping saved as text, one line per mapping
// row, "caption:column", in GBK, in the folder "Pat" beside the running program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace gridport {

// A pattern holds one short line per grid column, a few kilobytes at most. A bigger file is not
// a pattern (a workbook or a log chosen by mistake), and the bound keeps it from being read whole.
inline constexpr std::size_t kMaxPatternFileBytes = 1024 * 1024;

// One line of a pattern file, as UTF-8.
struct PatternLine {
  std::string dest_field;    // the destination's caption
  std::string source_field;  // the worksheet column's name; empty when unmapped
  bool operator==(const PatternLine&) const = default;
};

// The running program's folder + "Pat"; both pattern file dialogs start there.
std::string pattern_folder();
// Creates the pattern folder with its missing parents when it is not there; returns it.
std::string prepare_pattern_folder();
// The name the pattern file dialogs are preset to: "pat.pat" in the pattern folder.
std::string default_pattern_file();

// The name a save writes: `name` unless its last four characters are ".pat" in any letter case,
// else `name` + ".pat".
std::string with_pattern_extension(std::string_view name);

// The file's bytes: each line "caption:column" in GBK, every one ended by CR LF.
std::string format_pattern(const std::vector<PatternLine>& lines);
// The lines of a file's bytes (ended by CR LF, LF or CR), each split at its first colon; a line
// without one has the empty caption and the whole line as its column.
std::vector<PatternLine> parse_pattern(std::string_view gbk);

// Writes the whole file or nothing; throws platform::Error naming the file and why.
void write_pattern_file(const std::string& path, const std::vector<PatternLine>& lines);
// Reads a pattern; a missing or unreadable file, one larger than kMaxPatternFileBytes or one
// holding NUL bytes throws platform::Error naming the file and why.
std::vector<PatternLine> read_pattern_file(const std::string& path);

}  // namespace gridport
