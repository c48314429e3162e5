// A database file of its own for each test, removed with its WAL files afterwards.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "sqlite_handle.h"

namespace gridhost {

class TempDatabase {
 public:
  TempDatabase() {
    char pattern[] = "/tmp/gridhost_test_XXXXXX";
    path_ = ::mkdtemp(pattern);
    path_ += "/test.db";
  }
  ~TempDatabase() {
    for (const char* suffix : {"", "-wal", "-shm"}) ::unlink((path_ + suffix).c_str());
    ::rmdir(path_.substr(0, path_.rfind('/')).c_str());
  }
  const std::string& path() const { return path_; }

  // Runs SQL on a connection of its own, as another program would.
  void run(const std::string& sql) const { execute(open_connection(path_).get(), sql); }

  // The first column of the first row of a query, read by another connection.
  std::string value(const std::string& sql) const {
    auto db = open_connection(path_);
    Statement query(db.get(), sql);
    return query.step() ? query.column_text(0) : "(no row)";
  }

 private:
  std::string path_;
};

}  // namespace gridhost
