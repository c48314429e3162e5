// Record texts for people (an aligned table) and for programs (CSV, JSON).
#include "records_output.h"

#include <algorithm>

#include "host_text.h"
#include "system.h"

namespace payhost {
namespace {

using hosts::csv_field;
using hosts::display_width;
using hosts::gbk_to_utf8;
using hosts::json_string;

const char* const kHeadings[] = {"RecNo",  "Number",  "Name",      "Account",
                                 "Amount", "DocType", "DocNumber", "Region"};
const char* const kJsonNames[] = {"rec_no", "customer_number", "customer_name",   "account",
                                  "amount", "document_type",   "document_number", "region_code"};

// A length-prefixed field: the length byte, clamped to the field's capacity, then the bytes.
template <std::size_t N>
std::string field_text(const unsigned char (&field)[N]) {
  std::size_t length = std::min<std::size_t>(field[0], N - 1);
  return std::string(reinterpret_cast<const char*>(field + 1), length);
}

std::vector<std::vector<std::string>> rows_of(const TRecordList* list) {
  std::vector<std::vector<std::string>> rows;
  if (list == nullptr) return rows;
  for (int32_t i = 0; i < list->Count; ++i) {
    if (list->Items[i] != nullptr) rows.push_back(record_columns(*list->Items[i]));
  }
  return rows;
}

}  // namespace

std::vector<std::string> record_columns(const TCustomerRecord& record) {
  const TCustomerInfo& info = record.Info;
  return {std::to_string(record.RecNo),       gbk_to_utf8(field_text(info.KHBH)),
          gbk_to_utf8(field_text(info.KHXM)), gbk_to_utf8(field_text(info.KHZH)),
          gbk_to_utf8(field_text(info.JYJE)), gbk_to_utf8(field_text(info.ZJLX)),
          gbk_to_utf8(field_text(info.ZJHM)), gbk_to_utf8(field_text(info.SSDM))};
}

std::size_t print_records(std::ostream& out, const TRecordList* list, Format format,
                          const std::function<bool()>& stop) {
  auto rows = rows_of(list);
  constexpr std::size_t kColumns = 8;
  std::size_t printed = 0;
  if (format == Format::Csv) {
    for (std::size_t c = 0; c < kColumns; ++c) out << (c ? "," : "") << kJsonNames[c];
    out << "\n";
    for (; printed < rows.size() && !stop(); ++printed) {
      for (std::size_t c = 0; c < kColumns; ++c)
        out << (c ? "," : "") << csv_field(rows[printed][c]);
      out << "\n";
    }
    return printed;
  }
  if (format == Format::Json) {
    out << "[";
    for (; printed < rows.size() && !stop(); ++printed) {
      out << (printed ? ",\n " : "\n ") << "{";
      for (std::size_t c = 0; c < kColumns; ++c) {
        out << (c ? ", " : "") << json_string(kJsonNames[c]) << ": "
            << (c == 0 ? rows[printed][c] : json_string(rows[printed][c]));
      }
      out << "}";
    }
    out << (printed == 0 ? "]\n" : "\n]\n");
    return printed;
  }
  std::size_t widths[kColumns];
  for (std::size_t c = 0; c < kColumns; ++c) {
    widths[c] = display_width(kHeadings[c]);
    for (const auto& row : rows) widths[c] = std::max(widths[c], display_width(row[c]));
  }
  auto print_row = [&](const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t c = 0; c < kColumns; ++c) {
      std::size_t pad = widths[c] - display_width(cells[c]);
      // Numbers line up on the right, texts on the left.
      if (c == 0) line.append(pad, ' ');
      line += cells[c];
      if (c != 0 && c + 1 < kColumns) line.append(pad, ' ');
      if (c + 1 < kColumns) line += "  ";
    }
    out << line << "\n";
  };
  print_row(std::vector<std::string>(std::begin(kHeadings), std::end(kHeadings)));
  std::vector<std::string> rule;
  for (std::size_t c = 0; c < kColumns; ++c) rule.emplace_back(widths[c], '-');
  print_row(rule);
  for (; printed < rows.size() && !stop(); ++printed) print_row(rows[printed]);
  return printed;
}

}  // namespace payhost
