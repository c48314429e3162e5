// The mapping pattern files: the pattern folder prepared when the dialog is built, saving the
// mapping (SpeedButton1Click) and loading one (SpeedButton2Click).
#include <filesystem>
#include <unordered_map>

#include "gridport/frm_import.h"
#include "gridport/module_state.h"
#include "gridport/pattern_file.h"
#include "platform/paths.h"
#include "ui/scripted_toolkit.h"

namespace gridport {
namespace {

// Moves the mapping grid back to the table's first row on every way out of a pattern handler
// once a file was chosen (a cancel leaves the current row where it was).
class BackToFirstRow {
 public:
  explicit BackToFirstRow(Tfrm_Import& form) : form_(form) {}
  ~BackToFirstRow() { form_.first_mapping_row(); }
  BackToFirstRow(const BackToFirstRow&) = delete;
  BackToFirstRow& operator=(const BackToFirstRow&) = delete;

 private:
  Tfrm_Import& form_;
};

// Holds the mapping grid's refresh while many rows change, and resumes it on every way out.
class UpdateBatch {
 public:
  explicit UpdateBatch(FieldList& list) : list_(list) { list_.DisableControls(); }
  ~UpdateBatch() { list_.EnableControls(); }
  UpdateBatch(const UpdateBatch&) = delete;
  UpdateBatch& operator=(const UpdateBatch&) = delete;

 private:
  FieldList& list_;
};

std::string file_name_part(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

void Tfrm_Import::FormCreate() {
  try {
    std::string folder = pattern_folder();
    SavePat.initial_folder = folder;
    OpenPat.initial_folder = folder;
    prepare_pattern_folder();
  } catch (const std::exception& e) {
    // A folder that cannot be made (a read-only installation) must not keep the dialog from
    // opening: imports work without patterns, and the person learns why saving will fail.
    host::Application app = application();
    if (app.has_error_display()) {
      app.show_error(e.what());
    } else {
      app.message_box(e.what(), caption(), ui::MessageIcon::Error, ui::MessageButtons::Ok);
    }
  }
}

void Tfrm_Import::SpeedButton1Click() {
  SavePat.file_name = default_pattern_file();
  std::string path;
  for (;;) {
    auto chosen = ui::toolkit().save_file(SavePat);
    if (!chosen || chosen->empty()) return;
    path = with_pattern_extension(*chosen);
    // The file dialog asked about the name it showed, not about the one written.
    if (path == *chosen || !platform::file_exists(path)) break;
    auto answer =
        application().message_box("详细：文件“" + file_name_part(path) + "”已存在，要替换它吗？",
                                  caption(), ui::MessageIcon::Question, ui::MessageButtons::YesNo);
    if (answer == ui::DialogButton::Yes) break;
    SavePat.file_name = path;
  }
  BackToFirstRow back(*this);
  std::vector<PatternLine> lines;
  for (std::size_t row = 0; row < CdsFieldList.RecordCount(); ++row) {
    lines.push_back(
        {CdsFieldList.FieldByName(row, "destField"), CdsFieldList.FieldByName(row, "sourceField")});
  }
  write_pattern_file(path, lines);
  show_message("详细：格式已成功保存！", ui::MessageIcon::Information);
}

void Tfrm_Import::SpeedButton2Click() {
  OpenPat.file_name = default_pattern_file();
  auto chosen = ui::toolkit().open_file(OpenPat);
  if (!chosen || chosen->empty()) return;
  BackToFirstRow back(*this);
  // Read whole before any row changes, so a file that fails changes nothing.
  std::vector<PatternLine> lines = read_pattern_file(*chosen);

  // Only the first row of a caption is ever set, as a search from the top finds it.
  std::unordered_map<std::string, std::size_t> first_row;
  for (std::size_t row = 0; row < CdsFieldList.RecordCount(); ++row) {
    first_row.try_emplace(CdsFieldList.FieldByName(row, "destField"), row);
  }
  bool matched = false;
  {
    UpdateBatch batch(CdsFieldList);
    for (const auto& line : lines) {
      auto found = first_row.find(line.dest_field);
      if (found == first_row.end()) continue;
      CdsFieldList.SetFieldByName(found->second, "sourceField", line.source_field);
      matched = true;
    }
  }
  if (matched) {
    show_message("详细：格式已成功导入！", ui::MessageIcon::Information);
  } else {
    show_message("详细：格式文件中没有与目标字段对应的行！", ui::MessageIcon::Warning);
  }
}

}  // namespace gridport
