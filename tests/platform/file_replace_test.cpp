#include "platform/file_replace.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "test_folder.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

class FileReplace : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (dir_ / "a.pat").string();
    std::ofstream(path_, std::ios::binary) << "old";
  }

  std::string contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  int files() const {
    int n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  test_support::TestFolder folder_{"file_replace_test_"};
  fs::path dir_ = folder_.path();
  std::string path_;
};

TEST_F(FileReplace, ReadOnlyFolderIsRefusedEvenForAPrivilegedProcess) {
  ::chmod(dir_.c_str(), 0555);
  try {
    replace_file(path_, "new", "the pattern file");
    FAIL() << "write into a read-only folder succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "cannot write the pattern file " + path_ + ": the folder " +
                                         dir_.string() + " is read-only");
  }
  EXPECT_EQ(contents(), "old");
}

// A disk that fills up in the middle of the write: the old contents survive whole.
TEST_F(FileReplace, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTemporaryFile) {
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old_limit{};
  ::getrlimit(RLIMIT_FSIZE, &old_limit);
  rlimit small = old_limit;
  small.rlim_cur = 4096;
  ::setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_THROW(replace_file(path_, std::string(100000, 'x'), "the pattern file"), Error);
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(contents(), "old");
  EXPECT_EQ(files(), 1);
}

}  // namespace
