// The scanner of worksheet and shared-string XML held to expat: every fixture reads the same
// through both; markup the scanner takes reads as expat reads it, in pieces of every size; what it
// does not know it gives up, and expat reads the part again, also after rows were handed out.
#include "workbook/xml_scanner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "book_dump.h"
#include "platform/error.h"
#include "table_helpers.h"
#include "workbook/byte_source.h"
#include "workbook/reader.h"
#include "workbook/xlsx_scanned_sheet.h"
#include "workbook/xlsx_shared_strings.h"
#include "workbook/xlsx_sheet.h"

namespace {

using workbook::TextSource;
using workbook::XmlReading;

using workbook_test::dump_book;
using workbook_test::dump_rows;

std::vector<std::string> fixtures() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(WORKBOOK_FIXTURES))
    if (entry.path().extension() == ".xlsx") names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Two chunk sizes only: expat scans an unfinished token again with every chunk, and
// huge_token.xlsx holds one of 4 MiB.
TEST(ScannerFixtures, EveryFixtureReadsAsWithExpat) {
  for (const auto& name : fixtures())
    for (std::size_t chunk : {workbook::kXlsxChunkBytes, std::size_t{65521}}) {
      std::string path = workbook_test::fixture(name);
      EXPECT_EQ(dump_book(path, chunk, XmlReading::Scanner),
                dump_book(path, chunk, XmlReading::Expat))
          << name << " in chunks of " << chunk;
    }
}

// Proof that the comparison above is not only expat against itself: the scanner reads every
// fixture alone except those made to be refused for their markup.
TEST(ScannerFixtures, ScannerAloneReadsAllButTheHostileMarkup) {
  const std::set<std::string> given_up = {"deep.xlsx", "doctype.xlsx", "huge_token.xlsx",
                                          "laughs.xlsx", "malformed.xlsx"};
  for (const auto& name : fixtures()) {
    std::string path = workbook_test::fixture(name);
    std::string alone = dump_book(path, workbook::kXlsxChunkBytes, XmlReading::ScannerOnly);
    if (given_up.count(name))
      EXPECT_NE(alone.find("scanner does not read"), std::string::npos) << name << alone;
    else
      EXPECT_EQ(alone, dump_book(path, workbook::kXlsxChunkBytes, XmlReading::Expat)) << name;
  }
}

const std::string kStrings =
    "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>\n"
    R"(<x:sst xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count='4'>)"
    R"(<x:si><x:t>Name</x:t></x:si>)"
    R"(<x:si><x:r><x:rPr><x:b/></x:rPr><x:t xml:space="preserve">a &lt;b&gt; </x:t></x:r>)"
    R"(<x:r><x:t>&amp; &quot;c&quot; &apos;d&apos;</x:t></x:r></x:si>)"
    "<x:si><x:t>漢字</x:t><x:rPh sb=\"0\" eb=\"2\"><x:t>カンジ</x:t></x:rPh>"
    "<x:t>&#65;&#x42;&#x1F600;_x000D_\ttab</x:t></x:si>\n"
    "<si><t/></si><si><t>]>]]</t></si></x:sst>\n";

const std::string kSheet =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
  <dimension ref='A1:D4'/>
  <sheetData>
    <row r="1" ><c t="s" r="A1"><v>0</v></c><c r='B1' t="inlineStr"><is><t>x &#38; y</t></is></c>
      <c r="C1" t = "str" ><f>A1&amp;"x"</f><v>a]b]]c&gt;</v></c><c r="D1" t="s"><v>2</v></c></row>
    <row r="2"><c r="A2" s="1"><v>45292.25</v></c><c r="B2"><v> 12 </v></c>
      <c r="C2" t="inlineStr"><is><r><t xml:space="preserve"> lead</t></r><rPh><t>no</t></rPh>)"
    R"(<t>&#10;line&#13;</t></is></c><c r="D2" t="s"><v>1</v></c></row>
    <row r="4" spans="1:4" x14ac:dyDescent="0.25"><c r="A4" t="e" extra="a&#9;b	c
