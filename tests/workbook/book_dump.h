// Test helper: every row of every sheet of a workbook as text, or the error that ended the book
// or a sheet, so that two ways of reading it can be compared whole.
#pragma once

#include <string>

#include "platform/error.h"
#include "workbook/reader.h"

namespace workbook_test {

inline std::string dump_rows(workbook::SheetReader& reader) {
  std::string out;
  workbook::Row row;
  while (reader.next_row(row)) {
    out += std::to_string(row.index) + ":";
    for (std::size_t i = 0; i < row.size(); ++i) {
      out += ' ';
      out += std::to_string(row.column(i));
      out += '=';
      out += row.text(i);
    }
    out += "\n";
  }
  return out;
}

inline std::string dump_book(const std::string& path, std::size_t chunk_bytes,
                             workbook::XmlReading reading) {
  std::string out;
  try {
    auto book = workbook::open_xlsx_book(path, chunk_bytes, reading);
    for (std::size_t i = 0; i < book->sheets().size(); ++i) {
      out += "sheet " + book->sheets()[i].name + "\n";
      try {
        out += dump_rows(*book->open_sheet(i));
      } catch (const platform::Error& e) {
        out += std::string("error: ") + e.what() + "\n";
      }
    }
  } catch (const platform::Error& e) {
    out += std::string("error: ") + e.what() + "\n";
  }
  return out;
}

}  // namespace workbook_test
