// The small parts of an .xlsx package: package and workbook relationships, the workbook's sheet
// list and date system, and the cell formats that make a number a date.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/byte_source.h"
#include "workbook/cell_text.h"
#include "workbook/reader.h"
#include "workbook/xml_parser.h"

namespace workbook {

class ZipArchive;

// "file.xlsx, part xl/worksheets/sheet1.xml": where a message says the trouble is.
std::string describe_part(const ZipArchive& zip, std::string_view part);
// Streams a part through a parser into the handler.
void parse_part(ZipArchive& zip, const std::string& part, XmlHandler& handler);
// Feeds the whole source to the parser, chunk_bytes at a time.
void parse_source(ByteSource& source, XmlFeed& parser, std::size_t chunk_bytes);

struct Relationship {
  std::string id, type, target;  // target resolved to a part name
};
// The relationships of a part ("xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"); empty when
// the part has none.
std::vector<Relationship> read_relationships(ZipArchive& zip, const std::string& part);
// The last segment of a relationship type: "worksheet", "officeDocument", "sharedStrings", ...
// (transitional and strict files use different namespaces with the same last segments).
std::string_view relationship_kind(std::string_view type);
// A relationship's target, relative to the folder of the part that owns it, as a part name.
std::string resolve_target(std::string_view owner_part, std::string_view target);

struct XlsxSheet {
  SheetInfo info;
  std::string part;  // empty when the relationship is missing
};

struct XlsxWorkbook {
  std::string part;  // "xl/workbook.xml"
  std::vector<XlsxSheet> sheets;
  DateSystem date_system = DateSystem::From1900;
  std::string shared_strings_part, styles_part;  // empty when absent
};
XlsxWorkbook read_workbook(ZipArchive& zip);

// For each cell format (the s attribute of a cell), whether it shows numbers as dates.
std::vector<bool> read_date_styles(ZipArchive& zip, const std::string& styles_part);

}  // namespace workbook
