// The BIFF building blocks whose faults the fixtures would show only indirectly: RK numbers,
// UTF-16 and code-page text, and strings that cross CONTINUE records.
#include "workbook/biff_records.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using workbook::biff::rk_value;

TEST(BiffRecords, RkValuesDecodeAllFourForms) {
  EXPECT_EQ(rk_value((42u << 2) | 2), 42.0);
  EXPECT_EQ(rk_value(static_cast<std::uint32_t>(-3 << 2) | 2), -3.0);
  EXPECT_DOUBLE_EQ(rk_value((123u << 2) | 3), 1.23);
  EXPECT_EQ(rk_value(0x3FE00000u), 0.5);           // the top 30 bits of a double
  EXPECT_DOUBLE_EQ(rk_value(0x40590000u | 1), 1);  // 100.0 divided by 100
}

TEST(BiffRecords, Utf16SurrogatePairsJoinAndLoneSurrogatesAreReplaced) {
  std::string out;
  const char pair[] =
      "\x3D\xD8\x00\xDE"
      "A\0";  // U+1F600, "A"
  workbook::biff::append_utf16le(out, pair, 3);
  EXPECT_EQ(out,
            "\xF0\x9F\x98\x80"
            "A");
  out.clear();
  const char lone[] =
      "\x00\xDC"
      "B\0";
  workbook::biff::append_utf16le(out, lone, 2);
  EXPECT_EQ(out,
            "\xEF\xBF\xBD"
            "B");
}

TEST(BiffRecords, CodePageTextConvertsAndMarksBadBytes) {
  std::string out;
  workbook::biff::CodepageText gbk(936);
  gbk.append(out, "\xD5\xC5\xC8\xFD ok");  // 张三 ok
  EXPECT_EQ(out, "张三 ok");
  out.clear();
  gbk.append(out,
             "a\xFF"
             "b");
  EXPECT_EQ(out, "a?b");
  out.clear();
  workbook::biff::CodepageText unknown(12345);  // read as Windows-1252
  unknown.append(out, "caf\xE9 \x80");
  EXPECT_EQ(out, "café €");
}

TEST(BiffRecords, CharactersCrossingAContinueTakeTheNewFlagByteButRawDataDoesNot) {
  // "ab" 8-bit, then a CONTINUE whose flag byte switches to 16-bit for "张", then runs that
  // are split across the next CONTINUE with no flag byte of their own.
  std::string first(
      "\x03\x00\x08\x01\x00"
      "ab",
      7);
  std::string second("\x01\x20\x5F\x00\x00", 5);
  std::string third("\x00\x00", 2);
  workbook::biff::ContinuedReader in;
  in.add(first);
  in.add(second);
  in.add(third);
  std::string out;
  ASSERT_TRUE(workbook::biff::read_unicode_string(in, out));
  EXPECT_EQ(out, "ab张");
  EXPECT_TRUE(in.at_end());
}

TEST(BiffRecords, AStringLongerThanItsDataIsRefused) {
  std::string data(
      "\x05\x00\x00"
      "abc",
      6);
  workbook::biff::ContinuedReader in;
  in.add(data);
  std::string out;
  EXPECT_FALSE(workbook::biff::read_unicode_string(in, out));
  std::string half("\x01\x00\x01\x41", 4);  // half a 16-bit character
  in.reset();
  in.add(half);
  EXPECT_FALSE(workbook::biff::read_unicode_string(in, out));
}

}  // namespace
