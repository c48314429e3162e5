#include "platform/error.h"

#include <gtest/gtest.h>

#include "platform/utf8.h"

using namespace platform;

TEST(Error, LimitErrorsSayWhatWasAskedAndTheLimit) {
  Error sentence = limit_error("The sheet has too many rows", 1048577, 1048576, "rows");
  EXPECT_EQ(sentence.kind(), ErrorKind::Limit);
  EXPECT_STREQ(sentence.what(),
               "The sheet has too many rows (1048577 rows where the limit is 1048576 rows).");
  // A fragment is finished by the message it goes into.
  EXPECT_STREQ(limit_error("too many sheets", 3, 2, "sheets").what(),
               "too many sheets (3 sheets where the limit is 2 sheets)");
  EXPECT_EQ(Error("no kind given").kind(), ErrorKind::Failed);
}

TEST(Utf8, CodePointsOfEveryLengthEncode) {
  std::string out;
  for (char32_t c : {U'A', U'\u00E9', U'\u4E2D', U'\U0001F600'}) append_utf8(out, c);
  EXPECT_EQ(out, "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(utf8_characters(out).size(), 4u);
}
