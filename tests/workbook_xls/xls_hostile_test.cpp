// Broken, encrypted and mislabelled .xls files: each must fail with a message naming the file
// and the problem, and no damage to the bytes may crash the reader.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/error.h"
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

// The message of the failure that opening and reading the whole file gives; "" if none.
std::string failure_of(const std::string& path) {
  try {
    auto book = workbook::open_xls_book(path);
    read_everything(*book);
  } catch (const platform::Error& e) {
    return e.what();
  }
  return "";
}

std::string bytes_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Parses damaged bytes; only platform::Error may come out.
void survives(const std::string& bytes) {
  try {
    auto book = workbook::open_xls_book_from_memory(bytes, "damaged.xls");
    for (std::size_t i = 0; i < book->sheets().size(); ++i) {
      try {
        auto sheet = book->open_sheet(i);
        workbook::Row row;
        while (sheet->next_row(row)) {
        }
      } catch (const platform::Error&) {
      }
    }
  } catch (const platform::Error& e) {
    EXPECT_EQ(std::string(e.what()).rfind("The workbook \"damaged.xls\"", 0), 0u) << e.what();
  }
}

void expect_failure(const std::string& name, const std::string& problem) {
  std::string path = fixture(name);
  std::string message = failure_of(path);
  std::string head = "The workbook \"" + path + "\"";
  ASSERT_EQ(message.rfind(head, 0), 0u) << name << ": " << message;
  EXPECT_NE(message.find(problem, head.size()), std::string::npos) << name << ": " << message;
}

TEST(XlsHostileInput, MislabelledFilesSayWhatTheyAre) {
  expect_failure("hostile_empty.xls", "the file is empty");
  expect_failure("hostile_text.xls", "not an .xls workbook");
  expect_failure("hostile_xlsx_named_xls.xls", "zip package");
  expect_failure("hostile_no_workbook.xls", "no workbook stream");
  expect_failure("hostile_biff4.xls", "Excel 2.x to 4.0");
  EXPECT_NE(failure_of(fixture("no_such_file.xls")).find("cannot open"), std::string::npos);
  EXPECT_NE(failure_of(XLS_FIXTURES).find("it is a folder"), std::string::npos);
}

TEST(XlsHostileInput, EncryptedWorkbooksAreRefusedClearly) {
  expect_failure("hostile_encrypted.xls", "encrypted");
}

TEST(XlsHostileInput, BrokenContainersFail) {
  expect_failure("hostile_chain_loop.xls", "loops");
  expect_failure("hostile_truncated.xls", "truncated");
}

TEST(XlsHostileInput, BrokenRecordsFailNamingWhere) {
  expect_failure("hostile_record_overrun.xls", "truncated");
  expect_failure("hostile_sst_overrun.xls", "shared-string table is truncated");
  expect_failure("hostile_bad_sst_index.xls",
                 "sheet \"S\", row 4 cannot be read: a cell refers to shared string 10 of 1.");
}

TEST(XlsHostileInput, EveryTruncationOfAWorkbookFailsCleanly) {
  for (const char* name : {"biff8_cells.xls", "biff5_gbk.xls", "sector_4096.xls"}) {
    std::string whole = bytes_of(fixture(name));
    for (std::size_t size = 0; size < whole.size(); size += 7) survives(whole.substr(0, size));
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
