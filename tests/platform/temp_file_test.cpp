#include "platform/temp_file.h"

#include <gtest/gtest.h>

#include <string>

// The spool of a big sheet lives in such a file: what goes in must come back whole.
TEST(TemporaryFile, GivesBackWhatWasWrittenAfterASeekToTheStart) {
  std::FILE* file = platform::open_temporary_file();
  ASSERT_NE(file, nullptr);
  std::string data(300000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  data[10] = '\n';
  data[11] = '\r';
  data[12] = '\x1a';  // the end-of-file mark of text mode
  ASSERT_EQ(std::fwrite(data.data(), 1, data.size(), file), data.size());
  ASSERT_EQ(std::fseek(file, 0, SEEK_SET), 0);
  std::string back(data.size(), '\0');
  EXPECT_EQ(std::fread(back.data(), 1, back.size(), file), data.size());
  EXPECT_EQ(back, data);
  EXPECT_EQ(std::fclose(file), 0);
}
