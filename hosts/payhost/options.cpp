// Parsing of payhost's command line.
#include "options.h"

#include <string_view>

namespace payhost {

std::optional<Options> parse_options(int argc, char** argv, std::string& error) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    auto value = [&](std::string_view name) -> std::optional<std::string> {
      if (i + 1 >= argc) {
        error = std::string(name) + " needs a value";
        return std::nullopt;
      }
      return std::string(argv[++i]);
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--configure") {
      options.configure = true;
    } else if (arg == "--quiet" || arg == "-q") {
      options.quiet = true;
    } else if (arg == "--config" || arg == "--library" || arg == "--format") {
      auto v = value(arg);
      if (!v) return std::nullopt;
      if (arg == "--config") {
        options.config = *v;
      } else if (arg == "--library") {
        options.library = *v;
      } else if (*v == "table") {
        options.format = Format::Table;
      } else if (*v == "csv") {
        options.format = Format::Csv;
      } else if (*v == "json") {
        options.format = Format::Json;
      } else {
        error = "--format takes table, csv or json, not \"" + *v + "\"";
        return std::nullopt;
      }
    } else {
      error = "unknown argument \"" + std::string(arg) + "\" (see --help)";
      return std::nullopt;
    }
  }
  if (!options.help && options.config.empty()) {
    error = "--config FILE is required (see --help)";
    return std::nullopt;
  }
  if (options.config.size() > 255) {
    error = "the configuration path is longer than the plug-in takes (255 bytes)";
    return std::nullopt;
  }
  return options;
}

const char* help_text() {
  return R"(payhost - a batch-payment host that imports customer records with the Sheetport plug-in

Usage:
  payhost --config FILE [--format table|csv|json] [--library PATH] [--quiet]
  payhost --configure --config FILE [--library PATH]
  payhost --help

Without --configure, payhost passes FILE (the plug-in's column map, Unfixed.ini) to the plug-in,
prints the plug-in's description, runs one import and prints the imported records: the record
number and the seven customer fields (number, name, account, amount, document type, document
number, province/city code) as an aligned table, or as CSV or JSON. Progress (records so far,
failed rows, the end) is shown on stderr. Ctrl-C asks the plug-in to stop before its next row;
the records imported until then are still printed. A Ctrl-C while the records are printed ends
the printing after a whole record (the CSV or JSON stays well-formed). A second Ctrl-C ends
payhost at once.

With --configure, payhost shows the plug-in's configuration dialog for FILE and reports whether
the settings were saved.

The plug-in asks the user for a workbook (.xls), shows the configuration dialog when FILE is
missing or unusable, and lets the user choose a worksheet. Its dialogs are answered:
  - by a person, in windows, when a display is available;
  - by a script: set PORT_UI_SCRIPT to a text file of actions, one per line, e.g.
        choose-file "examples/sample.xls"
        select TUSelSheet.ComboBox1 "Payments$"
        click TUSelSheet.Button1
    (see ui/README.md for every action); PORT_UI_TRANSCRIPT names a file that receives a
    transcript of every dialog shown. A script wins over a display.
Rows that fail to convert are written to the debug-output channel: the file named by
PORT_DEBUG_LOG, or syslog.

The plug-in library is taken from --library, else from SHEETPORT_LIBRARY, else from beside
payhost (libsheetport.so or PlugIns/libsheetport.so), else from the build tree.

Exit status:
  0  the worksheet was imported to its end
  1  stopped by Ctrl-C (the records before the stop are printed)
  2  usage error, or the plug-in could not be loaded
  3  the user cancelled the workbook prompt
  4  the chosen workbook was refused (its name does not end in .xls)
  5  no result: the configuration is unusable, or the workbook could not be read, or no
     worksheet was chosen (the debug output may say more)
With --configure: 0 when the settings were saved, 1 when not.
)";
}

}  // namespace payhost
