// The shared-string table of an .xlsx package: every distinct cell text, held once in one
// buffer, with rich-text runs joined and phonetic runs dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/byte_source.h"
#include "workbook/limits.h"
#include "workbook/xml_parser.h"
#include "workbook/xml_reading.h"

namespace workbook {

class ZipArchive;

class SharedStrings {
 public:
  std::size_t size() const { return ends_.size(); }
  std::string_view at(std::size_t i) const {
    std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(begin, ends_[i] - begin);
  }
  // Reads the part; throws platform::Error naming file and part when it is broken or too big.
  // A part the scanner gives up is read again with expat.
  void load(ZipArchive& zip, const std::string& part, std::size_t chunk_bytes,
            XmlReading reading = XmlReading::Expat);
  // The same from any source; where names the file and part for messages. With the scanner,
  // XmlScanFallback comes out when it gives the part up. part_bytes: the part's size if known,
  // to make room for the texts at once (they are never longer than their XML).
  void load(ByteSource& source, const std::string& where, std::size_t chunk_bytes,
            XmlReading reading = XmlReading::Expat, std::uint64_t part_bytes = 0);

 private:
  friend class SharedStringsHandler;
  std::string text_;
  std::vector<std::uint32_t> ends_;
  static_assert(limits::kMaxTotalTextBytes <= UINT32_MAX && limits::kMaxSharedStrings <= UINT32_MAX,
                "shared-string ends and indexes are 32-bit");
};

// Collects the text of one string item (<si>, or a cell's <is>): the <t> elements outside
// phonetic runs, escapes decoded. Used by the shared strings and by inline strings.
class StringItemText {
 public:
  void start(std::string_view name);
  void end(std::string_view name);
  void text(std::string_view t, const std::string& where);
  // Decodes the item gathered so far into out and starts over.
  void finish(std::string& out);
  void reset();

 private:
  std::string raw_;
  unsigned phonetic_depth_ = 0;
  bool in_t_ = false;
};

}  // namespace workbook
