#include "gridport/pattern_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/paths.h"
#include "test_folder.h"

using namespace gridport;
namespace fs = std::filesystem;

namespace {

class PatternFile : public ::testing::Test {
 protected:
  void SetUp() override { path_ = (dir_ / "a.pat").string(); }

  void put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  // The message of the failure to read the file, or "" when it was read.
  std::string read_failure() const {
    try {
      read_pattern_file(path_);
    } catch (const platform::Error& e) {
      return e.what();
    }
    return "";
  }

  test_support::TestFolder folder_{"pattern_file_test_"};
  fs::path dir_ = folder_.path();
  std::string path_;
};

TEST(PatternText, ReadsLinesEndedByCrLfLfOrCrAloneAndALastLineWithoutEnd) {
  EXPECT_EQ(parse_pattern("A:1\r\nB:2\nC:3\rD:4\r\r\nE:5"),
            (std::vector<PatternLine>{
                {"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"", ""}, {"E", "5"}}));
  EXPECT_TRUE(parse_pattern("").empty());
}

TEST(PatternText, SplitsAtTheFirstColonAndKeepsBlanks) {
  EXPECT_EQ(parse_pattern("A:b:c\r\n A :x\r\nno colon\r\n:lead\r\n"),
            (std::vector<PatternLine>{{"A", "b:c"}, {" A ", "x"}, {"", "no colon"}, {"", "lead"}}));
}

// The messages themselves are checked where a person sees them, in the dialog's tests.
TEST_F(PatternFile, TheSizeLimitIsInclusiveAndAFolderIsNoPattern) {
  put(std::string(kMaxPatternFileBytes, 'A'));
  EXPECT_EQ(read_failure(), "");
  put(std::string(kMaxPatternFileBytes + 1, 'A'));
  EXPECT_THAT(read_failure(), ::testing::HasSubstr("larger than 1 MiB"));
  path_ = dir_.string();
  EXPECT_EQ(read_failure(), "cannot read the pattern file " + path_ + ": it is a folder");
}

TEST(PatternFolder, IsPatBesideTheProgramAndIsCreatedWhenMissing) {
  std::string folder = platform::join_path(platform::program_folder(), "Pat");
  fs::remove_all(folder);
  EXPECT_EQ(prepare_pattern_folder(), folder);
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_EQ(prepare_pattern_folder(), folder);
  EXPECT_EQ(default_pattern_file(), platform::join_path(folder, "pat.pat"));
}

}  // namespace
