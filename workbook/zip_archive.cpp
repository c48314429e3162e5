// Zip parts of an .xlsx package: directory listing and capped, checked inflation via minizip.
#include "workbook/zip_archive.h"

#include <minizip/unzip.h>

#include <algorithm>

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

void ZipArchive::Closer::operator()(void* handle) const {
  unzClose(handle);
}

ZipArchive::ZipArchive(std::string path) : path_(std::move(path)) {
  handle_ = unzOpen64(path_.c_str());
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
  if (unzGoToFilePos64(handle_, &pos) != UNZ_OK ||
      unzGetCurrentFileInfo64(handle_, &file, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
    fail("the zip directory entry of \"" + std::string(name) + "\" is damaged");
  if (file.flag & 1)
    fail("it is encrypted (the part \"" + std::string(name) + "\" is)",
         platform::ErrorKind::Encrypted);
  if (file.compression_method != 0 && file.compression_method != Z_DEFLATED)
    fail("the part \"" + std::string(name) + "\" uses an unknown compression method",
         platform::ErrorKind::Unsupported);
  if (unzOpenCurrentFile(handle_) != UNZ_OK)
    fail("the part \"" + std::string(name) + "\" cannot be opened");
  entry_open_ = true;
  return std::unique_ptr<Entry>(new Entry(*this, std::string(name), file.compressed_size));
}

ZipArchive::Entry::Entry(ZipArchive& zip, std::string name, std::uint64_t compressed)
    : zip_(zip), name_(std::move(name)), compressed_(compressed) {}

ZipArchive::Entry::~Entry() {
  if (!done_) unzCloseCurrentFile(zip_.handle_);
  zip_.entry_open_ = false;
}

std::size_t ZipArchive::Entry::read(char* buffer, std::size_t capacity) {
  if (done_) return 0;
  unsigned want = static_cast<unsigned>(std::min<std::size_t>(capacity, 1u << 30));
  int n = unzReadCurrentFile(zip_.handle_, buffer, want);
  if (n < 0) zip_.fail("the part \"" + name_ + "\" is damaged or truncated");
  if (n == 0) {
    done_ = true;
    if (unzCloseCurrentFile(zip_.handle_) == UNZ_CRCERROR)
      zip_.fail("the part \"" + name_ + "\" fails its checksum (the file is damaged)");
    return 0;
  }
  inflated_ += static_cast<std::uint64_t>(n);
  if (inflated_ > limits::kMaxEntryInflatedBytes)
    zip_.fail(platform::limit_error("the part \"" + name_ + "\" inflates too far", inflated_,
                                    limits::kMaxEntryInflatedBytes, "bytes"));
  std::uint64_t compressed = std::max<std::uint64_t>(compressed_, 1);
  if (inflated_ > limits::kInflateRatioFloor && inflated_ / limits::kMaxInflateRatio > compressed)
    zip_.fail(platform::limit_error(
        "the part \"" + name_ + "\" inflates too far for its size (a zip bomb)",
        inflated_ / compressed, limits::kMaxInflateRatio, "times its compressed size"));
  return static_cast<std::size_t>(n);
}

}  // namespace workbook
