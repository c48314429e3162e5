// Alignment of controls inside their parents.
#include "ui/wx/layout.h"

#include <algorithm>

#include "ui/label_image_panel.h"
#include "ui/pages.h"

namespace ui::wx {
namespace {

// The frame a container keeps free of aligned children.
int frame_width(const Control* container) {
  auto* panel = dynamic_cast<const Panel*>(container);
  return panel != nullptr && panel->bevel() ? 1 : 0;
}

void layout_children(const Form& form, const Control* parent, Rect area,
                     std::map<const Control*, Rect>& placed) {
  int inset = frame_width(parent);
  Rect free{inset, inset, std::max(0, area.width - 2 * inset),
            std::max(0, area.height - 2 * inset)};
  for (const Control* c : form.children(parent)) {
    Rect r = c->bounds();
    // Hidden controls give up no room, as on Windows.
    bool takes_room = c->visible();
    switch (c->align()) {
      case Align::None:
        break;
      case Align::Top:
        r = {free.left, free.top, free.width, r.height};
        if (takes_room) {
          free.top += r.height;
          free.height = std::max(0, free.height - r.height);
        }
        break;
      case Align::Bottom:
        r = {free.left, free.top + free.height - r.height, free.width, r.height};
        if (takes_room) free.height = std::max(0, free.height - r.height);
        break;
      case Align::Left:
        r = {free.left, free.top, r.width, free.height};
        if (takes_room) {
          free.left += r.width;
          free.width = std::max(0, free.width - r.width);
        }
        break;
      case Align::Right:
        r = {free.left + free.width - r.width, free.top, r.width, free.height};
        if (takes_room) free.width = std::max(0, free.width - r.width);
        break;
      case Align::Client:
        r = free;
        break;
    }
    placed[c] = r;
  }
  for (const Control* c : form.children(parent)) {
    if (!c->is_container()) continue;
    Rect own = placed[c];
    // A page fills its page control's area below the tabs, which the toolkit sizes itself.
    if (dynamic_cast<const Page*>(c) != nullptr) own = placed[c->parent()];
    layout_children(form, c, {0, 0, own.width, own.height}, placed);
  }
}

}  // namespace

std::map<const Control*, Rect> layout_form(const Form& form) {
  std::map<const Control*, Rect> placed;
  layout_children(form, nullptr, {0, 0, form.client_width(), form.client_height()}, placed);
  return placed;
}

}  // namespace ui::wx
