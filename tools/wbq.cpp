// wbq: lists a workbook's tables or prints one table's records as TSV, CSV or JSON, for people
// and scripts. Exit status 0 on success, 2 with one line on stderr for any failure.
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "platform/console.h"
#include "platform/text.h"
#include "tools/wbq_output.h"
#include "workbook/connection.h"
#include "workbook/query.h"
#include "workbook/query_text.h"

namespace {

constexpr const char* kUsage =
    "usage: wbq FILE                      list the tables of an .xls or .xlsx workbook\n"
    "       wbq FILE --sheet NAME [OPTIONS]   print a worksheet by its own name\n"
    "       wbq FILE --table 'NAME$' [OPTIONS] print a table by its provider name\n"
    "options:\n"
    "  --where COND            keep the records for which the SQL condition holds\n"
    "  --format tsv|csv|json   output shape (default tsv: tab-separated, with \\\\ \\t \\n \\r\n"
    "                          escapes inside cells)\n"
    "  --encoding utf8|gbk     output encoding (default utf8)\n"
    "  --raw                   the header line as the sheet has it (empty and repeated names\n"
    "                          unchanged), to compare with another reader's dump; tsv or csv\n"
    "  --help                  this text\n"
    "The first line of TSV and CSV output holds the field names. Exit status: 0 on success,\n"
    "2 with a one-line message on standard error for any failure.\n";

struct Usage : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string file;
  std::optional<std::string> sheet, table, where;
  wbq::Format format = wbq::Format::Tsv;
  bool gbk = false;
  bool raw = false;
  bool help = false;
};

Options parse_args(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::optional<std::string> inline_value;
    if (arg.rfind("--", 0) == 0) {
      auto eq = arg.find('=');
      if (eq != std::string::npos) {
        inline_value = arg.substr(eq + 1);
        arg.erase(eq);
      }
    }
    auto value = [&]() -> std::string {
      if (inline_value) return *inline_value;
      if (i + 1 >= argc) throw Usage("the option " + arg + " needs a value");
      return argv[++i];
    };
    if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--raw") {
      o.raw = true;
    } else if (arg == "--sheet") {
      o.sheet = value();
    } else if (arg == "--table") {
      o.table = value();
    } else if (arg == "--where") {
      o.where = value();
    } else if (arg == "--format") {
      std::string f = value();
      if (f == "tsv")
        o.format = wbq::Format::Tsv;
      else if (f == "csv")
        o.format = wbq::Format::Csv;
      else if (f == "json")
        o.format = wbq::Format::Json;
      else
        throw Usage("unknown format \"" + f + "\" (tsv, csv or json)");
    } else if (arg == "--encoding") {
      std::string e = value();
      if (e == "gbk" || e == "GBK")
        o.gbk = true;
      else if (e != "utf8" && e != "utf-8" && e != "UTF-8")
        throw Usage("unknown encoding \"" + e + "\" (utf8 or gbk)");
    } else if (arg.size() > 1 && arg[0] == '-') {
      throw Usage("unknown option " + arg);
    } else if (o.file.empty()) {
      o.file = arg;
    } else {
      throw Usage("more than one workbook named (" + o.file + ", " + arg + ")");
    }
  }
  if (o.help) return o;
  if (o.file.empty()) throw Usage("no workbook named");
  if (o.sheet && o.table) throw Usage("give --sheet or --table, not both");
  if (o.where && !o.sheet && !o.table) throw Usage("--where needs --sheet or --table");
  if (o.raw && !o.sheet && !o.table) throw Usage("--raw needs --sheet or --table");
  // JSON keys records by field name, which a raw header does not give uniquely.
  if (o.raw && o.format == wbq::Format::Json) throw Usage("--raw prints tsv or csv, not json");
  return o;
}

class Output {
 public:
  explicit Output(bool gbk) : gbk_(gbk) {}
  std::string& buffer() { return buffer_; }
  // Called at line ends only, so that no character is split between two writes.
  void flush_if_full() {
    if (buffer_.size() >= (1u << 16)) flush();
  }
  void flush() {
    if (gbk_) buffer_ = platform::utf8_to_gbk(buffer_);
    if (std::fwrite(buffer_.data(), 1, buffer_.size(), stdout) != buffer_.size())
      throw std::runtime_error("cannot write the output: " + std::string(std::strerror(errno)));
    buffer_.clear();
  }

 private:
  bool gbk_;
  std::string buffer_;
};

int run(const Options& o) {
  workbook::Connection connection("Data Source=" + o.file + ";Persist Security Info=False");
  connection.Connect();
  Output out(o.gbk);
  if (!o.sheet && !o.table) {
    for (const auto& name : connection.GetTableNames()) out.buffer() += name + "\n";
    out.flush();
    return 0;
  }
  std::string table = o.table ? *o.table : workbook::table_name_for_sheet(*o.sheet);
  std::string sql = "select * from [" + table + "]";
  if (o.where) sql += " where " + *o.where;
  workbook::Query query(connection);
  query.SetSQL(sql);
  query.Open();

  wbq::RecordWriter writer(o.format);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < query.FieldCount(); ++i) names.push_back(query.Fields(i).FieldName());
  writer.header(out.buffer(), o.raw ? query.header_texts() : names);
  for (query.First(); !query.Eof(); query.Next()) {
    writer.record(out.buffer(), query.values());
    out.flush_if_full();
  }
  writer.footer(out.buffer());
  out.flush();
  return 0;
}

// One line: newlines inside a message would break scripts that read stderr by line.
void report(const std::string& message) {
  std::string line = message;
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
  std::fprintf(stderr, "wbq: %s\n", line.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  platform::write_stdout_as_bytes();
  try {
    Options o = parse_args(argc, argv);
    if (o.help) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    int rc = run(o);
    if (std::fflush(stdout) != 0) throw std::runtime_error("cannot write the output");
    return rc;
  } catch (const Usage& e) {
    report(std::string(e.what()) + " (wbq --help for usage)");
  } catch (const std::exception& e) {
    report(e.what());
  } catch (...) {
    report("unexpected failure");
  }
  return 2;
}
