// The condition sandbox: an in-memory SQLite database holding the sheet's table, an authorizer
// that allows reading that table and a listed set of functions, a progress handler that enforces
// the time limit, and bounds on values, patterns and the heap so that no single step runs long.
// The table streams the records past a condition that tests one record at a time; any other
// condition gets them stored first.
#include "workbook/sql_filter.h"

#include <sqlite3.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/error.h"
#include "platform/text.h"
#include "workbook/cell_text.h"
#include "workbook/limits.h"
#include "workbook/sql_records.h"

namespace workbook {
namespace {

using Clock = std::chrono::steady_clock;

// What a condition may call: the core scalar, text, math and date functions and the aggregates
// (for sub-queries). Everything else (JSON, full-text and R-tree helpers, window functions,
// SQLite's own introspection, extension loading) is refused by name.
constexpr std::string_view kAllowedFunctions =
    " abs acos acosh asin asinh atan atan2 atanh avg ceil ceiling char coalesce"
    " concat concat_ws cos cosh count current_date current_time current_timestamp"
    " date datetime degrees exp floor format glob group_concat hex ifnull iif instr"
    " julianday length like likelihood likely ln log log10 log2 lower ltrim max min"
    " mod nullif octet_length pi pow power printf quote radians random randomblob"
    " replace round rtrim sign sin sinh soundex sqrt strftime string_agg substr"
    " substring sum tan tanh time timediff total trim trunc typeof unhex unicode"
    " unixepoch unlikely upper zeroblob ";

bool allowed_function(const char* name) {
  std::string key = " ";
  for (const char* p = name; *p; ++p)
    key.push_back(*p >= 'A' && *p <= 'Z' ? static_cast<char>(*p + 32) : *p);
  return kAllowedFunctions.find(key + " ") != std::string_view::npos;
}

struct Sandbox {
  bool armed = false;  // the authorizer polices only the user's statement
  std::string refused;
  Clock::time_point started;
  Clock::duration limit{};
  Clock::duration reading{};  // spent fetching the sheet's records, which the limit leaves out
  bool timed_out = false;

