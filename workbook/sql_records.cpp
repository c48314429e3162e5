// The sheet's records as SQL values, bound into statements or served by a virtual table that
// streams them: one cursor, one pass, nothing pushed down, so SQLite itself evaluates every term
// exactly as it would over a stored table.
#include "workbook/sql_records.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <new>

#include "platform/error.h"
#include "workbook/cell_text.h"
#include "workbook/xlsx_text.h"

namespace workbook {
namespace {

// Records fetched at a time: the clock is read once per batch, not once per record.
constexpr std::size_t kBatchRecords = 64;

struct CellValue {
  enum Kind { Null, Integer, Real, Text } kind;
  long long integer = 0;
  double real = 0;
};

// Numbers go in as numbers so that they compare as numbers; only texts that read back
// unchanged through the cell-text rule qualify, so the output is the input.
CellValue value_of(std::string_view text) {
  if (text.empty()) return {CellValue::Null};
  bool digitish = (text[0] >= '0' && text[0] <= '9') || text[0] == '-';
  if (digitish && is_canonical_number_text(text)) {
    CellValue v{CellValue::Integer};
    if (text.find('.') == std::string_view::npos) {
      std::from_chars(text.data(), text.data() + text.size(), v.integer);
      return v;
    }
    v.kind = CellValue::Real;
    std::from_chars(text.data(), text.data() + text.size(), v.real);
    return v;
  }
  if (digitish && text.find('e') != std::string_view::npos) {
    auto number = parse_number(text);
    if (number && number_text(*number) == text) return {CellValue::Real, 0, *number};
  }
  return {CellValue::Text};
}

struct RecordModuleData {
  std::string schema;                  // create table x(...)
  std::vector<std::uint32_t> columns;  // the field of each column
  RecordStream* stream;
};

struct RecordTable : sqlite3_vtab {
  const RecordModuleData* data = nullptr;
  bool opened = false;
};

struct RecordCursor : sqlite3_vtab_cursor {};

const RecordModuleData& data_of(sqlite3_vtab_cursor* cursor) {
  return *static_cast<RecordTable*>(cursor->pVtab)->data;
}

RecordStream& stream_of(sqlite3_vtab_cursor* cursor) {
  return *data_of(cursor).stream;
}

int set_error(sqlite3_vtab* table, const char* message) {
  sqlite3_free(table->zErrMsg);
  table->zErrMsg = sqlite3_mprintf("%s", message);
  return SQLITE_ERROR;
}

// SQLite calls these through C: nothing may be thrown out of them. The only failure they meet
// is memory running out.
int connect_table(sqlite3* db, void* aux, int, const char* const*, sqlite3_vtab** out, char**) try {
  auto& data = *static_cast<RecordModuleData*>(aux);
  int rc = sqlite3_declare_vtab(db, data.schema.c_str());
  if (rc != SQLITE_OK) return rc;
  sqlite3_vtab_config(db, SQLITE_VTAB_DIRECTONLY);
  auto table = std::make_unique<RecordTable>();
  table->data = &data;
  *out = table.release();
  return SQLITE_OK;
} catch (const std::bad_alloc&) {
  return SQLITE_NOMEM;
}

// A different function from connect_table, so that the module is not usable by its own name.
int create_table(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
                 char** error) {
  return connect_table(db, aux, argc, argv, out, error);
}

int drop_table(sqlite3_vtab* table) {
  std::unique_ptr<RecordTable>(static_cast<RecordTable*>(table));
  return SQLITE_OK;
}

// A full scan, every term left to SQLite.
int best_index(sqlite3_vtab*, sqlite3_index_info* info) {
  info->estimatedCost = 1e9;
  return SQLITE_OK;
}

int open_cursor(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out) try {
  auto& table = *static_cast<RecordTable*>(vtab);
  if (table.opened) return set_error(vtab, "the sheet's records can be read only once");
  *out = std::make_unique<RecordCursor>().release();
  table.opened = true;
  return SQLITE_OK;
} catch (const std::bad_alloc&) {
  return SQLITE_NOMEM;
}

int close_cursor(sqlite3_vtab_cursor* cursor) {
  std::unique_ptr<RecordCursor>(static_cast<RecordCursor*>(cursor));
  return SQLITE_OK;
}

int filter(sqlite3_vtab_cursor* cursor, int, const char*, int, sqlite3_value**) {
  auto& stream = stream_of(cursor);
  try {
    if (!stream.start())
      return set_error(cursor->pVtab, "the sheet's records can be read only once");
  } catch (...) {
    stream.fail(std::current_exception());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int next(sqlite3_vtab_cursor* cursor) {
  auto& stream = stream_of(cursor);
  try {
    stream.advance();
  } catch (...) {
    stream.fail(std::current_exception());
    return SQLITE_ERROR;
  }
  return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor* cursor) {
  return stream_of(cursor).at_end();
}

int column(sqlite3_vtab_cursor* cursor, sqlite3_context* context, int column) try {
  std::string_view text = stream_of(cursor).text(data_of(cursor).columns[column]);
  CellValue v = value_of(text);
  switch (v.kind) {
    case CellValue::Null:
      break;
    case CellValue::Integer:
      sqlite3_result_int64(context, v.integer);
      break;
    case CellValue::Real:
      sqlite3_result_double(context, v.real);
      break;
    case CellValue::Text:
      sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      break;
  }
  return SQLITE_OK;
} catch (const std::bad_alloc&) {
  sqlite3_result_error_nomem(context);
  return SQLITE_NOMEM;
}

int rowid(sqlite3_vtab_cursor* cursor, sqlite3_int64* out) {
  *out = stream_of(cursor).rowid();
  return SQLITE_OK;
}

const sqlite3_module kRecordModule = {
    /* iVersion */ 0,
    /* xCreate */ create_table,
    /* xConnect */ connect_table,
    /* xBestIndex */ best_index,
    /* xDisconnect */ drop_table,
    /* xDestroy */ drop_table,
    /* xOpen */ open_cursor,
    /* xClose */ close_cursor,
    /* xFilter */ filter,
    /* xNext */ next,
    /* xEof */ eof,
    /* xColumn */ column,
    /* xRowid */ rowid,
    /* xUpdate */ nullptr,
    /* xBegin */ nullptr,
    /* xSync */ nullptr,
    /* xCommit */ nullptr,
    /* xRollback */ nullptr,
    /* xFindFunction */ nullptr,
    /* xRename */ nullptr,
    /* xSavepoint */ nullptr,
    /* xRelease */ nullptr,
    /* xRollbackTo */ nullptr,
    /* xShadowName */ nullptr,
};

}  // namespace

void bind_cell(sqlite3_stmt* stmt, int slot, std::string_view text) {
  CellValue v = value_of(text);
  switch (v.kind) {
    case CellValue::Null:
      sqlite3_bind_null(stmt, slot);
      break;
    case CellValue::Integer:
      sqlite3_bind_int64(stmt, slot, v.integer);
      break;
    case CellValue::Real:
      sqlite3_bind_double(stmt, slot, v.real);
      break;
    case CellValue::Text:
      sqlite3_bind_text(stmt, slot, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
      break;
  }
}

RecordStream::RecordStream(const std::function<bool(Row&)>& next_record,
                           std::chrono::steady_clock::duration& reading_time)
    : next_record_(next_record), reading_time_(reading_time), batch_(kBatchRecords) {}

bool RecordStream::start() {
  if (started_) return false;
  started_ = true;
  refill();
  number_ = 1;
  return true;
}

void RecordStream::advance() {
  if (at_end()) return;
  ++number_;
  if (++position_ == filled_) refill();
}

void RecordStream::refill() {
  position_ = filled_ = 0;
  if (exhausted_) return;
  auto began = std::chrono::steady_clock::now();
  while (filled_ < batch_.size() && !exhausted_) {
    if (next_record_(batch_[filled_]))
      ++filled_;
    else
      exhausted_ = true;
  }
  reading_time_ += std::chrono::steady_clock::now() - began;
}

std::string_view RecordStream::text(std::uint32_t field) const {
  const Row& row = batch_[position_];
  // Cells come in ascending field order.
  std::size_t low = 0, high = row.size();
  while (low < high) {
    std::size_t mid = (low + high) / 2;
    if (row.column(mid) < field)
      low = mid + 1;
    else
      high = mid;
  }
  return low < row.size() && row.column(low) == field ? row.text(low) : std::string_view();
}

void create_record_table(sqlite3* db, const std::string& table,
                         const std::vector<std::string>& field_names,
                         const std::vector<std::uint32_t>& columns, RecordStream& stream) {
  std::vector<std::string> names;
  for (auto field : columns) names.push_back(field_names[field]);
  // SQLite owns the module's data from here on, and frees it even when registering fails.
  auto* data = std::make_unique<RecordModuleData>(
                   RecordModuleData{"create table x" + column_list(names), columns, &stream})
                   .release();
  auto destroy = [](void* p) {
    std::unique_ptr<RecordModuleData>(static_cast<RecordModuleData*>(p));
  };
  if (sqlite3_create_module_v2(db, "sheet_records", &kRecordModule, data, destroy) != SQLITE_OK)
    throw platform::Error(std::string("the query engine failed: ") + sqlite3_errmsg(db));
  std::string sql = "create virtual table " + quoted_identifier(table) + " using sheet_records";
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    throw platform::Error(std::string("the query engine failed: ") + sqlite3_errmsg(db));
}

}  // namespace workbook
