// The parts of the host objects that do more than forward.
#include "host_objects.h"

#include <iostream>

#include "error.h"

namespace gridhost {

void HostDataSet::enable_controls() {
  store_failure_.clear();
  try {
    table_.enable_controls();
  } catch (const std::exception& e) {
    store_failure_ = e.what();
    std::cerr << "gridhost: " << e.what() << "\n";
  }
}

const GridColumn& HostGrid::column(int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= columns_.size()) {
    throw Error("no grid column " + std::to_string(index));
  }
  return columns_[static_cast<std::size_t>(index)];
}

}  // namespace gridhost
