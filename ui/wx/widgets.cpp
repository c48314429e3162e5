// Painting of pictures, separator lines and panels; fonts.
#include "ui/wx/widgets.h"

#include <wx/dcclient.h>
#include <wx/fontenum.h>
#include <wx/image.h>
#include <wx/settings.h>

#include <cstdlib>
#include <cstring>
#include <map>

namespace ui::wx {
namespace {

// A face that holds Chinese characters, for dialogs whose Windows faces are not installed.
const char* const kChineseFaces[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "AR PL UMing CN"};

bool installed(const wxString& face) {
  static std::map<wxString, bool> known;
  auto it = known.find(face);
  if (it != known.end()) return it->second;
  return known[face] = wxFontEnumerator::IsValidFacename(face);
}

void draw_edges(wxDC& dc, const wxRect& r, bool top, bool left, bool bottom, bool right,
                bool raised) {
  wxPen light(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNHIGHLIGHT));
  wxPen dark(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
  const wxPen& first = raised ? light : dark;   // top and left
  const wxPen& second = raised ? dark : light;  // bottom and right
  int x1 = r.GetRight(), y1 = r.GetBottom();
  dc.SetPen(first);
  if (top) dc.DrawLine(r.x, r.y, x1 + 1, r.y);
  if (left) dc.DrawLine(r.x, r.y, r.x, y1 + 1);
  dc.SetPen(second);
  if (bottom) dc.DrawLine(r.x, y1, x1 + 1, y1);
  if (right) dc.DrawLine(x1, r.y, x1, y1 + 1);
}

}  // namespace

wxFont make_font(const Font& font, const wxFont& base) {
  wxFont out = base;
  // Windows heights: negative is the character height in pixels, positive the cell height
  // (about a fifth more); both at 96 dots per inch.
  if (font.height < 0) out.SetFractionalPointSize(-font.height * 72.0 / 96.0);
  if (font.height > 0) out.SetFractionalPointSize(font.height * 72.0 / 96.0 / 1.2);
  wxString face = wx_text(font.name);
  if (!face.empty() && installed(face)) {
    out.SetFaceName(face);
  } else {
    for (const char* candidate : kChineseFaces) {
      if (installed(candidate)) {
        out.SetFaceName(candidate);
        break;
      }
    }
  }
  return out;
}

PictureWindow::PictureWindow(wxWindow* parent, const Image& image)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE), image_(image) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &PictureWindow::paint, this);
  refresh_picture();
}

void PictureWindow::refresh_picture() {
  const Picture& p = image_.picture();
  if (p.empty()) {
    bitmap_ = wxBitmap();
  } else {
    // wxImage takes ownership of a malloc'd copy.
    auto* data = static_cast<unsigned char*>(std::malloc(p.rgb.size()));
    std::memcpy(data, p.rgb.data(), p.rgb.size());
    bitmap_ = wxBitmap(wxImage(p.width, p.height, data));
  }
  Refresh();
}

void PictureWindow::paint(wxPaintEvent&) {
  wxPaintDC dc(this);
  dc.SetBackground(wxBrush(GetParent()->GetBackgroundColour()));
  dc.Clear();
  if (!bitmap_.IsOk()) return;
  dc.DrawBitmap(bitmap_, 0, 0);
}

SeparatorWindow::SeparatorWindow(wxWindow* parent, const Separator& separator)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE),
      separator_(separator) {
  Bind(wxEVT_PAINT, &SeparatorWindow::paint, this);
  // The window covers what lies under it; a separator is only its line.
  SetBackgroundColour(parent->GetBackgroundColour());
}

void SeparatorWindow::paint(wxPaintEvent&) {
  wxPaintDC dc(this);
  wxRect r(GetClientSize());
  if (r.width <= 0 || r.height <= 0) return;
  bool raised = separator_.style() == Separator::Style::Raised;
  using Shape = Separator::Shape;
  switch (separator_.shape()) {
    case Shape::Box:
      draw_edges(dc, r, true, true, true, true, raised);
      break;
    case Shape::Frame:
      draw_edges(dc, r, true, true, true, true, !raised);
      if (r.width > 2 && r.height > 2) draw_edges(dc, r.Deflate(1), true, true, true, true, raised);
      break;
    case Shape::TopLine:
      draw_edges(dc, r, true, false, false, false, raised);
      break;
    case Shape::BottomLine:
      // A one-pixel line still shows: its only row is the bottom edge.
      draw_edges(dc, r, false, false, true, false, raised);
      break;
    case Shape::LeftLine:
      draw_edges(dc, r, false, true, false, false, raised);
      break;
    case Shape::RightLine:
      draw_edges(dc, r, false, false, false, true, raised);
      break;
  }
}

PanelWindow::PanelWindow(wxWindow* parent, const Panel& panel)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE),
      panel_(panel) {
  Bind(wxEVT_PAINT, &PanelWindow::paint, this);
}

void PanelWindow::paint(wxPaintEvent&) {
  wxPaintDC dc(this);
  wxRect r(GetClientSize());
  if (panel_.bevel()) draw_edges(dc, r, true, true, true, true, true);
  if (panel_.caption().empty()) return;
  dc.SetFont(GetFont());
  dc.SetTextForeground(GetForegroundColour());
  int flags = wxALIGN_CENTER_VERTICAL;
  if (panel_.alignment() == TextAlign::Center) flags |= wxALIGN_CENTER_HORIZONTAL;
  if (panel_.alignment() == TextAlign::Right) flags |= wxALIGN_RIGHT;
  dc.DrawLabel(wx_text(panel_.caption()), r.Deflate(2), flags);
}

}  // namespace ui::wx