d"><v>#DIV/0!</v></c><c r="B4" t="b"><v>0</v></c><c r="C4"><other a="1"><v>5</v></other></c>
      <c r="D4" t="s"><v>4</v></c><c r="E4"/><c r="F4" t="d"><v>2024-03-01T00:00:00</v></c></row>
  </sheetData>
  <pageMargins left="0.7" right="0.7"/>
</worksheet>
)";

class ScannerText : public testing::Test {
 protected:
  // The shared strings above, read by expat, for the sheets.
  void SetUp() override {
    TextSource source(kStrings);
    strings_.load(source, "strings", 1 << 20);
  }

  std::unique_ptr<workbook::SheetReader> open(const std::string& xml, XmlReading reading,
                                              std::size_t chunk_bytes,
                                              std::vector<std::size_t> cuts = {}) {
    auto open_with = [=, this](XmlReading r) -> std::unique_ptr<workbook::SheetReader> {
      return std::make_unique<workbook::XlsxSheetReader>(
          std::make_unique<TextSource>(xml, cuts), "\"t.xlsx\", sheet \"S\"",
          "\"t.xlsx\" (part sheet1.xml)", context_, chunk_bytes, r);
    };
    if (reading == XmlReading::Scanner)
      return std::make_unique<workbook::ScannedSheetReader>(open_with);
    return open_with(reading);
  }

  std::string read(const std::string& xml, XmlReading reading, std::size_t chunk_bytes = 1 << 20,
                   std::vector<std::size_t> cuts = {}) {
    try {
      return dump_rows(*open(xml, reading, chunk_bytes, std::move(cuts)));
    } catch (const platform::Error& e) {
      return std::string("error: ") + e.what() + "\n";
    }
  }

  workbook::SharedStrings strings_;
  std::vector<bool> date_styles_ = {false, true};
  workbook::XlsxSheetContext context_{&strings_, &date_styles_, workbook::DateSystem::From1900};
};

TEST_F(ScannerText, SheetReadsAsWithExpatInPiecesOfEverySize) {
  const std::string expected = read(kSheet, XmlReading::Expat);
  EXPECT_EQ(expected,
            "0: 0=Name 1=x & y 2=a]b]]c> 3=漢字AB😀\r\ttab\n"
            "1: 0=2024-01-01 06:00:00 1=12 2= lead\nline\r 3=a <b> & \"c\" 'd'\n"
            "3: 0=#DIV/0! 1=FALSE 2=5 3=]>]] 5=2024-03-01\n");
  for (std::size_t size = 1; size <= kSheet.size() + 1; ++size)
    ASSERT_EQ(read(kSheet, XmlReading::ScannerOnly, size), expected) << "pieces of " << size;
  for (std::size_t at = 1; at < kSheet.size(); ++at)
    ASSERT_EQ(read(kSheet, XmlReading::ScannerOnly, 1 << 20, {at}), expected) << "split at " << at;
}

TEST_F(ScannerText, SharedStringsReadAsWithExpatInPiecesOfEverySize) {
  auto load = [](XmlReading reading, std::size_t chunk) {
    workbook::SharedStrings table;
    TextSource source(kStrings);
    table.load(source, "strings", chunk, reading);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < table.size(); ++i) texts.emplace_back(table.at(i));
    return texts;
  };
  const auto expected = load(XmlReading::Expat, 1 << 20);
  ASSERT_EQ(expected.size(), 5u);
  for (std::size_t size = 1; size <= kStrings.size() + 1; ++size)
    ASSERT_EQ(load(XmlReading::ScannerOnly, size), expected) << "pieces of " << size;
}

