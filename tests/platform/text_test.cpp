#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/error.h"

using namespace platform;

TEST(Text, ChineseRoundTripsThroughGbk) {
  std::string utf8 = "批量从EXCEL电子表格导入";
  std::string gbk = utf8_to_gbk(utf8);
  EXPECT_EQ(gbk.size(), 5u + 2 * 9);
  EXPECT_EQ(gbk.substr(0, 2), "\xC5\xFA");  // 批
  EXPECT_EQ(gbk_to_utf8(gbk), utf8);
}

TEST(Text, CharactersGbkCannotHoldBecomeQuestionMarks) {
  EXPECT_EQ(utf8_to_gbk("a\xF0\x9F\x98\x80"
                        "b"),
            "a?b");                                // emoji
  EXPECT_EQ(utf8_to_gbk("\xE2\x82\xAC"), "\x80");  // euro sign
  EXPECT_EQ(utf8_to_gbk("x\xC3y"), "x?y");         // broken UTF-8
  // One "?" for each broken character, however it is broken, on every system.
  EXPECT_EQ(utf8_to_gbk("x\xE4\xB8"), "x?");                   // cut at the end
  EXPECT_EQ(utf8_to_gbk("\x80z\xC0\x80z\xE4\x41"), "?z?z?A");  // stray, overlong, short
  EXPECT_EQ(gbk_to_utf8("a\xFF"
                        "b"),
            "a?b");
}

TEST(Text, PrefixNeverSplitsADoubleByteCharacter) {
  std::string gbk = utf8_to_gbk("ab中文");  // a b D6 D0 CE C4
  EXPECT_EQ(gbk_prefix(gbk, 3), "ab");
  EXPECT_EQ(gbk_prefix(gbk, 4), gbk.substr(0, 4));
  EXPECT_EQ(gbk_prefix(gbk, 5), gbk.substr(0, 4));
  EXPECT_EQ(gbk_prefix(gbk, 100), gbk);
  EXPECT_EQ(gbk_prefix("\x80z", 1), "\x80");  // the euro sign is one byte
  EXPECT_EQ(gbk_prefix("", 3), "");
}

TEST(Text, TrimsBlanksAndControlCharacters) {
  EXPECT_EQ(trim_blanks(" \t\r\n x y \x01"), "x y");
  EXPECT_EQ(trim_blanks("   "), "");
  EXPECT_EQ(trim_blanks("\xA1\xA1"), "\xA1\xA1");  // a full-width blank is text
}

TEST(Text, RecoderReplacesWhatItCannotConvertAndKeepsWhatCameBefore) {
  Recoder from_1252("UTF-8", "CP1252");
  std::string out = "kept ";
  from_1252.append(out, "caf\xE9 \x81 \x80");  // 0x81 is unassigned in code page 1252
  EXPECT_EQ(out, "kept caf\xC3\xA9 ? \xE2\x82\xAC");
  // Text that grows threefold, appended to a long text: nothing of either is lost.
  std::string long_text(100000, 'x');
  from_1252.append(long_text, std::string(5000, '\x80'));
  ASSERT_EQ(long_text.size(), 100000u + 3 * 5000);
  EXPECT_EQ(long_text.substr(99999, 4), "x\xE2\x82\xAC");
  EXPECT_THROW(Recoder("UTF-8", "NO-SUCH-CODE-PAGE"), Error);
}

TEST(Text, AsciiCaseLeavesOtherBytesAlone) {
  EXPECT_EQ(ascii_lower("Sheet1 \xC3\x89"), "sheet1 \xC3\x89");
  EXPECT_EQ(ascii_upper("data source"), "DATA SOURCE");
  EXPECT_TRUE(equals_ignoring_ascii_case("Workbook", "WORKBOOK"));
  EXPECT_FALSE(equals_ignoring_ascii_case("Book", "Books"));
  EXPECT_TRUE(starts_with_ignoring_ascii_case("Data Source=x", "data source="));
  EXPECT_FALSE(starts_with_ignoring_ascii_case("Data", "data source="));
  EXPECT_EQ(find_ignoring_ascii_case("a;DATA;data", "data", 3), 7u);
  EXPECT_EQ(find_ignoring_ascii_case("abc", "abcd"), std::string_view::npos);
  EXPECT_EQ(ascii_lower(u'Q'), u'q');
}
