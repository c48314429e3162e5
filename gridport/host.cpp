// Calls into the host's tables: size checks before every member, texts converted at the edge,
// failures turned into platform::Error.
#include "gridport/host.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/text.h"

namespace gridport::host {
namespace {

// A member is usable when the table's declared size covers it and the host filled it in.
#define GRIDPORT_USABLE(Type, table, member) \
  (GRIDPORT_HAS(Type, table, member) && (table)->member != nullptr)

int32_t icon_code(ui::MessageIcon icon) {
  switch (icon) {
    case ui::MessageIcon::Error:
      return GRIDPORT_ICON_ERROR;
    case ui::MessageIcon::Warning:
      return GRIDPORT_ICON_WARNING;
    case ui::MessageIcon::Information:
      return GRIDPORT_ICON_INFORMATION;
    case ui::MessageIcon::Question:
      return GRIDPORT_ICON_QUESTION;
    case ui::MessageIcon::None:
      break;
  }
  return GRIDPORT_ICON_NONE;
}

int32_t buttons_code(ui::MessageButtons buttons) {
  switch (buttons) {
    case ui::MessageButtons::OkCancel:
      return GRIDPORT_BUTTONS_OK_CANCEL;
    case ui::MessageButtons::YesNo:
      return GRIDPORT_BUTTONS_YES_NO;
    case ui::MessageButtons::YesNoCancel:
      return GRIDPORT_BUTTONS_YES_NO_CANCEL;
    case ui::MessageButtons::Ok:
      break;
  }
  return GRIDPORT_BUTTONS_OK;
}

ui::DialogButton button_from_code(int32_t code) {
  switch (code) {
    case GRIDPORT_ID_CANCEL:
      return ui::DialogButton::Cancel;
    case GRIDPORT_ID_YES:
      return ui::DialogButton::Yes;
    case GRIDPORT_ID_NO:
      return ui::DialogButton::No;
    default:
      return ui::DialogButton::Ok;
  }
}

// A button as the host's message box would have returned it.
int32_t button_code(ui::DialogButton button) {
  switch (button) {
    case ui::DialogButton::Cancel:
      return GRIDPORT_ID_CANCEL;
    case ui::DialogButton::Yes:
      return GRIDPORT_ID_YES;
    case ui::DialogButton::No:
      return GRIDPORT_ID_NO;
    case ui::DialogButton::Ok:
      break;
  }
  return GRIDPORT_ID_OK;
}

}  // namespace

std::string TextCodec::to_host(std::string_view text) const {
  return utf8 ? std::string(text) : platform::utf8_to_gbk(text);
}

std::string TextCodec::from_host(const char* text) const {
  if (text == nullptr) return {};
  return utf8 ? std::string(text) : platform::gbk_to_utf8(text);
}

// --- Application ---

TextCodec Application::codec() const {
  bool utf8 =
      GRIDPORT_HAS(GridportApplication, table_, flags) && (table_->flags & GRIDPORT_APP_UTF8) != 0;
  return {utf8};
}

ui::DialogButton Application::message_box(const std::string& text, const std::string& caption,
                                          ui::MessageIcon icon, ui::MessageButtons buttons) const {
  return button_from_code(message_box_result(text, caption, icon, buttons));
}

int32_t Application::message_box_result(const std::string& text, const std::string& caption,
                                        ui::MessageIcon icon, ui::MessageButtons buttons) const {
  if (!GRIDPORT_USABLE(GridportApplication, table_, message_box)) {
    return button_code(ui::toolkit().message_box(text, caption, icon, buttons));
  }
  TextCodec c = codec();
  return table_->message_box(table_->context, c.to_host(text).c_str(), c.to_host(caption).c_str(),
                             icon_code(icon), buttons_code(buttons));
}

bool Application::has_error_display() const {
  return GRIDPORT_USABLE(GridportApplication, table_, show_error);
}

void Application::show_error(const std::string& message) const {
  if (!has_error_display()) return;
  table_->show_error(table_->context, codec().to_host(message).c_str());
}

// --- DataSet ---

bool DataSet::Active() const {
  return GRIDPORT_USABLE(GridportDataSet, &table_, active) && table_.active(table_.context) != 0;
}

void DataSet::DisableControls() const {
  if (GRIDPORT_USABLE(GridportDataSet, &table_, disable_controls)) {
    table_.disable_controls(table_.context);
  }
}

void DataSet::EnableControls() const {
  if (GRIDPORT_USABLE(GridportDataSet, &table_, enable_controls)) {
    table_.enable_controls(table_.context);
  }
}

void DataSet::run(Operation operation, const char* name) const {
  if (operation == nullptr) {
    throw platform::Error(std::string("the host's dataset offers no ") + name,
                          platform::ErrorKind::Unsupported);
  }
  const char* error = nullptr;
  if (operation(table_.context, &error) != 0) return;
  // A host that returns failure refuses the value or the record.
  throw platform::Error(error != nullptr ? codec_.from_host(error) : "unknown failure",
                        platform::ErrorKind::Refused);
}

void DataSet::Append() const {
  run(GRIDPORT_HAS(GridportDataSet, &table_, append) ? table_.append : nullptr, "Append");
}

void DataSet::Post() const {
  run(GRIDPORT_HAS(GridportDataSet, &table_, post) ? table_.post : nullptr, "Post");
}

void DataSet::Cancel() const {
  run(GRIDPORT_HAS(GridportDataSet, &table_, cancel) ? table_.cancel : nullptr, "Cancel");
}

void DataSet::SetFieldText(const std::string& field_name, const std::string& text) const {
  if (!GRIDPORT_USABLE(GridportDataSet, &table_, set_field_text)) {
    throw platform::Error("the host's dataset offers no field assignment",
                          platform::ErrorKind::Unsupported);
  }
  const char* error = nullptr;
  if (table_.set_field_text(table_.context, codec_.to_host(field_name).c_str(),
                            codec_.to_host(text).c_str(), &error) != 0) {
    return;
  }
  // A host that returns failure refuses the value or the record.
  throw platform::Error(error != nullptr ? codec_.from_host(error) : "unknown failure",
                        platform::ErrorKind::Refused);
}

// --- Grid ---

const GridportDataSet* Grid::dataset_table() const {
  if (!GRIDPORT_USABLE(GridportGrid, table_, data_source)) return nullptr;
  const GridportDataSource* source = table_->data_source(table_->context);
  if (!GRIDPORT_USABLE(GridportDataSource, source, dataset)) return nullptr;
  const GridportDataSet* dataset = source->dataset(source->context);
  // A table too small to hold even its context is no dataset.
  if (dataset == nullptr || dataset->size < offsetof(GridportDataSet, active)) return nullptr;
  return dataset;
}

int Grid::ColumnCount() const {
  if (!GRIDPORT_USABLE(GridportGrid, table_, column_count)) return 0;
  return std::max<int32_t>(0, table_->column_count(table_->context));
}

bool Grid::ColumnVisible(int index) const {
  // A host whose grid cannot hide columns shows them all.
  if (!GRIDPORT_USABLE(GridportGrid, table_, column_visible)) return true;
  return table_->column_visible(table_->context, index) != 0;
}

std::string Grid::ColumnTitle(int index) const {
  if (!GRIDPORT_USABLE(GridportGrid, table_, column_title)) return {};
  return codec_.from_host(table_->column_title(table_->context, index));
}

std::string Grid::ColumnFieldName(int index) const {
  if (!GRIDPORT_USABLE(GridportGrid, table_, column_field_name)) return {};
  return codec_.from_host(table_->column_field_name(table_->context, index));
}

}  // namespace gridport::host
