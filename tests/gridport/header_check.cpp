// Compiled by a test with every warning an error: the C++ adapter builds on its own, and a host
// class derived from it is concrete.
#include "gridport/gridport.hpp"

namespace {

struct Rows : gridport::DataSet {
  bool active() override { return true; }
  void append() override {}
  void set_field_text(const std::string&, const std::string&) override {}
  void post() override {}
  void cancel() override {}
};

}  // namespace

int gridport_adapter_check() {
  Rows rows;
  const char* error = nullptr;
  return rows.table()->post(rows.table()->context, &error);
}
