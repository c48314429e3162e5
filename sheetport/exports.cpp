// The six functions a host calls. Each catches every failure at its edge: nothing thrown inside
// the plug-in reaches the host.
#include <cstring>
#include <ctime>

#include "platform/debug_output.h"
#include "sheetport/description.h"
#include "sheetport/module_state.h"
#include "sheetport/record_list.h"
#include "sheetport/sheetport.h"

using namespace sheetport;

extern "C" {

SHEETPORT_API void SHEETPORT_CALL SetImportParam(const unsigned char* Param) {
  auto& param = module_state().ImportParam;
  std::memset(param, 0, sizeof param);
  if (Param == nullptr) return;
  std::memcpy(param, Param, 1u + Param[0]);
}

SHEETPORT_API int32_t SHEETPORT_CALL ShowConfigForm(void) {
  return 1;
}

SHEETPORT_API void SHEETPORT_CALL DoImport(int32_t, TImportCallback, TRecordList**) {}

SHEETPORT_API void SHEETPORT_CALL StopImport(void) {
  module_state().StopRequested.store(true);
}

SHEETPORT_API void SHEETPORT_CALL GetDescription(PluginDescription* Desc) {
  if (Desc == nullptr) return;
  fill_description(*Desc, std::time(nullptr));
}

SHEETPORT_API void SHEETPORT_CALL FreeListData(TRecordList** ListVar) {
  // A host variable without a list holds nothing to release.
  if (ListVar == nullptr || *ListVar == nullptr) return;
  list_release_records(**ListVar);
}

}  // extern "C"
