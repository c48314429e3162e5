// How the bytes of a part arrive must never change what is read: the same worksheet and
// shared-string XML read in pieces of every size, and split at every offset, gives the same rows.
// A reading path is a parameter, so that another parser of the same parts can be held to it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "workbook/byte_source.h"
#include "workbook/xlsx_shared_strings.h"
#include "workbook/xlsx_sheet.h"

namespace {

using workbook::TextSource;

const std::string kStrings =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="6" uniqueCount="6">)"
    R"(<si><t>Name</t></si><si><t>Amount</t></si><si><t xml:space="preserve"> When </t></si>)"
    R"(<si><r><rPr><b/></rPr><t>Rich </t></r><r><t>text &amp; more</t></r></si>)"
    R"(<si><t>漢字</t><rPh sb="0" eb="2"><t>カンジ</t></rPh></si>)"
    R"(<si><t>Прайс-лист_x000D_</t></si></sst>)";

const std::string kSheet =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
    R"(<dimension ref="A1:E9"/><sheetViews><sheetView workbookViewId="0"/></sheetViews>)"
    R"(<sheetData>)"
    R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c>)"
    R"(<c r="C1" t="s"><v>2</v></c><c r="E1" t="inlineStr"><is><t>Flag</t></is></c></row>)"
    R"(<row r="2" spans="1:5"><c r="A2" t="s"><v>3</v></c><c r="B2"><v>1200.5</v></c>)"
    R"(<c r="C2" s="1"><v>45292.5</v></c><c r="E2" t="b"><v>1</v></c></row>)"
    R"(<row r="3"><c r="A3" t="s"><v>4</v></c><c r="B3"><v>-0.1</v></c>)"
    R"(<c r="C3" t="d"><v>2024-03-01T10:20:30Z</v></c><c r="E3" t="e"><v>#N/A</v></c></row>)"
    R"(<row r="5"><c r="A5" t="inlineStr"><is><r><t>землетрясение </t></r><r><t>№7</t></r></is></c>)"
    R"(<c r="B5"><v>1E+20</v></c><c r="D5" t="str"><f>A5</f><v>x_x005F_y</v></c></row>)"
    R"(<row r="6"><c r="A6" t="s"><v>5</v></c><c r="B6"/><c r="C6" t="inlineStr"><is><t/></is></c></row>)"
    R"(<row><c><v>7</v></c><c><v>8</v></c><c t="inlineStr"><is><t>中文 😀</t></is></c></row>)"
    R"(<row r="9"><c r="A9" t="inlineStr"><is><t>long )" +
    std::string(300, 'x') +
    R"(</t></is></c><c r="E9"><v>0.30000000000000004</v></c></row>)"
    R"(</sheetData><pageMargins left="0.7" right="0.7" top="0.75" bottom="0.75"/></worksheet>)";

// One way of reading a sheet part with its shared strings: everything it yields, or its error.
struct ReadingPath {
  const char* name;
  std::function<std::unique_ptr<workbook::SheetReader>(
      std::unique_ptr<workbook::ByteSource>, const workbook::XlsxSheetContext&, std::size_t)>
      open;
};

void PrintTo(const ReadingPath& path, std::ostream* os) {
  *os << path.name;
}

std::string dump(const ReadingPath& path, TextSource sheet, TextSource strings,
                 std::size_t chunk_bytes) {
  std::string out;
  try {
    workbook::SharedStrings table;
    table.load(strings, "strings", chunk_bytes);
    static const std::vector<bool> date_styles = {false, true};
    workbook::XlsxSheetContext context{&table, &date_styles, workbook::DateSystem::From1900};
    auto reader = path.open(std::make_unique<TextSource>(std::move(sheet)), context, chunk_bytes);
    workbook::Row row;
    while (reader->next_row(row)) {
      out += std::to_string(row.index) + ":";
      for (std::size_t i = 0; i < row.size(); ++i)
        out.append(" ").append(std::to_string(row.column(i))).append("=").append(row.text(i));
      out += "\n";
    }
  } catch (const platform::Error& e) {
    out += std::string("error: ") + e.what() + "\n";
  }
  return out;
}

