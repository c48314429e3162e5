// The workbook as a database: a connection string names the file, connecting opens it, and
// its worksheets are the tables that queries read.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "workbook/connection_string.h"
#include "workbook/reader.h"

namespace workbook {

class Connection {
 public:
  Connection() = default;
  explicit Connection(std::string connection_string);

  void SetConnectionString(std::string text);
  const std::string& ConnectionString() const { return connection_string_; }

  // Opens the workbook the string names. The file's content decides the reader: an .xls
  // compound file or an .xlsx package. A package under a string that names Excel 8.0 (the
  // .xls format) is refused as mislabelled, as that provider would. Throws platform::Error
  // naming the file and what is wrong.
  void Connect();
  void Disconnect();
  bool Connected() const { return book_ != nullptr; }

  // Table names of the worksheets in workbook order ("Sheet1$", "'My Sheet$'"); chart and
  // macro sheets are not tables.
  std::vector<std::string> GetTableNames() const;

  // For Query: the open book, its path, and the sheet index a table name means.
  std::shared_ptr<Book> book() const { return book_; }
  const std::string& path() const { return path_; }
  std::optional<std::size_t> find_table(std::string_view table) const;

 private:
  void require_connected() const;

  std::string connection_string_;
  std::string path_;
  std::shared_ptr<Book> book_;
};

}  // namespace workbook
