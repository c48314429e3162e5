// One SQLite table as an editable host dataset, with batched commits.
#include "table_dataset.h"

#include <strings.h>

#include <exception>
#include <iostream>

#include "constraint_message.h"
#include "error.h"

namespace gridhost {
namespace {

void bind_value(sqlite3_stmt* stmt, int index, const StoredValue& value) {
  if (auto* i = std::get_if<int64_t>(&value)) {
    sqlite3_bind_int64(stmt, index, *i);
  } else if (auto* d = std::get_if<double>(&value)) {
    sqlite3_bind_double(stmt, index, *d);
  } else if (auto* s = std::get_if<std::string>(&value)) {
    sqlite3_bind_text(stmt, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
  } else {
    sqlite3_bind_null(stmt, index);
  }
}

// Leaves a reading statement ready for its next use on every way out.
struct ResetOnExit {
  Statement& statement;
  ~ResetOnExit() { statement.reset(); }
};

}  // namespace

TableDataset::TableDataset(const std::string& path, const std::string& table,
                           const std::string& create_columns)
    : table_(table), db_(open_connection(path)) {
  load_columns(create_columns);
  try {
    read_page_ = Statement(db_.get(), "SELECT " + select_list() + " FROM " +
                                          quote_identifier(table_) + " LIMIT ? OFFSET ?");
    read_rowid_ = Statement(db_.get(), "SELECT " + select_list() + " FROM " +
                                           quote_identifier(table_) + " WHERE rowid = ?");
  } catch (const Error& e) {
    throw Error("gridhost needs a table with row ids; " + table_ +
                " is a view or a WITHOUT ROWID table (" + e.what() + ")");
  }
}

TableDataset::~TableDataset() {
  try {
    commit();
  } catch (const std::exception& e) {
    std::cerr << "gridhost: the last rows posted to " << table_ << " were not stored: " << e.what()
              << "\n";
  }
}

void TableDataset::load_columns(const std::string& create_columns) {
  auto read = [&] {
    Statement info(db_.get(), "SELECT name, type FROM pragma_table_info(?)");
    info.bind(1, table_);
    columns_.clear();
    while (info.step()) {
      Column column;
      column.name = info.column_text(0);
      column.declared = info.column_text(1);
      column.type = field_type_of(column.declared);
      column.label = column.name;
      columns_.push_back(std::move(column));
    }
  };
  read();
  if (!columns_.empty()) return;
  if (create_columns.empty()) throw Error("the database has no table " + table_);
  try {
    execute(db_.get(), "CREATE TABLE " + quote_identifier(table_) + " (" + create_columns + ")");
  } catch (const Error& e) {
    throw Error("cannot create the table " + table_ + ": " + e.what());
  }
  read();
}

std::string TableDataset::select_list() const {
  std::string list;
  for (const auto& c : columns_) list += (list.empty() ? "" : ", ") + quote_identifier(c.name);
  return list;
}

int TableDataset::column_index(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (columns_[i].name.size() == name.size() &&
        strncasecmp(columns_[i].name.data(), name.data(), name.size()) == 0) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void TableDataset::set_label(std::string_view name, const std::string& label) {
  int i = column_index(name);
  if (i >= 0 && !label.empty()) columns_[static_cast<std::size_t>(i)].label = label;
}

void TableDataset::append() {
  // As a dataset does: a record still being edited is posted before the next one starts.
  if (editing_) post();
  values_.assign(columns_.size(), StoredValue{});
  assigned_.assign(columns_.size(), false);
  editing_ = true;
}

void TableDataset::set_field_text(std::string_view name, std::string_view text) {
  int i = column_index(name);
  if (i < 0) throw Error("数据表“" + table_ + "”没有字段“" + std::string(name) + "”");
  if (!editing_) throw Error("数据表“" + table_ + "”不在新增记录的状态，不能给字段赋值");
  auto index = static_cast<std::size_t>(i);
  values_[index] = convert_text(columns_[index].type, columns_[index].label, text);
  assigned_[index] = true;
}

Statement& TableDataset::insert_statement(const std::string& key) {
  auto found = inserts_.find(key);
  if (found != inserts_.end()) return found->second;
  // Only the assigned columns are named, so the others take their defaults.
  std::string names, marks;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (key[i] != '1') continue;
    names += (names.empty() ? "" : ", ") + quote_identifier(columns_[i].name);
    marks += marks.empty() ? "?" : ", ?";
  }
  std::string sql = "INSERT INTO " + quote_identifier(table_) +
                    (names.empty() ? " DEFAULT VALUES" : " (" + names + ") VALUES (" + marks + ")");
  return inserts_.emplace(key, Statement(db_.get(), sql)).first->second;
}

int TableDataset::insert(const std::string& key, const std::vector<StoredValue>& values) {
  Statement& statement = insert_statement(key);
  int mark = 1;
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (key[i] == '1') bind_value(statement.get(), mark++, values[i]);
  }
  int rc = sqlite3_step(statement.get());
  statement.reset();
  return rc;
}

void TableDataset::post() {
  if (!editing_) return;
  if (disabled_ > 0 && !in_transaction_) {
    try {
      execute(db_.get(), "BEGIN");
    } catch (const Error& e) {
      throw Error(std::string("数据库不能开始写入（数据库：") + e.what() + "）");
    }
    in_transaction_ = true;
  }
  std::string key;
  for (bool a : assigned_) key += a ? '1' : '0';
  int rc = insert(key, values_);
  if (rc != SQLITE_DONE) {
    int code = sqlite3_extended_errcode(db_.get());
    std::string reason = sqlite3_errmsg(db_.get());
    // A constraint undoes only its own statement; a full disk or an I/O error may undo the whole
    // batch, whose rows were already reported as posted.
    if (in_transaction_ && sqlite3_get_autocommit(db_.get())) restore_rolled_back_batch();
    refuse_post(code, reason);
  }
  posted_rowids_.push_back(sqlite3_last_insert_rowid(db_.get()));
  if (row_count_ >= 0) ++row_count_;
  editing_ = false;
  if (in_transaction_) {
    pending_.push_back({std::move(key), std::move(values_), posted_rowids_.size() - 1});
    if (pending_.size() >= kBatchRows) commit();
  }
  values_.clear();
}

void TableDataset::refuse_post(int code, const std::string& reason) {
  throw Error(constraint_message(code, reason, table_, columns_, values_));
}

void TableDataset::restore_rolled_back_batch() {
  in_transaction_ = false;
  execute(db_.get(), "BEGIN");
  in_transaction_ = true;
  for (std::size_t n = 0; n < pending_.size(); ++n) {
    if (insert(pending_[n].key, pending_[n].values) != SQLITE_DONE) {
      std::string reason = sqlite3_errmsg(db_.get());
      if (sqlite3_get_autocommit(db_.get())) in_transaction_ = false;
      throw Error("数据库撤销了未提交的" + std::to_string(pending_.size()) +
                  "条记录，重新写入时又失败了（数据库：" + reason + "）");
    }
    posted_rowids_[pending_[n].rowid_index] = sqlite3_last_insert_rowid(db_.get());
  }
}

void TableDataset::cancel() {
  editing_ = false;
  values_.clear();
  assigned_.clear();
}

void TableDataset::commit() {
  if (!in_transaction_) return;
  try {
    execute(db_.get(), "COMMIT");
  } catch (const Error& e) {
    if (!sqlite3_get_autocommit(db_.get())) {
      // Still open (the database was busy): the batch waits for the next commit.
      throw Error(std::string("数据库暂时不能提交已导入的记录（数据库：") + e.what() + "）");
    }
    restore_rolled_back_batch();
    execute(db_.get(), "COMMIT");
  }
  in_transaction_ = false;
  pending_.clear();
}

void TableDataset::disable_controls() {
  if (disabled_++ == 0 && on_suspend_) on_suspend_();
}

void TableDataset::enable_controls() {
  if (disabled_ == 0) return;
  if (--disabled_ > 0) return;
  row_count_ = -1;
  // The grid refreshes even when the commit fails; the failure is reported after it.
  std::exception_ptr failure;
  try {
    commit();
  } catch (...) {
    failure = std::current_exception();
  }
  if (on_refresh_) on_refresh_();
  if (failure) std::rethrow_exception(failure);
}

int64_t TableDataset::row_count() {
  if (row_count_ < 0) {
    Statement count(db_.get(), "SELECT count(*) FROM " + quote_identifier(table_));
    count.step();
    row_count_ = count.column_int(0);
  }
  return row_count_;
}

std::vector<std::vector<std::string>> TableDataset::rows(int64_t first, int64_t count) {
  std::vector<std::vector<std::string>> out;
  ResetOnExit reset{read_page_};
  read_page_.bind(1, count);
  read_page_.bind(2, first);
  while (read_page_.step()) {
    std::vector<std::string> row;
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      row.push_back(display_text(columns_[i].type, read_page_.get(), static_cast<int>(i)));
    }
    out.push_back(std::move(row));
  }
  return out;
}

std::vector<std::string> TableDataset::row_by_rowid(int64_t rowid) {
  std::vector<std::string> row;
  ResetOnExit reset{read_rowid_};
  read_rowid_.bind(1, rowid);
  if (read_rowid_.step()) {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      row.push_back(display_text(columns_[i].type, read_rowid_.get(), static_cast<int>(i)));
    }
  }
  return row;
}

}  // namespace gridhost
