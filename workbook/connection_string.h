// What a connection string says that matters here: the workbook's path and the format the
// provider is told to expect. Every other property is accepted and ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace workbook {

enum class WorkbookFormat { Xls, Xlsx };

struct ConnectionTarget {
  std::string path;
  std::optional<WorkbookFormat> format;  // nullopt when the string names none
};

// The path is taken whole even when it holds ";", "=", quotes or blanks: it runs from
// "Data Source=" to the first ";" after which the rest reads as known properties (or, when a
// later such ";" ends an existing file's path and the first does not, to that one).
// Throws platform::Error when there is no data source.
ConnectionTarget parse_connection_string(std::string_view text);

}  // namespace workbook