// Cells and shared strings of the plainest form are taken at once, the rest tag by tag: the
// forms on either side of that line, and such cells where <c> does not start a cell.
TEST_F(ScannerText, PlainCellsAndTheirNearMissesReadAsWithExpat) {
  std::string head = kSheet.substr(0, kSheet.find("</sheetData>"));
  std::string tail = kSheet.substr(kSheet.find("</sheetData>"));
  std::string xml = head +
                    "<row r='9'><c r='A9' s='1'><v>1</v></c><c r=\"B9\" t='s' s=\"1\"><v>1</v></c>"
                    "<c r='C9' t='inlineStr'><is><t>漢字_x0041_\tz</t></is></c>"
                    "<x:c r='D9'><x:v>2</x:v></x:c><c r = 'E9'><v>3</v></c>"
                    "<c r='F9' x14:a='1'><v>4</v></c><c r='G9'><v></v></c>"
                    "<c r='H9' ><v>5</v><f>x</f></c><c r='I9'><c r='J9'><v>6</v></c></c>"
                    "<c r='K9' t='inlineStr'><is><t></t></is></c><c\tr='L9'\n><v>7</v></c></row>"
                    "<c r='A10'><v>8</v></c><row r='11'><c><v>9</v></c><c r='B11'><v>10</v></c>"
                    "<c r='AB11'><v>11</v></c></row>" +
                    tail;
  const std::string expected = read(xml, XmlReading::Expat);
  EXPECT_NE(expected.find("8: 0=1900-01-01 1=a <b> & \"c\" 'd' 2=漢字A\tz 3=2 4=3 5=4 7=5 8=6 "
                          "11=7\n10: 0=9 1=10 27=11\n"),
            std::string::npos)
      << expected;
  for (std::size_t size = 1; size <= 96; ++size)
    ASSERT_EQ(read(xml, XmlReading::ScannerOnly, size), expected) << "pieces of " << size;
  ASSERT_EQ(read(xml, XmlReading::ScannerOnly), expected);

  const std::string strings =
      "<sst><si><t>a_x0042_</t></si><si><si><t>b</t></si><t>c</t></si><si><t>d</t><t>e</t></si>"
      "<si><t xml:space='preserve'> f</t></si><si><t></t></si><si><t>g&amp;</t></si></sst>";
  auto load = [&](XmlReading reading, std::size_t chunk) {
    workbook::SharedStrings table;
    TextSource source(strings);
    table.load(source, "strings", chunk, reading);
    std::string texts;
    for (std::size_t i = 0; i < table.size(); ++i) texts.append(table.at(i)).append("|");
    return texts;
  };
  const std::string texts = load(XmlReading::Expat, 1 << 20);
  EXPECT_EQ(texts, "aB|b||de| f||g&|");  // an item inside an item ends both
  for (std::size_t size = 1; size <= strings.size() + 1; ++size)
    ASSERT_EQ(load(XmlReading::ScannerOnly, size), texts) << "pieces of " << size;
}

