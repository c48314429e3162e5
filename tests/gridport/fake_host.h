// A grid host for the tests, built on the C++ adapter: columns as given, a dataset that can be
// closed or missing, and every assignment, post and cancel written down.
#pragma once

#include <string>
#include <vector>

#include "gridport/gridport.hpp"

namespace gridport::testing {

struct FakeColumn {
  std::string title;
  std::string field;
  bool visible = true;
};

class FakeDataSet : public gridport::DataSet {
 public:
  bool open = true;
  std::vector<std::string> log;  // "append", "set F=V", "post", "cancel"

  bool active() override { return open; }
  void append() override { log.push_back("append"); }
  void set_field_text(const std::string& field, const std::string& text) override {
    log.push_back("set " + field + "=" + text);
  }
  void post() override { log.push_back("post"); }
  void cancel() override { log.push_back("cancel"); }
};

class FakeSource : public gridport::DataSource {
 public:
  explicit FakeSource(FakeDataSet* dataset) : dataset_(dataset) {}
  gridport::DataSet* dataset() override { return dataset_; }

 private:
  FakeDataSet* dataset_;
};

class FakeGrid : public gridport::Grid {
 public:
  FakeGrid(FakeSource* source, std::vector<FakeColumn> columns)
      : source_(source), columns_(std::move(columns)) {}
  gridport::DataSource* data_source() override { return source_; }
  int32_t column_count() override { return static_cast<int32_t>(columns_.size()); }
  bool column_visible(int32_t i) override { return columns_.at(i).visible; }
  std::string column_title(int32_t i) override { return columns_.at(i).title; }
  std::string column_field_name(int32_t i) override { return columns_.at(i).field; }

 private:
  FakeSource* source_;
  std::vector<FakeColumn> columns_;
};

// A whole host: grid, data source and open dataset.
struct FakeHost {
  explicit FakeHost(std::vector<FakeColumn> columns) : grid(&source, std::move(columns)) {}
  FakeDataSet dataset;
  FakeSource source{&dataset};
  FakeGrid grid;
};

// A UTF-8 application that keeps the plug-in's own message boxes and writes down what reaches
// its error display.
class FakeApplication : public gridport::Application {
 public:
  FakeApplication() : gridport::Application(GRIDPORT_APP_UTF8) { use_plugin_message_box(); }
  std::vector<std::string> errors;
  void show_error(const std::string& message) override { errors.push_back(message); }
};

}  // namespace gridport::testing
