// Feeds arbitrary bytes to the .xls reader as a workbook and reads every sheet to the end.
// Any failure must be a platform::Error; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/error.h"
#include "workbook/xls_book.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  try {
    auto book = workbook::open_xls_book_from_memory(bytes, "fuzz.xls");
    workbook::Row row;
    for (std::size_t i = 0; i < book->sheets().size(); ++i) {
      try {
        auto sheet = book->open_sheet(i);
        (void)sheet->declared_range();
        while (sheet->next_row(row)) {
        }
      } catch (const platform::Error&) {
      }
    }
  } catch (const platform::Error&) {
  }
  return 0;
}
