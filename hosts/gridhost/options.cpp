// Parsing of gridhost's command line.
#include "options.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace gridhost {
namespace {

std::optional<int32_t> mode_value(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
    return std::nullopt;
  }
  return static_cast<int32_t>(value);
}

}  // namespace

std::optional<Options> parse_options(int argc, char** argv, std::string& error) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--window") {
      options.window = true;
      continue;
    }
    if (arg == "--quiet" || arg == "-q") {
      options.quiet = true;
      continue;
    }
    bool takes_value = arg == "--db" || arg == "--table" || arg == "--create" ||
                       arg == "--library" || arg == "--format" || arg == "--auto-map" ||
                       arg == "--error-mode";
    if (!takes_value) {
      error = "unknown argument \"" + std::string(arg) + "\" (see --help)";
      return std::nullopt;
    }
    if (i + 1 >= argc) {
      error = std::string(arg) + " needs a value";
      return std::nullopt;
    }
    std::string value = argv[++i];
    if (arg == "--db") {
      options.db = value;
    } else if (arg == "--table") {
      options.table = value;
    } else if (arg == "--create") {
      options.create = value;
    } else if (arg == "--library") {
      options.library = value;
    } else if (arg == "--format") {
      if (value == "table") {
        options.format = Format::Table;
      } else if (value == "csv") {
        options.format = Format::Csv;
      } else if (value == "json") {
        options.format = Format::Json;
      } else {
        error = "--format takes table, csv or json, not \"" + value + "\"";
        return std::nullopt;
      }
    } else {
      auto mode = mode_value(value);
      if (!mode) {
        error = std::string(arg) + " takes a whole number, not \"" + value + "\"";
        return std::nullopt;
      }
      (arg == "--auto-map" ? options.auto_map : options.error_mode) = *mode;
      options.modes_given = true;
    }
  }
  if (!options.help && (options.db.empty() || options.table.empty())) {
    error = "--db FILE and --table NAME are required (see --help)";
    return std::nullopt;
  }
  return options;
}

const char* help_text() {
  return R"(gridhost - a grid host over a table of a SQLite database, importing with the Gridport plug-in

Usage:
  gridhost --db FILE --table NAME [--auto-map N] [--error-mode N] [--format table|csv|json]
           [--create COLUMNS] [--library PATH] [--quiet]
  gridhost --window --db FILE --table NAME [--auto-map N] [--error-mode N] [--create COLUMNS]
           [--library PATH]
  gridhost --help

gridhost opens (or creates) FILE and its table NAME; with --create, a missing table is created
with COLUMNS, e.g. --create "code VARCHAR(10) NOT NULL UNIQUE, amount DECIMAL(12,2), paid DATE".
The grid's columns are the table's; a table grid_columns in the same database (table_name,
field_name, caption, visible, position) gives them captions, hides some and orders them.

Fields are typed by their declared types: INTEGER; REAL; DECIMAL(p,s) or NUMERIC(p,s), checked
against p and s exactly (and refused beyond the digits SQLite keeps exactly); DATE (stored as
YYYY-MM-DD; 2024-03-05, 2024/3/5, 2024.3.5, 2024年3月5日, each with or without a time, are
accepted) and DATETIME; VARCHAR(n), counted in characters. Text a field refuses, and records
that NOT NULL, UNIQUE or CHECK refuse, fail their worksheet row with a message in Chinese that
the plug-in's error log shows. Empty text stores NULL.

Without --window, gridhost calls the plug-in once (exec1 with --auto-map and --error-mode, or
exec when neither is given: both modes 2), then prints the rows the import added, with the
grid's visible columns (an aligned table under the captions, or CSV or JSON keyed by field
name), and a one-line summary on stderr. The plug-in's dialogs are answered:
  - by a script: set PORT_UI_SCRIPT to a text file of actions, one per line, e.g.
        invoke Tfrm_Import.SelectExcel
        choose-file "examples/grid-sample.xlsx"
        click Tfrm_Import.Button2
        answer-message OK
        click Tfrm_Import.Button3
    (see ui/README.md); PORT_UI_TRANSCRIPT names a file that receives a transcript;
  - else by a person, in windows, when a display is available.

With --window, gridhost shows the table in a window: the command 导入 (Ctrl+I) calls exec1 with
the modes chosen in its menu (at first --auto-map and --error-mode), the status bar shows the
row count, and the grid is refreshed when the plug-in resumes its refresh.

Modes: --auto-map 1 pre-fills the mapping by column position, any other value by name;
--error-mode 1 aborts at the first failing row, 2 logs failing rows and goes on, any other value
drops them silently.

Posts are committed in batches of 1000 during an import and whenever the plug-in resumes
refresh (at the end of every import, stopped or aborted ones too). The database runs in WAL
mode: other programs may read it meanwhile, and a killed gridhost loses at most the open batch.

The plug-in library is taken from --library, else from GRIDPORT_LIBRARY, else from beside
gridhost (libgridport.so or PlugIns/libgridport.so), else from the build tree.

Exit status:
  0  the dialog was closed after the import added rows
  1  the dialog was closed and no row was added
  2  usage error
  3  the plug-in could not be loaded
  4  the database or table could not be opened, or the added rows could not be stored
  5  --window without a display
)";
}

}  // namespace gridhost
