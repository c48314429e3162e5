// The wx windows that stand for the controls wx has no ready widget for (pictures, separator
// lines, bevelled panels), and the mapping of dialog fonts and texts to wx.
#pragma once

#include <wx/bitmap.h>
#include <wx/panel.h>
#include <wx/string.h>
#include <wx/window.h>

#include <string>

#include "ui/label_image_panel.h"

namespace ui::wx {

inline wxString wx_text(const std::string& utf8) {
  return wxString::FromUTF8(utf8.data(), utf8.size());
}
inline std::string utf8_text(const wxString& text) {
  return std::string(text.utf8_str());
}

// A dialog's font on this system: the named face when it is installed, else a face that holds
// the Chinese characters; the size from the Windows height at 96 dots per inch.
wxFont make_font(const Font& font, const wxFont& base);

// Draws an Image control's picture at its top-left corner (clipped).
class PictureWindow : public wxWindow {
 public:
  PictureWindow(wxWindow* parent, const Image& image);
  // Takes up the control's current picture.
  void refresh_picture();

 private:
  void paint(wxPaintEvent& event);
  const Image& image_;
  wxBitmap bitmap_;
};

// Draws a Separator control: a box, a frame or one edge, raised or lowered.
class SeparatorWindow : public wxWindow {
 public:
  SeparatorWindow(wxWindow* parent, const Separator& separator);

 private:
  void paint(wxPaintEvent& event);
  const Separator& separator_;
};

// A Panel control: its children's parent, with a raised one-pixel frame and its caption.
class PanelWindow : public wxPanel {
 public:
  PanelWindow(wxWindow* parent, const Panel& panel);

 private:
  void paint(wxPaintEvent& event);
  const Panel& panel_;
};

}  // namespace ui::wx
