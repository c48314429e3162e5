// Opens an .xls workbook: reads the file, finds the workbook stream in its container, and reads
// the globals substream (sheet list, shared strings, formats, date system, code page).
#include "workbook/xls_book.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>

#include "platform/error.h"
#include "platform/paths.h"
#include "workbook/limits.h"
#include "workbook/xls_container.h"

namespace workbook {
namespace {

using biff::get16;
using biff::get32;

std::string what_else_it_is(std::string_view bytes) {
  if (bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4)) {
    return "it is a zip package (an .xlsx workbook?), not an .xls workbook";
  }
  std::size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && bytes[first] == '<') {
    return "it is a web page or XML file, not an .xls workbook";
  }
  return "it is not an .xls workbook (no compound-file header)";
}

// Says what a file that is not a compound file is, as far as its first bytes tell.
platform::Error not_a_workbook(std::string_view bytes) {
  if (bytes.empty()) return platform::Error("the file is empty", platform::ErrorKind::Damaged);
  return platform::Error(what_else_it_is(bytes), platform::ErrorKind::Unsupported);
}

std::string find_workbook_stream(std::string_view bytes) {
  // Some tools write the workbook stream bare, without a container.
  if (bytes.size() >= 4) {
    std::uint16_t type = get16(bytes.data()), length = get16(bytes.data() + 2);
    if (type == biff::kBof && length >= 8 && length <= 20) return std::string(bytes);
    if ((type == 0x0009 && length == 4) || ((type == 0x0209 || type == 0x0409) && length == 6)) {
      throw platform::Error("it is an Excel 2.x to 4.0 file, which is not supported",
                            platform::ErrorKind::Unsupported);
    }
  }
  if (bytes.size() < 8 || bytes.substr(0, 4) != std::string_view("\xD0\xCF\x11\xE0", 4)) {
    throw not_a_workbook(bytes);
  }
  CompoundFile file(bytes);
  // Excel 97 and later name the stream "Workbook", Excel 5 and 95 "Book".
  if (auto stream = file.read_root_stream("Workbook")) return std::move(*stream);
  if (auto stream = file.read_root_stream("Book")) return std::move(*stream);
  if (file.has_root_entry("EncryptedPackage")) {
    throw platform::Error("it is a password-protected .xlsx workbook, which cannot be read",
                          platform::ErrorKind::Encrypted);
  }
  throw platform::Error("the file holds no workbook stream (another kind of Office document?)",
                        platform::ErrorKind::Unsupported);
}

struct RawText {
  std::uint16_t id = 0;
  std::string text;  // UTF-8 in BIFF8; code-page bytes in BIFF5 until the code page is known
};

// A BIFF5 byte string with an 8-bit length at `at`, cut short where the record ends.
std::string_view short_byte_string(std::string_view data, std::size_t at) {
  if (data.size() <= at) return {};
  return data.substr(at + 1, static_cast<unsigned char>(data[at]));
}

void read_unicode(std::string_view data, std::size_t at, bool short_count, std::string& out) {
  biff::ContinuedReader in;
  in.add(data.substr(std::min(at, data.size())));
  if (!biff::read_unicode_string(in, out, short_count)) {
    throw platform::Error("a string in the workbook globals is truncated",
                          platform::ErrorKind::Damaged);
  }
}

void read_shared_strings(const biff::Record& sst, biff::RecordCursor& cursor, XlsWorkbook& wb) {
  biff::ContinuedReader in;
  biff::gather(sst, cursor, in);
  char head[8];
  if (!in.read(head, sizeof head))
    throw platform::Error("the shared-string table is truncated", platform::ErrorKind::Damaged);
  // The count is only a bound on the loop; the strings themselves must be there.
  std::uint32_t unique = get32(head + 4);
  for (std::uint32_t i = 0; i < unique && !in.at_end(); ++i) {
    std::size_t begin = wb.shared_text.size();
    if (!biff::read_unicode_string(in, wb.shared_text)) {
      throw platform::Error(
          "the shared-string table is truncated (string " + std::to_string(i + 1) + ")",
          platform::ErrorKind::Damaged);
    }
    if (wb.shared_text.size() - begin > limits::kMaxCellTextBytes) {
      throw platform::limit_error(
          "shared string " + std::to_string(i + 1) + " is longer than a cell can hold",
          wb.shared_text.size() - begin, limits::kMaxCellTextBytes, "bytes");
    }
    if (i >= limits::kMaxSharedStrings) {
      throw platform::limit_error("the workbook has too many shared strings", std::uint64_t{i} + 1,
                                  limits::kMaxSharedStrings, "texts");
    }
    if (wb.shared_text.size() > limits::kMaxTotalTextBytes) {
      throw platform::limit_error("the shared strings hold too much text", wb.shared_text.size(),
                                  limits::kMaxTotalTextBytes, "bytes");
    }
    wb.shared_ends.push_back(static_cast<std::uint32_t>(wb.shared_text.size()));
  }
}

