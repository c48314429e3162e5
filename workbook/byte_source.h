// A stream of bytes read in pieces: a zip part as it inflates, or text held in memory. The
// .xlsx parsers read through it so that how the bytes arrive can be varied in tests and fuzzing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace workbook {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to capacity bytes; 0 at the end only.
  virtual std::size_t read(char* buffer, std::size_t capacity) = 0;
};

// Text in memory, handed out in pieces that end at the given offsets (and wherever the reader's
// buffer ends), so that a caller decides where every piece boundary falls.
class TextSource : public ByteSource {
 public:
  explicit TextSource(std::string text, std::vector<std::size_t> cuts = {})
      : text_(std::move(text)), cuts_(std::move(cuts)) {
    std::sort(cuts_.begin(), cuts_.end());
  }
  std::size_t read(char* buffer, std::size_t capacity) override {
    std::size_t end = text_.size();
    for (std::size_t cut : cuts_)
      if (cut > pos_) {
        end = std::min(end, cut);
        break;
      }
    std::size_t n = std::min(capacity, end - pos_);
    std::memcpy(buffer, text_.data() + pos_, n);
    pos_ += n;
    return n;
  }

 private:
  std::string text_;
  std::vector<std::size_t> cuts_;
  std::size_t pos_ = 0;
};

}  // namespace workbook
