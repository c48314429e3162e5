// A grid host for the import benchmark: loads libgridport.so and hands it a grid of the eight
// columns of the benchmark workbooks over a dataset that stores each posted record in a SQLite
// table, as a host's dataset does. It prints how long the run took, from the suspension of the
// grid's refresh to its resumption (wall and processor time), and the rows stored.
//   bench_import_host LIBRARY DATABASE
// The dialog is answered by PORT_UI_SCRIPT, or by a person (or a driver) in windows.
#include <dlfcn.h>
#include <iconv.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <stdexcept>
#include <string>
#include <vector>

#include "gridport/gridport.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// The process's processor time so far, in seconds: steadier than wall time on a shared machine.
double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The workbooks' header names, which are the grid's titles, so that the mapping by name takes
// every column.
const std::vector<std::string> kTitles = {"客户编号", "客户名称", "客户账号", "交易金额",
                                          "证件类型", "证件号码", "省市代码", "日期"};
const std::vector<std::string> kFields = {"KHBH", "KHMC", "KHZH", "JYJE",
                                          "ZJLX", "ZJHM", "SSDM", "RQ"};
// Records stored per transaction, as a host that commits in batches while refresh is off.
constexpr int kCommitEvery = 1000;

// The titles as the host keeps them, in GBK.
std::string to_gbk(const std::string& utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string out(utf8.size() * 2, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t in_left = utf8.size(), out_left = out.size();
  char* to = out.data();
  iconv(cd, &in, &in_left, &to, &out_left);
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

class Database {
 public:
  explicit Database(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) fail("open");
    exec("PRAGMA journal_mode=WAL");
    exec("PRAGMA synchronous=NORMAL");
    exec("DROP TABLE IF EXISTS t");
    std::string create = "CREATE TABLE t (";
    std::string insert = "INSERT INTO t VALUES (";
    for (std::size_t i = 0; i < kFields.size(); ++i) {
      create += (i ? ", " : "") + kFields[i] + " TEXT";
      insert += i ? ", ?" : "?";
    }
    exec(create + ")");
    if (sqlite3_prepare_v2(db_, (insert + ")").c_str(), -1, &insert_, nullptr) != SQLITE_OK) {
      fail("prepare");
    }
  }
  ~Database() {
    sqlite3_finalize(insert_);
    sqlite3_close(db_);
  }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  void exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) fail(sql);
  }
  void insert(const std::vector<std::string>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      sqlite3_bind_text(insert_, int(i) + 1, values[i].data(), int(values[i].size()),
                        SQLITE_STATIC);
    }
    if (sqlite3_step(insert_) != SQLITE_DONE) fail("insert");
    sqlite3_reset(insert_);
  }
  long long count() {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db_, "SELECT count(*) FROM t", -1, &st, nullptr);
    long long n = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    return n;
  }

 private:
  [[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + sqlite3_errmsg(db_));
  }
  sqlite3* db_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
};

class Table : public gridport::DataSet {
 public:
  explicit Table(Database& db) : db_(db), values_(kFields.size()) {}
  double run_seconds = 0;
  double run_cpu_seconds = 0;

  bool active() override { return true; }
  void disable_controls() override {
    started_ = Clock::now();
    started_cpu_ = cpu_seconds();
    db_.exec("BEGIN");
  }
  void enable_controls() override {
    db_.exec("COMMIT");
    run_seconds = std::chrono::duration<double>(Clock::now() - started_).count();
    run_cpu_seconds = cpu_seconds() - started_cpu_;
  }
  void append() override {
    for (auto& v : values_) v.clear();
  }
  void set_field_text(const std::string& field, const std::string& text) override {
    for (std::size_t i = 0; i < kFields.size(); ++i) {
      if (kFields[i] == field) {
        values_[i] = text;
        return;
      }
    }
    throw std::runtime_error("no field " + field);
  }
  void post() override {
    db_.insert(values_);
    if (++posted_ % kCommitEvery == 0) db_.exec("COMMIT; BEGIN");
  }
  void cancel() override {}

 private:
  Database& db_;
  std::vector<std::string> values_;
  Clock::time_point started_;
  double started_cpu_ = 0;
  long long posted_ = 0;
};

class Source : public gridport::DataSource {
 public:
  explicit Source(Table& table) : table_(table) {}
  gridport::DataSet* dataset() override { return &table_; }

 private:
  Table& table_;
};

class Grid : public gridport::Grid {
 public:
  explicit Grid(Source& source) : source_(source) {}
  gridport::DataSource* data_source() override { return &source_; }
  int32_t column_count() override { return static_cast<int32_t>(kTitles.size()); }
  bool column_visible(int32_t) override { return true; }
  std::string column_title(int32_t i) override { return to_gbk(kTitles.at(i)); }
  std::string column_field_name(int32_t i) override { return kFields.at(i); }

 private:
  Source& source_;
};

// Texts cross in GBK, as they do for the plug-in's hosts; the plug-in's own message boxes.
class Application : public gridport::Application {
 public:
  Application() : gridport::Application(0) {
    use_plugin_message_box();
    use_plugin_error_display();
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LIBRARY DATABASE\n", argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // a driver watches the output
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 2;
  }
  using Exec = int32_t(GRIDPORT_CALL*)(const GridportApplication*, const GridportScreen*,
                                       const GridportGrid*);
  auto exec = reinterpret_cast<Exec>(dlsym(library, "exec"));
  if (exec == nullptr) return 2;
  try {
    Database db(argv[2]);
    Table table(db);
    Source source(table);
    Grid grid(source);
    Application app;
    gridport::Screen screen;
    int32_t result = exec(app.table(), screen.table(), grid.table());
    std::printf("run %.3f s, %.3f s CPU, %lld rows stored\n", table.run_seconds,
                table.run_cpu_seconds, db.count());
    std::printf("result %d\n", result);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
