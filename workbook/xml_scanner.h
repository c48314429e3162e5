// A scanner for the XML of the big .xlsx parts (worksheets, shared strings): the events expat
// gives, for the plain markup those parts are written in, at a fraction of expat's cost. What it
// does not know (a DTD, a comment, CDATA, a processing instruction, another encoding, a character
// or construct expat might judge differently) it does not guess at: it gives the part up, and the
// caller reads the part again with expat.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/xml_parser.h"
#include "workbook/xml_reading.h"

namespace workbook {

// Thrown by the scanner when it gives a part up. Not a platform::Error: it never reaches a user,
// the part's reader catches it and starts the part again with expat.
struct XmlScanFallback {
  std::string reason;
};

class XmlScanner : public XmlFeed {
 public:
  // where: the file and part, for the error ScannerOnly raises instead of giving up.
  XmlScanner(XmlHandler& handler, std::string where, bool give_up_is_error);
  void feed(const char* data, std::size_t size, bool last) override;

 private:
  enum class State { Start, Prolog, Content, Epilog };
  // Each returns the bytes taken from p, or kMore when the construct runs past n.
  static constexpr std::size_t kMore = ~std::size_t{0};
  std::size_t scan(const char* p, std::size_t n, bool last);
  std::size_t declaration(const char* p, std::size_t n);
  std::size_t start_tag(const char* p, std::size_t n);
  std::size_t end_tag(const char* p, std::size_t n);
  // The value at p, up to its closing quote, as the value of the last attribute taken.
  std::size_t attribute_value(const char* p, std::size_t n, char quote);
  std::size_t made_value(const char* p, std::size_t i, std::size_t n, char quote);
  std::size_t text(const char* p, std::size_t n);
  // A cell of the plainest form (XmlHandler::cell) taken at once; 0 for any other markup,
  // which the general path then reads, also for a cell the bytes at hand do not hold whole.
  std::size_t plain_cell(const char* p, std::size_t n);
  std::size_t plain_string_item(const char* p, std::size_t n);  // the same for <si>
  // The UTF-8 of a reference at p ("&amp;", "&#x41;") appended to out; bytes taken or kMore.
  std::size_t reference(const char* p, std::size_t n, std::string& out);
  [[noreturn]] void give_up(const char* reason) const;

  XmlHandler& handler_;
  std::string where_;
  bool give_up_is_error_;
  State state_ = State::Start;
  std::string carry_;       // an unfinished construct, waiting for the next chunk
  std::string open_names_;  // names of the open elements, one after another
  std::vector<std::size_t> name_ends_;
  // The attributes of one tag: views into the bytes fed, but for values that references or
  // white space change, which are made in value_text_ (at the offsets in made_values_).
  // Attributes of one tag: the check for duplicates is quadratic; real tags have a handful.
  static constexpr std::size_t kMaxAttributes = 64;
  std::array<XmlAttribute, kMaxAttributes> attrs_;
  std::array<std::string_view, kMaxAttributes> attr_names_;  // with prefix, to find repeats
  std::size_t attr_count_ = 0;
  std::string value_text_;
  struct MadeValue {
    std::size_t attr, offset, size;
  };
  std::vector<MadeValue> made_values_;
  std::string ref_text_;
  std::uint64_t pos_ = 0;         // offset of the first byte not yet taken
  std::uint64_t last_start_ = 0;  // offset of the last start tag
};

std::unique_ptr<XmlFeed> make_xml_feed(XmlReading reading, XmlHandler& handler, std::string where);

}  // namespace workbook
