// Spooled rows: [length of the rest, 4 bytes][row index][cell count], per cell [column][text
// length], then the texts one after another. Every number but the first is a varint (seven bits a
// byte, low first): a row of a typical sheet takes a byte or two per cell beside its texts.
#include "workbook/row_spool.h"

#include <cstring>

#include "platform/error.h"
#include "platform/temp_file.h"
#include "workbook/limits.h"
#include "workbook/little_endian.h"

namespace workbook {
namespace {

constexpr std::size_t kIoBytes = 1u << 20;
constexpr std::size_t kMaxVarintBytes = 5;

// A row's length is a 32-bit field.
static_assert(4 + kMaxVarintBytes * (2 + 2ull * limits::kMaxColumns) + limits::kMaxRowTextBytes <=
              UINT32_MAX);

char* put_varint(char* p, std::uint32_t v) {
  while (v >= 0x80) {
    *p++ = static_cast<char>(v | 0x80);
    v >>= 7;
  }
  *p++ = static_cast<char>(v);
  return p;
}

// The varint at p, which must end before end; nullptr when it does not.
const char* get_long_varint(const char* p, const char* end, std::uint32_t& v) {
  v = 0;
  for (int shift = 0; p < end && shift < 35; shift += 7) {
    auto b = static_cast<unsigned char>(*p++);
    v |= static_cast<std::uint32_t>(b & 0x7F) << shift;
    if (b < 0x80) return p;
  }
  return nullptr;
}

// Most numbers of a row take one byte.
inline const char* get_varint(const char* p, const char* end, std::uint32_t& v) {
  if (p < end && static_cast<unsigned char>(*p) < 0x80) {
    v = static_cast<unsigned char>(*p);
    return p + 1;
  }
  return get_long_varint(p, end, v);
}

[[noreturn]] void damaged() {
  throw platform::Error("The temporary file for the sheet's rows is damaged.");
}

}  // namespace

RowSpool::RowSpool(std::size_t memory_bytes) : memory_bytes_(memory_bytes) {}

RowSpool::~RowSpool() {
  if (file_) std::fclose(file_);
}

void RowSpool::append(const Row& row) {
  if (reading_) throw platform::Error("Internal error: a spool is written after reading.");
  std::size_t start = buffer_.size();
  buffer_.resize(start + 4 + kMaxVarintBytes * (2 + 2 * row.size()) + row.text_.size());
  char* p = put_varint(&buffer_[start + 4], row.index);
  p = put_varint(p, static_cast<std::uint32_t>(row.size()));
  std::uint32_t begin = 0;
  for (std::size_t i = 0; i < row.size(); ++i) {
    p = put_varint(p, row.columns_[i]);
    p = put_varint(p, row.ends_[i] - begin);
    begin = row.ends_[i];
  }
  std::memcpy(p, row.text_.data(), row.text_.size());
  p += row.text_.size();
  std::size_t end = static_cast<std::size_t>(p - buffer_.data());
  set32(&buffer_[start], static_cast<std::uint32_t>(end - start - 4));
  buffer_.resize(end);
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
  if (!fill(4 + std::size_t{length})) damaged();
  const char* p = &buffer_[read_pos_ + 4];
  const char* end = p + length;
  std::uint32_t index = 0, cells = 0;
  p = get_varint(p, end, index);
  if (p) p = get_varint(p, end, cells);
  if (!p || cells > static_cast<std::size_t>(end - p) / 2) damaged();
  row.index = index;
  row.columns_.clear();
  row.ends_.clear();
  std::uint64_t total = 0;
  for (std::uint32_t i = 0; i < cells; ++i) {
    std::uint32_t column = 0, size = 0;
    p = get_varint(p, end, column);
    if (p) p = get_varint(p, end, size);
    if (!p) damaged();
    row.columns_.push_back(column);
    total += size;
    row.ends_.push_back(static_cast<std::uint32_t>(total));
  }
  if (total != static_cast<std::size_t>(end - p)) damaged();
  row.text_.assign(p, total);
  read_pos_ += 4 + std::size_t{length};
  return true;
}

}  // namespace workbook
