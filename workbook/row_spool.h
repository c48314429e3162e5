// Rows written once and read back in order, any number of times: in memory while small, in an
// unnamed temporary file beyond that, so that a big sheet never sits in memory.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "workbook/reader.h"

namespace workbook {

class RowSpool {
 public:
  RowSpool();
  ~RowSpool();
  RowSpool(const RowSpool&) = delete;
  RowSpool& operator=(const RowSpool&) = delete;

  void append(const Row& row);
  // Ends writing (first call) and goes back to the first row.
  void rewind();
  bool read(Row& row);
  std::size_t size() const { return rows_; }

 private:
  void spill();
  bool fill(std::size_t need);

  std::string buffer_;  // pending writes, or the read window
  std::size_t read_pos_ = 0;
  std::FILE* file_ = nullptr;
  std::size_t rows_ = 0;
  bool reading_ = false;
};

}  // namespace workbook
