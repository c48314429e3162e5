// The row spool gives back exactly the rows written, from memory or from its temporary file,
// as often as it is rewound.
#include "workbook/row_spool.h"

#include <gtest/gtest.h>

using workbook::Row;
using workbook::RowSpool;

namespace {

void write_rows(RowSpool& spool, std::uint32_t count) {
  Row row;
  for (std::uint32_t r = 0; r < count; ++r) {
    row.clear();
    row.index = r * 2;
    row.add(r % 7, "row " + std::to_string(r));
    if (r % 3 == 0) row.add(100, std::string(r % 500, 'x'));  // texts of many lengths
    spool.append(row);
  }
}

void expect_rows(RowSpool& spool, std::uint32_t count) {
  spool.rewind();
  Row row;
  for (std::uint32_t r = 0; r < count; ++r) {
    ASSERT_TRUE(spool.read(row)) << r;
    ASSERT_EQ(row.index, r * 2);
    ASSERT_EQ(row.column(0), r % 7);
    ASSERT_EQ(row.text(0), "row " + std::to_string(r));
    ASSERT_EQ(row.size(), r % 3 == 0 ? 2u : 1u);
    if (r % 3 == 0) {
      ASSERT_EQ(row.text(1).size(), r % 500);
    }
  }
  EXPECT_FALSE(spool.read(row));
}

}  // namespace

TEST(RowSpool, SmallSpoolsStayInMemoryAndReplay) {
  RowSpool spool;
  write_rows(spool, 100);
  EXPECT_FALSE(spool.on_disk());
  expect_rows(spool, 100);
  expect_rows(spool, 100);
}

TEST(RowSpool, BigSpoolsGoToATemporaryFileAndReplayIdentically) {
  RowSpool spool(4096);
  write_rows(spool, 20000);
  EXPECT_TRUE(spool.on_disk());
  EXPECT_EQ(spool.size(), 20000u);
  expect_rows(spool, 20000);
  expect_rows(spool, 20000);
}

// Columns, indexes and texts at the widths where their stored form grows a byte, and past.
TEST(RowSpool, NumbersAndTextsOfEveryWidthComeBack) {
  const std::uint32_t values[] = {0, 127, 128, 16383, 16384, 1048575, 2097152, 0xFFFFFFFFu};
  RowSpool spool(256);
  Row row;
  for (std::uint32_t v : values) {
    row.clear();
    row.index = v;
    row.add(v / 2, std::string(v % 20000, 'a'));
    row.add(v, "");
    spool.append(row);
  }
  spool.rewind();
  for (std::uint32_t v : values) {
    ASSERT_TRUE(spool.read(row));
    EXPECT_EQ(row.index, v);
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row.column(0), v / 2);
    EXPECT_EQ(row.text(0), std::string(v % 20000, 'a'));
    EXPECT_EQ(row.column(1), v);
    EXPECT_EQ(row.text(1), "");
  }
  EXPECT_FALSE(spool.read(row));
}
