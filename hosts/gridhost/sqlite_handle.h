// Owning handles for a SQLite connection and its prepared statements.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace gridhost {

struct ConnectionCloser {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;

// Opens (or creates) the file in WAL mode, so that readers in other processes see each commit
// and a killed writer loses at most its open transaction.
Connection open_connection(const std::string& path);

// Runs statements that return no rows; throws Error with the database's message.
void execute(sqlite3* db, const std::string& sql);

// A SQL identifier in double quotes, inner quotes doubled.
std::string quote_identifier(std::string_view name);

class Statement {
 public:
  Statement() = default;
  Statement(sqlite3* db, const std::string& sql);

  sqlite3_stmt* get() const { return stmt_.get(); }
  explicit operator bool() const { return stmt_ != nullptr; }

  // Steps once: true for a row, false when done; throws Error on a failure.
  bool step();
  void reset();

  void bind(int index, int64_t value);
  void bind(int index, std::string_view text);

  int64_t column_int(int index) const { return sqlite3_column_int64(stmt_.get(), index); }
  std::string column_text(int index) const;
  bool column_null(int index) const {
    return sqlite3_column_type(stmt_.get(), index) == SQLITE_NULL;
  }

 private:
  struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const { sqlite3_finalize(stmt); }
  };
  std::unique_ptr<sqlite3_stmt, Finalizer> stmt_;
};

}  // namespace gridhost
