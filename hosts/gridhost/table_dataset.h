// The dataset behind gridhost's grid: one table of a SQLite database, edited the way the
// plug-in edits a host dataset (append, assign fields as text, post or cancel), with its posts
// committed in batches while the grid's refresh is suspended.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "field_type.h"
#include "sqlite_handle.h"

namespace gridhost {

struct Column {
  std::string name;
  std::string declared;  // the declared type, as written in the table's definition
  FieldType type;
  std::string label;  // how messages name the field: its caption, else its name
};

class TableDataset {
 public:
  // Posts collected into one transaction while refresh is suspended; a killed process loses at
  // most these.
  static constexpr std::size_t kBatchRows = 1000;

  // Opens the table in the database file (created when missing). When the table is missing it is
  // created with `create_columns` (column definitions, as in CREATE TABLE), or refused when that
  // is empty. Throws Error.
  TableDataset(const std::string& path, const std::string& table,
               const std::string& create_columns = "");
  // Commits the open batch; a failure then is reported on stderr, nothing else can take it.
  ~TableDataset();
  TableDataset(const TableDataset&) = delete;
  TableDataset& operator=(const TableDataset&) = delete;

  const std::string& table() const { return table_; }
  const std::vector<Column>& columns() const { return columns_; }
  // Case-insensitive, as SQL names are; -1 when the table has no such column.
  int column_index(std::string_view name) const;
  void set_label(std::string_view name, const std::string& label);
  sqlite3* connection() const { return db_.get(); }

  // The editing cycle. Failures throw Error with a message in Chinese for the clerk.
  void append();
  void set_field_text(std::string_view name, std::string_view text);
  void post();
  void cancel();
  bool editing() const { return editing_; }

  // Suspend and resume the grid's refresh; they nest. The outermost suspend calls the suspend
  // handler; the outermost resume commits every post before it and then calls the refresh
  // handler.
  void disable_controls();
  void enable_controls();
  bool controls_disabled() const { return disabled_ > 0; }
  void set_suspend_handler(std::function<void()> handler) { on_suspend_ = std::move(handler); }
  void set_refresh_handler(std::function<void()> handler) { on_refresh_ = std::move(handler); }

  // Stores the open batch now.
  void commit();

  int64_t row_count();
  // Row ids of the records posted through this dataset, in posting order.
  const std::vector<int64_t>& posted_rowids() const { return posted_rowids_; }
  // Display texts of every column for `count` rows from row `first` (0-based, table order).
  std::vector<std::vector<std::string>> rows(int64_t first, int64_t count);
  std::vector<std::string> row_by_rowid(int64_t rowid);

 private:
  struct PendingRow {
    std::string key;  // which columns the insert names
    std::vector<StoredValue> values;
    std::size_t rowid_index;
  };

  void load_columns(const std::string& create_columns);
  Statement& insert_statement(const std::string& key);
  // Inserts one row; returns the SQLite result code, SQLITE_DONE on success.
  int insert(const std::string& key, const std::vector<StoredValue>& values);
  void restore_rolled_back_batch();
  [[noreturn]] void refuse_post(int code, const std::string& reason);
  std::string select_list() const;

  std::string table_;
  Connection db_;
  std::vector<Column> columns_;
  std::map<std::string, Statement> inserts_;
  Statement read_page_;
  Statement read_rowid_;

  bool editing_ = false;
  std::vector<StoredValue> values_;
  std::vector<bool> assigned_;

  int disabled_ = 0;
  bool in_transaction_ = false;
  std::vector<PendingRow> pending_;
  std::vector<int64_t> posted_rowids_;
  int64_t row_count_ = -1;  // -1: count again
  std::function<void()> on_suspend_;
  std::function<void()> on_refresh_;
};

}  // namespace gridhost
