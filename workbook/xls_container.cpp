// The compound-file container: header, FAT with its DIFAT extension, sector chains, directory
// tree and the mini stream. Tables are sized by the file's length, never by counts it declares.
#include "workbook/xls_container.h"

#include <algorithm>
#include <cstring>

#include "platform/error.h"
#include "platform/text.h"
#include "workbook/little_endian.h"

namespace workbook {
namespace {

constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr std::size_t kHeaderDifatEntries = 109;
constexpr std::uint32_t kMiniSectorSize = 64;
constexpr std::uint64_t kMiniStreamCutoff = 4096;
constexpr std::size_t kEntrySize = 128;
constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

bool same_name(const std::u16string& entry, std::string_view name) {
  if (entry.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    auto wanted = static_cast<char16_t>(static_cast<unsigned char>(name[i]));
    if (platform::ascii_lower(entry[i]) != platform::ascii_lower(wanted)) return false;
  }
  return true;
}

}  // namespace

CompoundFile::CompoundFile(std::string_view data) : data_(data) {
  if (data.size() < 512 || std::memcmp(data.data(), kSignature, sizeof kSignature) != 0) {
    throw platform::Error("not an .xls workbook (no compound-file header)",
                          platform::ErrorKind::Unsupported);
  }
  std::uint16_t shift = get16(data.data() + 30);
  if (shift != 9 && shift != 12) {
    throw platform::Error("the compound-file header declares an unknown sector size",
                          platform::ErrorKind::Damaged);
  }
  sector_size_ = 1u << shift;
  wide_sizes_ = shift == 12;
  if (data.size() <= sector_size_)
    throw platform::Error("the file is truncated", platform::ErrorKind::Damaged);
  std::size_t body = data.size() - sector_size_;
  if (body / sector_size_ >= 0xFFFFFFF0u)
    throw platform::Error("the file is too large", platform::ErrorKind::Limit);
  sector_count_ = static_cast<std::uint32_t>((body + sector_size_ - 1) / sector_size_);
  first_directory_ = get32(data.data() + 48);
  first_mini_fat_ = get32(data.data() + 60);
  load_fat();
  load_directory();
}

std::string_view CompoundFile::sector(std::uint32_t id) const {
  if (id >= sector_count_)
    throw platform::Error("the file is truncated (a sector lies past its end)",
                          platform::ErrorKind::Damaged);
  std::size_t at = (static_cast<std::size_t>(id) + 1) * sector_size_;
  // The last sector may be cut short; what it lacks is never part of a stream.
  return data_.substr(at, sector_size_);
}

void CompoundFile::load_fat() {
  // The FAT's own sectors are listed in the header and then in a chain of DIFAT sectors. A FAT
  // sector is a sector of the file, so there can be no more of them than the file has.
  std::uint32_t declared = get32(data_.data() + 44);
  std::size_t wanted = std::min<std::size_t>(declared, sector_count_);
  std::vector<std::uint32_t> fat_sectors;
  for (std::size_t i = 0; i < kHeaderDifatEntries && fat_sectors.size() < wanted; ++i) {
    std::uint32_t id = get32(data_.data() + 76 + 4 * i);
    if (id == kFreeSector) break;
    fat_sectors.push_back(id);
  }
  std::uint32_t difat = get32(data_.data() + 68);
  std::vector<bool> seen(sector_count_);
  const std::size_t per_difat = sector_size_ / 4 - 1;
  while (fat_sectors.size() < wanted && difat < sector_count_) {
    if (seen[difat])
      throw platform::Error("the DIFAT sector chain loops", platform::ErrorKind::Damaged);
    seen[difat] = true;
    std::string_view s = sector(difat);
    if (s.size() < sector_size_)
      throw platform::Error("the file is truncated (in the DIFAT)", platform::ErrorKind::Damaged);
    for (std::size_t i = 0; i < per_difat && fat_sectors.size() < wanted; ++i) {
      std::uint32_t id = get32(s.data() + 4 * i);
      if (id != kFreeSector) fat_sectors.push_back(id);
    }
    difat = get32(s.data() + 4 * per_difat);
  }
  if (fat_sectors.empty())
    throw platform::Error("the compound file has no sector table", platform::ErrorKind::Damaged);
  const std::size_t per_sector = sector_size_ / 4;
  fat_.assign(fat_sectors.size() * per_sector, kFreeSector);
  for (std::size_t n = 0; n < fat_sectors.size(); ++n) {
    std::string_view s = sector(fat_sectors[n]);
    for (std::size_t i = 0; i < per_sector && 4 * i + 4 <= s.size(); ++i) {
      fat_[n * per_sector + i] = get32(s.data() + 4 * i);
    }
  }
}

std::vector<std::uint32_t> CompoundFile::chain(std::uint32_t start,
                                               const std::vector<std::uint32_t>& table,
                                               std::size_t max_links, const char* what) const {
  std::vector<std::uint32_t> links;
  std::vector<bool> seen(table.size());
  for (std::uint32_t id = start; id != kEndOfChain && links.size() < max_links; id = table[id]) {
    if (id >= table.size()) {
      throw platform::Error(std::string("the sector chain of the ") + what + " is broken",
                            platform::ErrorKind::Damaged);
    }
    if (seen[id])
      throw platform::Error(std::string("the sector chain of the ") + what + " loops",
                            platform::ErrorKind::Damaged);
    seen[id] = true;
    links.push_back(id);
  }
  return links;
}

std::string CompoundFile::read_regular(std::uint32_t start, std::uint64_t size,
                                       const char* what) const {
  if (size > data_.size()) {
    throw platform::Error(std::string("the file is truncated (its ") + what +
                              " is declared longer than the whole file)",
                          platform::ErrorKind::Damaged);
  }
  std::size_t needed = (size + sector_size_ - 1) / sector_size_;
  std::vector<std::uint32_t> ids = chain(start, fat_, needed, what);
  // Some writers overstate a stream's size; what its chain holds is all there is.
  size = std::min<std::uint64_t>(size, std::uint64_t{ids.size()} * sector_size_);
  std::string out;
  out.reserve(size);
  for (std::uint32_t id : ids) {
    std::string_view s = sector(id).substr(0, size - out.size());
    if (s.size() < std::min<std::uint64_t>(sector_size_, size - out.size())) {
      throw platform::Error(std::string("the file is truncated (in the ") + what + ")",
                            platform::ErrorKind::Damaged);
    }
    out.append(s);
  }
  return out;
}

std::string CompoundFile::read_mini(std::uint32_t start, std::uint64_t size) const {
  // The mini FAT is a regular chain of its own; the mini stream is the root entry's data.
  std::vector<std::uint32_t> fat_ids = chain(first_mini_fat_, fat_, sector_count_, "mini FAT");
  std::vector<std::uint32_t> mini_fat;
  mini_fat.reserve(fat_ids.size() * (sector_size_ / 4));
  for (std::uint32_t id : fat_ids) {
    std::string_view s = sector(id);
    for (std::size_t i = 0; 4 * i + 4 <= s.size(); ++i) mini_fat.push_back(get32(s.data() + 4 * i));
  }
  const Entry& root = entries_[0];
  std::string mini_stream = read_regular(root.start, root.size, "mini stream");
  std::size_t needed = (size + kMiniSectorSize - 1) / kMiniSectorSize;
  std::vector<std::uint32_t> ids = chain(start, mini_fat, needed, "workbook stream");
  size = std::min<std::uint64_t>(size, std::uint64_t{ids.size()} * kMiniSectorSize);
  std::string out;
  out.reserve(size);
  for (std::uint32_t id : ids) {
    std::size_t at = static_cast<std::size_t>(id) * kMiniSectorSize;
    std::size_t take = std::min<std::uint64_t>(kMiniSectorSize, size - out.size());
    if (at + take > mini_stream.size()) {
      throw platform::Error("the workbook stream lies past the end of the mini stream",
                            platform::ErrorKind::Damaged);
    }
    out.append(mini_stream, at, take);
  }
  return out;
}

void CompoundFile::load_directory() {
  std::vector<std::uint32_t> ids = chain(first_directory_, fat_, sector_count_, "directory");
  for (std::uint32_t id : ids) {
    std::string_view s = sector(id);
    for (std::size_t at = 0; at + kEntrySize <= s.size(); at += kEntrySize) {
      std::string_view raw = s.substr(at, kEntrySize);
      Entry e;
      std::size_t name_bytes = std::min<std::size_t>(get16(raw.data() + 64), 64);
      for (std::size_t i = 0; i + 1 < name_bytes; i += 2) {
        char16_t c = get16(raw.data() + i);
        if (c == 0) break;
        e.name.push_back(c);
      }
      e.type = static_cast<std::uint8_t>(raw[66]);
      e.left = get32(raw.data() + 68);
      e.right = get32(raw.data() + 72);
      e.child = get32(raw.data() + 76);
      e.start = get32(raw.data() + 116);
      e.size = get32(raw.data() + 120);
      // Files with 512-byte sectors may leave junk in the size's high half.
      if (wide_sizes_) e.size |= static_cast<std::uint64_t>(get32(raw.data() + 124)) << 32;
      entries_.push_back(std::move(e));
    }
  }
  if (entries_.empty() || entries_[0].type != 5) {
    throw platform::Error("the compound file has no root directory entry",
                          platform::ErrorKind::Damaged);
  }
}

std::optional<std::size_t> CompoundFile::find_root_child(std::string_view name) const {
  // The root's children form a tree through their left and right links; walk all of it.
  std::vector<bool> seen(entries_.size());
  std::vector<std::uint32_t> pending{entries_[0].child};
  while (!pending.empty()) {
    std::uint32_t id = pending.back();
    pending.pop_back();
    if (id == kNoStream || id >= entries_.size() || seen[id]) continue;
    seen[id] = true;
    const Entry& e = entries_[id];
    if ((e.type == 1 || e.type == 2) && same_name(e.name, name)) return id;
    pending.push_back(e.left);
    pending.push_back(e.right);
  }
  return std::nullopt;
}

bool CompoundFile::has_root_entry(std::string_view name) const {
  return find_root_child(name).has_value();
}

std::optional<std::string> CompoundFile::read_root_stream(std::string_view name) const {
  std::optional<std::size_t> id = find_root_child(name);
  if (!id || entries_[*id].type != 2) return std::nullopt;
  const Entry& e = entries_[*id];
  if (e.size >= kMiniStreamCutoff) return read_regular(e.start, e.size, "workbook stream");
  try {
    return read_mini(e.start, e.size);
  } catch (const platform::Error&) {
    // Some writers keep even a small stream in regular sectors.
    try {
      return read_regular(e.start, e.size, "workbook stream");
    } catch (const platform::Error&) {
    }
    throw;
  }
}

}  // namespace workbook
