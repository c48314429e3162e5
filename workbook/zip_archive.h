// The zip container of an .xlsx package, over minizip: lists the parts and inflates one part at
// a time in chunks, with the size and ratio caps of limits.h. Sizes stored in ZIP64 fields are
// read here: minizip takes them for 0xFFFFFFFF on 64-bit systems.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "workbook/byte_source.h"

namespace workbook {

class ZipArchive {
 public:
  // Throws platform::Error naming the file when it is not a readable zip archive.
  explicit ZipArchive(std::string path);
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  const std::string& path() const { return path_; }
  // Part names are matched without regard to ASCII case, with "\" read as "/" and a leading
  // "/" ignored, as some writers spell them.
  bool contains(std::string_view name) const;

  // Streams one part. Only one part is open at a time.
  class Entry : public ByteSource {
   public:
    ~Entry() override;
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;
    // Up to capacity inflated bytes; 0 at the end. Throws on a corrupt part or a crossed cap.
    std::size_t read(char* buffer, std::size_t capacity) override;
    const std::string& name() const { return name_; }
    // The inflated size the zip directory gives. Files lie: a hint for reserving, no more.
    std::uint64_t declared_size() const { return declared_size_; }

   private:
    friend class ZipArchive;
    Entry(ZipArchive& zip, std::string name);
    void finish();
    ZipArchive& zip_;
    std::string name_;
    std::uint64_t start_ = 0;  // where the part's data begins in the file
    std::uint64_t inflated_ = 0;
    std::uint64_t declared_size_ = 0;
    // Checked here when minizip cannot: the sizes stood in a ZIP64 field.
    bool own_check_ = false;
    std::optional<std::uint64_t> size_;
    unsigned long crc_ = 0, expected_crc_ = 0;
    bool done_ = false;
  };
  // Throws platform::Error naming the file and part when the part is missing or encrypted.
  std::unique_ptr<Entry> open(std::string_view name);
  // Throws the problem as a failure of this workbook; damage to the file unless told otherwise.
  [[noreturn]] void fail(std::string_view what,
                         platform::ErrorKind kind = platform::ErrorKind::Damaged) const;
  [[noreturn]] void fail(const platform::Error& problem) const;

 private:
  struct Part {
    std::string key;  // normalised name
    std::uint64_t pos_in_central_dir, num_of_file;
  };
  std::optional<std::size_t> find(std::string_view name) const;
  [[noreturn]] void too_many_parts(std::uint64_t count) const;

  struct Closer {
    void operator()(void* handle) const;
  };
  std::string path_;
  std::unique_ptr<void, Closer> owner_;  // closes the unzFile even when the constructor throws
  void* handle_ = nullptr;
  std::vector<Part> parts_;
  bool entry_open_ = false;
  // Reads past the end of the file give zeros while set (see zip_archive.cpp).
  bool pad_reads_ = false;
};

// The normalised form under which part names are compared.
std::string zip_part_key(std::string_view name);

}  // namespace workbook
