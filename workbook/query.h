// A query over one worksheet table: "select * from [TABLE]" with an optional condition, its
// records navigated forward (First, Next, Eof) and its fields read as text.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workbook/connection.h"
#include "workbook/row_spool.h"

namespace workbook {

class Query;

// One column of the open query; its value is that of the current record.
class Field {
 public:
  const std::string& FieldName() const { return name_; }
  // "" past the end or for an empty cell.
  std::string AsString() const { return std::string(text()); }
  std::string_view text() const;
  std::size_t index() const { return index_; }

 private:
  friend class Query;
  Field(const Query& query, std::string name, std::size_t index)
      : query_(&query), name_(std::move(name)), index_(index) {}
  const Query* query_;
  std::string name_;
  std::size_t index_;
};

class Query {
 public:
  // The connection must outlive the query; the query keeps the workbook it opened.
  explicit Query(const Connection& connection);
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  void SetSQL(std::string text) { sql_ = std::move(text); }
  const std::string& SQL() const { return sql_; }

  // Reads the table: its bounding box of non-empty cells, the first row as field names, the
  // rest as records (empty rows inside the box included), filtered by the condition if any.
  // Positions on the first record. Throws platform::Error naming the file, table and problem.
  // The box is only known at the sheet's end, and the range a file declares may be wrong, so
  // Open reads the sheet once into a spool (memory, then a temporary file) rather than trusting
  // that range or parsing the sheet twice; navigation replays the spool. Memory stays bounded.
  void Open();
  void Close();
  bool Active() const { return active_; }

  void First();
  void Next();
  bool Eof() const { return record_ >= record_count_; }
  std::size_t RecordCount() const { return record_count_; }
  // 0-based number of the current record.
  std::size_t RecNo() const { return record_; }

  std::size_t FieldCount() const { return fields_.size(); }
  // The current record's texts, one per field ("" for an empty cell), as Fields(i).text()
  // gives them one by one; valid until the query moves.
  std::span<const std::string_view> values() const { return values_; }
  // Field references stay valid until the query is closed or opened again.
  const Field& Fields(std::size_t index) const;
  // Exact name first, then without regard to ASCII case. Throws naming the field and table.
  const Field& FieldByName(std::string_view name) const;
  const Field* FindField(std::string_view name) const;

  const std::string& table() const { return table_; }
  // The header row as the sheet has it, one text per field: empty where the cell is empty,
  // repeats unchanged (FieldName makes them "F2", "RED1"), for dumps of the sheet itself.
  const std::vector<std::string>& header_texts() const { return header_texts_; }

 private:
  friend class Field;
  void require_active() const;
  void load_current();
  void read_sheet(std::size_t sheet);

  const Connection& connection_;
  std::string sql_;
  std::string table_;
  bool active_ = false;

  std::shared_ptr<Book> book_;
  std::vector<Field> fields_;
  std::vector<std::string> header_texts_;
  std::unique_ptr<RowSpool> spool_;
  // Spooled rows hold worksheet coordinates; these map them to record and field numbers.
  std::uint32_t first_record_row_ = 0, first_column_ = 0;
  std::size_t record_count_ = 0;
  std::size_t record_ = 0;
  // With a condition that tests one record at a time: the numbers of the records that pass,
  // replayed from the spool of the whole sheet.
  bool filtered_ = false;
  std::vector<std::uint32_t> passed_;

  Row next_;  // the next spooled row not yet reached
  bool has_next_ = false;
  Row current_;                           // the current record's cells, if any
  std::vector<std::string_view> values_;  // per field, into current_
};

}  // namespace workbook