class Chunking : public testing::TestWithParam<ReadingPath> {
 protected:
  std::string whole() const {
    return dump(GetParam(), TextSource(kSheet), TextSource(kStrings), 1 << 20);
  }
};

TEST_P(Chunking, WholeReadGivesEveryCell) {
  EXPECT_EQ(whole(),
            "0: 0=Name 1=Amount 2= When  4=Flag\n"
            "1: 0=Rich text & more 1=1200.5 2=2024-01-01 12:00:00 4=TRUE\n"
            "2: 0=漢字 1=-0.1 2=2024-03-01 10:20:30 4=#N/A\n"
            "4: 0=землетрясение №7 1=1e+20 3=x_y\n"
            "5: 0=Прайс-лист\r\n"
            "6: 0=7 1=8 2=中文 😀\n"
            "8: 0=long " +
                std::string(300, 'x') + " 4=0.3\n");
}

TEST_P(Chunking, EveryPieceSizeGivesTheSameRows) {
  const std::string expected = whole();
  for (std::size_t size = 1; size <= kSheet.size() + 1; ++size)
    ASSERT_EQ(dump(GetParam(), TextSource(kSheet), TextSource(kStrings), size), expected)
        << "pieces of " << size << " bytes";
}

TEST_P(Chunking, EverySplitOffsetGivesTheSameRows) {
  const std::string expected = whole();
  for (std::size_t at = 1; at < kSheet.size(); ++at)
    ASSERT_EQ(dump(GetParam(), TextSource(kSheet, {at}), TextSource(kStrings), 1 << 20), expected)
        << "sheet split at byte " << at;
  for (std::size_t at = 1; at < kStrings.size(); ++at)
    ASSERT_EQ(dump(GetParam(), TextSource(kSheet), TextSource(kStrings, {at}), 1 << 20), expected)
        << "shared strings split at byte " << at;
}

// Splits that put every row's end in a later piece than its start, with rows waiting to be
// handed out: the case that once lost the rest of a row.
TEST_P(Chunking, RowsSplitAfterQueuedRowsKeepTheirCells) {
  const std::string expected = whole();
  std::vector<std::size_t> cuts;
  for (std::size_t at = kSheet.find("<row"); at != std::string::npos;
       at = kSheet.find("<row", at + 1))
    cuts.push_back(at + 20);
  EXPECT_EQ(dump(GetParam(), TextSource(kSheet, cuts), TextSource(kStrings), 1 << 20), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Xlsx, Chunking,
    testing::Values(
        ReadingPath{"expat",
                    [](std::unique_ptr<workbook::ByteSource> source,
                       const workbook::XlsxSheetContext& context,
                       std::size_t chunk_bytes) -> std::unique_ptr<workbook::SheetReader> {
                      return std::make_unique<workbook::XlsxSheetReader>(
                          std::move(source), "\"t.xlsx\", sheet \"S\"",
                          "\"t.xlsx\" (part sheet1.xml)", context, chunk_bytes);
                    }},
        ReadingPath{"scanner",
                    [](std::unique_ptr<workbook::ByteSource> source,
                       const workbook::XlsxSheetContext& context,
                       std::size_t chunk_bytes) -> std::unique_ptr<workbook::SheetReader> {
                      return std::make_unique<workbook::XlsxSheetReader>(
                          std::move(source), "\"t.xlsx\", sheet \"S\"",
                          "\"t.xlsx\" (part sheet1.xml)", context, chunk_bytes,
                          workbook::XmlReading::ScannerOnly);
                    }}),
    [](const testing::TestParamInfo<ReadingPath>& info) { return std::string(info.param.name); });

}  // namespace
