// JPEG decoding with libjpeg, with its errors turned into exceptions instead of exit().
#include "ui/jpeg.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs FILE declared first.
#include <jpeglib.h>

#include <string>

#include "platform/error.h"

namespace ui {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void on_error(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// A warning (premature end of data, corrupt data) means the picture is damaged: refuse it
// rather than show libjpeg's grey padding.
void on_message(j_common_ptr cinfo, int level) {
  if (level < 0) on_error(cinfo);
}

// Decodes into `picture`, which lives in the caller's frame so that nothing this frame changes
// after setjmp is read after a longjmp. Returns false with err.message set on failure.
bool decode_into(std::span<const unsigned char> bytes, Picture& picture, ErrorManager& err) {
  jpeg_decompress_struct cinfo{};
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = on_error;
  err.base.emit_message = on_message;
  if (setjmp(err.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  picture.width = static_cast<int>(cinfo.output_width);
  picture.height = static_cast<int>(cinfo.output_height);
  std::size_t stride = std::size_t(cinfo.output_width) * 3;
  picture.rgb.resize(stride * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = picture.rgb.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

Picture decode_jpeg(std::span<const unsigned char> bytes) {
  if (bytes.empty()) throw platform::Error("JPEG picture is empty", platform::ErrorKind::Damaged);
  Picture picture;
  ErrorManager err{};
  if (!decode_into(bytes, picture, err)) {
    throw platform::Error(std::string("JPEG picture cannot be decoded: ") + err.message,
                          platform::ErrorKind::Damaged);
  }
  return picture;
}

}  // namespace ui
