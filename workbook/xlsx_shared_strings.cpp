// Shared strings: streamed from their part into one text buffer with end offsets.
#include "workbook/xlsx_shared_strings.h"

#include <algorithm>

#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/xlsx_parts.h"
#include "workbook/xlsx_text.h"
#include "workbook/xml_scanner.h"
#include "workbook/zip_archive.h"

namespace workbook {

void StringItemText::start(std::string_view name) {
  if (name == "rPh")
    ++phonetic_depth_;
  else if (name == "t" && phonetic_depth_ == 0)
    in_t_ = true;
}

void StringItemText::end(std::string_view name) {
  if (name == "rPh" && phonetic_depth_ > 0)
    --phonetic_depth_;
  else if (name == "t")
    in_t_ = false;
}

void StringItemText::text(std::string_view t, const std::string& where) {
  if (!in_t_) return;
  if (raw_.size() + t.size() > limits::kMaxCellTextBytes)
    throw platform::limit_error("A text in " + where + " is longer than a cell can hold",
                                raw_.size() + t.size(), limits::kMaxCellTextBytes, "bytes");
  raw_.append(t);
}

void StringItemText::finish(std::string& out) {
  append_unescaped(out, raw_);
  reset();
}

void StringItemText::reset() {
  raw_.clear();
  phonetic_depth_ = 0;
  in_t_ = false;
}

class SharedStringsHandler : public XmlHandler {
 public:
  SharedStringsHandler(SharedStrings& table, std::string where)
      : table_(table), where_(std::move(where)) {}
  void start(std::string_view name, XmlAttributes) override {
    if (name == "si") {
      in_si_ = true;
      item_.reset();
    } else if (in_si_) {
      item_.start(name);
    }
  }
  void end(std::string_view name) override {
    if (name == "si") {
      in_si_ = false;
      item_.finish(table_.text_);
      add_item();
    } else if (in_si_) {
      item_.end(name);
    }
  }
  void text(std::string_view t) override {
    if (in_si_) item_.text(t, where_);
  }
  void string_item(std::string_view text) override {
    // Inside an item, or too long for one, the elements one by one tell what it means.
    if (in_si_ || text.size() > limits::kMaxCellTextBytes) return XmlHandler::string_item(text);
    append_unescaped(table_.text_, text);
    add_item();
  }

 private:
  // Ends the item whose text was appended last.
  void add_item() {
    if (table_.text_.size() > limits::kMaxTotalTextBytes)
      throw platform::limit_error("The shared strings of " + where_ + " hold too much text",
                                  table_.text_.size(), limits::kMaxTotalTextBytes, "bytes");
    if (table_.ends_.size() >= limits::kMaxSharedStrings)
      throw platform::limit_error("The shared strings of " + where_ + " are too many",
                                  table_.ends_.size() + 1, limits::kMaxSharedStrings, "texts");
    table_.ends_.push_back(static_cast<std::uint32_t>(table_.text_.size()));
  }

  SharedStrings& table_;
  std::string where_;
  StringItemText item_;
  bool in_si_ = false;
};

void SharedStrings::load(ZipArchive& zip, const std::string& part, std::size_t chunk_bytes,
                         XmlReading reading) {
  try {
    auto entry = zip.open(part);
    load(*entry, describe_part(zip, part), chunk_bytes, reading, entry->declared_size());
  } catch (const XmlScanFallback&) {
    auto entry = zip.open(part);
    load(*entry, describe_part(zip, part), chunk_bytes, XmlReading::Expat, entry->declared_size());
  }
}

void SharedStrings::load(ByteSource& source, const std::string& where, std::size_t chunk_bytes,
                         XmlReading reading, std::uint64_t part_bytes) {
  text_.clear();
  ends_.clear();
  // Room made once rather than by doubling, which copies the table and touches its memory
  // twice; room never written takes no memory. Capped, as the size is only what the file says.
  constexpr std::uint64_t kMostReserved = 64u << 20;
  text_.reserve(static_cast<std::size_t>(std::min(part_bytes, kMostReserved)));
  ends_.reserve(static_cast<std::size_t>(std::min(part_bytes / 16, kMostReserved / 4)));
  SharedStringsHandler handler(*this, where);
  auto parser = make_xml_feed(reading, handler, where);
  // No shrink_to_fit: the spare capacity was never written, so it takes no memory, and a copy
  // to size would hold the table twice for a moment.
  parse_source(source, *parser, chunk_bytes);
}

}  // namespace workbook