// Markup the scanner leaves to expat, each placed after the first rows: alone the scanner
// refuses it; with the give-up the result is expat's, rows or error, with no row twice.
TEST_F(ScannerText, WhatTheScannerDoesNotKnowIsReadByExpat) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"comment", "<!-- note -->"},
      {"CDATA", "<row r='9'><c t='inlineStr'><is><t><![CDATA[<x>]]></t></is></c></row>"},
      {"processing instruction", "<?mso-app x?>"},
      {"undeclared entity", "<row r='9'><c t='inlineStr'><is><t>&nbsp;</t></is></c></row>"},
      {"carriage return", "<row r='9'><c t='inlineStr'><is><t>a\r\nb</t></is></c></row>"},
      {"C1 control", "<row r='9'><c t='inlineStr'><is><t>\xC2\x85</t></is></c></row>"},
      {"bad UTF-8", "<row r='9'><c t='inlineStr'><is><t>\xC3(</t></is></c></row>"},
      {"]]> in text", "<row r='9'><c><v>1]]>2</v></c></row>"},
      {"mismatched end tag", "<row r='9'><c><v>1</c></v></row>"},
      {"duplicate attribute", "<row r='9' r='10'><c><v>1</v></c></row>"},
      {"attributes run together", "<row r='9'><c r='A9't='n'><v>1</v></c></row>"},
      {"unquoted attribute", "<row r=9><c><v>1</v></c></row>"},
      {"< in attribute", "<row r='9'><c r='<'><v>1</v></c></row>"},
      {"non-ASCII name", "<row r='9'><cé><v>1</v></cé></row>"},
      {"control character", "<row r='9'><c><v>1\x01</v></c></row>"},
  };
  std::string head = kSheet.substr(0, kSheet.find("<row r=\"4\""));
  std::string tail = kSheet.substr(kSheet.find("<row r=\"4\""));
  for (const auto& [what, markup] : cases) {
    std::string xml = head + markup + tail;
    EXPECT_NE(read(xml, XmlReading::ScannerOnly).find("scanner does not read"), std::string::npos)
        << what;
    for (std::size_t chunk : {std::size_t{1} << 20, std::size_t{64}, std::size_t{7}})
      EXPECT_EQ(read(xml, XmlReading::Scanner, chunk), read(xml, XmlReading::Expat, chunk))
          << what << " in chunks of " << chunk;
  }
}

TEST_F(ScannerText, DocumentsTheScannerLeavesToExpatFromTheStart) {
  const std::string body = "<worksheet><sheetData><row><c><v>1</v></c></row></sheetData>";
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"DTD", "<!DOCTYPE worksheet [<!ENTITY e 'x'>]>" + body + "</worksheet>"},
      {"no version", "<?xml encoding='UTF-8'?>" + body + "</worksheet>"},
      {"NUL in the encoding",
       std::string("<?xml version='1.0' encoding='UTF-8\0'?>", 39) + body + "</worksheet>"},
      {"other encoding", "<?xml version='1.0' encoding='ISO-8859-1'?>" + body + "</worksheet>"},
      {"UTF-16", std::string("<\0w\0/\0>\0", 8)},
      {"truncated", "<?xml version='1.0'?>" + body},
      {"text after the root", body + "</worksheet>junk"},
      {"second root", body + "</worksheet><worksheet/>"},
      {"no root", "<?xml version='1.0'?>\n"},
      {"long stretch without a start tag", body + "</worksheet>" + std::string(3 << 20, ' ')},
  };
  for (const auto& [what, xml] : cases) {
    EXPECT_NE(read(xml, XmlReading::ScannerOnly).find("scanner does not read"), std::string::npos)
        << what;
    EXPECT_EQ(read(xml, XmlReading::Scanner, 4096), read(xml, XmlReading::Expat, 4096)) << what;
  }
}

// The handler's own errors come from the scanner's events exactly as from expat's.
TEST_F(ScannerText, ErrorsOfTheCellsAreTheSame) {
  std::string head = kSheet.substr(0, kSheet.find("<row r=\"4\""));
  std::string tail = kSheet.substr(kSheet.find("<row r=\"4\""));
  for (const std::string markup :
       {"<row r='1'><c><v>1</v></c></row>", "<row r='9'><c r='1A'/></row>",
        "<row r='9'><c t='s'><v>99</v></c></row>", "<row r='9'><c r='AC09'><v>1</v></c></row>",
        "<row r='9'><c r='XFE9'><v>1</v></c></row>",
        "<row r='9'><c r='B9'/><c r='A9'><v>1</v></c></row>"}) {
    std::string xml = head + markup + tail;
    std::string expat = read(xml, XmlReading::Expat, 64);
    EXPECT_NE(expat.find("error: "), std::string::npos) << markup;
    EXPECT_EQ(read(xml, XmlReading::ScannerOnly, 64), expat) << markup;
  }
}

}  // namespace
