// The configuration dialog: layout, loading, the key filter, and the checked all-or-nothing save.
#include "sheetport/set_excel_ini.h"

#include "platform/debug_output.h"
#include "platform/error.h"
#include "platform/profile.h"
#include "platform/text.h"
#include "sheetport/banners.h"
#include "ui/toolkit.h"

namespace sheetport {
namespace {

struct EditPlace {
  ui::Edit& edit;
  ui::Label& label;
  const char* caption;
  int left, top, tab_order;
};

void place_edit(const EditPlace& p) {
  p.edit.set_bounds({p.left, p.top, 72, 20});
  p.edit.set_tab_order(p.tab_order);
  p.edit.set_tab_stop(true);
  p.label.set_caption(p.caption);
  p.label.set_bounds({p.left - 80, p.top + 4, 76, 12});
}

}  // namespace

TFrmSetExcelINI::TFrmSetExcelINI() : ui::Form("TFrmSetExcelINI") {
  make_writer = [](const std::string& path) { return std::make_unique<ProfileWriter>(path); };
  set_caption("设置EXCEL转换参数");
  set_border_style(ui::BorderStyle::Dialog);
  set_position(ui::FormPosition::ScreenCenter);
  set_client_size(413, 279);
  set_font({"宋体", -12, "GB2312"});

  Panel1.set_align(ui::Align::Top);
  Panel1.set_bounds({0, 0, 413, 241});
  Panel1.set_tab_order(0);
  Image1.set_align(ui::Align::Top);
  Image1.set_bounds({1, 1, 411, 33});
  Image1.set_jpeg({kSettingsBanner, kSettingsBanner_size});

  place_edit({EdSign, Label2, "开始转换行", 122, 48, 8});
  place_edit({EdKHBH, Label5, "客户编号位置", 122, 81, 0});
  place_edit({EdKHMC, Label6, "客户名称位置", 307, 81, 1});
  place_edit({EdZJHM, Label10, "证件号码位置", 122, 115, 2});
  place_edit({EdZJLX, Label9, "证件类型位置", 307, 115, 3});
  place_edit({EdKHZH, Label7, "客户账号位置", 122, 147, 4});
  place_edit({EdJYJ, Label8, "交易金额位置", 307, 147, 5});
  place_edit({EdSSDM, Label3, "省市代码位置", 122, 179, 6});

  CBSign.set_style(ui::ComboBox::Style::DropDownList);
  CBSign.set_bounds({306, 48, 72, 20});
  CBSign.set_tab_order(7);
  CBSign.set_tab_stop(true);
  CBSign.set_visible(false);
  Label4.set_caption("预定义分隔符");
  Label4.set_bounds({226, 52, 76, 12});
  Label4.set_visible(false);
  Label1.set_caption("* 不选择的字段请设置为空");
  Label1.set_bounds({35, 215, 150, 12});

  BuOk.set_caption("确定");
  BuOk.set_bounds({240, 251, 75, 25});
  BuOk.set_tab_order(1);
  BuOk.set_tab_stop(true);
  BuCancel.set_caption("取消");
  BuCancel.set_bounds({327, 251, 75, 25});
  BuCancel.set_tab_order(2);
  BuCancel.set_tab_stop(true);
  BuCancel.set_modal_result(ui::ModalResult::Cancel);

  on_create = [this](ui::Form&) { FormCreate(); };
  on_show = [this](ui::Form&) { FormShow(); };
  BuOk.on_click = [this](ui::Button&) { BuOkClick(); };
  BuCancel.on_click = [this](ui::Button&) { BuCancelClick(); };
  for (ui::Edit* edit : position_edits()) {
    edit->on_key_down = [this](ui::Edit& e, ui::KeyEvent& key) { EdKHBHKeyDown(e, key); };
  }
  CBSign.on_change = [this](ui::ComboBox&) { CBSignChange(); };
  create();
}

std::array<ui::Edit*, 7> TFrmSetExcelINI::position_edits() {
  return {&EdKHBH, &EdKHMC, &EdKHZH, &EdJYJ, &EdZJLX, &EdZJHM, &EdSSDM};
}

ui::Edit& TFrmSetExcelINI::edit_at(int place) {
  return place == kStartRowPlace ? EdSign : *position_edits()[static_cast<std::size_t>(place)];
}

void TFrmSetExcelINI::FormCreate() {
  SaveResult = 1;
  for (const auto& choice : DelimiterChoices) CBSign.add_item(std::string(choice.name));
}

void TFrmSetExcelINI::FormShow() {
  LoadSettings();
}

void TFrmSetExcelINI::BuOkClick() {
  ValidateAndSave();
}

void TFrmSetExcelINI::BuCancelClick() {
  SaveResult = 1;
}

void TFrmSetExcelINI::EdKHBHKeyDown(ui::Edit& edit, ui::KeyEvent& key) {
  if (key.key >= ui::vk::Numpad0 && key.key <= ui::vk::Numpad9) return;
  // Switched on before the key's character arrives, so this very key is filtered too.
  edit.set_style(edit.style() | ui::Edit::kNumber);
}

void TFrmSetExcelINI::CBSignChange() {
  int index = CBSign.item_index();
  if (index < 0 || index >= static_cast<int>(DelimiterChoices.size())) return;
  EdSign.set_text(std::string(DelimiterChoices[static_cast<std::size_t>(index)].text));
}

void TFrmSetExcelINI::LoadSettings() {
  ConfigFilePath = config_file_path(ParamPath);
  platform::IniDocument stored;
  try {
    stored = platform::profile::load(ConfigFilePath);
  } catch (const platform::Error& e) {
    // Shown like a missing file; saving over it is refused in turn.
    platform::debug_output(platform::utf8_to_gbk(e.what()));
  }
  ConfigEntries shown = load_entries(stored);
  EdSign.set_text(shown.start_row);
  if (EdSign.text().size() == 2) {
    for (std::size_t i = 0; i < DelimiterChoices.size(); ++i) {
      if (DelimiterChoices[i].text == EdSign.text()) CBSign.set_item_index(static_cast<int>(i));
    }
  }
  auto edits = position_edits();
  for (std::size_t i = 0; i < edits.size(); ++i) edits[i]->set_text(shown.positions[i]);
}

void TFrmSetExcelINI::ValidateAndSave() {
  ConfigEntries entries;
  entries.start_row = EdSign.text();
  auto edits = position_edits();
  for (std::size_t i = 0; i < edits.size(); ++i) entries.positions[i] = edits[i]->text();

  if (auto problem = check_entries(entries)) {
    ui::toolkit().message_box(problem->text, problem->caption, ui::MessageIcon::Error,
                              ui::MessageButtons::Ok);
    edit_at(problem->place).set_focus();
    return;
  }
  try {
    write_entries(entries, *make_writer(ConfigFilePath));
  } catch (const std::exception& e) {
    platform::debug_output(platform::utf8_to_gbk(e.what()));
    ui::toolkit().message_box("设置参数出错,请重试.", "出错", ui::MessageIcon::Error,
                              ui::MessageButtons::Ok);
    SaveResult = 1;
    set_modal_result(ui::ModalResult::Cancel);
    return;
  }
  SaveResult = 0;
  set_modal_result(ui::ModalResult::Ok);
}

}  // namespace sheetport