void read_globals(XlsWorkbook& wb) {
  biff::RecordCursor cursor(wb.stream, 0);
  biff::Record record;
  if (!cursor.next(record) || record.type != biff::kBof || record.data.size() < 4) {
    std::uint16_t type = record.type;
    if (type == 0x0009 || type == 0x0209 || type == 0x0409) {
      throw platform::Error("it is an Excel 2.x to 4.0 file, which is not supported",
                            platform::ErrorKind::Unsupported);
    }
    throw platform::Error("the workbook stream does not start with a BOF record",
                          platform::ErrorKind::Damaged);
  }
  wb.biff8 = get16(record.data.data()) != 0x0500;
  int codepage = 1252;
  std::vector<RawText> formats, names;
  std::vector<std::uint8_t> sheet_types;
  std::vector<std::uint16_t> xf_formats;
  while (cursor.next(record)) {
    std::string_view d = record.data;
    switch (record.type) {
      case biff::kFilePass:
        throw platform::Error("the workbook is encrypted (password-protected) and cannot be read",
                              platform::ErrorKind::Encrypted);
      case biff::kCodePage:
        if (d.size() >= 2) codepage = get16(d.data());
        break;
      case biff::kDateMode:
        if (d.size() >= 2 && get16(d.data()) == 1) wb.dates = DateSystem::From1904;
        break;
      case biff::kFormat: {
        if (d.size() < 2) break;
        RawText f{get16(d.data()), {}};
        if (wb.biff8) {
          read_unicode(d, 2, false, f.text);
        } else {
          f.text = short_byte_string(d, 2);
        }
        formats.push_back(std::move(f));
        break;
      }
      case biff::kXf:
        // Cells name their XF with 16 bits; any XF past the limit is never used.
        if (d.size() >= 4 && xf_formats.size() < limits::kMaxCellFormats) {
          xf_formats.push_back(get16(d.data() + 2));
        }
        break;
      case biff::kSst:
        if (wb.biff8) read_shared_strings(record, cursor, wb);
        break;
      case biff::kBoundSheet: {
        if (d.size() < 6)
          throw platform::Error("a sheet entry of the workbook is truncated",
                                platform::ErrorKind::Damaged);
        if (names.size() >= limits::kMaxSheets) {
          throw platform::limit_error("the workbook lists too many sheets", names.size() + 1,
                                      limits::kMaxSheets, "sheets");
        }
        RawText name;
        if (wb.biff8) {
          read_unicode(d, 6, true, name.text);
        } else {
          name.text = short_byte_string(d, 6);
        }
        names.push_back(std::move(name));
        wb.sheet_offsets.push_back(get32(d.data()));
        sheet_types.push_back(static_cast<std::uint8_t>(d[5]));
        break;
      }
      default:
        break;
    }
    // A globals substream without its EOF ends where the first sheet begins.
    if (record.type == biff::kEof || record.type == biff::kBof) break;
  }

  wb.codepage = std::make_unique<biff::CodepageText>(codepage);
  std::vector<std::int8_t> custom_date(0x10000, -1);  // -1: no FORMAT record for the id
  for (RawText& f : formats) {
    if (!wb.biff8) {
      std::string utf8;
      wb.codepage->append(utf8, f.text);
      f.text = std::move(utf8);
    }
    custom_date[f.id] = is_date_format_code(f.text) ? 1 : 0;
  }
  wb.xf_is_date.resize(xf_formats.size());
  for (std::size_t i = 0; i < xf_formats.size(); ++i) {
    std::int8_t custom = custom_date[xf_formats[i]];
    wb.xf_is_date[i] = custom < 0 ? is_builtin_date_format(xf_formats[i]) : custom == 1;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    SheetInfo info;
    if (wb.biff8) {
      info.name = std::move(names[i].text);
    } else {
      wb.codepage->append(info.name, names[i].text);
    }
    // 0 is a worksheet (or a BIFF5 dialog sheet); macro, chart and module sheets hold no table.
    info.is_worksheet = sheet_types[i] == 0;
    wb.sheets.push_back(std::move(info));
  }
}

class XlsBook : public Book {
 public:
  explicit XlsBook(std::shared_ptr<XlsWorkbook> workbook) : workbook_(std::move(workbook)) {}
  const std::vector<SheetInfo>& sheets() const override { return workbook_->sheets; }
  std::unique_ptr<SheetReader> open_sheet(std::size_t index) override {
    if (index >= workbook_->sheets.size()) {
      throw XlsFailure(workbook_->source, "", "there is no sheet " + std::to_string(index + 1),
                       platform::ErrorKind::NotFound);
    }
    return open_xls_sheet(workbook_, index);
  }

 private:
  std::shared_ptr<XlsWorkbook> workbook_;
};

}  // namespace

std::unique_ptr<Book> open_xls_book_from_memory(std::string_view bytes, const std::string& name) {
  auto wb = std::make_shared<XlsWorkbook>();
  wb->source = name;
  try {
    wb->stream = find_workbook_stream(bytes);
    read_globals(*wb);
  } catch (const platform::Error& e) {
    throw XlsFailure(name, "", e.what(), e.kind());
  }
  return std::make_unique<XlsBook>(std::move(wb));
}

std::unique_ptr<Book> open_xls_book(const std::string& path) {
  if (platform::folder_exists(path))
    throw XlsFailure(path, "", "it is a folder, not a file", platform::ErrorKind::NotFound);
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw XlsFailure(path, "", std::string("cannot open the file (") + std::strerror(errno) + ")",
                     errno == ENOENT ? platform::ErrorKind::NotFound : platform::ErrorKind::Failed);
  }
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  if (size < 0) throw XlsFailure(path, "", "cannot read the file");
  if (static_cast<std::uint64_t>(size) > limits::kMaxXlsFileBytes) {
    platform::Error e =
        platform::limit_error("the file is too large for an .xls workbook",
                              static_cast<std::uint64_t>(size), limits::kMaxXlsFileBytes, "bytes");
    throw XlsFailure(path, "", e.what(), e.kind());
  }
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(bytes.data(), size)) throw XlsFailure(path, "", "cannot read the file");
  return open_xls_book_from_memory(bytes, path);
}

}  // namespace workbook
