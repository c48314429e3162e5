// The expat wrapper: exceptions never cross expat's C frames; they are parked and rethrown.
#include "workbook/xml_parser.h"

#include <expat.h>

#include <cstring>

#include "platform/error.h"
#include "workbook/limits.h"

namespace workbook {

std::string_view xml_local_name(std::string_view name) {
  auto colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::optional<std::string_view> xml_attribute(XmlAttributes attrs, std::string_view name) {
  for (const auto& a : attrs)
    if (a.name == name) return a.value;
  return std::nullopt;
}

void XmlHandler::cell(XmlAttributes attrs, std::string_view text, bool in_string) {
  start("c", attrs);
  if (in_string) {
    start("is", {});
    start("t", {});
  } else {
    start("v", {});
  }
  if (!text.empty()) this->text(text);
  if (in_string) {
    end("t");
    end("is");
  } else {
    end("v");
  }
  end("c");
}

void XmlHandler::string_item(std::string_view text) {
  start("si", {});
  start("t", {});
  if (!text.empty()) this->text(text);
  end("t");
  end("si");
}

XmlParser::XmlParser(XmlHandler& handler, std::string where)
    : parser_(XML_ParserCreate(nullptr)), handler_(handler), where_(std::move(where)) {
  if (!parser_) throw platform::Error("Out of memory while reading " + where_ + ".");
  auto p = static_cast<XML_Parser>(parser_);
  XML_SetUserData(p, this);
  XML_SetElementHandler(p, on_start, on_end);
  XML_SetCharacterDataHandler(p, on_text);
  XML_SetStartDoctypeDeclHandler(p, on_doctype);
  XML_SetEntityDeclHandler(p, on_entity);
  XML_SetParamEntityParsing(p, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlParser::~XmlParser() {
  XML_ParserFree(static_cast<XML_Parser>(parser_));
}

void XmlParser::stop(std::exception_ptr error) {
  if (!error_) error_ = std::move(error);
  XML_StopParser(static_cast<XML_Parser>(parser_), XML_FALSE);
}

void XmlParser::on_start(void* self, const char* name, const char** attrs) {
  auto& me = *static_cast<XmlParser*>(self);
  try {
    me.last_event_ = XML_GetCurrentByteIndex(static_cast<XML_Parser>(me.parser_));
    if (++me.depth_ > limits::kMaxXmlDepth)
      throw platform::limit_error("The XML of " + me.where_ + " nests too deep", me.depth_,
                                  limits::kMaxXmlDepth, "levels");
    me.attrs_.clear();
    for (; attrs[0]; attrs += 2) me.attrs_.push_back({xml_local_name(attrs[0]), attrs[1]});
    me.handler_.start(xml_local_name(name), me.attrs_);
  } catch (...) {
    me.stop(std::current_exception());
  }
}

void XmlParser::on_end(void* self, const char* name) {
  auto& me = *static_cast<XmlParser*>(self);
  try {
    --me.depth_;
    me.handler_.end(xml_local_name(name));
  } catch (...) {
    me.stop(std::current_exception());
  }
}

void XmlParser::on_text(void* self, const char* text, int len) {
  auto& me = *static_cast<XmlParser*>(self);
  me.last_event_ = XML_GetCurrentByteIndex(static_cast<XML_Parser>(me.parser_));
  try {
    me.handler_.text(std::string_view(text, static_cast<std::size_t>(len)));
  } catch (...) {
    me.stop(std::current_exception());
  }
}

void XmlParser::on_doctype(void* self, const char*, const char*, const char*, int) {
  auto& me = *static_cast<XmlParser*>(self);
  me.stop(std::make_exception_ptr(platform::Error(
      "The XML of " + me.where_ + " declares a DTD, which workbooks never do; it is refused.",
      platform::ErrorKind::Refused)));
}

void XmlParser::on_entity(void* self, const char*, int, const char*, int, const char*, const char*,
                          const char*, const char*) {
  auto& me = *static_cast<XmlParser*>(self);
  me.stop(std::make_exception_ptr(platform::Error(
      "The XML of " + me.where_ + " declares entities, which workbooks never do; refused.",
      platform::ErrorKind::Refused)));
}

void XmlParser::feed(const char* data, std::size_t size, bool last) {
  auto p = static_cast<XML_Parser>(parser_);
  while (true) {
    int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
    bool final = last && static_cast<std::size_t>(chunk) == size;
    XML_Status status = XML_Parse(p, data, chunk, final ? 1 : 0);
    if (error_) std::rethrow_exception(error_);
    if (status != XML_STATUS_OK)
      throw platform::Error("The XML of " + where_ + " is malformed at line " +
                                std::to_string(XML_GetCurrentLineNumber(p)) + ": " +
                                XML_ErrorString(XML_GetErrorCode(p)) + ".",
                            platform::ErrorKind::Damaged);
    fed_ += chunk;
    if (fed_ - last_event_ > static_cast<long long>(limits::kMaxXmlTokenBytes))
      throw platform::limit_error(
          "The XML of " + where_ + " has a single piece of markup longer than workbooks ever have",
          static_cast<std::uint64_t>(fed_ - last_event_), limits::kMaxXmlTokenBytes, "bytes");
    data += chunk;
    size -= static_cast<std::size_t>(chunk);
    if (size == 0) break;
  }
}

}  // namespace workbook
