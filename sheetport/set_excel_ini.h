// The configuration dialog TFrmSetExcelINI: the start row and the column of each customer field,
// checked and written to the configuration file.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "sheetport/config_settings.h"
#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/label_image_panel.h"

namespace sheetport {

class TFrmSetExcelINI : public ui::Form {
 public:
  // Makes the writer a save goes through; tests give one that fails.
  using WriterFactory = std::function<std::unique_ptr<SettingsWriter>(const std::string& path)>;

  TFrmSetExcelINI();

  // The configuration path handed in by ShowConfigForm; empty for the default one.
  std::string ParamPath;
  // 0 when this showing has written the settings, 1 when it has not.
  int SaveResult = 1;
  // The path the last LoadSettings worked out; the save writes there.
  std::string ConfigFilePath;
  WriterFactory make_writer;

  ui::Panel Panel1{*this, "Panel1"};
  ui::Image Image1{*this, "Image1", &Panel1};
  ui::Label Label2{*this, "Label2", &Panel1};
  ui::Edit EdSign{*this, "EdSign", &Panel1};
  ui::Label Label5{*this, "Label5", &Panel1};
  ui::Edit EdKHBH{*this, "EdKHBH", &Panel1};
  ui::Label Label6{*this, "Label6", &Panel1};
  ui::Edit EdKHMC{*this, "EdKHMC", &Panel1};
  ui::Label Label10{*this, "Label10", &Panel1};
  ui::Edit EdZJHM{*this, "EdZJHM", &Panel1};
  ui::Label Label9{*this, "Label9", &Panel1};
  ui::Edit EdZJLX{*this, "EdZJLX", &Panel1};
  ui::Label Label7{*this, "Label7", &Panel1};
  ui::Edit EdKHZH{*this, "EdKHZH", &Panel1};
  ui::Label Label8{*this, "Label8", &Panel1};
  ui::Edit EdJYJ{*this, "EdJYJ", &Panel1};
  ui::Label Label3{*this, "Label3", &Panel1};
  ui::Edit EdSSDM{*this, "EdSSDM", &Panel1};
  ui::Label Label4{*this, "Label4", &Panel1};
  ui::ComboBox CBSign{*this, "CBSign", &Panel1};
  ui::Label Label1{*this, "Label1", &Panel1};
  ui::Button BuOk{*this, "BuOk"};
  ui::Button BuCancel{*this, "BuCancel"};

  void FormCreate();
  void FormShow();
  void BuOkClick();
  void BuCancelClick();
  // The key filter of the seven position edits.
  void EdKHBHKeyDown(ui::Edit& edit, ui::KeyEvent& key);
  void CBSignChange();
  void LoadSettings();
  void ValidateAndSave();

 private:
  // The seven position edits in field order (customer number, name, account, amount, document
  // type, document number, province/city code).
  std::array<ui::Edit*, 7> position_edits();
  ui::Edit& edit_at(int place);
};

// One delimiter the hidden delimiter list offers.
struct DelimiterChoice {
  int code;
  std::string_view text;
  std::string_view name;
};
inline constexpr std::array<DelimiterChoice, 2> DelimiterChoices{{
    {9, "\\t", "制表符"},
    {32, " ", "空格"},
}};

}  // namespace sheetport
