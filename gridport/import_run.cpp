// The import run: worksheet rows appended to the host's dataset, the stop button and the error
// log's counter.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gridport/frm_import.h"
#include "gridport/module_state.h"
#include "platform/error.h"
#include "platform/text.h"
#include "ui/scripted_toolkit.h"

namespace gridport {
namespace {

// Destination field i of the host dataset receives source column i of the worksheet.
struct MappingPairs {
  std::vector<std::string> destinations;
  std::vector<std::string> sources;
};

// A failure is one log line, whatever breaks its message holds, so that the counter (the log's
// line count) counts failures.
std::string one_line(std::string_view message) {
  std::string out;
  out.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i) {
    char c = message[i];
    if (c == '\r' && i + 1 < message.size() && message[i + 1] == '\n') ++i;
    out += (c == '\r' || c == '\n') ? ' ' : c;
  }
  return out;
}

// The end step, run on every way out of a run: the form idle again, and the refresh of the
// mapping table and of the host's dataset resumed when the run had suspended it.
class RunScope {
 public:
  explicit RunScope(Tfrm_Import& form) : form_(form) {}
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;
  ~RunScope() {
    form_.Stopped = true;
    form_.lock_while_importing();
    form_.set_running_height(false);
    if (mapping_suspended_) form_.CdsFieldList.EnableControls();
    if (dataset_) dataset_->EnableControls();
  }

  void suspend(const host::DataSet& dataset) {
    dataset.DisableControls();
    dataset_.emplace(dataset);
    form_.CdsFieldList.DisableControls();
    mapping_suspended_ = true;
  }

 private:
  Tfrm_Import& form_;
  std::optional<host::DataSet> dataset_;
  bool mapping_suspended_ = false;
};

MappingPairs mapping_pairs(const FieldList& table) {
  MappingPairs pairs;
  for (std::size_t row = 0; row < table.RecordCount(); ++row) {
    std::string_view source = platform::trim_blanks(table.FieldByName(row, "sourceField"));
    if (source.empty()) continue;
    pairs.destinations.emplace_back(platform::trim_blanks(table.FieldByName(row, "destFieldName")));
    pairs.sources.emplace_back(source);
  }
  return pairs;
}

// The worksheet's fields of the pairs' sources, looked up once; null for a name the worksheet
// lacks, which then fails on every row as FieldByName says.
std::vector<const workbook::Field*> source_fields(const workbook::Query& query,
                                                  const MappingPairs& pairs) {
  std::vector<const workbook::Field*> fields;
  for (const auto& source : pairs.sources) fields.push_back(query.FindField(source));
  return fields;
}

// One worksheet record as a new record of the dataset: appended, each pair assigned, posted.
void append_record(const host::DataSet& dataset, const workbook::Query& query,
                   const MappingPairs& pairs, const std::vector<const workbook::Field*>& fields) {
  dataset.Append();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const workbook::Field& field =
        fields[i] != nullptr ? *fields[i] : query.FieldByName(pairs.sources[i]);
    dataset.SetFieldText(pairs.destinations[i], field.AsString());
  }
  dataset.Post();
}

}  // namespace

void Tfrm_Import::StartImportExecute() {
  // A source still open in the grid's cell editor is mapped too; posted before the grid is
  // locked, which would refuse it.
  DataViewGrid.post_pending_edit();
  Stopped = false;
  lock_while_importing();
  ProgressBar1.set_position(0);
  set_running_height(true);
  Memo2.clear();
  BusyScope busy(*this);
  RunScope run(*this);
  const host::DataSet dataset = HostDataSet();
  run.suspend(dataset);
  const MappingPairs pairs = mapping_pairs(CdsFieldList);
  first_mapping_row();
  if (pairs.sources.empty()) {
    show_message("详细：你没有设置导入的对应字段！", ui::MessageIcon::Warning);
    return;
  }
  const int32_t error_mode = module_state().ErrorMode;
  try {
    SheetQuery->First();
    const std::vector<const workbook::Field*> fields = source_fields(*SheetQuery, pairs);
    const std::size_t n = SheetQuery->RecordCount();
    for (std::size_t row = 0; row < n && !Stopped; ++row) {
      try {
        append_record(dataset, *SheetQuery, pairs, fields);
      } catch (const ui::ScriptError&) {
        throw;
      } catch (const std::exception& e) {
        dataset.Cancel();
        if (error_mode == GRIDPORT_ERRORS_ABORT) throw;
        if (error_mode == GRIDPORT_ERRORS_LOG) Memo2.add_line(one_line(e.what()));
      }
      ProgressBar1.step_by(1);
      ui::toolkit().process_messages();
      SheetQuery->Next();
    }
    if (error_mode == GRIDPORT_ERRORS_LOG && !Memo2.lines().empty()) {
      PageControl1.set_active_page(TabSheet2);
      show_message("详细：导入已完成，但产生了一些错误！", ui::MessageIcon::Information);
    }
  } catch (const ui::ScriptError&) {
    throw;
  } catch (const std::exception& e) {
    Memo2.add_line(one_line(e.what()));
    show_message(std::string("详细：因为") + e.what() + "导入失败！", ui::MessageIcon::Error);
  }
}

void Tfrm_Import::Button4Click() {
  if (Stopped) return;
  set_running_height(false);
  Stopped = true;
  ProgressBar1.set_position(0);
}

void Tfrm_Import::Memo2Change() {
  Panel1.set_caption("共有“" + std::to_string(Memo2.lines().size()) + "”笔数据导入失败！");
}

}  // namespace gridport
