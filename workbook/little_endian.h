// Little-endian integers and doubles as the binary formats of workbooks (and the row spool)
// store them, read and written byte by byte whatever the machine's own order.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace workbook {

inline std::uint16_t get16(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

inline std::uint32_t get32(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
         static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

inline double get_double(const char* p) {
  std::uint64_t bits = static_cast<std::uint64_t>(get32(p + 4)) << 32 | get32(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void set32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

inline void put32(std::string& out, std::uint32_t v) {
  char b[4];
  set32(b, v);
  out.append(b, 4);
}

}  // namespace workbook
