// What a dialog shows without taking input: labels, pictures, separator lines and panels.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "ui/control.h"
#include "ui/jpeg.h"

namespace ui {

// A text label.
class Label : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "label"; }
  std::string describe() const override;

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  bool auto_size() const { return auto_size_; }
  void set_auto_size(bool on) { auto_size_ = on; }
  TextAlign alignment() const { return alignment_; }
  void set_alignment(TextAlign alignment);

 private:
  std::string caption_;
  bool auto_size_ = true;
  TextAlign alignment_ = TextAlign::Left;
};

// A separator line (a bevel showing one edge).
class Separator : public Control {
 public:
  enum class Shape { Box, Frame, TopLine, BottomLine, LeftLine, RightLine };
  enum class Style { Lowered, Raised };

  using Control::Control;
  const char* kind() const override { return "separator"; }
  std::string describe() const override;

  Shape shape() const { return shape_; }
  Style style() const { return style_; }
  void set_shape(Shape shape, Style style);

 private:
  Shape shape_ = Shape::BottomLine;
  Style style_ = Style::Lowered;
};

// A picture: a JPEG held in memory, decoded when the form is created.
class Image : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "image"; }
  std::string describe() const override;

  // The bytes are copied; decoding waits for decode() (the form's create step).
  void set_jpeg(std::span<const unsigned char> bytes);
  // A picture already in pixels (a bitmap stored with the dialog); replaces any JPEG.
  void set_picture(Picture picture);
  // Decodes the held JPEG into pixels; throws platform::Error naming the control when the
  // picture cannot be decoded. Nothing to do without a picture.
  void decode();
  const Picture& picture() const { return picture_; }

 private:
  std::vector<unsigned char> jpeg_;
  Picture picture_;
};

// A panel holding other controls, with a caption drawn in its middle.
class Panel : public Control {
 public:
  using Control::Control;
  const char* kind() const override { return "panel"; }
  std::string describe() const override;
  bool is_container() const override { return true; }

  const std::string& caption() const { return caption_; }
  void set_caption(std::string caption);
  TextAlign alignment() const { return alignment_; }
  void set_alignment(TextAlign alignment);
  bool bevel() const { return bevel_; }
  void set_bevel(bool on) { bevel_ = on; }

 private:
  std::string caption_;
  TextAlign alignment_ = TextAlign::Center;
  bool bevel_ = true;
};

}  // namespace ui
