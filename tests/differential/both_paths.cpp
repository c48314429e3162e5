// Reads every .xlsx workbook of a folder with expat and with the scanner, in two chunk sizes,
// and fails on the first difference: the scanner must read what expat reads, byte for byte.
//   both_paths FOLDER
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "book_dump.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: both_paths FOLDER\n");
    return 2;
  }
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1]))
    if (entry.path().extension() == ".xlsx") paths.push_back(entry.path().string());
  std::sort(paths.begin(), paths.end());
  if (paths.empty()) {
    std::fprintf(stderr, "no .xlsx workbooks in %s\n", argv[1]);
    return 1;
  }
  int failures = 0;
  for (const auto& path : paths)
    for (std::size_t chunk : {workbook::kXlsxChunkBytes, std::size_t{4093}}) {
      std::string expat = workbook_test::dump_book(path, chunk, workbook::XmlReading::Expat);
      std::string alone = workbook_test::dump_book(path, chunk, workbook::XmlReading::ScannerOnly);
      bool same = alone == expat;
      std::printf("%s %s in chunks of %zu (%zu bytes of rows)\n", same ? "ok  " : "FAIL",
                  path.c_str(), chunk, expat.size());
      if (!same) {
        auto at = std::mismatch(expat.begin(), expat.end(), alone.begin(), alone.end());
        std::size_t from = static_cast<std::size_t>(at.first - expat.begin());
        from = from > 200 ? from - 200 : 0;
        std::printf("  expat:   %s\n  scanner: %s\n", expat.substr(from, 400).c_str(),
                    alone.substr(from, 400).c_str());
        ++failures;
      }
    }
  return failures ? 1 : 0;
}
