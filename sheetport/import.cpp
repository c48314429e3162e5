// The flow of an import and of the configuration dialog, behind the exports.
#include "sheetport/import.h"

#include "platform/debug_output.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "sheetport/column_map.h"
#include "sheetport/module_state.h"
#include "sheetport/record_list.h"
#include "sheetport/set_excel_ini.h"
#include "sheetport/worksheet_reader.h"
#include "ui/toolkit.h"

namespace sheetport {

std::int32_t PromptWorkbookFile(std::string* path) {
  if (path != nullptr) path->clear();
  auto chosen = ui::toolkit().open_file(ui::FileDialogOptions{});
  if (!chosen) return 1;
  if (path != nullptr) *path = *chosen;
  return 0;
}

std::int32_t LoadColumnMap(const std::string& workbook_path, TRecordList& list) {
  auto map = read_column_map(import_param_text());
  if (!map) return kMapMissing;
  std::int32_t result;
  try {
    auto source = make_workbook_source();
    result = ConvertWorksheet(workbook_path, map->items, map->StartRow, list, *source);
  } catch (const std::exception& e) {
    // The import ends without a word to the host; whoever watches the debug output learns why.
    platform::debug_output(
        platform::utf8_to_gbk("Sheetport: import of " + workbook_path + " ended: " + e.what()));
    return kReaderFailed;
  }
  if (result == kNotXls) notify(SHEETPORT_NOT_XLS, nullptr);
  return result;
}

std::int32_t run_config_form() {
  TFrmSetExcelINI form;
  form.ParamPath = import_param_text();
  ui::toolkit().show_modal(form);
  return form.SaveResult;
}

void run_import(TImportCallback callback, TRecordList** list_var) {
  auto& state = module_state();
  state.StopRequested.store(false);
  state.ImportCallback = callback;
  // Without a variable there is no list to hand the records over in.
  if (list_var == nullptr) return;
  if (*list_var != nullptr) {
    list_clear(**list_var);
  } else {
    *list_var = create_list();
  }
  std::string path;
  for (;;) {
    if (PromptWorkbookFile(&path) == 1) {
      notify(SHEETPORT_CANCELLED, nullptr);
      return;
    }
    if (platform::file_exists(path)) break;
  }
  std::int32_t last_dialog = 0;
  for (;;) {
    if (LoadColumnMap(path, **list_var) != kMapMissing) return;
    if (last_dialog == 1) return;
    last_dialog = run_config_form();
  }
}

}  // namespace sheetport
