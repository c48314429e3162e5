// Where aligned and designed controls land inside their parents.
#include "ui/wx/layout.h"

#include <gtest/gtest.h>

#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/label_image_panel.h"
#include "ui/memo_progress.h"

namespace {

using ui::Align;
using ui::Rect;

struct Banner : ui::Form {
  ui::Panel panel{*this, "Panel1"};
  ui::Image image{*this, "Image1", &panel};
  ui::Edit edit{*this, "Edit1", &panel};
  ui::Button button{*this, "Button1"};
  Banner() : ui::Form("TBanner") {
    set_client_size(413, 279);
    panel.set_align(Align::Top);
    panel.set_bounds({0, 0, 200, 241});
    image.set_align(Align::Top);
    image.set_bounds({5, 5, 10, 33});
    edit.set_bounds({122, 48, 72, 20});
    button.set_bounds({240, 251, 75, 25});
  }
};

TEST(WxLayout, TopAlignedControlsSpanTheirParentInsideABevelledPanelsFrame) {
  Banner form;
  auto placed = ui::wx::layout_form(form);
  EXPECT_EQ(placed[&form.panel], (Rect{0, 0, 413, 241}));
  // The panel's one-pixel frame stays free, as on Windows.
  EXPECT_EQ(placed[&form.image], (Rect{1, 1, 411, 33}));
  // Designed controls keep their bounds, relative to their parent.
  EXPECT_EQ(placed[&form.edit], (Rect{122, 48, 72, 20}));
  EXPECT_EQ(placed[&form.button], (Rect{240, 251, 75, 25}));
}

TEST(WxLayout, WithoutABevelAlignedControlsReachTheEdge) {
  Banner form;
  form.panel.set_bevel(false);
  auto placed = ui::wx::layout_form(form);
  EXPECT_EQ(placed[&form.image], (Rect{0, 0, 413, 33}));
}

struct Docked : ui::Form {
  ui::Panel top{*this, "Top"};
  ui::Panel bottom{*this, "Bottom"};
  ui::Panel left{*this, "Left"};
  ui::Panel right{*this, "Right"};
  ui::Memo client{*this, "Client"};
  Docked() : ui::Form("TDocked") {
    set_client_size(400, 300);
    top.set_align(Align::Top);
    top.set_bounds({0, 0, 0, 40});
    bottom.set_align(Align::Bottom);
    bottom.set_bounds({0, 0, 0, 30});
    left.set_align(Align::Left);
    left.set_bounds({0, 0, 100, 0});
    right.set_align(Align::Right);
    right.set_bounds({0, 0, 50, 0});
    client.set_align(Align::Client);
  }
};

TEST(WxLayout, EdgesAreTakenInDeclarationOrderAndTheClientGetsTheRest) {
  Docked form;
  auto placed = ui::wx::layout_form(form);
  EXPECT_EQ(placed[&form.top], (Rect{0, 0, 400, 40}));
  EXPECT_EQ(placed[&form.bottom], (Rect{0, 270, 400, 30}));
  EXPECT_EQ(placed[&form.left], (Rect{0, 40, 100, 230}));
  EXPECT_EQ(placed[&form.right], (Rect{350, 40, 50, 230}));
  EXPECT_EQ(placed[&form.client], (Rect{100, 40, 250, 230}));
}

TEST(WxLayout, AHiddenAlignedControlGivesUpItsRoom) {
  Docked form;
  form.top.set_visible(false);
  auto placed = ui::wx::layout_form(form);
  EXPECT_EQ(placed[&form.left], (Rect{0, 0, 100, 270}));
  EXPECT_EQ(placed[&form.client], (Rect{100, 0, 250, 270}));
}

TEST(WxLayout, AParentTooSmallForItsEdgesLeavesNoNegativeSizes) {
  Docked form;
  form.set_client_size(120, 50);
  auto placed = ui::wx::layout_form(form);
  for (const auto& [control, rect] : placed) {
    EXPECT_GE(rect.width, 0) << control->name();
    EXPECT_GE(rect.height, 0) << control->name();
  }
}

}  // namespace
