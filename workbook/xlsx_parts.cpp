// Relationships, workbook and styles parts of an .xlsx package.
#include "workbook/xlsx_parts.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/zip_archive.h"

namespace workbook {

std::string describe_part(const ZipArchive& zip, std::string_view part) {
  return "\"" + zip.path() + "\" (part " + std::string(part) + ")";
}

void parse_part(ZipArchive& zip, const std::string& part, XmlHandler& handler) {
  XmlParser parser(handler, describe_part(zip, part));
  parse_source(*zip.open(part), parser, 65536);
}

void parse_source(ByteSource& source, XmlFeed& parser, std::size_t chunk_bytes) {
  std::string buffer(std::max<std::size_t>(chunk_bytes, 1), '\0');
  while (true) {
    std::size_t n = source.read(buffer.data(), buffer.size());
    parser.feed(buffer.data(), n, n == 0);
    if (n == 0) break;
  }
}

std::string_view relationship_kind(std::string_view type) {
  auto slash = type.rfind('/');
  return slash == std::string_view::npos ? type : type.substr(slash + 1);
}

std::string resolve_target(std::string_view owner_part, std::string_view target) {
  std::string path;
  if (!target.empty() && (target[0] == '/' || target[0] == '\\')) {
    target.remove_prefix(1);
  } else {
    auto slash = owner_part.rfind('/');
    if (slash != std::string_view::npos) path = std::string(owner_part.substr(0, slash + 1));
  }
  // Apply the segments one by one so that "../" climbs out of the owner's folder.
  std::size_t i = 0;
  while (i <= target.size()) {
    std::size_t j = target.find_first_of("/\\", i);
    if (j == std::string_view::npos) j = target.size();
    std::string_view seg = target.substr(i, j - i);
    if (seg == "..") {
      if (!path.empty()) path.pop_back();
      auto slash = path.rfind('/');
      path.erase(slash == std::string::npos ? 0 : slash + 1);
    } else if (!seg.empty() && seg != ".") {
      path.append(seg);
      if (j < target.size()) path.push_back('/');
    }
    i = j + 1;
  }
  return path;
}

namespace {

std::string rels_part_of(const std::string& part) {
  auto slash = part.rfind('/');
  std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + file + ".rels";
}

class RelationshipsHandler : public XmlHandler {
 public:
  RelationshipsHandler(const std::string& owner, std::vector<Relationship>& out, std::string where)
      : owner_(owner), out_(out), where_(std::move(where)) {}
  void start(std::string_view name, XmlAttributes attrs) override {
    if (name != "Relationship") return;
    auto mode = xml_attribute(attrs, "TargetMode");
    if (mode && *mode == "External") return;
    auto id = xml_attribute(attrs, "Id");
    auto type = xml_attribute(attrs, "Type");
    auto target = xml_attribute(attrs, "Target");
    if (!id || !type || !target) return;
    if (out_.size() >= limits::kMaxSheets * 2ull)
      throw platform::limit_error("The workbook " + where_ + " lists too many relationships",
                                  out_.size() + 1, limits::kMaxSheets * 2ull, "relationships");
    out_.push_back({std::string(*id), std::string(*type), resolve_target(owner_, *target)});
  }
  void end(std::string_view) override {}

 private:
  const std::string& owner_;
  std::vector<Relationship>& out_;
  std::string where_;
};

class WorkbookHandler : public XmlHandler {
 public:
  WorkbookHandler(XlsxWorkbook& book, std::string where) : book_(book), where_(std::move(where)) {}
  void start(std::string_view name, XmlAttributes attrs) override {
    if (name == "sheet") {
      auto sheet_name = xml_attribute(attrs, "name");
      auto id = xml_attribute(attrs, "id");
      if (!sheet_name) return;
      if (book_.sheets.size() >= limits::kMaxSheets)
        throw platform::limit_error("The workbook " + where_ + " lists too many sheets",
                                    book_.sheets.size() + 1, limits::kMaxSheets, "sheets");
      XlsxSheet sheet;
      sheet.info.name = *sheet_name;
      sheet.part = id.value_or("");  // the relationship id until resolved
      book_.sheets.push_back(std::move(sheet));
    } else if (name == "workbookPr") {
      auto v = xml_attribute(attrs, "date1904");
      if (v && (*v == "1" || *v == "true")) book_.date_system = DateSystem::From1904;
    }
  }
  void end(std::string_view) override {}

