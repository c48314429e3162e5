// gridhost's application, screen and grid as the plug-in sees them: the C++ adapter's classes
// over the SQLite dataset and the grid's columns. Texts cross as UTF-8.
#pragma once

#include <gridport/gridport.hpp>
#include <string>
#include <vector>

#include "grid_columns.h"
#include "table_dataset.h"

namespace gridhost {

class HostDataSet : public gridport::DataSet {
 public:
  explicit HostDataSet(TableDataset& table) : table_(table) {}

  bool active() override { return true; }
  void disable_controls() override { table_.disable_controls(); }
  // The plug-in cannot take a failure here, so a commit that fails is kept for the host to show.
  void enable_controls() override;
  void append() override { table_.append(); }
  void set_field_text(const std::string& field_name, const std::string& text) override {
    table_.set_field_text(field_name, text);
  }
  void post() override { table_.post(); }
  void cancel() override { table_.cancel(); }

  // The failure of the last resume's commit, empty when it stored everything.
  const std::string& store_failure() const { return store_failure_; }

 private:
  TableDataset& table_;
  std::string store_failure_;
};

class HostDataSource : public gridport::DataSource {
 public:
  explicit HostDataSource(HostDataSet& dataset) : dataset_(dataset) {}
  gridport::DataSet* dataset() override { return &dataset_; }

 private:
  HostDataSet& dataset_;
};

class HostGrid : public gridport::Grid {
 public:
  HostGrid(HostDataSource& source, std::vector<GridColumn> columns)
      : source_(source), columns_(std::move(columns)) {}

  gridport::DataSource* data_source() override { return &source_; }
  int32_t column_count() override { return static_cast<int32_t>(columns_.size()); }
  bool column_visible(int32_t index) override { return column(index).visible; }
  std::string column_title(int32_t index) override { return column(index).caption; }
  std::string column_field_name(int32_t index) override { return column(index).field_name; }
  const std::vector<GridColumn>& columns() const { return columns_; }

 private:
  const GridColumn& column(int32_t index) const;
  HostDataSource& source_;
  std::vector<GridColumn> columns_;
};

// Message boxes and the error display are the plug-in's own (its windows, or its script), so
// that one script answers every dialog of a run.
class HostApplication : public gridport::Application {
 public:
  HostApplication() : gridport::Application(GRIDPORT_APP_UTF8) {
    use_plugin_message_box();
    use_plugin_error_display();
  }
};

// Everything the plug-in is handed for one table, built once and kept in place while it runs.
struct HostObjects {
  explicit HostObjects(TableDataset& table)
      : dataset(table), source(dataset), grid(source, load_grid_columns(table)) {}

  HostApplication application;
  gridport::Screen screen;
  HostDataSet dataset;
  HostDataSource source;
  HostGrid grid;
};

}  // namespace gridhost
