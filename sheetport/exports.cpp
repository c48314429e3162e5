// The six functions a host calls. Each catches every failure at its edge: nothing thrown inside
// the plug-in reaches the host.
#include <cstring>
#include <ctime>
#include <exception>
#include <string>

#include "platform/debug_output.h"
#include "platform/error.h"
#include "platform/text.h"
#include "sheetport/description.h"
#include "sheetport/import.h"
#include "sheetport/module_state.h"
#include "sheetport/record_list.h"
#include "sheetport/sheetport.h"

using namespace sheetport;

namespace {

// Called inside a catch block: tells the debug output what stopped an export.
void report_escaped(const char* where) {
  std::string why = platform::current_failure_text();
  try {
    platform::debug_output(platform::utf8_to_gbk(std::string("Sheetport: ") + where + ": " + why));
  } catch (...) {
    // Not even the report could be made; the host must still get control back.
  }
}

}  // namespace

extern "C" {

SHEETPORT_API void SHEETPORT_CALL SetImportParam(const unsigned char* Param) {
  auto& param = module_state().ImportParam;
  std::memset(param, 0, sizeof param);
  if (Param == nullptr) return;
  std::memcpy(param, Param, 1u + Param[0]);
}

SHEETPORT_API int32_t SHEETPORT_CALL ShowConfigForm(void) {
  try {
    return run_config_form();
  } catch (...) {
    report_escaped("ShowConfigForm");
    return 1;
  }
}

SHEETPORT_API void SHEETPORT_CALL DoImport(int32_t, TImportCallback Callback,
                                           TRecordList** ListVar) {
  try {
    run_import(Callback, ListVar);
  } catch (...) {
    report_escaped("DoImport");
  }
}

SHEETPORT_API void SHEETPORT_CALL StopImport(void) {
  module_state().StopRequested.store(true);
}

SHEETPORT_API void SHEETPORT_CALL GetDescription(PluginDescription* Desc) {
  if (Desc == nullptr) return;
  try {
    fill_description(*Desc, std::time(nullptr));
  } catch (...) {
    report_escaped("GetDescription");
  }
}

SHEETPORT_API void SHEETPORT_CALL FreeListData(TRecordList** ListVar) {
  // A host variable without a list holds nothing to release.
  if (ListVar == nullptr || *ListVar == nullptr) return;
  list_release_records(**ListVar);
}

}  // extern "C"
