// Zip parts of an .xlsx package: directory listing and capped, checked inflation via minizip.
#include "workbook/zip_archive.h"

#include <minizip/unzip.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/error.h"
#include "platform/text.h"
#include "workbook/limits.h"

namespace workbook {

std::string zip_part_key(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  for (char c : name) key.push_back(c == '\\' ? '/' : platform::ascii_lower(c));
  if (!key.empty() && key[0] == '/') key.erase(0, 1);
  return key;
}

namespace {

constexpr std::uint64_t kZip64Marker = 0xFFFFFFFF;

// File access for minizip over stdio. An entry whose compressed size minizip does not know is
// read in whole buffers up to an end it takes for 4 GiB away, and a short read near the end of
// the file would fail the entry; while pad (the opaque) is set such reads are filled with zeros,
// which the inflater either never reaches (the stream has ended) or rejects as damaged data.
voidpf ZCALLBACK open_file(voidpf, const void* path, int) {
  return std::fopen(static_cast<const char*>(path), "rb");
}
uLong ZCALLBACK read_file(voidpf pad, voidpf file, void* buf, uLong size) {
  auto* f = static_cast<std::FILE*>(file);
  std::size_t n = std::fread(buf, 1, size, f);
  if (n < size && *static_cast<bool*>(pad) && !std::ferror(f)) {
    std::memset(static_cast<char*>(buf) + n, 0, size - n);
    return size;
  }
  return static_cast<uLong>(n);
}
uLong ZCALLBACK write_file(voidpf, voidpf, const void*, uLong) {
  return 0;
}
ZPOS64_T ZCALLBACK tell_file(voidpf, voidpf file) {
  return static_cast<ZPOS64_T>(::ftello(static_cast<std::FILE*>(file)));
}
long ZCALLBACK seek_file(voidpf, voidpf file, ZPOS64_T offset, int origin) {
  int whence = origin == ZLIB_FILEFUNC_SEEK_CUR   ? SEEK_CUR
               : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END
                                                  : SEEK_SET;
  return ::fseeko(static_cast<std::FILE*>(file), static_cast<off_t>(offset), whence);
}
int ZCALLBACK close_file(voidpf, voidpf file) {
  return std::fclose(static_cast<std::FILE*>(file));
}
int ZCALLBACK file_error(voidpf, voidpf file) {
  return std::ferror(static_cast<std::FILE*>(file));
}

std::uint64_t little_endian(const char* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

// The uncompressed size from a ZIP64 extra field (id 1), where it follows the marker; nothing
// when the field or the value is missing.
std::optional<std::uint64_t> zip64_size(const std::vector<char>& extra,
                                        const unz_file_info64& file) {
  for (std::size_t pos = 0; pos + 4 <= extra.size();) {
    auto id = little_endian(&extra[pos], 2);
    auto len = little_endian(&extra[pos + 2], 2);
    if (pos + 4 + len > extra.size()) break;
    if (id == 1 && file.uncompressed_size == kZip64Marker && len >= 8)
      return little_endian(&extra[pos + 4], 8);
    pos += 4 + len;
  }
  return std::nullopt;
}

}  // namespace

void ZipArchive::Closer::operator()(void* handle) const {
  unzClose(handle);
}

ZipArchive::ZipArchive(std::string path) : path_(std::move(path)) {
  zlib_filefunc64_def io{open_file, read_file,  write_file, tell_file,
                         seek_file, close_file, file_error, &pad_reads_};
  handle_ = unzOpen2_64(path_.c_str(), &io);
  owner_.reset(handle_);
  if (!handle_) fail("it is not a readable zip package (damaged or truncated)");
  unz_global_info64 info{};
  if (unzGetGlobalInfo64(handle_, &info) != UNZ_OK) fail("its zip directory cannot be read");
  if (info.number_entry > limits::kMaxZipEntries) too_many_parts(info.number_entry);
  int rc = unzGoToFirstFile(handle_);
  while (rc == UNZ_OK) {
    char name[limits::kMaxZipPartNameBytes + 1];
    unz_file_info64 file{};
    if (unzGetCurrentFileInfo64(handle_, &file, name, sizeof name, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
      fail("its zip directory is damaged");
    // A longer name would be cut to the buffer and could then match another part's.
    if (file.size_filename > limits::kMaxZipPartNameBytes)
      fail(platform::limit_error("a part name in its zip directory is too long", file.size_filename,
                                 limits::kMaxZipPartNameBytes, "bytes"));
    unz64_file_pos pos{};
    if (unzGetFilePos64(handle_, &pos) != UNZ_OK) fail("its zip directory is damaged");
    parts_.push_back({zip_part_key(std::string_view(name, file.size_filename)),
                      pos.pos_in_zip_directory, pos.num_of_file});
    if (parts_.size() > limits::kMaxZipEntries) too_many_parts(parts_.size());
    rc = unzGoToNextFile(handle_);
  }
  if (rc != UNZ_END_OF_LIST_OF_FILE) fail("its zip directory is damaged");
}

void ZipArchive::fail(std::string_view what, platform::ErrorKind kind) const {
  throw platform::Error("The workbook \"" + path_ + "\" cannot be read: " + std::string(what) + ".",
                        kind);
}

void ZipArchive::fail(const platform::Error& problem) const {
  fail(problem.what(), problem.kind());
}

void ZipArchive::too_many_parts(std::uint64_t count) const {
  fail(platform::limit_error("its zip directory lists too many parts", count,
                             limits::kMaxZipEntries, "parts"));
}

std::optional<std::size_t> ZipArchive::find(std::string_view name) const {
  std::string key = zip_part_key(name);
  for (std::size_t i = 0; i < parts_.size(); ++i)
    if (parts_[i].key == key) return i;
  return std::nullopt;
}

bool ZipArchive::contains(std::string_view name) const {
  return find(name).has_value();
}

std::unique_ptr<ZipArchive::Entry> ZipArchive::open(std::string_view name) {
  auto index = find(name);
  if (!index)
    fail("the part \"" + std::string(name) + "\" is missing", platform::ErrorKind::NotFound);
  if (entry_open_) fail("two parts were opened at once", platform::ErrorKind::Failed);
  unz64_file_pos pos{parts_[*index].pos_in_central_dir, parts_[*index].num_of_file};
  unz_file_info64 file{};
  std::vector<char> extra;
  bool read = unzGoToFilePos64(handle_, &pos) == UNZ_OK &&
              unzGetCurrentFileInfo64(handle_, &file, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK;
  if (read) {
    extra.resize(file.size_file_extra);
    read = unzGetCurrentFileInfo64(handle_, &file, nullptr, 0, extra.data(), extra.size(), nullptr,
                                   0) == UNZ_OK;
  }
  if (!read) fail("the zip directory entry of \"" + std::string(name) + "\" is damaged");
  if (file.flag & 1)
    fail("it is encrypted (the part \"" + std::string(name) + "\" is)",
         platform::ErrorKind::Encrypted);
  if (file.compression_method != 0 && file.compression_method != Z_DEFLATED)
    fail("the part \"" + std::string(name) + "\" uses an unknown compression method",
         platform::ErrorKind::Unsupported);
  auto entry = std::unique_ptr<Entry>(new Entry(*this, std::string(name)));
  if (file.compressed_size == kZip64Marker || file.uncompressed_size == kZip64Marker) {
    entry->own_check_ = true;
    entry->size_ = zip64_size(extra, file);
    entry->expected_crc_ = file.crc;
    // Stored data has no end of its own.
    if (!entry->size_ && file.compression_method == 0)
      fail("the part \"" + std::string(name) + "\" has no size in its zip directory entry");
  }
  entry->declared_size_ =
      entry->size_.value_or(file.uncompressed_size == kZip64Marker ? 0 : file.uncompressed_size);
  if (unzOpenCurrentFile(handle_) != UNZ_OK)
    fail("the part \"" + std::string(name) + "\" cannot be opened");
  entry_open_ = true;
  pad_reads_ = entry->own_check_;
  entry->start_ = static_cast<std::uint64_t>(unzGetCurrentFileZStreamPos64(handle_));
  return entry;
}

ZipArchive::Entry::Entry(ZipArchive& zip, std::string name) : zip_(zip), name_(std::move(name)) {}

ZipArchive::Entry::~Entry() {
  if (!done_) unzCloseCurrentFile(zip_.handle_);
  zip_.entry_open_ = false;
  zip_.pad_reads_ = false;
}

void ZipArchive::Entry::finish() {
  done_ = true;
  zip_.pad_reads_ = false;
  bool crc_error = unzCloseCurrentFile(zip_.handle_) == UNZ_CRCERROR;
  if (own_check_) crc_error = crc_ != expected_crc_ || (size_ && inflated_ != *size_);
  if (crc_error) zip_.fail("the part \"" + name_ + "\" fails its checksum (the file is damaged)");
}

std::size_t ZipArchive::Entry::read(char* buffer, std::size_t capacity) {
  if (done_) return 0;
  std::size_t want = std::min<std::size_t>(capacity, 1u << 30);
  if (size_) want = static_cast<std::size_t>(std::min<std::uint64_t>(want, *size_ - inflated_));
  int n = want ? unzReadCurrentFile(zip_.handle_, buffer, static_cast<unsigned>(want)) : 0;
  if (n < 0) zip_.fail("the part \"" + name_ + "\" is damaged or truncated");
  if (n == 0) {
    finish();
    return 0;
  }
  inflated_ += static_cast<std::uint64_t>(n);
  if (own_check_) crc_ = crc32(crc_, reinterpret_cast<const Bytef*>(buffer), static_cast<uInt>(n));
  if (inflated_ > limits::kMaxEntryInflatedBytes)
    zip_.fail(platform::limit_error("the part \"" + name_ + "\" inflates too far", inflated_,
                                    limits::kMaxEntryInflatedBytes, "bytes"));
  // Against the compressed bytes actually read, not the size the directory declares.
  auto consumed = static_cast<std::uint64_t>(unzGetCurrentFileZStreamPos64(zip_.handle_)) - start_;
  std::uint64_t compressed = std::max<std::uint64_t>(consumed, 1);
  if (inflated_ > limits::kInflateRatioFloor && inflated_ / limits::kMaxInflateRatio > compressed)
    zip_.fail(platform::limit_error(
        "the part \"" + name_ + "\" inflates too far for its size (a zip bomb)",
        inflated_ / compressed, limits::kMaxInflateRatio, "times its compressed size"));
  return static_cast<std::size_t>(n);
}

}  // namespace workbook
