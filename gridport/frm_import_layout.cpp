// The import dialog's window: its controls with their captions, hints, fonts and places, and
// the actions the buttons are bound to.
#include "gridport/frm_import.h"

namespace gridport {

void Tfrm_Import::build_layout() {
  set_caption("从Excel导入数据");
  set_border_style(ui::BorderStyle::Single);
  set_border_icons({.system_menu = true, .minimize = false, .maximize = false});
  set_position(ui::FormPosition::DesktopCenter);
  set_font({"宋体", ui::Font::points(9), "GB2312"});
  set_show_hints(true);
  set_client_size(382, kIdleHeight - kFrameHeight);

  PageControl1.set_align(ui::Align::Client);
  PageControl1.set_bounds({0, 0, 382, kIdleHeight - kFrameHeight});
  TabSheet1.set_caption("导入操作");
  TabSheet2.set_caption("错误日志");

  Label3.set_caption("工作薄");
  Label3.set_bounds({8, 12, 36, 12});
  ComboBox1.set_style(ui::ComboBox::Style::DropDownList);
  ComboBox1.set_bounds({48, 8, 168, 20});
  ComboBox1.set_tab_stop(true);
  ComboBox1.set_tab_order(0);
  SpeedButton1.set_caption("保存格式");
  SpeedButton1.set_flat(true);
  SpeedButton1.set_bounds({222, 6, 70, 24});
  SpeedButton2.set_caption("导入格式");
  SpeedButton2.set_flat(true);
  SpeedButton2.set_bounds({296, 6, 70, 24});

  DataViewGrid.set_bounds({8, 36, 358, 228});
  // The grid is reached with the mouse; Tab goes from the sheet list to the condition.
  DataViewGrid.set_tab_stop(false);
  ui::DataGrid::Options options;
  options.sort_by_title = true;
  options.incremental_search = true;
  options.enter_moves_next = true;
  options.highlight_row = true;
  DataViewGrid.set_options(options);
  ui::DataGrid::Column dest;
  dest.title = "目标字段名";
  dest.field = "destField";
  dest.width = 160;
  dest.read_only = true;
  DataViewGrid.add_column(dest);
  ui::DataGrid::Column source;
  source.title = "Excel字段名";
  source.field = "sourceField";
  source.width = 160;
  DataViewGrid.add_column(source);

  Label1.set_caption("导入条件");
  Label1.set_bounds({8, 272, 48, 12});
  Label2.set_caption("Excel文件记录数：");
  Label2.set_auto_size(false);
  Label2.set_alignment(ui::TextAlign::Right);
  Label2.set_bounds({186, 272, 180, 12});
  Memo1.set_bounds({8, 288, 358, 76});
  Memo1.set_scroll_bars(ui::Memo::ScrollBars::Vertical);
  Memo1.set_hint("定义你自己的查询SQL语句条件(如：字段名='条件')。");
  Memo1.set_tab_stop(true);
  Memo1.set_tab_order(1);

  SelectExcel.set_caption("选择Excel");
  SelectExcel.set_hint("选择Excel导入文件");
  StartImport.set_caption("导入");
  StartImport.set_hint("开始从Excel文件导入数据");
  StopImport.set_caption("中止");
  StopImport.set_hint("中止正在进行的导入");

  Button1.set_action(&SelectExcel);
  Button1.set_bounds({8, 374, 80, 25});
  Button2.set_action(&StartImport);
  Button2.set_bounds({100, 374, 80, 25});
  Button4.set_caption("中止");
  Button4.set_hint("中止正在进行的导入");
  Button4.set_bounds({192, 374, 80, 25});
  Button3.set_caption("关闭");
  Button3.set_bounds({286, 374, 80, 25});
  int order = 2;
  for (ui::Button* button : {&Button1, &Button2, &Button4, &Button3}) {
    button->set_tab_stop(true);
    button->set_tab_order(order++);
  }
  // Below the idle window's edge: only the taller window of a running import shows it.
  ProgressBar1.set_bounds({8, 416, 358, 16});

  Panel1.set_align(ui::Align::Top);
  Panel1.set_bounds({0, 0, 374, 28});
  Panel1.set_caption("共有“0”笔数据导入失败！");
  Memo2.set_align(ui::Align::Client);
  Memo2.set_read_only(true);
  Memo2.set_scroll_bars(ui::Memo::ScrollBars::Both);

  OpenFile.filters = ui::parse_filters(
      "Excel files (*.xls)|*.xls|Excel2007 files (*.xlsx)|*.xlsx|"
      "All files (*.xls;*.xlsx)|*.xls;*.xlsx");
  OpenFile.filter_index = 2;
  SavePat.filters = ui::parse_filters("Import Pattern files (*.pat)|*.pat");
  SavePat.overwrite_prompt = true;
  OpenPat.filters = SavePat.filters;
}

}  // namespace gridport
