// Reading the column map and the start row from the configuration file.
#include "sheetport/column_map.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace sheetport {
namespace {

using test_helpers::TempFolder;
using test_helpers::write_file;

std::optional<ColumnMap> map_of(const std::string& text) {
  TempFolder dir;
  write_file(dir.file("Unfixed.ini"), text);
  return read_column_map(dir.file("Unfixed.ini"));
}

std::vector<std::pair<std::uint32_t, std::string>> entries(const ColumnMap& map) {
  std::vector<std::pair<std::uint32_t, std::string>> out;
  for (const auto& item : map.items) out.emplace_back(item.Order, item.Key);
  return out;
}

TEST(ReadColumnMap, EntriesFollowKeyOrderWhateverTheColumns) {
  auto map =
      map_of("[CHANGCOL]\nKHZHORDER=1\nKHBHORDER=5\nJYJORDER=2\n[PUBLICPROPERTY]\nCOUNT=3\n");
  ASSERT_TRUE(map);
  EXPECT_EQ(entries(*map), (std::vector<std::pair<std::uint32_t, std::string>>{
                               {5, "KHBH"}, {1, "KHZH"}, {2, "JYJE"}}));
  EXPECT_EQ(map->StartRow, 2);
}

TEST(ReadColumnMap, RefusesMissingFileAndCountsThatDoNotMatch) {
  EXPECT_FALSE(read_column_map("/nonexistent/Unfixed.ini"));
  EXPECT_FALSE(read_column_map(""));
  const std::string keys = "[CHANGCOL]\nKHBHORDER=1\nKHXMORDER=2\nKHZHORDER=3\n";
  EXPECT_FALSE(map_of(keys + "[PUBLICPROPERTY]\nCOUNT=0\n"));
  EXPECT_FALSE(map_of(keys));
  EXPECT_FALSE(map_of(keys + "[PUBLICPROPERTY]\nCOUNT=2\n"));
  EXPECT_FALSE(map_of(keys + "[PUBLICPROPERTY]\nCOUNT=4\n"));
  EXPECT_FALSE(map_of(keys + "[PUBLICPROPERTY]\nCOUNT=-3\n"));
  EXPECT_TRUE(map_of(keys + "[PUBLICPROPERTY]\nCOUNT=3\n"));
}

TEST(ReadColumnMap, ZeroNegativeEmptyOrLetteredPositionsLeaveTheFieldUnmapped) {
  auto map = map_of(
      "[CHANGCOL]\nKHBHORDER=0\nKHXMORDER=-2\nKHZHORDER=\nZJLXORDER=ab\nZJHMORDER=0x0A\n"
      "SSDMORDER=007\n[PUBLICPROPERTY]\nCOUNT=2\n");
  ASSERT_TRUE(map);
  EXPECT_EQ(entries(*map),
            (std::vector<std::pair<std::uint32_t, std::string>>{{10, "ZJHM"}, {7, "SSDM"}}));
}

TEST(ReadColumnMap, AmountIsReadOnlyFromItsThreeLetterKey) {
  EXPECT_FALSE(map_of("[CHANGCOL]\nJYJEORDER=4\n[PUBLICPROPERTY]\nCOUNT=1\n"));
  auto map = map_of("[CHANGCOL]\nJYJORDER=4\n[PUBLICPROPERTY]\nCOUNT=1\n");
  ASSERT_TRUE(map);
  EXPECT_EQ(map->items.at(0).Key, "JYJE");
}

TEST(ReadColumnMap, StartRowComesFromDelimiterWithDefaultTwo) {
  const std::string tail = "KHBHORDER=1\n[PUBLICPROPERTY]\nCOUNT=1\n";
  EXPECT_EQ(map_of("[CHANGCOL]\nDELIMITER=5\n" + tail)->StartRow, 5);
  EXPECT_EQ(map_of("[CHANGCOL]\nDELIMITER=-5\n" + tail)->StartRow, -5);
  EXPECT_EQ(map_of("[CHANGCOL]\nDELIMITER=abc\n" + tail)->StartRow, 2);
}

TEST(ReadColumnMap, ColumnAbove65535IsKeptWholeNotWrappedIntoAnotherColumn) {
  auto map = map_of("[CHANGCOL]\nKHBHORDER=65537\n[PUBLICPROPERTY]\nCOUNT=1\n");
  ASSERT_TRUE(map);
  EXPECT_EQ(map->items.at(0).Order, 65537u);
}

}  // namespace
}  // namespace sheetport
