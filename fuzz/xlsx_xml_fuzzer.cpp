// libFuzzer target for the scanner of worksheet and shared-string XML: any bytes as a sheet part
// and as a shared-string part, read with expat and with the scanner (which gives what it does not
// know up to expat). Both must give the same rows and texts, or refuse with the same error;
// anything else is a finding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/error.h"
#include "workbook/byte_source.h"
#include "workbook/xlsx_scanned_sheet.h"
#include "workbook/xlsx_shared_strings.h"
#include "workbook/xlsx_sheet.h"
#include "workbook/xml_scanner.h"

namespace {

using workbook::XmlReading;

std::string read_strings(const std::string& xml, std::size_t chunk, XmlReading reading,
                         workbook::SharedStrings& table) {
  try {
    try {
      workbook::TextSource source(xml);
      table.load(source, "strings", chunk, reading);
    } catch (const workbook::XmlScanFallback&) {
      workbook::TextSource source(xml);
      table.load(source, "strings", chunk, XmlReading::Expat);
    }
  } catch (const platform::Error& e) {
    table = workbook::SharedStrings();
    return std::string("error: ") + e.what() + "\n";
  }
  std::string out;
  for (std::size_t i = 0; i < table.size(); ++i) out += std::string(table.at(i)) + "\n";
  return out;
}

std::string read_sheet(const std::string& xml, std::size_t chunk, XmlReading reading,
                       const workbook::SharedStrings& strings) {
  static const std::vector<bool> date_styles = {false, true, false};
  workbook::XlsxSheetContext context{&strings, &date_styles, workbook::DateSystem::From1900};
  auto open = [&](XmlReading r) -> std::unique_ptr<workbook::SheetReader> {
    return std::make_unique<workbook::XlsxSheetReader>(
        std::make_unique<workbook::TextSource>(xml), "\"f.xlsx\", sheet \"S\"",
        "\"f.xlsx\" (part sheet1.xml)", context, chunk, r);
  };
  std::string out;
  try {
    std::unique_ptr<workbook::SheetReader> reader;
    if (reading == XmlReading::Scanner)
      reader = std::make_unique<workbook::ScannedSheetReader>(open);
    else
      reader = open(reading);
    workbook::Row row;
    while (reader->next_row(row)) {
      out += std::to_string(row.index) + ":";
      for (std::size_t i = 0; i < row.size(); ++i)
        out += " " + std::to_string(row.column(i)) + "=" + std::string(row.text(i));
      out += "\n";
    }
  } catch (const platform::Error& e) {
    out += std::string("error: ") + e.what() + "\n";
  }
  return out;
}

// An error stands for the whole read: how many rows came before it depends on when a parser
// reports what it has parsed (expat defers a chunk that only extends a long unfinished token),
// and a caller that meets the error keeps none of them.
std::string outcome(const std::string& dump) {
  auto error = dump.find("error: ");
  return error == std::string::npos ? dump : dump.substr(error);
}

void require_same(const char* what, std::size_t chunk, const std::string& expat,
                  const std::string& scanner) {
  if (outcome(expat) == outcome(scanner)) return;
  std::fprintf(stderr,
               "%s in chunks of %zu: the scanner differs from expat\n--- expat\n%s--- "
               "scanner\n%s",
               what, chunk, expat.c_str(), scanner.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string xml(reinterpret_cast<const char*>(data), size);
  // Chunks from a few bytes up, so that pieces end everywhere in small inputs.
  std::size_t chunk = 1 + (size ? data[0] % 64u + data[size - 1] * 4u : 0);
  workbook::SharedStrings expat_strings, scanner_strings;
  require_same("shared strings", chunk, read_strings(xml, chunk, XmlReading::Expat, expat_strings),
               read_strings(xml, chunk, XmlReading::Scanner, scanner_strings));
  // The sheet refers to the strings of the same bytes, so that s cells find texts.
  require_same("sheet", chunk, read_sheet(xml, chunk, XmlReading::Expat, expat_strings),
               read_sheet(xml, chunk, XmlReading::Scanner, expat_strings));
  return 0;
}
