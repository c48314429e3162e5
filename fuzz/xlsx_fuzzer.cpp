// libFuzzer target for the .xlsx reader: any bytes as a package, every sheet read through the
// query layer. Only platform::Error may come out; anything else is a finding.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/error.h"
#include "workbook/connection.h"
#include "workbook/query.h"

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
  } catch (const platform::Error&) {
  }
  return 0;
}
