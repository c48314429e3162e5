// The worksheet source over the workbook layer's connection and query.
#include <memory>

#include "sheetport/worksheet_source.h"
#include "workbook/connection.h"
#include "workbook/query.h"

namespace sheetport {
namespace {

class WorkbookSource : public WorksheetSource {
 public:
  void connect(const std::string& connection_string) override {
    connection_.SetConnectionString(connection_string);
    connection_.Connect();
    query_ = std::make_unique<workbook::Query>(connection_);
  }
  std::vector<std::string> table_names() override { return connection_.GetTableNames(); }
  void open(const std::string& sql) override {
    query_->Close();
    query_->SetSQL(sql);
    query_->Open();
    query_->First();
  }
  bool eof() override { return query_->Eof(); }
  void next() override { query_->Next(); }
  void field_texts(std::vector<std::string>& texts) override {
    texts.resize(query_->FieldCount());
    for (std::size_t i = 0; i < texts.size(); ++i) texts[i].assign(query_->Fields(i).text());
  }

 private:
  // Declared first so that it is freed last: the query reads through it.
  workbook::Connection connection_;
  std::unique_ptr<workbook::Query> query_;
};

}  // namespace

std::unique_ptr<WorksheetSource> make_workbook_source() {
  return std::make_unique<WorkbookSource>();
}

}  // namespace sheetport
