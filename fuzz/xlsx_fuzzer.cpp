// libFuzzer target for the .xlsx reader: any bytes as a package, every sheet read through the
// query layer, and every sheet read with two chunk sizes, which must give the same rows, and
// with expat instead of the scanner, which must give the same rows and messages. Only
// platform::Error may come out; anything else, or a difference between the two reads, is a
// finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/error.h"
#include "workbook/connection.h"
#include "workbook/query.h"
#include "workbook/reader.h"

namespace {

// Every sheet's rows, or that an error ended the book or the sheet. Which error comes first
// may depend on the chunks (a damaged deflate stream is met as far ahead as the part is
// inflated), and so may how many rows came before it; that there is an error may not.
struct BookDump {
  std::string rows;      // compared
  std::string messages;  // for the report
};

BookDump dump_book(const std::string& path, std::size_t chunk_bytes,
                   workbook::XmlReading reading = workbook::XmlReading::Scanner) {
  BookDump out;
  try {
    auto book = workbook::open_xlsx_book(path, chunk_bytes, reading);
    for (std::size_t i = 0; i < book->sheets().size(); ++i) {
      std::string sheet = "sheet " + std::to_string(i) + "\n";
      try {
        auto reader = book->open_sheet(i);
        workbook::Row row;
        while (reader->next_row(row)) {
          sheet += std::to_string(row.index) + ":";
          for (std::size_t c = 0; c < row.size(); ++c)
            sheet += " " + std::to_string(row.column(c)) + "=" + std::string(row.text(c));
          sheet += "\n";
        }
      } catch (const platform::Error& e) {
        sheet = "sheet " + std::to_string(i) + " failed\n";
        out.messages += e.what() + std::string("\n");
      }
      out.rows += sheet;
    }
  } catch (const platform::Error& e) {
    out.rows += "book failed\n";
    out.messages += e.what() + std::string("\n");
  }
  return out;
}

// Limits measured per chunk by design (expat rescans an unfinished token per chunk; a part's
// inflate ratio is checked per read), so whether they strike may depend on the chunk size.
bool has_chunk_dependent_limit(const BookDump& dump) {
  return dump.messages.find("single piece of markup") != std::string::npos ||
         dump.messages.find("inflates beyond") != std::string::npos;
}

void read_through_query(const std::string& path) {
  workbook::Connection connection("Data Source=" + path);
  connection.Connect();
  for (const auto& table : connection.GetTableNames()) {
    workbook::Query query(connection);
    query.SetSQL("select * from [" + table + "]");
    try {
      query.Open();
      for (query.First(); !query.Eof(); query.Next())
        for (std::size_t i = 0; i < query.FieldCount(); ++i) (void)query.Fields(i).text();
    } catch (const platform::Error&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Big inputs are the zip-bomb seeds: each run inflates tens of MiB before the ratio limit
  // stops it, which would slow the search to a crawl; the unit tests cover them.
  if (size > 32768) return 0;
  static const std::string path = "/tmp/xlsx_fuzz_" + std::to_string(getpid()) + ".xlsx";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  } else {
    return 0;
  }
  try {
    read_through_query(path);
  } catch (const platform::Error&) {
  }
  // A second chunk size taken from the input, so that boundaries fall everywhere in parts of a
  // few KiB and up (the unit tests take every size for a small sheet). Not smaller: expat scans
  // an unfinished token again with every chunk, and a part may hold a token of up to 4 MiB.
  std::size_t small = 4093 + (size ? data[size / 2] * 16u + data[size - 1] % 16u : 0);
  BookDump whole = dump_book(path, workbook::kXlsxChunkBytes);
  // The scanner (giving up to expat what it does not know) and expat alone read alike.
  BookDump expat = dump_book(path, workbook::kXlsxChunkBytes, workbook::XmlReading::Expat);
  if (whole.rows != expat.rows || whole.messages != expat.messages) {
    std::fprintf(
        stderr, "the scanner reads differently from expat:\n--- expat\n%s%s--- scanner\n%s%s",
        expat.rows.c_str(), expat.messages.c_str(), whole.rows.c_str(), whole.messages.c_str());
    std::abort();
  }
  if (has_chunk_dependent_limit(whole)) return 0;
  BookDump pieces = dump_book(path, small);
  if (whole.rows != pieces.rows && !has_chunk_dependent_limit(pieces)) {
    std::fprintf(stderr, "chunk size %zu reads differently from %zu:\n--- %zu\n%s%s--- %zu\n%s%s",
                 small, workbook::kXlsxChunkBytes, workbook::kXlsxChunkBytes, whole.rows.c_str(),
                 whole.messages.c_str(), small, pieces.rows.c_str(), pieces.messages.c_str());
    std::abort();
  }
  return 0;
}
