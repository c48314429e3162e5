// The import run: worksheet rows appended to the host's dataset, the stop button and the error
// log's counter.
#include "gridport/frm_import.h"

namespace gridport {

void Tfrm_Import::StartImportExecute() {}

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
