#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"

using namespace platform;
namespace fs = std::filesystem;

TEST(Paths, ProgramFolderIsTheTestExecutablesFolder) {
  auto exe = fs::read_symlink("/proc/self/exe");
  EXPECT_EQ(program_folder(), exe.parent_path().string());
  EXPECT_TRUE(file_exists(join_path(program_folder(), exe.filename().string())));
}

TEST(Paths, FileAndFolderQueriesTellThemApart) {
  fs::path dir = fs::temp_directory_path() / "paths_test_dir";
  fs::remove_all(dir);
  create_folders((dir / "a" / "b").string());
  EXPECT_TRUE(folder_exists((dir / "a" / "b").string()));
  EXPECT_FALSE(file_exists((dir / "a").string()));
  std::ofstream((dir / "f.txt").string()) << "x";
  EXPECT_TRUE(file_exists((dir / "f.txt").string()));
  EXPECT_FALSE(folder_exists((dir / "f.txt").string()));
  EXPECT_FALSE(file_exists((dir / "missing").string()));
  EXPECT_THROW(create_folders((dir / "f.txt" / "sub").string()), Error);
  fs::remove_all(dir);
}
