// The condition sandbox: an in-memory SQLite database holding one table, an authorizer that
// allows reading that table and nothing else, and a progress handler that enforces the time limit.
#include "workbook/sql_filter.h"

#include <sqlite3.h>

#include <charconv>
#include <chrono>
#include <cstring>

#include "platform/error.h"
#include "workbook/cell_text.h"
#include "workbook/limits.h"
#include "workbook/xlsx_text.h"

namespace workbook {
namespace {

using Clock = std::chrono::steady_clock;

std::string quote_identifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  return out + "\"";
}

struct Sandbox {
  bool armed = false;  // the authorizer polices only the user's statement
  std::string refused;
  Clock::time_point started, deadline;
  bool timed_out = false;
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
      if (b &&
          (sqlite3_stricmp(b, "load_extension") == 0 || sqlite3_strnicmp(b, "sqlite_", 7) == 0)) {
        box.refused = std::string("the function ") + b + " is not allowed";
        return SQLITE_DENY;
      }
      return SQLITE_OK;
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

int check_time(void* data) {
  auto& box = *static_cast<Sandbox*>(data);
  if (Clock::now() < box.deadline) return 0;
  box.timed_out = true;
  return 1;
}

class Database {
 public:
  Database() {
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
      throw platform::Error("the query engine cannot start");
    sqlite3_db_config(db_, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
  }
  // Bounds what the user's statement may be and build. Set only once the sheet's table is
  // filled: the table's definition grows with its field names, and a row of the sheet may hold
  // more text than one value a condition builds.
  void limit_for_condition() {
    sqlite3_limit(db_, SQLITE_LIMIT_SQL_LENGTH, limits::kMaxSqlStatementBytes);
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, limits::kMaxSqlValueBytes);
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
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  int rc() const { return rc_; }
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_;
};

// Numbers go in as numbers so that they compare as numbers; only texts that read back
// unchanged through the cell-text rule qualify, so the output is the input.
void bind_value(sqlite3_stmt* stmt, int slot, std::string_view text) {
  if (text.empty()) {
    sqlite3_bind_null(stmt, slot);
    return;
  }
  bool digitish = (text[0] >= '0' && text[0] <= '9') || text[0] == '-';
  if (digitish && is_canonical_number_text(text)) {
    if (text.find('.') == std::string_view::npos) {
      long long v = 0;
      std::from_chars(text.data(), text.data() + text.size(), v);
      sqlite3_bind_int64(stmt, slot, v);
      return;
    }
    double v = 0;
    std::from_chars(text.data(), text.data() + text.size(), v);
    sqlite3_bind_double(stmt, slot, v);
    return;
  }
  if (digitish && text.find('e') != std::string_view::npos) {
    auto v = parse_number(text);
    if (v && number_text(*v) == text) {
      sqlite3_bind_double(stmt, slot, *v);
      return;
    }
  }
  sqlite3_bind_text(stmt, slot, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

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
  throw platform::limit_error("it ran too long and was stopped", ms(Clock::now() - box.started),
                              ms(box.deadline - box.started), "ms");
}

[[noreturn]] void refuse(const std::string& why) {
  throw platform::Error("it is refused: " + why, platform::ErrorKind::Refused);
}

bool only_blanks(const char* tail) {
  for (; tail && *tail; ++tail)
    if (static_cast<unsigned char>(*tail) > ' ' && *tail != ';') return false;
  return true;
}

}  // namespace

void filter_records(const std::string& table, const std::vector<std::string>& field_names,
                    const std::function<bool(Row&)>& next_record, std::string_view condition,
                    RowSpool& out, std::chrono::milliseconds time_limit) {
  if (condition.size() > limits::kMaxConditionBytes)
    throw platform::limit_error("the condition is too long", condition.size(),
                                limits::kMaxConditionBytes, "bytes");
  Row record;
  if (field_names.empty()) {  // an empty sheet: nothing can match
    while (next_record(record)) {
    }
    return;
  }
  Database db;
  if (field_names.size() > db.max_columns()) {
    throw platform::limit_error("the sheet has too many columns for a condition",
                                field_names.size(), db.max_columns(), "columns");
  }
  Sandbox box;
  sqlite3_set_authorizer(db.get(), authorize, &box);

  std::string create = "create table " + quote_identifier(table) + " (";
  std::string insert = "insert into " + quote_identifier(table) + " values (";
  for (std::size_t i = 0; i < field_names.size(); ++i) {
    create += (i ? ", " : "") + quote_identifier(field_names[i]);
    insert += i ? ", ?" : "?";
  }
  db.exec(create + ")");
  db.exec("begin");
  {
    Statement ins(db.get(), insert + ")");
    if (ins.rc() != SQLITE_OK) db.fail("the query engine failed");
    while (next_record(record)) {
      sqlite3_reset(ins.get());
      sqlite3_clear_bindings(ins.get());
      for (std::size_t i = 0; i < record.size(); ++i)
        if (record.column(i) < field_names.size())
          bind_value(ins.get(), static_cast<int>(record.column(i)) + 1, record.text(i));
      if (sqlite3_step(ins.get()) != SQLITE_DONE) db.fail("the query engine failed");
    }
  }
  db.exec("commit");

  db.limit_for_condition();
  box.armed = true;
  box.started = Clock::now();
  box.deadline = box.started + time_limit;
  sqlite3_progress_handler(db.get(), limits::kConditionProgressSteps, check_time, &box);
  std::string sql = "select * from " + quote_identifier(table) + " where " + std::string(condition);
  const char* tail = nullptr;
  Statement query(db.get(), sql, &tail);
  if (query.rc() != SQLITE_OK) {
    if (!box.refused.empty()) refuse(box.refused);
    if (box.timed_out) stopped(box);
    db.fail("it is not a valid condition");
  }
  if (!only_blanks(tail)) refuse("only one statement is allowed");
  int columns = sqlite3_column_count(query.get());
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
    out.append(record);
  }
  if (rc != SQLITE_DONE) {
    if (box.timed_out) stopped(box);
    db.fail("it cannot be evaluated");
  }
}

}  // namespace workbook
