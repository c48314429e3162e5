// Record texts for people (an aligned table) and for programs (CSV, JSON).
#include "records_output.h"

#include <algorithm>
#include <cstdio>

#include "system.h"

namespace payhost {
namespace {

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

// Terminal columns a UTF-8 text takes: East Asian wide characters take two.
std::size_t display_width(const std::string& text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = c;
    std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (len > 1 && i + len <= text.size()) {
      cp = c & (0xFF >> (len + 1));
      for (std::size_t k = 1; k < len; ++k) cp = (cp << 6) | (text[i + k] & 0x3F);
    }
    bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000;
    width += wide ? 2 : 1;
    i += len;
  }
  return width;
}

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
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

void print_records(std::ostream& out, const TRecordList* list, Format format) {
  auto rows = rows_of(list);
  constexpr std::size_t kColumns = 8;
  if (format == Format::Csv) {
    for (std::size_t c = 0; c < kColumns; ++c) out << (c ? "," : "") << kJsonNames[c];
    out << "\n";
    for (const auto& row : rows) {
      for (std::size_t c = 0; c < kColumns; ++c) out << (c ? "," : "") << csv_field(row[c]);
      out << "\n";
    }
    return;
  }
  if (format == Format::Json) {
    out << "[";
    for (std::size_t r = 0; r < rows.size(); ++r) {
      out << (r ? ",\n " : "\n ") << "{";
      for (std::size_t c = 0; c < kColumns; ++c) {
        out << (c ? ", " : "") << json_string(kJsonNames[c]) << ": "
            << (c == 0 ? rows[r][c] : json_string(rows[r][c]));
      }
      out << "}";
    }
    out << (rows.empty() ? "]\n" : "\n]\n");
    return;
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
  for (const auto& row : rows) print_row(row);
}

}  // namespace payhost
