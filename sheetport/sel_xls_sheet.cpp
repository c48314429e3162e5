// The sheet selection dialog's layout and its one handler.
#include "sheetport/sel_xls_sheet.h"

#include "sheetport/banners.h"

namespace sheetport {

TUSelSheet::TUSelSheet() : ui::Form("TUSelSheet") {
  set_caption("取EXCEL工作表");
  set_border_style(ui::BorderStyle::Dialog);
  set_position(ui::FormPosition::Designed, 411, 259);
  set_client_size(358, 214);
  set_font({"MS Sans Serif", -11, "DEFAULT"});

  ComboBox1.set_style(ui::ComboBox::Style::DropDown);
  ComboBox1.set_bounds({120, 80, 217, 21});
  ComboBox1.set_item_height(13);
  ComboBox1.set_tab_order(1);
  ComboBox1.set_tab_stop(true);
  // The designed entry; the reader replaces it before the dialog is shown.
  ComboBox1.set_items({"不选"});

  Button1.set_caption("确定");
  Button1.set_bounds({152, 168, 65, 25});
  Button1.set_tab_order(0);
  Button1.set_tab_stop(true);
  Button1.on_click = [this](ui::Button&) { Button1Click(); };

  Bevel1.set_bounds({0, 136, 361, 1});
  Bevel1.set_shape(ui::Separator::Shape::BottomLine, ui::Separator::Style::Raised);

  Image1.set_align(ui::Align::Top);
  Image1.set_bounds({0, 0, 358, 49});
  Image1.set_jpeg({kSheetBanner, kSheetBanner_size});

  Label1.set_caption("选择工作表:");
  Label1.set_auto_size(false);
  Label1.set_bounds({16, 82, 97, 17});
  Label1.set_font({"新宋体-18030", -16, "GB2312"});
  create();
}

void TUSelSheet::Button1Click() {
  close();
}

}  // namespace sheetport
