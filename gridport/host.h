// The host's objects as the plug-in sees them: the tables of include/gridport/gridport.h wrapped
// so that a failure returned by the host becomes a platform::Error, texts become UTF-8 inside,
// and a missing operation of an optional kind falls back to the plug-in's own.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gridport/gridport.h"
#include "ui/toolkit.h"

namespace gridport::host {

// How texts cross to the host: GBK unless the application table says UTF-8.
struct TextCodec {
  bool utf8 = false;
  std::string to_host(std::string_view text) const;
  std::string from_host(const char* text) const;
};

// The application object. A null table, or one without a message box or error display, gets
// the plug-in's own through the user-interface toolkit.
class Application {
 public:
  explicit Application(const GridportApplication* table) : table_(table) {}

  TextCodec codec() const;
  ui::DialogButton message_box(const std::string& text, const std::string& caption,
                               ui::MessageIcon icon, ui::MessageButtons buttons) const;
  // The same box, its result as the host's message box returned it (GRIDPORT_ID_*, or
  // whatever else the host returned).
  int32_t message_box_result(const std::string& text, const std::string& caption,
                             ui::MessageIcon icon, ui::MessageButtons buttons) const;
  // Whether the host shows failures itself; without, they go to the toolkit's error display.
  bool has_error_display() const;
  void show_error(const std::string& message) const;
  const GridportApplication* table() const { return table_; }

 private:
  const GridportApplication* table_;
};

// The dataset behind the host's grid. Every operation that the host reports as failed throws
// platform::Error with the host's message.
class DataSet {
 public:
  DataSet(const GridportDataSet& table, TextCodec codec) : table_(table), codec_(codec) {}

  bool Active() const;
  void DisableControls() const;
  void EnableControls() const;
  void Append() const;
  // FieldByName(name).AsString = text
  void SetFieldText(const std::string& field_name, const std::string& text) const;
  void Post() const;
  void Cancel() const;

 private:
  using Operation = int32_t(GRIDPORT_CALL*)(void*, const char**);
  void run(Operation operation, const char* name) const;
  const GridportDataSet& table_;
  TextCodec codec_;
};

// The host's grid. Null tables and missing operations read as a grid without data source or
// columns.
class Grid {
 public:
  Grid(const GridportGrid* table, TextCodec codec) : table_(table), codec_(codec) {}

  // The dataset behind the grid's data source, or null when the grid, its data source or its
  // dataset is missing.
  const GridportDataSet* dataset_table() const;
  int ColumnCount() const;
  bool ColumnVisible(int index) const;
  std::string ColumnTitle(int index) const;
  std::string ColumnFieldName(int index) const;
  TextCodec codec() const { return codec_; }

 private:
  const GridportGrid* table_;
  TextCodec codec_;
};

}  // namespace gridport::host
