// The row loop of an import: sheet choice, start row, conversion, callbacks and the stop flag.
#include "sheetport/worksheet_reader.h"

#include <vector>

#include "platform/debug_output.h"
#include "platform/error.h"
#include "platform/text.h"
#include "sheetport/module_state.h"
#include "sheetport/record_list.h"
#include "sheetport/row_conversion.h"
#include "sheetport/sel_xls_sheet.h"
#include "ui/toolkit.h"

namespace sheetport {
namespace {

constexpr const char* kNoChoice = "不选择";

// Lets the user pick a worksheet; the chosen table name, or "" when nothing was selected.
std::string choose_sheet(TUSelSheet& dialog, const std::vector<std::string>& tables) {
  dialog.ComboBox1.clear_items();
  dialog.ComboBox1.add_item(kNoChoice);
  for (const auto& name : tables) {
    if (!platform::trim_blanks(name).empty()) dialog.ComboBox1.add_item(name);
  }
  ui::toolkit().show_modal(dialog);
  int index = dialog.ComboBox1.item_index();
  if (index == 0) throw platform::Error(std::string(kOrderInvalid));
  if (index < 0 || index >= static_cast<int>(dialog.ComboBox1.items().size())) return {};
  return dialog.ComboBox1.items()[static_cast<std::size_t>(index)];
}

void report_failed_row(const std::string& message, std::int32_t& progress) {
  platform::debug_output(platform::utf8_to_gbk("not unFixed------" + message));
  notify(SHEETPORT_ROW_FAILED, &progress);
}

}  // namespace

bool names_xls_file(const std::string& path) {
  return path.size() >= 3 && platform::ascii_upper(path.substr(path.size() - 3)) == "XLS";
}

std::int32_t ConvertWorksheet(const std::string& path, const TInfoAry& map, std::int32_t start_row,
                              TRecordList& list, WorksheetSource& source) {
  if (!names_xls_file(path)) return kNotXls;
  std::vector<std::string> values;
  std::vector<std::string> cells;
  TUSelSheet dialog;
  source.connect("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path +
                 ";Extended Properties=Excel 8.0;Mode=Read");
  std::string sheet = choose_sheet(dialog, source.table_names());
  source.open("select * from [" + sheet + "]");
  // Any stored start row is valid: the rows to pass by are counted in 64 bits.
  for (std::int64_t skip = std::int64_t{start_row} - 2; skip > 0 && !source.eof(); --skip)
    source.next();

  auto& state = module_state();
  std::int32_t rec_no = 0;
  std::int32_t progress = 0;
  while (!source.eof() && !state.StopRequested.load()) {
    // Where a failure struck decides how the loop moves past the record.
    enum class Stage { Reading, Advancing, Converting } stage = Stage::Reading;
    try {
      source.field_texts(cells);
      stage = Stage::Advancing;
      source.next();
      stage = Stage::Converting;
      if (!row_values(cells, values)) continue;
      ++rec_no;
      TCustomerRecord* record = nullptr;
      try {
        record = new_record(rec_no);
        ++progress;
        fill_fields(map, values, record->Info);
        list_append(list, record);
        record = nullptr;  // the host's from here on
        notify(SHEETPORT_RECORD_ADDED, nullptr);
        values.clear();
      } catch (const std::exception& e) {
        free_record(record);
        values.clear();
        throw platform::Error(std::string("Failed----") + e.what());
      }
    } catch (const std::exception& e) {
      report_failed_row(e.what(), progress);
      if (stage == Stage::Advancing) break;  // the source cannot move on
      if (stage == Stage::Reading) {
        // The query still stands on the record whose texts failed: pass it by, once.
        try {
          source.next();
        } catch (const std::exception& next_error) {
          platform::debug_output(platform::utf8_to_gbk(next_error.what()));
          break;
        }
      }
    }
  }
  std::int32_t result = state.StopRequested.load() ? kStopped : kFinished;
  notify(SHEETPORT_FINISHED, &progress);
  return result;
}

}  // namespace sheetport