 private:
  XlsxWorkbook& book_;
  std::string where_;
};

}  // namespace

std::vector<Relationship> read_relationships(ZipArchive& zip, const std::string& part) {
  std::vector<Relationship> out;
  std::string rels = rels_part_of(part);
  if (!zip.contains(rels)) return out;
  RelationshipsHandler handler(part, out, describe_part(zip, rels));
  parse_part(zip, rels, handler);
  return out;
}

XlsxWorkbook read_workbook(ZipArchive& zip) {
  XlsxWorkbook book;
  for (const auto& rel : read_relationships(zip, ""))
    if (relationship_kind(rel.type) == "officeDocument") book.part = rel.target;
  if (book.part.empty() || !zip.contains(book.part)) book.part = "xl/workbook.xml";
  if (!zip.contains(book.part))
    zip.fail("it is a zip file but not an .xlsx workbook (it has no workbook part)",
             platform::ErrorKind::Unsupported);
  WorkbookHandler handler(book, describe_part(zip, book.part));
  parse_part(zip, book.part, handler);

  auto rels = read_relationships(zip, book.part);
  for (auto& sheet : book.sheets) {
    std::string id = std::move(sheet.part);
    sheet.part.clear();
    for (const auto& rel : rels) {
      if (rel.id != id) continue;
      auto kind = relationship_kind(rel.type);
      sheet.info.is_worksheet = kind == "worksheet";
      if (zip.contains(rel.target)) sheet.part = rel.target;
    }
  }
  for (const auto& rel : rels) {
    auto kind = relationship_kind(rel.type);
    if (kind == "sharedStrings" && zip.contains(rel.target)) book.shared_strings_part = rel.target;
    if (kind == "styles" && zip.contains(rel.target)) book.styles_part = rel.target;
  }
  return book;
}

namespace {

// A number-format id as std::atoi reads it (leading blanks and sign, digits up to the first
// other character, 0 for none), as the styles part has always been read.
int leading_int(std::string_view text) {
  return std::atoi(std::string(text).c_str());
}

class StylesHandler : public XmlHandler {
 public:
  StylesHandler(std::vector<bool>& dates, std::string where)
      : dates_(dates), where_(std::move(where)) {}
  void start(std::string_view name, XmlAttributes attrs) override {
    if (name == "numFmt") {
      auto id = xml_attribute(attrs, "numFmtId");
      auto code = xml_attribute(attrs, "formatCode");
      if (!id || !code) return;
      if (custom_.size() >= limits::kMaxNumberFormats)
        throw platform::limit_error("The workbook " + where_ + " lists too many number formats",
                                    custom_.size() + 1, limits::kMaxNumberFormats, "formats");
      custom_[leading_int(*id)] = is_date_format_code(*code);
    } else if (name == "cellXfs") {
      in_cell_xfs_ = true;
    } else if (name == "xf" && in_cell_xfs_) {
      if (dates_.size() >= limits::kMaxCellFormats)
        throw platform::limit_error("The workbook " + where_ + " lists too many cell formats",
                                    dates_.size() + 1, limits::kMaxCellFormats, "formats");
      auto id = xml_attribute(attrs, "numFmtId");
      int fmt = id ? leading_int(*id) : 0;
      auto custom = custom_.find(fmt);
      dates_.push_back(custom != custom_.end() ? custom->second : is_builtin_date_format(fmt));
    }
  }
  void end(std::string_view name) override {
    if (name == "cellXfs") in_cell_xfs_ = false;
  }

 private:
  std::vector<bool>& dates_;
  std::string where_;
  std::unordered_map<int, bool> custom_;  // a custom code may redefine a built-in id
  bool in_cell_xfs_ = false;
};

}  // namespace

std::vector<bool> read_date_styles(ZipArchive& zip, const std::string& styles_part) {
  std::vector<bool> dates;
  if (styles_part.empty()) return dates;
  StylesHandler handler(dates, describe_part(zip, styles_part));
  parse_part(zip, styles_part, handler);
  return dates;
}

}  // namespace workbook
