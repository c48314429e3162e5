// Broken, encrypted and mislabelled .xls files: each must fail with a message naming the file
// and the problem, and no damage to the bytes may crash the reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/error.h"
#include "workbook/limits.h"
#include "workbook/xls_book.h"

namespace {

std::string fixture(const std::string& name) {
  return std::string(XLS_FIXTURES) + "/" + name;
}

void read_everything(workbook::Book& book) {
  workbook::Row row;
  for (std::size_t i = 0; i < book.sheets().size(); ++i) {
    auto sheet = book.open_sheet(i);
    while (sheet->next_row(row)) {
    }
  }
}

struct Failure {
  std::string message;  // "" when the whole file was read
  platform::ErrorKind kind = platform::ErrorKind::Failed;
};

// The failure that opening and reading the whole file gives.
Failure failure_of(const std::string& path) {
  try {
    auto book = workbook::open_xls_book(path);
    read_everything(*book);
  } catch (const platform::Error& e) {
    return {e.what(), e.kind()};
  }
  return {};
}

std::string bytes_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One row as comparable values: its index, then column and text of each cell.
using RowCells = std::vector<std::pair<std::uint32_t, std::string>>;
struct SheetRows {
  std::string name;
  std::vector<std::pair<std::uint32_t, RowCells>> rows;
};

void expect_clear_failure(const platform::Error& e) {
  EXPECT_EQ(std::string(e.what()).rfind("The workbook \"damaged.xls\"", 0), 0u) << e.what();
}

// Parses damaged bytes, keeping every row read before a failure; only platform::Error may come
// out, and it must name the file.
std::vector<SheetRows> rows_of(const std::string& bytes) {
  std::vector<SheetRows> sheets;
  try {
    auto book = workbook::open_xls_book_from_memory(bytes, "damaged.xls");
    for (std::size_t i = 0; i < book->sheets().size(); ++i) {
      SheetRows& sheet_rows = sheets.emplace_back();
      sheet_rows.name = book->sheets()[i].name;
      try {
        auto sheet = book->open_sheet(i);
        workbook::Row row;
        while (sheet->next_row(row)) {
          RowCells cells;
          for (std::size_t c = 0; c < row.size(); ++c) {
            cells.emplace_back(row.column(c), std::string(row.text(c)));
          }
          sheet_rows.rows.emplace_back(row.index, std::move(cells));
        }
      } catch (const platform::Error& e) {
        expect_clear_failure(e);
      }
    }
  } catch (const platform::Error& e) {
    expect_clear_failure(e);
  }
  return sheets;
}

void survives(const std::string& bytes) {
  rows_of(bytes);
}

// The file fails with a message that starts by naming it, of the given kind, and saying `text`
// after the file's name.
void expect_failure(const std::string& name, platform::ErrorKind kind,
                    const std::string& text = "") {
  std::string path = fixture(name);
  Failure failure = failure_of(path);
  std::string head = "The workbook \"" + path + "\"";
  ASSERT_EQ(failure.message.rfind(head, 0), 0u) << name << ": " << failure.message;
  EXPECT_EQ(failure.kind, kind) << name << ": " << failure.message;
  EXPECT_NE(failure.message.find(text, head.size()), std::string::npos)
      << name << ": " << failure.message;
}

using Kind = platform::ErrorKind;

TEST(XlsHostileInput, MislabelledFilesSayWhatTheyAre) {
  expect_failure("hostile_empty.xls", Kind::Damaged);
  expect_failure("hostile_text.xls", Kind::Unsupported, "not an .xls workbook");
  expect_failure("hostile_xlsx_named_xls.xls", Kind::Unsupported, "zip package");
  expect_failure("hostile_no_workbook.xls", Kind::Unsupported);
  expect_failure("hostile_biff4.xls", Kind::Unsupported, "Excel 2.x to 4.0");
  EXPECT_EQ(failure_of(fixture("no_such_file.xls")).kind, Kind::NotFound);
  EXPECT_EQ(failure_of(XLS_FIXTURES).kind, Kind::NotFound);
}

TEST(XlsHostileInput, EncryptedWorkbooksAreRefusedClearly) {
  expect_failure("hostile_encrypted.xls", Kind::Encrypted);
  expect_failure("hostile_encrypted_xlsx.xls", Kind::Encrypted, ".xlsx");
}

TEST(XlsHostileInput, AFileOverTheSizeLimitIsRefusedBeforeItIsRead) {
  std::string path = testing::TempDir() + "xls_over_limit.xls";
  std::ofstream(path).close();
  std::uint64_t size = workbook::limits::kMaxXlsFileBytes + 1;
  std::filesystem::resize_file(path, size);  // sparse
  Failure failure = failure_of(path);
  std::filesystem::remove(path);
  EXPECT_EQ(failure.kind, Kind::Limit) << failure.message;
  std::string says = std::to_string(size) + " bytes where the limit is " +
                     std::to_string(workbook::limits::kMaxXlsFileBytes) + " bytes";
  EXPECT_NE(failure.message.find(says), std::string::npos) << failure.message;
}

TEST(XlsHostileInput, BrokenContainersFail) {
  expect_failure("hostile_chain_loop.xls", Kind::Damaged, "loops");
  expect_failure("hostile_truncated.xls", Kind::Damaged);
}

TEST(XlsHostileInput, BrokenRecordsFailNamingWhere) {
  expect_failure("hostile_record_overrun.xls", Kind::Damaged);
  expect_failure("hostile_sst_overrun.xls", Kind::Damaged, "shared-string table");
  expect_failure("hostile_bad_sst_index.xls", Kind::Damaged,
                 "sheet \"S\", row 4 cannot be read: a cell refers to shared string 10 of 1.");
}

// Whatever a truncated file yields before it fails must be the whole file's rows, never rows
// that differ from them; a failure must name the file.
TEST(XlsHostileInput, EveryTruncationOfAWorkbookReadsAPrefixOrFailsClearly) {
  for (const char* name : {"biff8_cells.xls", "biff5_gbk.xls", "sector_4096.xls"}) {
    std::string whole = bytes_of(fixture(name));
    std::vector<SheetRows> all = rows_of(whole);
    for (std::size_t size = 0; size < whole.size(); size += 7) {
      std::vector<SheetRows> part = rows_of(whole.substr(0, size));
      ASSERT_LE(part.size(), all.size()) << name << " cut at " << size;
      for (std::size_t s = 0; s < part.size(); ++s) {
        EXPECT_EQ(part[s].name, all[s].name) << name << " cut at " << size;
        ASSERT_LE(part[s].rows.size(), all[s].rows.size()) << name << " cut at " << size;
        for (std::size_t r = 0; r < part[s].rows.size(); ++r) {
          ASSERT_EQ(part[s].rows[r], all[s].rows[r])
              << name << " cut at " << size << ", sheet " << s << ", row " << r;
        }
      }
    }
  }
}

TEST(XlsHostileInput, DamagedBytesNeverCrash) {
  std::mt19937 random(7);
  for (const char* name :
       {"biff8_cells.xls", "biff5_gbk.xls", "mini_stream.xls", "xlwt_basic.xls"}) {
    std::string whole = bytes_of(fixture(name));
    for (int round = 0; round < 400; ++round) {
      std::string damaged = whole;
      for (int flips = 0; flips < 4; ++flips) {
        damaged[random() % damaged.size()] = static_cast<char>(random());
      }
      survives(damaged);
    }
  }
}

}  // namespace
