// gridhost: a grid over a SQLite table that imports worksheets with the Gridport plug-in, in a
// window or headless.
#include <iostream>

#include "error.h"
#include "host_objects.h"
#include "host_window.h"
#include "options.h"
#include "plugin_library.h"
#include "rows_output.h"

namespace gridhost {
namespace {

int run_headless(const Options& options, const PluginLibrary& plugin, TableDataset& table) {
  HostObjects objects(table);
  int32_t result =
      options.modes_given
          ? plugin.exec1(objects.application.table(), objects.screen.table(), objects.grid.table(),
                         options.auto_map, options.error_mode)
          : plugin.exec(objects.application.table(), objects.screen.table(), objects.grid.table());
  try {
    table.commit();
  } catch (const Error& e) {
    std::cerr << "gridhost: the added rows could not be stored: " << e.what() << "\n";
    return kDatabaseError;
  }
  if (!objects.dataset.store_failure().empty()) return kDatabaseError;
  auto added = table.posted_rowids().size();
  print_added_rows(std::cout, table, objects.grid.columns(), options.format);
  if (!options.quiet) {
    std::cerr << "gridhost: the plug-in returned " << result << "; " << added
              << (added == 1 ? " row" : " rows") << " added to " << table.table() << ", which has "
              << table.row_count() << (table.row_count() == 1 ? " row" : " rows") << " now\n";
  }
  return added > 0 ? kImported : kNotImported;
}

}  // namespace
}  // namespace gridhost

int main(int argc, char** argv) {
  using namespace gridhost;
  std::string error;
  auto options = parse_options(argc, argv, error);
  if (!options) {
    std::cerr << "gridhost: " << error << "\n";
    return kUsage;
  }
  if (options->help) {
    std::cout << help_text();
    return kImported;
  }
  auto plugin = load_plugin(options->library, error);
  if (!plugin) {
    std::cerr << "gridhost: " << error << "\n";
    return kPluginError;
  }
  try {
    TableDataset table(options->db, options->table, options->create);
    return options->window ? run_window(*options, *plugin, table)
                           : run_headless(*options, *plugin, table);
  } catch (const Error& e) {
    std::cerr << "gridhost: " << e.what() << "\n";
    return kDatabaseError;
  }
}
