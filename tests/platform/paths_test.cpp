#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/error.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

constexpr const char* kReportTo = "PATHS_TEST_REPORT_TO";

// Runs program, as the one test below, with a misleading argv[0] and the root folder as working
// folder; what it reported as its program folder.
std::string folder_reported_by(const fs::path& program, const fs::path& report) {
  ::setenv(kReportTo, report.c_str(), 1);
  pid_t child = ::fork();
  if (child == 0) {
    if (::chdir("/") == 0) {
      ::execl(program.c_str(), "/usr/bin/elsewhere",
              "--gtest_filter=Paths.ProgramFolderIsWhereTheRunningProgramLies", nullptr);
    }
    ::_exit(127);
  }
  ::unsetenv(kReportTo);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::ifstream in(report);
  std::string folder;
  std::getline(in, folder);
  return folder;
}

}  // namespace

// A host started from anywhere, by any name, finds the folder its own program lies in (where its
// "PlugIns" folder is), not its working folder, the name it was started by, or a link's folder.
TEST(Paths, ProgramFolderIsWhereTheRunningProgramLies) {
  if (const char* report = std::getenv(kReportTo)) {
    std::ofstream(report) << program_folder() << "\n";
    return;
  }
  // Beside the tests, where programs may run even when the temporary folder forbids it.
  fs::path dir = fs::read_symlink("/proc/self/exe").parent_path() /
                 ("paths_test_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "copy");
  fs::create_directories(dir / "links");
  fs::copy_file("/proc/self/exe", dir / "copy" / "host");
  fs::permissions(dir / "copy" / "host", fs::perms::owner_all);
  fs::create_symlink(dir / "copy" / "host", dir / "links" / "host");

  EXPECT_EQ(folder_reported_by(dir / "copy" / "host", dir / "report1"), (dir / "copy").string());
  EXPECT_EQ(folder_reported_by(dir / "links" / "host", dir / "report2"), (dir / "copy").string());
  fs::remove_all(dir);
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
