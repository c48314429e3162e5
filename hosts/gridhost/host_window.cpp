// The wxWidgets window of gridhost.
#include "host_window.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/init.h>
#include <wx/menu.h>
#include <wx/sizer.h>
#include <wx/statusbr.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "grid_table.h"
#include "host_objects.h"

namespace gridhost {
namespace {

enum { kImportCommand = wxID_HIGHEST + 1, kMapByPosition, kMapByName, kAbort, kLog, kDrop };

class HostApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

class HostFrame : public wxFrame {
 public:
  HostFrame(const Options& options, const PluginLibrary& plugin, TableDataset& table)
      : wxFrame(nullptr, wxID_ANY, wxString::FromUTF8("gridhost - " + table.table()),
                wxDefaultPosition, wxSize(800, 500)),
        plugin_(plugin),
        table_(table),
        objects_(table) {
    build_menu(options);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    import_button_ =
        new wxButton(this, kImportCommand, wxString::FromUTF8("从Excel导入…"), wxDefaultPosition,
                     wxDefaultSize, 0, wxDefaultValidator, "ImportButton");
    sizer->Add(import_button_, 0, wxALL, 4);
    grid_ = new wxGrid(this, wxID_ANY);
    grid_table_ = new GridTable(table, objects_.grid.columns());
    grid_->SetTable(grid_table_, true);
    grid_->EnableEditing(false);
    sizer->Add(grid_, 1, wxEXPAND);
    SetSizer(sizer);
    CreateStatusBar(2);
    objects_.application.set_parent(GRIDPORT_PARENT_WX, this);
    // The grid neither repaints nor relays out while an import suspends it.
    table.set_suspend_handler([this] { grid_->BeginBatch(); });
    table.set_refresh_handler([this] { refresh(); });
    Bind(wxEVT_BUTTON, &HostFrame::on_import, this, kImportCommand);
    Bind(wxEVT_MENU, &HostFrame::on_import, this, kImportCommand);
    Bind(
        wxEVT_MENU, [this](wxCommandEvent&) { Close(); }, wxID_EXIT);
    Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
      e.Skip();
      if (e.IsShown()) CallAfter([this] { refresh(); });
    });
  }

  ~HostFrame() override {
    table_.set_suspend_handler(nullptr);
    table_.set_refresh_handler(nullptr);
  }

 private:
  void build_menu(const Options& options) {
    auto* file = new wxMenu;
    file->Append(kImportCommand, wxString::FromUTF8("从Excel导入…\tCtrl+I"));
    file->AppendSeparator();
    file->Append(wxID_EXIT, wxString::FromUTF8("退出\tCtrl+Q"));
    auto* modes = new wxMenu;
    modes->AppendRadioItem(kMapByPosition, wxString::FromUTF8("按位置对应字段"));
    modes->AppendRadioItem(kMapByName, wxString::FromUTF8("按名称对应字段"));
    modes->AppendSeparator();
    modes->AppendRadioItem(kAbort, wxString::FromUTF8("出错即中止"));
    modes->AppendRadioItem(kLog, wxString::FromUTF8("记录错误并继续"));
    modes->AppendRadioItem(kDrop, wxString::FromUTF8("忽略出错的行"));
    modes->Check(options.auto_map == GRIDPORT_MAP_BY_POSITION ? kMapByPosition : kMapByName, true);
    modes->Check(options.error_mode == GRIDPORT_ERRORS_ABORT ? kAbort
                 : options.error_mode == GRIDPORT_ERRORS_LOG ? kLog
                                                             : kDrop,
                 true);
    auto* bar = new wxMenuBar;
    bar->Append(file, wxString::FromUTF8("文件"));
    bar->Append(modes, wxString::FromUTF8("导入方式"));
    SetMenuBar(bar);
    modes_ = modes;
  }

