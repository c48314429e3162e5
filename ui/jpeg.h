// Decoding of JPEG pictures held in memory (dialog banners), through libjpeg.
#pragma once

#include <span>
#include <vector>

namespace ui {

// Decoded pixels: rows top to bottom, three bytes (red, green, blue) per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  bool empty() const { return width == 0; }
};

// Decodes a whole JPEG. A picture libjpeg cannot read, or one that ends early (which libjpeg
// would otherwise pad with grey), throws platform::Error with libjpeg's reason.
Picture decode_jpeg(std::span<const unsigned char> bytes);

}  // namespace ui
