// payhost: runs the Sheetport plug-in the way a batch-payment host does and prints what it imports.
#include <sheetport/sheetport.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "host_text.h"
#include "options.h"
#include "plugin_loader.h"
#include "records_output.h"
#include "system.h"

namespace payhost {
namespace {

enum Exit { kDone = 0, kStopped = 1, kUsage = 2, kCancelled = 3, kRefused = 4, kNoResult = 5 };

struct Plugin {
  void* handle = nullptr;  // kept open: the plug-in stays loaded until payhost ends
  decltype(&SetImportParam) set_import_param = nullptr;
  decltype(&ShowConfigForm) show_config_form = nullptr;
  decltype(&DoImport) do_import = nullptr;
  decltype(&StopImport) stop_import = nullptr;
  decltype(&GetDescription) get_description = nullptr;
  decltype(&FreeListData) free_list_data = nullptr;
};

// What the callbacks told us; the callback has no context argument, so this lives at file level.
struct RunState {
  const Plugin* plugin = nullptr;
  bool show_progress = false;
  int records = 0;
  int failed = 0;
  int rows = 0;
  bool finished = false;
  bool cancelled = false;
  bool refused = false;
  bool stop_sent = false;
  int interrupt_after = -1;  // tests: a Ctrl-C of our own after this many records
};
RunState g_run;
volatile std::sig_atomic_t g_interrupted = 0;

void on_interrupt(int) {
  g_interrupted = 1;
}

template <typename T>
bool bind(void* handle, const char* name, T& slot, std::string& error) {
  slot = reinterpret_cast<T>(hosts::plugin_symbol(handle, name));
  if (slot == nullptr) error = std::string("the plug-in does not export ") + name;
  return slot != nullptr;
}

bool load_plugin(const Options& options, Plugin& plugin, std::string& error) {
  hosts::LibrarySearch search{options.library, "SHEETPORT_LIBRARY", kPluginFileName, {}};
#ifdef PAYHOST_BUILD_PLUGIN
  search.build_path = PAYHOST_BUILD_PLUGIN;
#endif
  std::string path;
  plugin.handle = hosts::open_plugin_library(search, path, error);
  return plugin.handle != nullptr &&
         bind(plugin.handle, "SetImportParam", plugin.set_import_param, error) &&
         bind(plugin.handle, "ShowConfigForm", plugin.show_config_form, error) &&
         bind(plugin.handle, "DoImport", plugin.do_import, error) &&
         bind(plugin.handle, "StopImport", plugin.stop_import, error) &&
         bind(plugin.handle, "GetDescription", plugin.get_description, error) &&
         bind(plugin.handle, "FreeListData", plugin.free_list_data, error);
}

void show_progress(bool final_line) {
  if (!g_run.show_progress) return;
  std::cerr << "\rimported " << g_run.records << " records, " << g_run.failed << " failed rows"
            << (final_line ? "\n" : "") << std::flush;
}

void SHEETPORT_CALL on_import_event(int32_t code, void* data) {
  switch (code) {
    case SHEETPORT_RECORD_ADDED:
      ++g_run.records;
      if (g_run.records % 128 == 0) show_progress(false);
      if (g_run.records == g_run.interrupt_after) std::raise(SIGINT);
      break;
    case SHEETPORT_ROW_FAILED:
      ++g_run.failed;
      show_progress(false);
      break;
    case SHEETPORT_FINISHED:
      g_run.finished = true;
      if (data != nullptr) g_run.rows = *static_cast<int32_t*>(data);
      show_progress(true);
      break;
    case SHEETPORT_NOT_XLS:
      g_run.refused = true;
      break;
    case SHEETPORT_CANCELLED:
      g_run.cancelled = true;
      break;
    default:
      break;
  }
  // The plug-in takes a stop only between rows, so the request goes in from here.
  if (g_interrupted && !g_run.stop_sent) {
    g_run.stop_sent = true;
    g_run.plugin->stop_import();
  }
}

std::string description_line(const Plugin& plugin) {
  PluginDescription desc;
  plugin.get_description(&desc);
  auto text = [](const char* field, std::size_t size) {
    return hosts::gbk_to_utf8(std::string(field, strnlen(field, size)));
  };
  return text(desc.Name, sizeof desc.Name) + " " + text(desc.Version, sizeof desc.Version) + " (" +
         text(desc.Date, sizeof desc.Date) +
         "): " + text(desc.Description, sizeof desc.Description);
}

void release_list(const Plugin& plugin, TRecordList*& list) {
  if (list == nullptr) return;
  plugin.free_list_data(&list);
  // The list object is ours once the plug-in is done with it.
  std::free(list->Items);
  std::free(list);
  list = nullptr;
}

int run_import(const Options& options, const Plugin& plugin) {
  std::ostream& info = options.format == Format::Table ? std::cout : std::cerr;
  info << description_line(plugin) << "\n";

  // A second Ctrl-C ends payhost at once.
  catch_first_interrupt(on_interrupt);

  g_run.plugin = &plugin;
  g_run.show_progress = !options.quiet && stderr_is_terminal();
  if (const char* n = std::getenv("PAYHOST_TEST_INTERRUPT_AFTER"); n && *n) {
    g_run.interrupt_after = std::atoi(n);
  }
  TRecordList* list = nullptr;
  // The handler stays for the printing, which a Ctrl-C ends at a record boundary.
  plugin.do_import(0, on_import_event, &list);

  if (g_run.cancelled) {
    std::cerr << "payhost: the workbook prompt was cancelled\n";
    release_list(plugin, list);
    return kCancelled;
  }
  if (g_run.refused) {
    std::cerr << "payhost: the workbook was refused: the plug-in reads only .xls workbooks\n";
    release_list(plugin, list);
    return kRefused;
  }
  if (!g_run.finished) {
    std::cerr << "payhost: the import ended without a result: the configuration " << options.config
              << " is unusable, or the workbook could not be read, or no worksheet was chosen\n";
    release_list(plugin, list);
    return kNoResult;
  }
  bool import_stopped = g_interrupted != 0;
  // Only a Ctrl-C that comes during the printing ends it; after one in the import the next
  // ends payhost.
  std::size_t printed = print_records(std::cout, list, options.format, [import_stopped] {
    return !import_stopped && g_interrupted != 0;
  });
  std::cout.flush();
  bool print_stopped = !import_stopped && g_interrupted != 0;
  if (!options.quiet) {
    std::cerr << "payhost: " << (g_interrupted ? "stopped" : "finished") << " after " << g_run.rows
              << " rows: " << g_run.records << " records, " << g_run.failed << " failed rows";
    if (print_stopped) std::cerr << "; printing stopped after " << printed << " records";
    std::cerr << "\n";
  }
  release_list(plugin, list);
  return g_interrupted ? kStopped : kDone;
}

}  // namespace
}  // namespace payhost

int main(int argc, char** argv) {
  using namespace payhost;
  prepare_console();
  std::string error;
  auto options = parse_options(argc, argv, error);
  if (!options) {
    std::cerr << "payhost: " << error << "\n";
    return kUsage;
  }
  if (options->help) {
    std::cout << help_text();
    return kDone;
  }
  Plugin plugin;
  if (!load_plugin(*options, plugin, error)) {
    std::cerr << "payhost: " << error << "\n";
    return kUsage;
  }
  std::vector<unsigned char> param(1 + options->config.size());
  param[0] = static_cast<unsigned char>(options->config.size());
  std::memcpy(param.data() + 1, options->config.data(), options->config.size());
  plugin.set_import_param(param.data());

  if (options->configure) {
    bool saved = plugin.show_config_form() == 0;
    std::cerr << "payhost: the settings were " << (saved ? "saved to " : "not saved to ")
              << options->config << "\n";
    return saved ? kDone : kStopped;
  }
  return run_import(*options, plugin);
}
