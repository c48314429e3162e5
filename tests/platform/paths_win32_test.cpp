// The Windows side of the paths: the program's folder from the system, backslashes, ANSI paths.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/paths.h"

using namespace platform;

TEST(PathsWin32, ProgramFolderIsTheFolderOfTheRunningProgram) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string expected(exe);
  expected.resize(expected.find_last_of('\\'));
  EXPECT_EQ(program_folder(), expected);
}

TEST(PathsWin32, JoinsWithABackslashUnlessTheFolderEndsInASeparator) {
  EXPECT_EQ(join_path("C:\\Host", "PlugIns"), "C:\\Host\\PlugIns");
  EXPECT_EQ(join_path("C:\\", "Unfixed.ini"), "C:\\Unfixed.ini");
  EXPECT_EQ(join_path("C:/Host/", "Pat"), "C:/Host/Pat");
}

// A GBK folder name passes as the bytes the host gave, not as UTF-8.
TEST(PathsWin32, AnsiFolderNamesAreCreatedAndFoundAsGiven) {
  std::string base = std::filesystem::temp_directory_path().string();
  std::string dir = join_path(join_path(base, "paths_\xd6\xd0\xce\xc4"), "\xd7\xd3");
  create_folders(dir);
  EXPECT_TRUE(folder_exists(dir));
  std::string file = join_path(dir, "a.ini");
  std::ofstream(file) << "x";
  EXPECT_TRUE(file_exists(file));
  EXPECT_FALSE(folder_exists(file));
  EXPECT_THROW(create_folders(join_path(file, "sub")), Error);
  DeleteFileA(file.c_str());
  RemoveDirectoryA(dir.c_str());
  RemoveDirectoryA(join_path(base, "paths_\xd6\xd0\xce\xc4").c_str());
}
