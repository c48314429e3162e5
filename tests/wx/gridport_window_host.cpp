// A grid host for the window tests: loads libgridport.so, hands it a grid of three columns over
// an open dataset, and prints the export's result. Message boxes and the error display are the
// plug-in's own, so that they appear as windows too. With --wx-parent it is a wx program whose
// frame the dialog is modal over.
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "gridport/gridport.hpp"
#include "plugin_loader.h"

namespace {

class Rows : public gridport::DataSet {
 public:
  bool active() override { return true; }
  void append() override { std::printf("append\n"); }
  void set_field_text(const std::string& field, const std::string& text) override {
    std::printf("set %s=%s\n", field.c_str(), text.c_str());
  }
  void post() override { std::printf("post\n"); }
  void cancel() override { std::printf("cancel\n"); }
};

class Source : public gridport::DataSource {
 public:
  explicit Source(Rows& rows) : rows_(rows) {}
  gridport::DataSet* dataset() override { return &rows_; }

 private:
  Rows& rows_;
};

class Columns : public gridport::Grid {
 public:
  explicit Columns(Source& source) : source_(source) {}
  gridport::DataSource* data_source() override { return &source_; }
  int32_t column_count() override { return static_cast<int32_t>(titles_.size()); }
  bool column_visible(int32_t) override { return true; }
  std::string column_title(int32_t i) override { return titles_.at(i); }
  std::string column_field_name(int32_t i) override {
    std::string name = "F";
    name += std::to_string(i);
    return name;
  }

 private:
  Source& source_;
  std::vector<std::string> titles_{"编号", "姓名", "金额"};
};

class Host : public gridport::Application {
 public:
  Host() : gridport::Application(GRIDPORT_APP_UTF8) {
    use_plugin_message_box();
    use_plugin_error_display();
  }
};

class HostApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s LIBRARY [--wx-parent]\n", argv[0]);
    return 2;
  }
  // Line by line: the driver watches the output while the host runs.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  const bool wx_parent = argc > 2 && std::strcmp(argv[2], "--wx-parent") == 0;
  wxFrame* frame = nullptr;
  if (wx_parent) {
    wxApp::SetInstance(new HostApp);
    int wx_argc = 1;
    if (!wxEntryStart(wx_argc, argv)) return 3;
    wxTheApp->CallOnInit();
    frame = new wxFrame(nullptr, wxID_ANY, "Grid host");
    frame->Show();
  }
  std::string path, error;
  void* library = hosts::open_plugin_library({argv[1], nullptr, {}, {}}, path, error);
  if (library == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  using Exec = int32_t(GRIDPORT_CALL*)(const GridportApplication*, const GridportScreen*,
                                       const GridportGrid*);
  auto exec = reinterpret_cast<Exec>(hosts::plugin_symbol(library, "exec"));
  if (exec == nullptr) return 2;
  Rows rows;
  Source source(rows);
  Columns grid(source);
  Host app;
  if (frame != nullptr) app.set_parent(GRIDPORT_PARENT_WX, frame);
  gridport::Screen screen;
  std::printf("result %d\n", exec(app.table(), screen.table(), grid.table()));
  std::printf("done\n");
  if (frame != nullptr) {
    frame->Destroy();
    wxEntryCleanup();
  }
  return 0;
}
