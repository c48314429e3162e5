#include "platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/debug_output.h"
#include "platform/error.h"
#include "platform/limits.h"
#include "test_folder.h"
#ifndef _WIN32
#include "unprivileged_user.h"
#endif

using namespace platform;
namespace fs = std::filesystem;

namespace {

class Profile : public ::testing::Test {
 protected:
  void SetUp() override { path_ = (dir_ / "Unfixed.ini").string(); }

  void put(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  test_support::TestFolder folder_{"profile_test_"};
  fs::path dir_ = folder_.path();
  std::string path_;
};

}  // namespace

TEST(ParseInt, FollowsTheIntegerReadingRule) {
  EXPECT_EQ(parse_int_or("0x0A", -1), 10);
  EXPECT_EQ(parse_int_or("0X1f", -1), 31);
  EXPECT_EQ(parse_int_or("$10", -1), 16);
  EXPECT_EQ(parse_int_or("007", -1), 7);
  EXPECT_EQ(parse_int_or("-5", 2), -5);
  EXPECT_EQ(parse_int_or("+3", 2), 3);
  EXPECT_EQ(parse_int_or("12ab", 2), 2);
  EXPECT_EQ(parse_int_or("", 2), 2);
  EXPECT_EQ(parse_int_or("0x", 2), 2);
  EXPECT_EQ(parse_int_or("1.5", 2), 2);
  EXPECT_EQ(parse_int_or("2147483647", 2), 2147483647);
  EXPECT_EQ(parse_int_or("2147483648", 2), 2);
  EXPECT_EQ(parse_int_or("-2147483648", 2), -2147483647 - 1);
  EXPECT_EQ(parse_int_or("99999999999999999999", 2), 2);
}

TEST_F(Profile, ReadsIgnoreCaseTrimAndDropOnePairOfQuotes) {
  put("; comment\r\n[changcol]\r\n  khbhorder =  3  \r\nname=\"a "
      "b\"\r\n[Other]\r\nKHBHORDER=9\r\n");
  EXPECT_EQ(profile::read_string(path_, "CHANGCOL", "KHBHORDER", "x"), "3");
  EXPECT_EQ(profile::read_string(path_, "CHANGCOL", "NAME", "x"), "a b");
  EXPECT_EQ(profile::read_int(path_, "changCol", "KHBHorder", 0), 3);
  EXPECT_EQ(profile::read_int(path_, "other", "khbhorder", 0), 9);
}

TEST_F(Profile, MissingFileSectionOrKeyGivesTheDefault) {
  EXPECT_EQ(profile::read_string(path_, "A", "B", "dflt"), "dflt");
  EXPECT_EQ(profile::read_int(path_, "A", "B", 2), 2);
  put("[A]\nC=1\n");
  EXPECT_EQ(profile::read_string(path_, "A", "B", "dflt"), "dflt");
  EXPECT_EQ(profile::read_string(path_, "Z", "C", "dflt"), "dflt");
  put("[A]\nB=12ab\n");
  EXPECT_EQ(profile::read_int(path_, "A", "B", 2), 2);
}

TEST_F(Profile, FileTooLargeOrNotAFileIsRefusedNamingItAndReadsAsMissing) {
  put("[A]\nB=1\n" + std::string(limits::kMaxProfileBytes, ';'));
  std::vector<std::string> refused{path_};
#ifndef _WIN32
  // Windows has no FIFOs or devices to name, and a folder does not open as a file there.
  ::mkfifo((dir_ / "fifo").c_str(), 0600);
  refused.insert(refused.end(), {(dir_ / "fifo").string(), dir_.string(), "/dev/zero"});
#endif
  for (const std::string& path : refused) {
    try {
      profile::load(path);
      ADD_FAILURE() << path << " was read";
    } catch (const Error& e) {
      EXPECT_EQ(std::string(e.what()).rfind("the settings file " + path + " is refused", 0), 0u)
          << e.what();
    }
    EXPECT_EQ(profile::read_string(path, "A", "B", "dflt"), "dflt") << path;
  }
  put("[A]\nB=1\n" + std::string(limits::kMaxProfileBytes - 16, ';'));
  EXPECT_EQ(profile::read_int(path_, "A", "B", 2), 1);
}

TEST_F(Profile, WritesKeepCommentsAndOtherSections) {
  put("; kept comment\r\n[Other]\r\nX=1\r\n\r\n[CHANGCOL]\r\nDELIMITER=2\r\n\r\n[Tail]\r\nY=2\r\n");
  profile::write_string(path_, "changcol", "delimiter", "5");
  profile::write_string(path_, "CHANGCOL", "KHBHORDER", "1");
  profile::write_string(path_, "PUBLICPROPERTY", "COUNT", "1");
  EXPECT_EQ(contents(),
            "; kept comment\r\n[Other]\r\nX=1\r\n\r\n[CHANGCOL]\r\ndelimiter=5\r\nKHBHORDER=1\r\n"
            "\r\n[Tail]\r\nY=2\r\n[PUBLICPROPERTY]\r\nCOUNT=1\r\n");
}

TEST_F(Profile, DeletingRemovesOnlyThatKeyAndAMissingKeyIsNoError) {
  put("[S]\nA=1\nB=2\n");
  profile::delete_key(path_, "s", "a");
  EXPECT_EQ(contents(), "[S]\nB=2\n");
  EXPECT_NO_THROW(profile::delete_key(path_, "S", "missing"));
  EXPECT_NO_THROW(profile::delete_key(path_, "Missing", "A"));
  std::string absent = (dir_ / "absent.ini").string();
  EXPECT_NO_THROW(profile::delete_key(absent, "S", "A"));
  EXPECT_FALSE(fs::exists(absent));
}

TEST_F(Profile, CreatesAMissingFileButNeverItsFolder) {
  profile::write_string(path_, "S", "K", "v");
  EXPECT_EQ(contents(), "[S]\r\nK=v\r\n");
  std::string nested = (dir_ / "PlugIns" / "Unfixed.ini").string();
  EXPECT_THROW(profile::write_string(nested, "S", "K", "v"), Error);
  EXPECT_FALSE(fs::exists(dir_ / "PlugIns"));
}

TEST_F(Profile, ReadOnlyFileIsRefusedAndLeftAsItWas) {
  put("[S]\nK=old\n");
  ::chmod(path_.c_str(), 0444);
  try {
    profile::write_string(path_, "S", "K", "new");
    FAIL() << "write to a read-only file succeeded";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(path_), std::string::npos);
  }
  EXPECT_EQ(contents(), "[S]\nK=old\n");
#ifndef _WIN32
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms(0444));
#else
  ::chmod(path_.c_str(), 0644);  // lets the folder be removed
