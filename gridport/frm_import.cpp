// The import dialog's construction over the host grid, opening a workbook and a worksheet, the
// pre-fill of the mapping, the enabling rules and closing.
#include "gridport/frm_import.h"

#include <algorithm>
#include <limits>

#include "gridport/module_state.h"
#include "platform/error.h"
#include "platform/text.h"
#include "ui/scripted_toolkit.h"

namespace gridport {
namespace {

// The caption of host grid columns that are never import destinations.
constexpr std::string_view kPrintColumn = "打印";

std::string lower_extension(const std::string& file_name) {
  auto dot = file_name.find_last_of('.');
  auto slash = file_name.find_last_of('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return platform::ascii_lower(file_name.substr(dot));
}

int clamped_int(std::size_t n) {
  return static_cast<int>(std::min<std::size_t>(n, std::numeric_limits<int>::max() - 10));
}

}  // namespace

std::string workbook_connection_string(const std::string& file_name) {
  if (lower_extension(file_name) == ".xlsx") {
    return "Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + file_name +
           ";Extended Properties='Excel 12.0;IMEX=1;';Persist Security Info=False";
  }
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + file_name +
         ";Extended Properties='Excel 8.0;IMEX=1;';Persist Security Info=False";
}

std::string worksheet_query_text(const std::string& sheet, const std::string& condition) {
  std::string query = "select * from [" + sheet + "]";
  std::string_view trimmed = platform::trim_blanks(condition);
  if (!trimmed.empty()) query += " where " + std::string(trimmed);
  return query;
}

bool FieldExists(const std::string& name) {
  Tfrm_Import* form = module_state().ImportFormInstance;
  if (form == nullptr || form->SheetQuery == nullptr || !form->SheetQuery->Active()) return false;
  for (std::size_t i = 0; i < form->SheetQuery->FieldCount(); ++i) {
    if (form->SheetQuery->Fields(i).FieldName() == name) return true;
  }
  return false;
}

Tfrm_Import::Tfrm_Import(host::Grid grid) : ui::Form("Tfrm_Import"), HostGrid(grid) {
  build_layout();
  Stopped = true;
  set_height(kIdleHeight);
  Label2.set_caption("");
  fill_mapping_table();
  WorkbookConnection = std::make_unique<workbook::Connection>();
  SheetQuery = std::make_unique<workbook::Query>(*WorkbookConnection);
  bind_handlers();
  create();
}

Tfrm_Import::~Tfrm_Import() {
  // The query reads through the connection, so it goes first.
  SheetQuery.reset();
  WorkbookConnection.reset();
}

void Tfrm_Import::fill_mapping_table() {
  CdsFieldList.DisableControls();
  for (int i = 0; i < HostGrid.ColumnCount(); ++i) {
    if (!HostGrid.ColumnVisible(i)) continue;
    std::string title = HostGrid.ColumnTitle(i);
    if (title == kPrintColumn) continue;
    CdsFieldList.Append(title, HostGrid.ColumnFieldName(i));
  }
  first_mapping_row();
  CdsFieldList.EnableControls();
}

void Tfrm_Import::bind_handlers() {
  on_create = [this](ui::Form&) { FormCreate(); };
  on_close_query = [this](ui::Form&) { return FormClose(); };
  SelectExcel.on_execute = [this](ui::Action&) { guarded(&Tfrm_Import::SelectExcelExecute); };
  SelectExcel.on_update = [this](ui::Action&) { SelectExcelUpdate(); };
  StartImport.on_execute = [this](ui::Action&) { guarded(&Tfrm_Import::StartImportExecute); };
  StartImport.on_update = [this](ui::Action&) { StartImportUpdate(); };
  StopImport.on_update = [this](ui::Action&) { StopImportUpdate(); };
  ComboBox1.on_change = [this](ui::ComboBox&) { guarded(&Tfrm_Import::ComboBox1Change); };
  SpeedButton1.on_click = [this](ui::Button&) { guarded(&Tfrm_Import::SpeedButton1Click); };
  SpeedButton2.on_click = [this](ui::Button&) { guarded(&Tfrm_Import::SpeedButton2Click); };
  Button4.on_click = [this](ui::Button&) { Button4Click(); };
  Button3.on_click = [this](ui::Button&) { Button3Click(); };
  Memo2.on_change = [this](ui::Memo&) { Memo2Change(); };
}

void Tfrm_Import::guarded(void (Tfrm_Import::*handler)()) {
  try {
    (this->*handler)();
  } catch (const ui::ScriptError&) {
    throw;
  } catch (const std::exception& e) {
    host::Application app = application();
    // Without a host's error display the toolkit shows it, as for any handler.
    if (!app.has_error_display()) throw;
    app.show_error(e.what());
  }
}

host::DataSet Tfrm_Import::HostDataSet() const {
  const GridportDataSet* table = HostGrid.dataset_table();
  if (table == nullptr)
    throw platform::Error("the host grid has no dataset any more", platform::ErrorKind::NotFound);
  return host::DataSet(*table, HostGrid.codec());
}

ui::DialogButton Tfrm_Import::show_message(const std::string& text, ui::MessageIcon icon) const {
  return application().message_box(text, caption(), icon, ui::MessageButtons::Ok);
}

void Tfrm_Import::first_mapping_row() {
  const auto& order = DataViewGrid.row_order();
  auto first = std::find(order.begin(), order.end(), std::size_t{0});
  int shown = first == order.end() ? 0 : static_cast<int>(first - order.begin());
  DataViewGrid.set_current(shown, DataViewGrid.current_column());
}

void Tfrm_Import::set_running_height(bool running) {
  set_height(running ? kRunningHeight : kIdleHeight);
}

void Tfrm_Import::SelectExcelExecute() {
  auto chosen = ui::toolkit().open_file(OpenFile);
  // A cancel leaves the workbook, the sheet and the mapping as they were.
  if (!chosen || chosen->empty()) return;
  OpenFile.file_name = *chosen;
  SheetQuery->Close();
  WorkbookConnection->Disconnect();
  WorkbookConnection->SetConnectionString(workbook_connection_string(OpenFile.file_name));
  WorkbookConnection->Connect();
  std::vector<std::string> names = WorkbookConnection->GetTableNames();
  ComboBox1.clear_items();
  for (auto& name : names) ComboBox1.add_item(std::move(name));
  ComboBox1.set_item_index(ComboBox1.items().empty() ? -1 : 0);
  if (ComboBox1.items().empty()) {
    ResetWorkbookView();
    show_message("详细：选择的Excel文件没有任何工作薄！", ui::MessageIcon::Warning);
    return;
  }
  open_worksheet();
}

void Tfrm_Import::ComboBox1Change() {
  if (!ComboBox1.enabled()) return;
  SheetQuery->Close();
  if (ComboBox1.text().empty()) return;
  open_worksheet();
}

void Tfrm_Import::open_worksheet() {
  SheetQuery->SetSQL(worksheet_query_text(ComboBox1.text(), Memo1.text()));
  try {
    SheetQuery->Open();
    ProgressBar1.set_max(clamped_int(SheetQuery->RecordCount()) + 10);
    std::vector<std::string> names;
    for (std::size_t i = 0; i < SheetQuery->FieldCount(); ++i) {
      names.push_back(SheetQuery->Fields(i).FieldName());
    }
    DataViewGrid.set_pick_list(1, std::move(names));
    prefill_mapping();
    Label2.set_caption("Excel文件记录数：" + std::to_string(SheetQuery->RecordCount()));
  } catch (const ui::ScriptError&) {
    throw;
  } catch (const std::exception& e) {
    // Back to the state without workbook, where nothing can be imported from a half-open sheet.
    SheetQuery->Close();
    ResetWorkbookView();
    show_message(std::string("详细：因为") + e.what() + "打开Excel文件失败！",
                 ui::MessageIcon::Warning);
  }
}

void Tfrm_Import::prefill_mapping() {
  const bool by_position = module_state().AutoMapMode == GRIDPORT_MAP_BY_POSITION;
  CdsFieldList.DisableControls();
  for (std::size_t k = 0; k < CdsFieldList.RecordCount(); ++k) {
    std::string source;
    if (by_position) {
      if (k < SheetQuery->FieldCount()) source = SheetQuery->Fields(k).FieldName();
    } else {
      const std::string& dest = CdsFieldList.FieldByName(k, "destField");
      if (FieldExists(dest)) source = dest;
    }
    CdsFieldList.SetFieldByName(k, "sourceField", source);
  }
  first_mapping_row();
  CdsFieldList.EnableControls();
}

void Tfrm_Import::ResetWorkbookView() {
  ComboBox1.set_enabled(false);
  ComboBox1.clear_items();
  ComboBox1.set_enabled(true);
  Label2.set_caption("Excel文件记录数：");
  DataViewGrid.set_pick_list(1, {});
  CdsFieldList.DisableControls();
  for (std::size_t k = 0; k < CdsFieldList.RecordCount(); ++k) {
    CdsFieldList.SetFieldByName(k, "sourceField", "");
  }
  first_mapping_row();
  CdsFieldList.EnableControls();
}

void Tfrm_Import::SelectExcelUpdate() {
  SelectExcel.set_enabled(Stopped);
}

void Tfrm_Import::StartImportUpdate() {
  StartImport.set_enabled(SheetQuery != nullptr && SheetQuery->Active() &&
                          SheetQuery->RecordCount() != 0 && Stopped);
}

void Tfrm_Import::StopImportUpdate() {
  StopImport.set_enabled(!Stopped);
  lock_while_importing();
}

void Tfrm_Import::lock_while_importing() {
  ComboBox1.set_enabled(Stopped);
  Memo1.set_enabled(Stopped);
  DataViewGrid.set_enabled(Stopped);
  SpeedButton1.set_enabled(Stopped);
  SpeedButton2.set_enabled(Stopped);
}

void Tfrm_Import::Button3Click() {
  // A running import stops after its current row; the close is settled once it has returned.
  if (!Stopped) Stopped = true;
  close();
}

bool Tfrm_Import::FormClose() {
  if (!Stopped) {
    show_message("详细：请先中止导入再关闭！", ui::MessageIcon::Warning);
    return false;
  }
  if (SheetQuery) SheetQuery->Close();
  if (WorkbookConnection) WorkbookConnection->Disconnect();
  SheetQuery.reset();
  WorkbookConnection.reset();
  if (module_state().ImportFormInstance == this) module_state().ImportFormInstance = nullptr;
  return true;
}

}  // namespace gridport
