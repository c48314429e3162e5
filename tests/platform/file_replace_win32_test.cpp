// The Windows all-or-nothing writer: the new content whole, no temporary file left, and a
// read-only file or a missing folder refused with the file as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/error.h"
#include "platform/file_replace.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

class FileReplaceWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (std::string("file_replace_win32_") +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "a.pat").string();
    std::ofstream(path_, std::ios::binary) << "old";
  }
  void TearDown() override {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(dir_);
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

  fs::path dir_;
  std::string path_;
};

}  // namespace

TEST_F(FileReplaceWin32, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
  EXPECT_EQ(replace_file(path_, std::string(100000, 'x'), "the pattern file"),
            ReplaceMethod::Replaced);
  EXPECT_EQ(contents(), std::string(100000, 'x'));
  EXPECT_EQ(replace_file(path_, "short", "the pattern file"), ReplaceMethod::Replaced);
  EXPECT_EQ(contents(), "short");
  EXPECT_EQ(files(), 1);
}

TEST_F(FileReplaceWin32, ReadOnlyFileIsRefusedAndLeftAsItWas) {
  SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
  try {
    replace_file(path_, "new", "the pattern file");
    FAIL() << "write to a read-only file succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot write the pattern file " + path_ + ": the file is read-only");
  }
  EXPECT_EQ(contents(), "old");
  EXPECT_EQ(files(), 1);
}

TEST_F(FileReplaceWin32, MissingFolderIsRefused) {
  std::string missing = (dir_ / "absent" / "a.pat").string();
  try {
    replace_file(missing, "new", "the pattern file");
    FAIL() << "write into a missing folder succeeded";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "cannot write the pattern file " + missing + ": the folder " +
                                         (dir_ / "absent").string() + " does not exist");
  }
}

// Another program holding the file open without sharing: the move fails, and the old content
// and no temporary file remain.
TEST_F(FileReplaceWin32, AFileHeldOpenByAnotherProgramKeepsItsContent) {
  HANDLE held = CreateFileA(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_THROW(replace_file(path_, "new", "the pattern file"), Error);
  CloseHandle(held);
  EXPECT_EQ(contents(), "old");
  EXPECT_EQ(files(), 1);
}
