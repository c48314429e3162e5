// A sheet's records as the condition engine sees them: each cell as the SQL value it stands for,
// and a virtual table that hands the records to one scan as they come, so that a condition that
// reads each record once needs no copy of the sheet in the database.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/reader.h"
#include "workbook/sql_text.h"

namespace workbook {

// Binds a cell's text as its value: NULL for an empty cell, a number for a text that reads back
// unchanged through the cell-text rule (so that the output is the input), else the text.
void bind_cell(sqlite3_stmt* stmt, int slot, std::string_view text);

// The records of next_record for one pass, a few at a time. The time spent fetching them is
// added to reading_time: the condition's time limit counts the engine's work, not the sheet's.
class RecordStream {
 public:
  RecordStream(const std::function<bool(Row&)>& next_record,
               std::chrono::steady_clock::duration& reading_time);
  // The first record; false when the stream was started before (it cannot be rewound).
  bool start();
  void advance();
  bool at_end() const { return position_ == filled_; }
  // The current record, numbered from 1 as the table's rows are.
  std::int64_t rowid() const { return number_; }
  // The current record's text of a field; "" for an empty cell.
  std::string_view text(std::uint32_t field) const;
  // A failure of next_record, kept for the caller as SQLite cannot carry it.
  void fail(std::exception_ptr e) { failure_ = std::move(e); }
  void rethrow_failure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  void refill();

  const std::function<bool(Row&)>& next_record_;
  std::chrono::steady_clock::duration& reading_time_;
  std::vector<Row> batch_;
  std::size_t position_ = 0, filled_ = 0;
  bool started_ = false, exhausted_ = false;
  std::int64_t number_ = 0;
  std::exception_ptr failure_;
};

// Makes `table` a virtual table over stream whose columns are the given fields, for a single
// scan; a second scan fails the statement. Throws platform::Error when SQLite refuses.
void create_record_table(sqlite3* db, const std::string& table,
                         const std::vector<std::string>& field_names,
                         const std::vector<std::uint32_t>& columns, RecordStream& stream);

}  // namespace workbook
