// Record framing, RK numbers, text conversion and CONTINUE-aware string reading for BIFF records.
#include "workbook/biff_records.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/error.h"
#include "platform/utf8.h"

namespace workbook::biff {
namespace {

// The iconv name of a Windows code page number as the CODEPAGE record gives it.
std::string iconv_name(int codepage) {
  switch (codepage) {
    case 367:
      return "ASCII";
    case 10000:
    case 32768:
      return "MACINTOSH";
    case 32769:
    case 1200:
      return "CP1252";
    default:
      return "CP" + std::to_string(codepage);
  }
}

platform::Recoder recoder_for(int codepage) {
  try {
    return platform::Recoder("UTF-8", iconv_name(codepage).c_str());
  } catch (const platform::Error&) {
    return platform::Recoder("UTF-8", "CP1252");
  }
}

}  // namespace

double rk_value(std::uint32_t rk) {
  double value;
  if (rk & 2) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return rk & 1 ? value / 100 : value;
}

bool RecordCursor::next(Record& record) {
  if (stream_.size() - at_ < 4) return false;
  std::uint16_t length = get16(stream_.data() + at_ + 2);
  if (stream_.size() - at_ - 4 < length) {
    throw platform::Error("the workbook stream is truncated (a record at offset " +
                              std::to_string(at_) + " runs past its end)",
                          platform::ErrorKind::Damaged);
  }
  record.type = get16(stream_.data() + at_);
  record.data = stream_.substr(at_ + 4, length);
  record.offset = at_;
  at_ += 4 + length;
  return true;
}

std::uint16_t RecordCursor::peek_type() const {
  if (stream_.size() - at_ < 4) return 0;
  return get16(stream_.data() + at_);
}

void append_utf16le(std::string& out, const char* data, std::size_t units) {
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t c = get16(data + 2 * i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
      std::uint32_t low = get16(data + 2 * i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        platform::append_utf8(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    platform::append_utf8(out, c);
  }
}

void append_latin1(std::string& out, const char* data, std::size_t bytes) {
  for (std::size_t i = 0; i < bytes; ++i) {
    platform::append_utf8(out, static_cast<unsigned char>(data[i]));
  }
}

CodepageText::CodepageText(int codepage) : recoder_(recoder_for(codepage)) {}

bool ContinuedReader::read(char* out, std::size_t n) {
  while (n > 0) {
    if (part_ >= parts_.size()) return false;
    std::string_view part = parts_[part_];
    if (pos_ == part.size()) {
      ++part_;
      pos_ = 0;
      continue;
    }
    std::size_t take = std::min(n, part.size() - pos_);
    if (out) {
      std::memcpy(out, part.data() + pos_, take);
      out += take;
    }
    pos_ += take;
    n -= take;
  }
  return true;
}

bool ContinuedReader::skip(std::size_t n) {
  return read(nullptr, n);
}

bool ContinuedReader::chars(std::string& out, std::size_t count, bool wide) {
  while (count > 0) {
    if (part_ >= parts_.size()) return false;
    if (pos_ == parts_[part_].size()) {
      // Characters that go on in a CONTINUE record: its first byte says their width anew.
      if (++part_ >= parts_.size() || parts_[part_].empty()) return false;
      wide = (parts_[part_][0] & 1) != 0;
      pos_ = 1;
      continue;
    }
    std::string_view part = parts_[part_];
    std::size_t width = wide ? 2 : 1;
    std::size_t n = std::min(count, (part.size() - pos_) / width);
    if (n == 0) return false;  // half a 16-bit character before the part ends
    if (wide) {
      append_utf16le(out, part.data() + pos_, n);
    } else {
      append_latin1(out, part.data() + pos_, n);
    }
    pos_ += n * width;
    count -= n;
  }
  return true;
}

bool ContinuedReader::at_end() {
  while (part_ < parts_.size() && pos_ == parts_[part_].size()) {
    ++part_;
    pos_ = 0;
  }
  return part_ >= parts_.size();
}

void gather(const Record& first, RecordCursor& cursor, ContinuedReader& into) {
  into.reset();
  into.add(first.data);
  Record next;
  while (cursor.peek_type() == kContinue && cursor.next(next)) into.add(next.data);
}

bool read_unicode_string(ContinuedReader& in, std::string& out, bool short_count) {
  char head[3];
  std::size_t count;
  if (short_count) {
    if (!in.read(head, 2)) return false;
    count = static_cast<unsigned char>(head[0]);
    head[2] = head[1];
  } else {
    if (!in.read(head, 3)) return false;
    count = get16(head);
  }
  auto flags = static_cast<unsigned char>(head[2]);
  std::size_t runs = 0, phonetic = 0;
  char extra[4];
  if (flags & 0x08) {
    if (!in.read(extra, 2)) return false;
    runs = get16(extra);
  }
  if (flags & 0x04) {
    if (!in.read(extra, 4)) return false;
    phonetic = get32(extra);
  }
  if (!in.chars(out, count, (flags & 0x01) != 0)) return false;
  return in.skip(runs * 4) && in.skip(phonetic);
}

}  // namespace workbook::biff
