// Our profile reader against the system's GetPrivateProfileStringA, on the same odd INI files:
// the configuration file hosts wrote with the system's functions must read the same with ours.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/profile.h"

namespace {

struct OddFile {
  const char* name;
  const char* text;
  const char* section;
  const char* key;
};

// One file per oddity, named after it.
const OddFile kOddFiles[] = {
    {"plain", "[S]\r\nK=v\r\n", "S", "K"},
    {"blanks_around_key_and_value", "[S]\r\n  K  =  v w  \r\n", "S", "K"},
    {"tabs_around_key_and_value", "[S]\r\n\tK\t=\tv\t\r\n", "S", "K"},
    {"names_in_other_case", "[s]\r\nk=v\r\n", "S", "K"},
    {"double_quotes", "[S]\r\nK=\"v w\"\r\n", "S", "K"},
    {"single_quotes", "[S]\r\nK='v w'\r\n", "S", "K"},
    {"unbalanced_quote", "[S]\r\nK=\"v\r\n", "S", "K"},
    {"quotes_inside", "[S]\r\nK=a \"b\" c\r\n", "S", "K"},
    {"quoted_blanks", "[S]\r\nK=\" v \"\r\n", "S", "K"},
    {"first_section_wins", "[S]\r\nK=1\r\n[S]\r\nK=2\r\n", "S", "K"},
    {"first_key_wins", "[S]\r\nK=1\r\nK=2\r\n", "S", "K"},
    {"missing_key", "[S]\r\nA=1\r\n", "S", "K"},
    {"missing_section", "[T]\r\nK=1\r\n", "S", "K"},
    {"commented_key", "[S]\r\n;K=1\r\nK=2\r\n", "S", "K"},
    {"empty_value", "[S]\r\nK=\r\n", "S", "K"},
    {"equals_in_value", "[S]\r\nK=a=b\r\n", "S", "K"},
    {"key_before_any_section", "K=0\r\n[S]\r\nK=v\r\n", "S", "K"},
    {"line_feeds_only", "[S]\nK=v\n", "S", "K"},
    {"no_final_line_end", "[S]\r\nK=v", "S", "K"},
    {"blank_lines_between", "[S]\r\n\r\n\r\nK=v\r\n", "S", "K"},
    {"gbk_value", "[S]\r\nK=\xd5\xc5\xc8\xfd\r\n", "S", "K"},
    {"numbers_as_written", "[S]\r\nCOUNT= 007 \r\n", "S", "COUNT"},
    {"empty_file", "", "S", "K"},
};

class ProfileParity : public ::testing::TestWithParam<OddFile> {};

TEST_P(ProfileParity, ReadsAsTheSystemReads) {
  const OddFile& odd = GetParam();
  auto path = (std::filesystem::temp_directory_path() / (std::string(odd.name) + ".ini")).string();
  std::ofstream(path, std::ios::binary) << odd.text;
  char buffer[1024] = {};
  DWORD n = GetPrivateProfileStringA(odd.section, odd.key, "DEFAULT", buffer, sizeof buffer,
                                     path.c_str());
  std::string ours = platform::profile::read_string(path, odd.section, odd.key, "DEFAULT");
  std::remove(path.c_str());
  EXPECT_EQ(ours, std::string(buffer, n)) << odd.name;
}

INSTANTIATE_TEST_SUITE_P(OddFiles, ProfileParity, ::testing::ValuesIn(kOddFiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