  void arm(std::chrono::milliseconds time_limit) {
    armed = true;
    refused.clear();
    started = Clock::now();
    limit = time_limit;
    reading = {};
    timed_out = false;
  }
  Clock::duration spent() const { return Clock::now() - started - reading; }
};

int authorize(void* data, int action, const char* a, const char* b, const char*, const char*) {
  auto& box = *static_cast<Sandbox*>(data);
  if (!box.armed) return SQLITE_OK;
  switch (action) {
    case SQLITE_SELECT:
      return SQLITE_OK;
    case SQLITE_READ:
      // The database holds the sheet's table and SQLite's own schema tables; names of a
      // condition's own table expressions are read too and hold nothing but what it computes.
      if (a && (sqlite3_strnicmp(a, "sqlite_", 7) == 0 || sqlite3_strnicmp(a, "pragma_", 7) == 0)) {
        box.refused = "it reads a table other than the sheet's own";
        return SQLITE_DENY;
      }
      return SQLITE_OK;
    case SQLITE_RECURSIVE:  // bounded by the time limit
      return SQLITE_OK;
    case SQLITE_FUNCTION:
      if (b && allowed_function(b)) return SQLITE_OK;
      box.refused = std::string("the function ") + (b ? b : "?") + " is not allowed";
      return SQLITE_DENY;
    case SQLITE_PRAGMA:
      box.refused = "pragmas are not allowed";
      return SQLITE_DENY;
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
      box.refused = "attaching databases is not allowed";
      return SQLITE_DENY;
    default:
      box.refused = "only a condition on the sheet's columns is allowed";
      return SQLITE_DENY;
  }
}

// trim(X, Y), ltrim(X, Y) and rtrim(X, Y) with the characters of Y looked up in a set: SQLite's
// own compare every character of X with every one of Y, a cost of the product of two long texts
// in one step the time limit cannot interrupt.
void trim_characters(sqlite3_context* context, int argc, sqlite3_value** argv) {
  if (argc != 2 || sqlite3_value_type(argv[0]) == SQLITE_NULL ||
      sqlite3_value_type(argv[1]) == SQLITE_NULL)
    return;  // NULL
  auto text_of = [](sqlite3_value* v) {
    auto p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return std::string_view(p ? p : "", static_cast<std::size_t>(sqlite3_value_bytes(v)));
  };
  std::string_view x = text_of(argv[0]);
  std::string_view y = text_of(argv[1]);
  // The characters of y as SQLite splits UTF-8: a lead byte and its continuation bytes.
  std::vector<std::string_view> set;
  std::size_t lengths = 0;  // bit n: some character is n bytes long
  for (std::size_t i = 0; i < y.size();) {
    std::size_t n = 1;
    if (static_cast<unsigned char>(y[i]) >= 0xC0)
      while (i + n < y.size() && (static_cast<unsigned char>(y[i + n]) & 0xC0) == 0x80) ++n;
    set.push_back(y.substr(i, n));
    if (n < 64) lengths |= std::size_t{1} << n;
    i += n;
  }
  std::sort(set.begin(), set.end());
  auto in_set = [&](std::string_view c) { return std::binary_search(set.begin(), set.end(), c); };
  auto flags = reinterpret_cast<std::intptr_t>(sqlite3_user_data(context));
  bool moved = true;
  while ((flags & 1) && moved && !x.empty()) {
    moved = false;
    for (std::size_t n = 1; n < 64 && n <= x.size() && !moved; ++n)
      if ((lengths >> n & 1) && in_set(x.substr(0, n))) {
        x.remove_prefix(n);
        moved = true;
      }
  }
  moved = true;
  while ((flags & 2) && moved && !x.empty()) {
    moved = false;
    for (std::size_t n = 1; n < 64 && n <= x.size() && !moved; ++n)
      if ((lengths >> n & 1) && in_set(x.substr(x.size() - n))) {
        x.remove_suffix(n);
        moved = true;
      }
  }
  sqlite3_result_text(context, x.data(), static_cast<int>(x.size()), SQLITE_TRANSIENT);
}

int check_time(void* data) {
  auto& box = *static_cast<Sandbox*>(data);
  if (!box.armed || box.spent() < box.limit) return 0;
  box.timed_out = true;
  return 1;
}

class Database {
 public:
  Database() {
    // Process-wide, but only for this program's or plug-in's private copy of SQLite.
    sqlite3_hard_heap_limit64(limits::kMaxSqlHeapBytes);
    // One thread uses the connection: SQLite's locking on every call is pure cost.
    if (sqlite3_open_v2(":memory:", &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
      throw platform::Error("the query engine cannot start");
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    // Sorts and materialised sub-queries stay in memory, inside the heap bound, instead of
    // spilling to temporary files.
    exec("pragma temp_store = memory");
    for (auto [name, sides] : {std::pair{"ltrim", 1}, {"rtrim", 2}, {"trim", 3}})
      sqlite3_create_function(db_, name, 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                              reinterpret_cast<void*>(static_cast<std::intptr_t>(sides)),
                              trim_characters, nullptr, nullptr);
  }
  // Bounds what the user's statement may be and build. Lifted while the sheet's table is made
  // and filled: its definition grows with the field names, and a row of the sheet may hold more
  // text than one value a condition builds.
  void limit_for_condition() {
    sqlite3_limit(db_, SQLITE_LIMIT_SQL_LENGTH, limits::kMaxSqlStatementBytes);
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, limits::kMaxSqlValueBytes);
    sqlite3_limit(db_, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, limits::kMaxSqlPatternBytes);
  }
  void lift_limits() {  // to this build's maximum
    sqlite3_limit(db_, SQLITE_LIMIT_SQL_LENGTH, INT_MAX);
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, INT_MAX);
  }
  // The most columns a table may have in this build of SQLite.
  std::size_t max_columns() const {
    return static_cast<std::size_t>(sqlite3_limit(db_, SQLITE_LIMIT_COLUMN, -1));
  }
  ~Database() { sqlite3_close_v2(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  sqlite3* get() const { return db_; }
  [[noreturn]] void fail(const std::string& what) const {
    if (sqlite3_errcode(db_) == SQLITE_NOMEM)
      throw platform::Error(what + ": it needs more than the " +
                                std::to_string(limits::kMaxSqlHeapBytes >> 20) +
                                " MiB of memory a condition may use",
                            platform::ErrorKind::Limit);
    auto kind = sqlite3_errcode(db_) == SQLITE_TOOBIG ? platform::ErrorKind::Limit
                                                      : platform::ErrorKind::Failed;
    throw platform::Error(what + ": " + sqlite3_errmsg(db_), kind);
  }
  void exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
      fail("the query engine failed");
  }

 private:
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql, const char** tail = nullptr) {
    rc_ = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, tail);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(Statement&& other) noexcept
      : stmt_(std::exchange(other.stmt_, nullptr)), rc_(other.rc_) {}
  Statement& operator=(Statement&&) = delete;
  int rc() const { return rc_; }
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_;
};

void append_result_value(std::string& out, sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL:
      break;
    case SQLITE_INTEGER:
      append_number_text(out, static_cast<double>(sqlite3_column_int64(stmt, column)));
      break;
    case SQLITE_FLOAT:
      append_number_text(out, sqlite3_column_double(stmt, column));
      break;
    default: {
      auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
      out.append(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
    }
  }
}

[[noreturn]] void stopped(const Sandbox& box) {
  auto ms = [](Clock::duration d) {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  };
  throw platform::limit_error("it ran too long and was stopped", ms(box.spent()), ms(box.limit),
                              "ms");
}

[[noreturn]] void refuse(const std::string& why) {
  throw platform::Error("it is refused: " + why, platform::ErrorKind::Refused);
}

bool only_blanks(const char* tail) {
  for (; tail && *tail; ++tail)
    if (static_cast<unsigned char>(*tail) > ' ' && *tail != ';') return false;
  return true;
}

// The user's statement: select * from the table where the condition. Throws the refusal, the
// time limit or the engine's message when it cannot be prepared.
Statement prepare_condition(const Database& db, const Sandbox& box, const std::string& sql) {
  const char* tail = nullptr;
  Statement query(db.get(), sql, &tail);
  if (query.rc() != SQLITE_OK) {
    if (!box.refused.empty()) refuse(box.refused);
    if (box.timed_out) stopped(box);
    db.fail("it is not a valid condition");
  }
  if (!only_blanks(tail)) refuse("only one statement is allowed");
  return query;
}

// How many times the statement opens a virtual table: the sheet's table is the only one.
int record_table_opens(sqlite3* db, const std::string& sql) {
  Statement explain(db, "explain " + sql);
  if (explain.rc() != SQLITE_OK) return -1;
  int opens = 0;
  while (sqlite3_step(explain.get()) == SQLITE_ROW) {
    auto op = reinterpret_cast<const char*>(sqlite3_column_text(explain.get(), 1));
    if (op && std::strcmp(op, "VOpen") == 0) ++opens;
  }
  return opens;
}

// The condition as a test of one record at a time, when it is one: a single expression (the
// parentheses refuse an ORDER BY, LIMIT, GROUP BY or compound tail) that reads the table only
// through the record at hand. The statement selects the record's number, under a name no field
// has, so that each result can be matched to the record the scan stands on.
std::optional<Statement> prepare_record_test(const Database& db,
                                             const std::vector<std::string>& field_names,
                                             const std::string& table, std::string_view condition) {
  const char* number = nullptr;
  for (const char* name : {"rowid", "_rowid_", "oid"}) {
    auto same = [&](const std::string& f) { return platform::equals_ignoring_ascii_case(f, name); };
    if (std::none_of(field_names.begin(), field_names.end(), same)) {
      number = name;
      break;
    }
  }
  if (!number) return std::nullopt;
  // Without the statement's end, which the user's statement may have; the line break ends a
  // trailing "--" comment before the closing parenthesis.
  while (!condition.empty() &&
         (static_cast<unsigned char>(condition.back()) <= ' ' || condition.back() == ';'))
    condition.remove_suffix(1);
  std::string sql = std::string("select ") + number + " from " + quoted_identifier(table) +
                    " where (" + std::string(condition) + "\n)";
  const char* tail = nullptr;
  Statement test(db.get(), sql, &tail);
  if (test.rc() != SQLITE_OK || !only_blanks(tail) || record_table_opens(db.get(), sql) != 1)
    return std::nullopt;
  return test;
}

void run_record_test(const Database& db, const Sandbox& box, Statement& test, RecordStream& stream,
                     std::vector<std::uint32_t>& passed) {
  int rc;
  while ((rc = sqlite3_step(test.get())) == SQLITE_ROW) {
    if (sqlite3_column_int64(test.get(), 0) != stream.rowid())
      throw platform::Error("the query engine failed: a result is not the record at hand");
    passed.push_back(static_cast<std::uint32_t>(stream.rowid() - 1));
  }
  if (rc != SQLITE_DONE) {
    stream.rethrow_failure();
    if (box.timed_out) stopped(box);
    db.fail("it cannot be evaluated");
  }
}

// The condition run over the records as they stream past, when it tests one record at a time;
// nullopt, with nothing read, when it does not or when it is not valid (the stored table's
// statement then says why, over every field).
std::optional<FilterResult> stream_records(const Database& db, Sandbox& box,
                                           const std::string& table,
                                           const std::vector<std::string>& field_names,
                                           std::string_view condition, const std::string& sql,
                                           RecordStream& stream,
                                           std::chrono::milliseconds time_limit) {
  box.arm(time_limit);
  const char* tail = nullptr;
  Statement query(db.get(), sql, &tail);
  if (query.rc() != SQLITE_OK || !only_blanks(tail)) return std::nullopt;
  auto test = prepare_record_test(db, field_names, table, condition);
  if (!test) return std::nullopt;
  FilterResult result;
  run_record_test(db, box, *test, stream, result.passed);
  return result;
}

// The sheet's table stored, for a condition that reads it more than once, sorts, groups or
// limits it: what SQLite plans over a stored table (automatic indexes among it) is kept. The
// statement is prepared before the records go in, so that a bad condition fails at once.
FilterResult store_records(Database& db, Sandbox& box, const std::string& table,
                           const std::vector<std::string>& field_names,
                           const std::function<bool(Row&)>& next_record, const std::string& sql,
                           std::chrono::milliseconds time_limit) {
  box.armed = false;
  db.lift_limits();
  db.exec("create table " + quoted_identifier(table) + " " + column_list(field_names));
  db.limit_for_condition();
  box.arm(time_limit);
  Statement query = prepare_condition(db, box, sql);

  box.armed = false;
  db.lift_limits();
  std::string insert = "insert into " + quoted_identifier(table) + " values (";
  for (std::size_t i = 0; i < field_names.size(); ++i) insert += i ? ", ?" : "?";
  db.exec("begin");
  {
    Statement ins(db.get(), insert + ")");
    if (ins.rc() != SQLITE_OK) db.fail("the query engine failed");
    Row record;
    while (next_record(record)) {
      sqlite3_reset(ins.get());
      sqlite3_clear_bindings(ins.get());
      for (std::size_t i = 0; i < record.size(); ++i)
        if (record.column(i) < field_names.size())
          bind_cell(ins.get(), static_cast<int>(record.column(i)) + 1, record.text(i));
      if (sqlite3_step(ins.get()) != SQLITE_DONE) db.fail("the query engine failed");
    }
  }
  db.exec("commit");
  db.limit_for_condition();
  box.arm(time_limit);

  FilterResult result{FilterPlan::Stored, {}, std::make_unique<RowSpool>()};
  int columns = sqlite3_column_count(query.get());
  Row record;
  std::string text;
  std::uint32_t index = 0;
  int rc;
  while ((rc = sqlite3_step(query.get())) == SQLITE_ROW) {
    record.clear();
    record.index = index++;
    for (int c = 0; c < columns; ++c) {
      text.clear();
      append_result_value(text, query.get(), c);
      if (!text.empty()) record.add(static_cast<std::uint32_t>(c), text);
    }
    result.rows->append(record);
  }
  if (rc != SQLITE_DONE) {
    if (box.timed_out) stopped(box);
    db.fail("it cannot be evaluated");
  }
  return result;
}

}  // namespace

FilterResult filter_records(const std::string& table, const std::vector<std::string>& field_names,
                            const std::function<bool(Row&)>& next_record,
                            std::string_view condition, std::chrono::milliseconds time_limit,
                            FilterPlan plan) {
  if (condition.size() > limits::kMaxConditionBytes)
    throw platform::limit_error("the condition is too long", condition.size(),
                                limits::kMaxConditionBytes, "bytes");
  if (field_names.empty()) {  // an empty sheet: nothing can match
    Row record;
    while (next_record(record)) {
    }
    return {};
  }
  Database db;
  Sandbox box;
  sqlite3_set_authorizer(db.get(), authorize, &box);
  sqlite3_progress_handler(db.get(), limits::kQueryCheckSteps, check_time, &box);
  std::string sql =
      "select * from " + quoted_identifier(table) + " where " + std::string(condition);

  // Streamed, the table needs only the fields the condition names: a sheet wider than a table
  // can be may still be filtered so.
  auto columns = fields_named_in(condition, field_names);
  RecordStream stream(next_record, box.reading);
  if (plan == FilterPlan::Streamed && columns.size() <= db.max_columns()) {
    create_record_table(db.get(), table, field_names, columns, stream);
    db.limit_for_condition();
    if (auto result =
            stream_records(db, box, table, field_names, condition, sql, stream, time_limit))
      return std::move(*result);
    box.armed = false;
    db.lift_limits();
    db.exec("drop table " + quoted_identifier(table));
  }
  if (field_names.size() > db.max_columns()) {
    throw platform::limit_error("the sheet has too many columns for a condition",
                                field_names.size(), db.max_columns(), "columns");
  }
  return store_records(db, box, table, field_names, next_record, sql, time_limit);
}

}  // namespace workbook
