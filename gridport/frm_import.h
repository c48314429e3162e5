// The import dialog Tfrm_Import: a workbook and worksheet chosen, the host grid's columns mapped
// to worksheet columns, mapping patterns saved and loaded, and the import started and stopped.
// Its handlers live in three files: frm_import.cpp (workbook, worksheet, mapping, closing),
// pattern_handlers.cpp (pattern files) and import_run.cpp (the import run and its log).
#pragma once

#include <memory>
#include <string>

#include "gridport/field_list.h"
#include "gridport/gridport.h"
#include "gridport/host.h"
#include "ui/button_action.h"
#include "ui/edit_combo.h"
#include "ui/form.h"
#include "ui/label_image_panel.h"
#include "ui/memo_progress.h"
#include "ui/pages.h"
#include "ui/table_grid.h"
#include "ui/toolkit.h"
#include "workbook/connection.h"
#include "workbook/query.h"

namespace gridport {

class Tfrm_Import : public ui::Form {
 public:
  // The window's height while no import runs and while one runs (the progress bar's band).
  static constexpr int kIdleHeight = 470;
  static constexpr int kRunningHeight = 510;

  // Builds the dialog over the host's grid: one mapping row per visible column not titled
  // "打印", and the data-access objects.
  explicit Tfrm_Import(host::Grid grid);
  ~Tfrm_Import() override;

  ui::PageControl PageControl1{*this, "PageControl1"};
  ui::Page TabSheet1{*this, "TabSheet1", PageControl1};
  ui::Label Label3{*this, "Label3", &TabSheet1};
  ui::ComboBox ComboBox1{*this, "ComboBox1", &TabSheet1};
  ui::Button SpeedButton1{*this, "SpeedButton1", &TabSheet1};
  ui::Button SpeedButton2{*this, "SpeedButton2", &TabSheet1};
  ui::DataGrid DataViewGrid{*this, "DataViewGrid", &TabSheet1};
  ui::Label Label1{*this, "Label1", &TabSheet1};
  ui::Label Label2{*this, "Label2", &TabSheet1};
  ui::Memo Memo1{*this, "Memo1", &TabSheet1};
  ui::Button Button1{*this, "Button1", &TabSheet1};
  ui::Button Button2{*this, "Button2", &TabSheet1};
  ui::Button Button4{*this, "Button4", &TabSheet1};
  ui::Button Button3{*this, "Button3", &TabSheet1};
  ui::ProgressBar ProgressBar1{*this, "ProgressBar1", &TabSheet1};
  ui::Page TabSheet2{*this, "TabSheet2", PageControl1};
  ui::Panel Panel1{*this, "Panel1", &TabSheet2};
  ui::Memo Memo2{*this, "Memo2", &TabSheet2};

  ui::Action SelectExcel{*this, "SelectExcel"};
  ui::Action StartImport{*this, "StartImport"};
  ui::Action StopImport{*this, "StopImport"};

  // The workbook and pattern file dialogs; each keeps the name chosen last.
  ui::FileDialogOptions OpenFile;
  ui::FileDialogOptions SavePat;
  ui::FileDialogOptions OpenPat;

  // The mapping table, kept in DataViewGrid's table.
  FieldList CdsFieldList{DataViewGrid.table()};
  // The grid passed to the export; its dataset receives the rows (HostDataSet()).
  host::Grid HostGrid;
  // True while no import runs, and once a stop was asked for.
  bool Stopped = true;
  // Null once the dialog has closed.
  std::unique_ptr<workbook::Connection> WorkbookConnection;
  std::unique_ptr<workbook::Query> SheetQuery;

  // The dataset behind the host grid, looked up anew each time; throws platform::Error when the
  // grid has lost it.
  host::DataSet HostDataSet() const;

  // --- workbook, worksheet and mapping (frm_import.cpp) ---
  void SelectExcelExecute();
  void ComboBox1Change();
  void ResetWorkbookView();
  void SelectExcelUpdate();
  void StartImportUpdate();
  void StopImportUpdate();
  void Button3Click();
  // The close handler: true lets the window close (and releases the data-access objects).
  bool FormClose();

  // --- pattern files (pattern_handlers.cpp) ---
  void FormCreate();
  void SpeedButton1Click();
  void SpeedButton2Click();

  // --- the import run (import_run.cpp) ---
  void StartImportExecute();
  void Button4Click();
  void Memo2Change();

  // Shows a message box through the application object, captioned with the dialog's caption.
  ui::DialogButton show_message(const std::string& text, ui::MessageIcon icon) const;
  // Makes the mapping table's first row (in the host's column order, whatever the grid's sort)
  // the grid's current row.
  void first_mapping_row();
  // Sets the window's height for the idle or the running state.
  void set_running_height(bool running);
  // Locks the sheet list, the condition, the mapping grid and the pattern buttons while an
  // import runs: they would change what the run reads. The action updates keep the locks in
  // step with Stopped; a run calls it itself when it starts and ends, before any update.
  void lock_while_importing();

 private:
  void build_layout();
  void bind_handlers();
  void fill_mapping_table();
  // Runs a handler; a failure it does not catch goes to the application's error display.
  void guarded(void (Tfrm_Import::*handler)());
  // Sets the query text from the sheet list and the condition, opens the worksheet and
  // pre-fills the mapping; a failure resets the view and says why.
  void open_worksheet();
  void prefill_mapping();
};

// Whether the worksheet open in the dialog of ImportFormInstance has a field of exactly this
// name (case and every byte).
bool FieldExists(const std::string& name);

// The connection string for a workbook: the ACE provider for ".xlsx" in any letter case, the
// Jet provider for anything else.
std::string workbook_connection_string(const std::string& file_name);
// "select * from [SHEET]", with " where CONDITION" when the condition holds more than blanks
// and control characters.
std::string worksheet_query_text(const std::string& sheet, const std::string& condition);

}  // namespace gridport
