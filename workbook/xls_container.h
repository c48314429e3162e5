// Reads streams out of a compound file, the container of .xls workbooks, held in memory.
// Every sector number, chain and directory link is checked against the file before it is used.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace workbook {

class CompoundFile {
 public:
  // Checks the header and loads the sector tables and the directory. Throws platform::Error
  // saying what is wrong (without the file's name: the caller knows it).
  explicit CompoundFile(std::string_view data);

  // True when the root storage holds a stream or storage of this name (ASCII letters compared
  // without case).
  bool has_root_entry(std::string_view name) const;
  // The bytes of the root storage's stream of this name; nullopt when there is none.
  std::optional<std::string> read_root_stream(std::string_view name) const;

 private:
  struct Entry {
    std::u16string name;
    std::uint8_t type = 0;  // 1 storage, 2 stream, 5 root
    std::uint32_t left = 0, right = 0, child = 0, start = 0;
    std::uint64_t size = 0;
  };

  std::string_view sector(std::uint32_t id) const;
  std::vector<std::uint32_t> chain(std::uint32_t start, const std::vector<std::uint32_t>& table,
                                   std::size_t max_links, const char* what) const;
  std::string read_regular(std::uint32_t start, std::uint64_t size, const char* what) const;
  std::string read_mini(std::uint32_t start, std::uint64_t size) const;
  void load_fat();
  void load_directory();
  std::optional<std::size_t> find_root_child(std::string_view name) const;

  std::string_view data_;
  std::uint32_t sector_size_ = 512;
  std::uint32_t sector_count_ = 0;  // sectors after the header, a truncated last one included
  bool wide_sizes_ = false;         // 4096-byte sector files keep 64-bit stream sizes
  std::uint32_t first_directory_ = 0, first_mini_fat_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<Entry> entries_;
};

}  // namespace workbook
