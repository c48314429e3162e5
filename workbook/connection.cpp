// Connecting: file sniffing, format check against the connection string, table names.
#include "workbook/connection.h"

#include <cstdio>
#include <cstring>

#include "platform/error.h"
#include "platform/text.h"
#include "workbook/query_text.h"

namespace workbook {
namespace {

enum class FileKind { Missing, Empty, CompoundFile, Zip, Other };

FileKind sniff(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return FileKind::Missing;
  unsigned char head[8] = {};
  std::size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  static const unsigned char kCompound[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
  if (n == 0) return FileKind::Empty;
  if (n == 8 && std::memcmp(head, kCompound, 8) == 0) return FileKind::CompoundFile;
  if (n >= 4 && head[0] == 'P' && head[1] == 'K' &&
      ((head[2] == 3 && head[3] == 4) || (head[2] == 5 && head[3] == 6)))
    return FileKind::Zip;
  return FileKind::Other;
}

[[noreturn]] void refuse(const std::string& path, const std::string& why,
                         platform::ErrorKind kind) {
  throw platform::Error("The workbook \"" + path + "\" cannot be read: " + why + ".", kind);
}

std::unique_ptr<Book> open_checked(const std::string& path, std::optional<WorkbookFormat> named) {
  switch (sniff(path)) {
    case FileKind::Missing:
      refuse(path, "the file does not exist or cannot be opened", platform::ErrorKind::NotFound);
    case FileKind::Empty:
      refuse(path, "the file is empty", platform::ErrorKind::Damaged);
    case FileKind::Other:
      refuse(path, "it is neither an .xls nor an .xlsx workbook", platform::ErrorKind::Unsupported);
    case FileKind::CompoundFile:
      return open_xls_book(path);
    case FileKind::Zip:
      if (named == WorkbookFormat::Xls)
        refuse(path,
               "it is an .xlsx workbook (a zip package) under a name or connection for the .xls "
               "format; give it the .xlsx extension",
               platform::ErrorKind::Unsupported);
      return open_xlsx_book(path);
  }
  refuse(path, "unknown file kind", platform::ErrorKind::Unsupported);
}

}  // namespace

Connection::Connection(std::string connection_string)
    : connection_string_(std::move(connection_string)) {}

void Connection::SetConnectionString(std::string text) {
  connection_string_ = std::move(text);
}

void Connection::Connect() {
  Disconnect();
  ConnectionTarget target = parse_connection_string(connection_string_);
  book_ = open_checked(target.path, target.format);
  path_ = target.path;
}

void Connection::Disconnect() {
  book_.reset();
  path_.clear();
}

void Connection::require_connected() const {
  if (!book_) throw platform::Error("The workbook connection is not open.");
}

std::vector<std::string> Connection::GetTableNames() const {
  require_connected();
  std::vector<std::string> names;
  for (const auto& sheet : book_->sheets())
    if (sheet.is_worksheet) names.push_back(table_name_for_sheet(sheet.name));
  return names;
}

std::optional<std::size_t> Connection::find_table(std::string_view table) const {
  require_connected();
  const auto& sheets = book_->sheets();
  // The provider's own spelling first, then the bare sheet name a person might type.
  for (std::size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].is_worksheet && table_name_for_sheet(sheets[i].name) == table) return i;
  std::string sheet = sheet_name_for_table(table);
  for (std::size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].is_worksheet && sheets[i].name == sheet) return i;
  // Table names, like the sheet names they come from, do not depend on letter case.
  std::string upper = platform::ascii_upper(sheet);
  for (std::size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].is_worksheet && platform::ascii_upper(sheets[i].name) == upper) return i;
  return std::nullopt;
}

}  // namespace workbook
