#include "platform/text.h"

#include <gtest/gtest.h>

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
