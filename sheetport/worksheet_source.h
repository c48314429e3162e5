// What the worksheet reader needs of the workbook data source: connect, list the tables, run a
// query, and walk its records reading each field's text. One implementation sits over the
// workbook layer; tests give their own.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace sheetport {

class WorksheetSource {
 public:
  virtual ~WorksheetSource() = default;
  // Each throws platform::Error naming the workbook and what went wrong.
  virtual void connect(const std::string& connection_string) = 0;
  // Table names as the provider spells them ("Sheet1$"), system tables left out.
  virtual std::vector<std::string> table_names() = 0;
  // Opens the query and stands on its first record.
  virtual void open(const std::string& sql) = 0;
  virtual bool eof() = 0;
  virtual void next() = 0;
  // The texts of the current record's fields, in column order (UTF-8).
  virtual void field_texts(std::vector<std::string>& texts) = 0;
};

// The source over the workbook layer's connection and query.
std::unique_ptr<WorksheetSource> make_workbook_source();

}  // namespace sheetport
