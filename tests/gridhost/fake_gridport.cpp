// A stand-in for libgridport.so in gridhost's tests, with the import run the real plug-in does
// not have yet: exec1 lists the grid's columns on stderr and appends the records of a
// tab-separated file (FAKE_GRIDPORT_ROWS: a line of field names, then one line per record)
// through the host's C tables, treating failing rows by the error mode as the run does.
// FAKE_GRIDPORT_STOP_AFTER=n stops after n rows, as the stop button does.
#include <gridport/gridport.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream in(line);
  std::string item;
  while (std::getline(in, item, '\t')) out.push_back(item);
  if (!line.empty() && line.back() == '\t') out.emplace_back();
  return out;
}

// Runs one dataset operation; false with the host's message in `why` when it fails.
template <class Call>
bool ok(Call call, std::string& why) {
  const char* error = nullptr;
  if (call(&error) != 0) return true;
  why = error != nullptr ? error : "unknown failure";
  return false;
}

void import_rows(const GridportDataSet& ds, int32_t error_mode) {
  const char* path = std::getenv("FAKE_GRIDPORT_ROWS");
  std::ifstream file(path != nullptr ? path : "");
  std::string line;
  std::getline(file, line);
  std::vector<std::string> names = split(line);
  const char* stop = std::getenv("FAKE_GRIDPORT_STOP_AFTER");
  int stop_after = stop != nullptr ? std::atoi(stop) : -1;
  ds.disable_controls(ds.context);
  for (int row = 0; std::getline(file, line) && row != stop_after; ++row) {
    std::vector<std::string> values = split(line);
    std::string why;
    bool stored = ok([&](const char** e) { return ds.append(ds.context, e); }, why);
    for (std::size_t i = 0; stored && i < names.size() && i < values.size(); ++i) {
      stored = ok(
          [&](const char** e) {
            return ds.set_field_text(ds.context, names[i].c_str(), values[i].c_str(), e);
          },
          why);
    }
    stored = stored && ok([&](const char** e) { return ds.post(ds.context, e); }, why);
    if (stored) continue;
    std::string ignored;
    ok([&](const char** e) { return ds.cancel(ds.context, e); }, ignored);
    if (error_mode == GRIDPORT_ERRORS_ABORT) {
      std::fprintf(stderr, "fake run aborted: %s\n", why.c_str());
      break;
    }
    if (error_mode == GRIDPORT_ERRORS_LOG) std::fprintf(stderr, "fake run log: %s\n", why.c_str());
  }
  ds.enable_controls(ds.context);
}

}  // namespace

extern "C" GRIDPORT_API int32_t GRIDPORT_CALL exec1(const GridportApplication* application,
                                                    const GridportScreen*, const GridportGrid* grid,
                                                    int32_t auto_map, int32_t error_mode) {
  std::fprintf(stderr, "fake exec1 %d %d utf8=%d\n", auto_map, error_mode,
               application != nullptr && (application->flags & GRIDPORT_APP_UTF8) ? 1 : 0);
  for (int32_t i = 0; i < grid->column_count(grid->context); ++i) {
    // A text lives only until the next call on the table: each is copied at once.
    std::string name = grid->column_field_name(grid->context, i);
    std::string title = grid->column_title(grid->context, i);
    std::fprintf(stderr, "column %s %s %s\n", name.c_str(), title.c_str(),
                 grid->column_visible(grid->context, i) ? "visible" : "hidden");
  }
  const GridportDataSource* source = grid->data_source(grid->context);
  const GridportDataSet* ds = source != nullptr ? source->dataset(source->context) : nullptr;
  if (ds == nullptr || !ds->active(ds->context)) return GRIDPORT_ID_OK;
  import_rows(*ds, error_mode);
  return GRIDPORT_CLOSED;
}

extern "C" GRIDPORT_API int32_t GRIDPORT_CALL exec(const GridportApplication* application,
                                                   const GridportScreen* screen,
                                                   const GridportGrid* grid) {
  return exec1(application, screen, grid, 2, 2);
}
