#include "gridport/pattern_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "platform/paths.h"

using namespace gridport;
namespace fs = std::filesystem;

namespace {

// "目标" and "字段" in GBK.
const std::string kTargetGbk = "\xC4\xBF\xB1\xEA";
const std::string kFieldGbk = "\xD7\xD6\xB6\xCE";

class PatternFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pattern_file_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "a.pat").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void put(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
  std::string contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The message of the failure to read the file, or "" when it was read.
  std::string read_failure() const {
    try {
      read_pattern_file(path_);
    } catch (const platform::Error& e) {
      return e.what();
    }
    return "";
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(PatternFile, WritesOneGbkLinePerRowEachEndedByCrLfWithoutByteOrderMark) {
  write_pattern_file(path_, {{"目标", "字段"}, {"B", ""}, {"C", ""}});
  EXPECT_EQ(contents(), kTargetGbk + ":" + kFieldGbk + "\r\nB:\r\nC:\r\n");
  EXPECT_EQ(read_pattern_file(path_),
            (std::vector<PatternLine>{{"目标", "字段"}, {"B", ""}, {"C", ""}}));
}

TEST_F(PatternFile, ReadsLinesEndedByCrLfLfOrCrAloneAndALastLineWithoutEnd) {
  EXPECT_EQ(parse_pattern("A:1\r\nB:2\nC:3\rD:4\r\r\nE:5"),
            (std::vector<PatternLine>{
                {"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"", ""}, {"E", "5"}}));
  EXPECT_TRUE(parse_pattern("").empty());
}

TEST_F(PatternFile, SplitsAtTheFirstColonAndKeepsBlanks) {
  EXPECT_EQ(parse_pattern("A:b:c\r\n A :x\r\nno colon\r\n:lead\r\n"),
            (std::vector<PatternLine>{{"A", "b:c"}, {" A ", "x"}, {"", "no colon"}, {"", "lead"}}));
}

TEST_F(PatternFile, AppendsTheExtensionUnlessTheNameEndsInItInAnyCase) {
  EXPECT_EQ(with_pattern_extension("/p/mine"), "/p/mine.pat");
  EXPECT_EQ(with_pattern_extension("/p/mine.PAT"), "/p/mine.PAT");
  EXPECT_EQ(with_pattern_extension("/p/mine.Pat"), "/p/mine.Pat");
  EXPECT_EQ(with_pattern_extension("/p/x.pat.txt"), "/p/x.pat.txt.pat");
  EXPECT_EQ(with_pattern_extension("pat"), "pat.pat");
}

TEST_F(PatternFile, RefusesFilesThatCannotBePatternsNamingTheFileAndWhy) {
  EXPECT_EQ(read_failure(),
            "cannot read the pattern file " + path_ + ": No such file or directory");
  put(std::string(2 * 1024 * 1024, 'A'));
  EXPECT_EQ(read_failure(), "cannot read the pattern file " + path_ +
                                ": it is larger than 1 MiB, far more than any pattern, so it is "
                                "not one");
  put(std::string(kMaxPatternFileBytes, 'A'));
  EXPECT_EQ(read_failure(), "");
  put(std::string("A:B\r\n\x01\x02\0\x03", 9));
  EXPECT_EQ(read_failure(), "cannot read the pattern file " + path_ +
                                ": it holds NUL bytes, so it is not a text pattern file");
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
