// The sheet selection dialog TUSelSheet: a banner, a label, the list of the workbook's worksheets
// and one button. The worksheet reader fills it, shows it and reads the choice back.
#pragma once

#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/label_image_panel.h"

namespace sheetport {

class TUSelSheet : public ui::Form {
 public:
  TUSelSheet();

  ui::ComboBox ComboBox1{*this, "ComboBox1"};
  ui::Button Button1{*this, "Button1"};
  ui::Separator Bevel1{*this, "Bevel1"};
  ui::Image Image1{*this, "Image1"};
  ui::Label Label1{*this, "Label1"};

  void Button1Click();
};

}  // namespace sheetport
