// A small batch-payment host for the window tests: loads the Sheetport library, shows the
// configuration dialog, runs one import, and prints what a host sees, one line per event.
// With --wx-app it is a wx program itself, whose application object the plug-in must reuse.
#include <wx/app.h>
#include <wx/init.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin_loader.h"
#include "sheetport/sheetport.h"

namespace {

void SHEETPORT_CALL on_import(int32_t code, void* data) {
  if (data != nullptr) {
    std::printf("callback %d %d\n", code, *static_cast<int32_t*>(data));
  } else {
    std::printf("callback %d\n", code);
  }
  std::fflush(stdout);
}

std::string field(const unsigned char* text) {
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

template <typename F>
F lookup(void* library, const char* name) {
  void* symbol = hosts::plugin_symbol(library, name);
  if (symbol == nullptr) {
    std::fprintf(stderr, "missing export %s\n", name);
    std::exit(2);
  }
  return reinterpret_cast<F>(symbol);
}

class HostApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s LIBRARY CONFIG_FILE [--wx-app] [--config-only]\n", argv[0]);
    return 2;
  }
  // Line by line: the driver watches the output while the host runs.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  bool wx_app = false, config_only = false;
  for (int i = 3; i < argc; ++i) {
    wx_app |= std::strcmp(argv[i], "--wx-app") == 0;
    config_only |= std::strcmp(argv[i], "--config-only") == 0;
  }
  if (wx_app) {
    wxApp::SetInstance(new HostApp);
    int wx_argc = 1;
    if (!wxEntryStart(wx_argc, argv)) return 3;
    wxTheApp->CallOnInit();
    std::printf("host app started\n");
  }
  std::string path, error;
  void* library = hosts::open_plugin_library({argv[1], nullptr, {}, {}}, path, error);
  if (library == nullptr) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  auto set_param = lookup<void(SHEETPORT_CALL*)(const unsigned char*)>(library, "SetImportParam");
  auto show_config = lookup<int32_t(SHEETPORT_CALL*)()>(library, "ShowConfigForm");
  auto do_import =
      lookup<void(SHEETPORT_CALL*)(int32_t, TImportCallback, TRecordList**)>(library, "DoImport");
  auto free_list = lookup<void(SHEETPORT_CALL*)(TRecordList**)>(library, "FreeListData");

  std::string config = argv[2];
  std::vector<unsigned char> param{static_cast<unsigned char>(config.size())};
  param.insert(param.end(), config.begin(), config.end());
  set_param(param.data());

  std::printf("config %d\n", show_config());
  std::fflush(stdout);
  if (!config_only) {
    TRecordList* list = nullptr;
    do_import(0, on_import, &list);
    std::printf("list %d\n", list == nullptr ? -1 : list->Count);
    for (int i = 0; list != nullptr && i < list->Count; ++i) {
      const TCustomerInfo& info = list->Items[i]->Info;
      std::printf("record %d %s|%s|%s|%s|%s|%s|%s\n", list->Items[i]->RecNo,
                  field(info.KHBH).c_str(), field(info.KHXM).c_str(), field(info.KHZH).c_str(),
                  field(info.JYJE).c_str(), field(info.ZJLX).c_str(), field(info.ZJHM).c_str(),
                  field(info.SSDM).c_str());
    }
    free_list(&list);
    if (list != nullptr) {
      std::free(list->Items);
      std::free(list);
    }
  }
  std::printf("done\n");
  std::fflush(stdout);
  if (wx_app) {
    // The host's application object is still its own after the plug-in's windows.
    std::printf("host app %s\n", wxTheApp != nullptr ? "kept" : "lost");
    wxEntryCleanup();
  }
  return 0;
}
