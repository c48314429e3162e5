// SQLite connections and statements with failures turned into gridhost::Error.
#include "sqlite_handle.h"

#include "error.h"

namespace gridhost {

Connection open_connection(const std::string& path) {
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  Connection db(raw);
  if (rc != SQLITE_OK) {
    throw Error("cannot open the database " + path + ": " +
                (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
  }
  sqlite3_extended_result_codes(raw, 1);
  sqlite3_busy_timeout(raw, 5000);
  try {
    execute(raw, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; PRAGMA foreign_keys=ON;");
  } catch (const Error& e) {
    throw Error("cannot open the database " + path + ": " + e.what());
  }
  return db;
}

void execute(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw Error(text);
  }
}

std::string quote_identifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

Statement::Statement(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr) != SQLITE_OK) {
    throw Error(sqlite3_errmsg(db));
  }
  stmt_.reset(raw);
}

bool Statement::step() {
  int rc = sqlite3_step(stmt_.get());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  throw Error(sqlite3_errmsg(sqlite3_db_handle(stmt_.get())));
}

void Statement::reset() {
  sqlite3_reset(stmt_.get());
  sqlite3_clear_bindings(stmt_.get());
}

void Statement::bind(int index, int64_t value) {
  sqlite3_bind_int64(stmt_.get(), index, value);
}

void Statement::bind(int index, std::string_view text) {
  sqlite3_bind_text(stmt_.get(), index, text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
}

std::string Statement::column_text(int index) const {
  auto* text = sqlite3_column_text(stmt_.get(), index);
  int bytes = sqlite3_column_bytes(stmt_.get(), index);
  return text ? std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(bytes))
              : std::string();
}

}  // namespace gridhost
