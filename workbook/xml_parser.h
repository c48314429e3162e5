// Expat behind a small push interface for the .xlsx parts: element names without their
// namespace prefix, DTDs and entity declarations refused, nesting depth capped.
#pragma once

#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace workbook {

// An attribute of a start tag: its name without prefix ("r:id" is "id") and its value, as
// expat reports it (references replaced, white space normalised). Valid during the call only.
struct XmlAttribute {
  std::string_view name, value;
};
using XmlAttributes = std::span<const XmlAttribute>;

class XmlHandler {
 public:
  virtual ~XmlHandler() = default;
  // Names come without prefix ("x:row" is "row"), attributes in the order of the tag.
  virtual void start(std::string_view name, XmlAttributes attrs) = 0;
  virtual void end(std::string_view name) = 0;
  virtual void text(std::string_view) {}
  // A worksheet cell of the plainest form at once: <c ...><v>text</v></c>, or with in_string
  // <c ...><is><t>text</t></is></c>, names without prefix, text without references. The
  // scanner reports such cells so; this default hands on the events of their elements.
  virtual void cell(XmlAttributes attrs, std::string_view text, bool in_string);
  // A shared string of the plainest form at once: <si><t>text</t></si>, as cell() above.
  virtual void string_item(std::string_view text);
};

// The value of the first attribute with this name (prefix ignored), if any.
std::optional<std::string_view> xml_attribute(XmlAttributes attrs, std::string_view name);
std::string_view xml_local_name(std::string_view name);

// Where the bytes of a part go: expat, or the scanner of the big parts (xml_scanner.h).
class XmlFeed {
 public:
  virtual ~XmlFeed() = default;
  // last: no more bytes follow. Throws platform::Error naming the part when it is refused.
  virtual void feed(const char* data, std::size_t size, bool last) = 0;
};

class XmlParser : public XmlFeed {
 public:
  // where: the file and part, for messages.
  XmlParser(XmlHandler& handler, std::string where);
  ~XmlParser();
  XmlParser(const XmlParser&) = delete;
  XmlParser& operator=(const XmlParser&) = delete;

  // Throws platform::Error naming the part for malformed XML, a DTD, a crossed limit, or
  // whatever a handler threw.
  void feed(const char* data, std::size_t size, bool last) override;

 private:
  static void on_start(void* self, const char* name, const char** attrs);
  static void on_end(void* self, const char* name);
  static void on_text(void* self, const char* text, int len);
  static void on_doctype(void* self, const char*, const char*, const char*, int);
  static void on_entity(void* self, const char*, int, const char*, int, const char*, const char*,
                        const char*, const char*);
  void stop(std::exception_ptr error);

  void* parser_;  // XML_Parser
  XmlHandler& handler_;
  std::string where_;
  std::vector<XmlAttribute> attrs_;  // reused from tag to tag
  unsigned depth_ = 0;
  long long fed_ = 0, last_event_ = 0;  // byte positions, for the token-size limit
  std::exception_ptr error_;
};

}  // namespace workbook
