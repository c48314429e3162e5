// Labels, pictures, separator lines and panels: state and transcript notation.
#include "ui/label_image_panel.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/error.h"
#include "ui/form.h"
#include "ui/quote.h"

namespace ui {

// --- Label ---

std::string Label::describe() const {
  return "caption=" + quote(caption_) + describe_flags();
}

void Label::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

void Label::set_alignment(TextAlign alignment) {
  alignment_ = alignment;
  notify(Change::Style);
}

// --- Separator ---

std::string Separator::describe() const {
  std::string flags = describe_flags();
  return flags.empty() ? flags : flags.substr(1);
}

void Separator::set_shape(Shape shape, Style style) {
  shape_ = shape;
  style_ = style;
  notify(Change::Style);
}

// --- Image ---

std::string Image::describe() const {
  std::string out = picture_.empty() ? std::string("picture=none")
                                     : "picture=" + std::to_string(picture_.width) + "x" +
                                           std::to_string(picture_.height);
  return out + describe_flags();
}

void Image::set_jpeg(std::span<const unsigned char> bytes) {
  jpeg_.assign(bytes.begin(), bytes.end());
  picture_ = {};
  notify(Change::Picture);
}

void Image::set_picture(Picture picture) {
  jpeg_.clear();
  picture_ = std::move(picture);
  notify(Change::Picture);
}

void Image::decode() {
  if (jpeg_.empty()) return;
  try {
    picture_ = decode_jpeg(jpeg_);
  } catch (const platform::Error& e) {
    throw platform::Error("picture " + form().name() + "." + name() + ": " + e.what(), e.kind());
  }
  notify(Change::Picture);
}

// --- Panel ---

std::string Panel::describe() const {
  return "caption=" + quote(caption_) + describe_flags();
}

void Panel::set_caption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  notify(Change::Caption);
}

void Panel::set_alignment(TextAlign alignment) {
  alignment_ = alignment;
  notify(Change::Style);
}

}  // namespace ui
