// Times gridhost's dataset as an import drives it: ROWS records appended, assigned as text
// (typed conversions included), posted with refresh suspended, committed in batches; then one
// grid page read from the end of the table, as scrolling there does.
//   bench_gridhost_posts DB_FILE [ROWS]      (DB_FILE is replaced)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "table_dataset.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s DB_FILE [ROWS]\n", argv[0]);
    return 2;
  }
  std::string path = argv[1];
  long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
  for (const char* suffix : {"", "-wal", "-shm"}) ::unlink((path + suffix).c_str());
  using Clock = std::chrono::steady_clock;
  gridhost::TableDataset table(path, "receipts",
                               "code VARCHAR(12) NOT NULL UNIQUE, name VARCHAR(10) NOT NULL, "
                               "amount DECIMAL(12,2), paid_on DATE, quantity INTEGER");
  auto start = Clock::now();
  table.disable_controls();
  for (long i = 0; i < rows; ++i) {
    table.append();
    std::string code = "C";
    code += std::to_string(i);
    table.set_field_text("code", code);
    table.set_field_text("name", "欧阳明华");
    table.set_field_text("amount", std::to_string(i % 100000) + ".5");
    table.set_field_text("paid_on", "2024/3/5");
    table.set_field_text("quantity", std::to_string(i % 97));
    table.post();
  }
  table.enable_controls();
  double posting = std::chrono::duration<double>(Clock::now() - start).count();
  start = Clock::now();
  auto count = table.row_count();
  auto page = table.rows(count > 256 ? count - 256 : 0, 256);
  double paging = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%ld rows posted in %.2f s (%.0f rows/s); count and last page of %zu rows: %.3f s\n",
              rows, posting, rows / posting, page.size(), paging);
  return 0;
}