#endif
}

// Windows files have no permission bits to keep, nor folders that refuse new files to a writer.
#ifndef _WIN32
TEST_F(Profile, RewriteKeepsPermissionsAndLeavesNoTemporaryFiles) {
  put("[S]\nK=old\n");
  ::chmod(path_.c_str(), 0640);
  profile::write_string(path_, "S", "K", "new");
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms(0640));
  int files = 0;
  for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 1);
}

TEST_F(Profile, AFolderThatRefusesNewFilesIsSavedInPlaceWhenTheFileIsWritable) {
  auto user = test_support::UnprivilegedUser::find();
  if (!user) GTEST_SKIP() << "running as root without a user \"nobody\" to become";
  put("[S]\nK=a value longer than the next one\n");
  ASSERT_TRUE(user->give(path_));
  ::chmod(path_.c_str(), 0640);
  ::chmod(dir_.c_str(), 0555);
  auto save = [&](const std::string& path, const std::string& text) {
    return user->run([&] {
      auto method = profile::save(path, IniDocument::parse(text));
      return std::string(method == ReplaceMethod::InPlace ? "in place" : "replaced");
    });
  };
  auto inode = [&] {
    struct stat st {};
    ::stat(path_.c_str(), &st);
    return st.st_ino;
  };
  const auto before = inode();
  EXPECT_EQ(save(path_, "[S]\nK=short\n"), "in place");
  EXPECT_EQ(contents(), "[S]\nK=short\n");
  EXPECT_EQ(save(path_, "[S]\nK=a value that is longer than the old one\n"), "in place");
  EXPECT_EQ(contents(), "[S]\nK=a value that is longer than the old one\n");
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all, fs::perms(0640));
  EXPECT_EQ(inode(), before);

  // Without a file there is nothing to write in place.
  EXPECT_NE(save((dir_ / "absent.ini").string(), "[S]\n").find("no file can be created"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "absent.ini"));
}
#endif

TEST_F(Profile, DebugOutputAppendsOneLinePerCall) {
  std::string log = (dir_ / "debug.log").string();
  ::setenv("PORT_DEBUG_LOG", log.c_str(), 1);
  debug_output("first");
  debug_output("second\n");
  ::unsetenv("PORT_DEBUG_LOG");
  std::ifstream in(log);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), "first\nsecond\n");
}
