// Stands in for the .xls reader until it lands on this branch; delete this file on merging it.
#include "platform/error.h"
#include "workbook/reader.h"

namespace workbook {

std::unique_ptr<Book> open_xls_book(const std::string& path) {
  throw platform::Error("The workbook \"" + path + "\" cannot be read: .xls is not supported yet.");
}

}  // namespace workbook
