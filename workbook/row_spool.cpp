// Spooled rows: [byte length][row][cell count] then per cell [column][text end], then texts.
#include "workbook/row_spool.h"

#include <cstring>

#include "platform/error.h"
#include "platform/temp_file.h"
#include "workbook/limits.h"
#include "workbook/little_endian.h"

namespace workbook {
namespace {

constexpr std::size_t kIoBytes = 1u << 20;

// A row's length, cell count, columns and text ends are 32-bit fields.
static_assert(12 + 8ull * limits::kMaxColumns + limits::kMaxRowTextBytes <= UINT32_MAX);

}  // namespace

RowSpool::RowSpool(std::size_t memory_bytes) : memory_bytes_(memory_bytes) {}

RowSpool::~RowSpool() {
  if (file_) std::fclose(file_);
}

void RowSpool::append(const Row& row) {
  if (reading_) throw platform::Error("Internal error: a spool is written after reading.");
  std::size_t start = buffer_.size();
  put32(buffer_, 0);
  put32(buffer_, row.index);
  put32(buffer_, static_cast<std::uint32_t>(row.size()));
  std::uint32_t end = 0;
  for (std::size_t i = 0; i < row.size(); ++i) {
    end += static_cast<std::uint32_t>(row.text(i).size());
    put32(buffer_, row.column(i));
    put32(buffer_, end);
  }
  for (std::size_t i = 0; i < row.size(); ++i) buffer_.append(row.text(i));
  auto length = static_cast<std::uint32_t>(buffer_.size() - start);
  set32(&buffer_[start], length);
  ++rows_;
  if (file_ ? buffer_.size() >= kIoBytes : buffer_.size() >= memory_bytes_) spill();
}

void RowSpool::spill() {
  if (!file_) {
    try {
      file_ = platform::open_temporary_file();
    } catch (const platform::Error& e) {
      throw platform::Error(
          "A temporary file for the sheet's rows cannot be made: " + std::string(e.what()) + ".");
    }
  }
  if (std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
    throw platform::Error(
        "The temporary file for the sheet's rows cannot be written (disk full?).");
  buffer_.clear();
}

void RowSpool::rewind() {
  if (!reading_ && file_) spill();
  reading_ = true;
  read_pos_ = 0;
  if (file_) {
    buffer_.clear();
    std::fseek(file_, 0, SEEK_SET);
  }
}

bool RowSpool::fill(std::size_t need) {
  if (buffer_.size() - read_pos_ >= need) return true;
  if (!file_) return false;
  buffer_.erase(0, read_pos_);
  read_pos_ = 0;
  while (buffer_.size() < need) {
    std::size_t old = buffer_.size();
    buffer_.resize(old + std::max(need - old, kIoBytes));
    std::size_t n = std::fread(&buffer_[old], 1, buffer_.size() - old, file_);
    buffer_.resize(old + n);
    if (n == 0) return false;
  }
  return true;
}

bool RowSpool::read(Row& row) {
  if (!reading_) rewind();
  if (!fill(4)) return false;
  std::uint32_t length = get32(&buffer_[read_pos_]);
  if (!fill(length)) throw platform::Error("The temporary file for the sheet's rows is damaged.");
  const char* p = &buffer_[read_pos_];
  row.clear();
  row.index = get32(p + 4);
  std::uint32_t cells = get32(p + 8);
  const char* texts = p + 12 + cells * 8;
  std::uint32_t begin = 0;
  for (std::uint32_t i = 0; i < cells; ++i) {
    std::uint32_t end = get32(p + 16 + i * 8);
    row.add(get32(p + 12 + i * 8), std::string_view(texts + begin, end - begin));
    begin = end;
  }
  read_pos_ += length;
  return true;
}

}  // namespace workbook