  void on_import(wxCommandEvent&) {
    int32_t auto_map =
        modes_->IsChecked(kMapByPosition) ? GRIDPORT_MAP_BY_POSITION : GRIDPORT_MAP_BY_NAME;
    int32_t error_mode = modes_->IsChecked(kAbort) ? GRIDPORT_ERRORS_ABORT
                         : modes_->IsChecked(kLog) ? GRIDPORT_ERRORS_LOG
                                                   : GRIDPORT_ERRORS_DROP;
    std::size_t before = table_.posted_rowids().size();
    plugin_.exec1(objects_.application.table(), objects_.screen.table(), objects_.grid.table(),
                  auto_map, error_mode);
    std::size_t added = table_.posted_rowids().size() - before;
    const std::string& failure = objects_.dataset.store_failure();
    last_result_ = failure.empty() ? "本次导入新增" + std::to_string(added) + "行"
                                   : "导入的记录未能全部保存：" + failure;
    refresh();
  }

  void refresh() {
    while (grid_->GetBatchCount() > 0) grid_->EndBatch();
    grid_table_->reload();
    std::string count;
    try {
      count = "共" + std::to_string(table_.row_count()) + "行";
    } catch (const std::exception& e) {
      count = std::string("数据表读不出来：") + e.what();
    }
    SetStatusText(wxString::FromUTF8(count), 0);
    SetStatusText(wxString::FromUTF8(last_result_), 1);
    write_window_log();
  }

  void write_window_log() {
    const char* path = std::getenv("GRIDHOST_WINDOW_LOG");
    if (path == nullptr || *path == '\0') return;
    std::ofstream log(path, std::ios::trunc);
    wxRect button = import_button_->GetScreenRect();
    log << "button ImportButton " << button.x << " " << button.y << " " << button.width << " "
        << button.height << "\n";
    log << "rows " << grid_table_->GetNumberRows() << "\n";
    log << "status " << GetStatusBar()->GetStatusText(0).utf8_string() << " | " << last_result_
        << "\n";
    for (int c = 0; c < grid_table_->GetNumberCols(); ++c) {
      log << "column " << c << " " << grid_table_->GetColLabelValue(c).utf8_string() << "\n";
    }
    constexpr int kLastRows = 20;
    int rows = grid_table_->GetNumberRows();
    for (int r = std::max(0, rows - kLastRows); r < rows; ++r) {
      log << "row " << r;
      for (int c = 0; c < grid_table_->GetNumberCols(); ++c) {
        log << " | " << grid_table_->GetValue(r, c).utf8_string();
      }
      log << "\n";
    }
  }

  const PluginLibrary& plugin_;
  TableDataset& table_;
  HostObjects objects_;
  wxMenu* modes_ = nullptr;
  wxButton* import_button_ = nullptr;
  wxGrid* grid_ = nullptr;
  GridTable* grid_table_ = nullptr;  // owned by grid_
  std::string last_result_;
};

}  // namespace

int run_window(const Options& options, const PluginLibrary& plugin, TableDataset& table) {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((x == nullptr || *x == '\0') && (wayland == nullptr || *wayland == '\0')) {
    std::cerr << "gridhost: --window needs a display (DISPLAY or WAYLAND_DISPLAY)\n";
    return kNoDisplay;
  }
  wxApp::SetInstance(new HostApp);
  int argc = 1;
  char name[] = "gridhost";
  char* argv[] = {name, nullptr};
  if (!wxEntryStart(argc, argv)) {
    std::cerr << "gridhost: the window toolkit could not start on this display\n";
    return kNoDisplay;
  }
  wxTheApp->CallOnInit();
  int status = kNotImported;
  {
    auto* frame = new HostFrame(options, plugin, table);  // wx owns it and deletes it on close
    frame->Show();
    wxTheApp->OnRun();
    status = table.posted_rowids().empty() ? kNotImported : kImported;
  }
  wxTheApp->OnExit();
  wxEntryCleanup();
  return status;
}

}  // namespace gridhost
