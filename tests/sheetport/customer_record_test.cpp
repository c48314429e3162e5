// The customer fields, the record list and the splitter of delimited text.
#include "sheetport/customer_record.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/text.h"
#include "sheetport/record_list.h"

namespace sheetport {
namespace {

const FieldSpec& field_of(std::string_view key) {
  for (const auto& f : field_specs()) {
    if (f.key == key) return f;
  }
  throw std::out_of_range("no field");
}

TEST(SetCustomerField, StoresEachKeyAtItsOffsetAndCutsToCapacity) {
  TCustomerInfo info{};
  SetCustomerField("KHBH", "1234567890123456789012345", info);
  SetCustomerField("SSDM", "110", info);
  SetCustomerField("JYJE", "1200.50", info);
  EXPECT_EQ(info.KHBH[0], 20);
  EXPECT_EQ(field_text(info, field_of("KHBH")), "12345678901234567890");
  EXPECT_EQ(field_text(info, field_of("SSDM")), "11");
  EXPECT_EQ(info.JYJE[0], 7);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info.JYJE + 1), 7), "1200.50");
}

TEST(SetCustomerField, NeverLeavesHalfADoubleByteCharacter) {
  TCustomerInfo info{};
  // 31 Chinese characters are 62 GBK bytes; the name holds 60, the province code 2.
  std::string name;
  for (int i = 0; i < 31; ++i) name += platform::utf8_to_gbk("张");
  SetCustomerField("KHXM", "A" + name, info);
  EXPECT_EQ(info.KHXM[0], 59);  // "A" and 29 whole characters
  const std::string jing = platform::utf8_to_gbk("京");
  SetCustomerField("SSDM", "1" + jing, info);
  EXPECT_EQ(field_text(info, field_of("SSDM")), "1");
}

TEST(SetCustomerField, UnknownLowerCaseOrNullKeysChangeNothingAndEmptyValuesClear) {
  TCustomerInfo info{};
  SetCustomerField("KHBH", "42", info);
  TCustomerInfo before = info;
  SetCustomerField("khbh", "7", info);
  SetCustomerField("ABCD", "7", info);
  SetCustomerField(nullptr, "7", info);
  EXPECT_EQ(std::memcmp(&before, &info, sizeof info), 0);
  SetCustomerField("KHBH", "", info);
  EXPECT_EQ(info.KHBH[0], 0);
}

TEST(SplitByDelimiter, KeepsEmptyPiecesAndAppendsWithoutClearing) {
  std::vector<std::string> list{"kept"};
  SplitByDelimiter(list, ",a,,b,", ',');
  EXPECT_EQ(list, (std::vector<std::string>{"kept", "", "a", "", "b", ""}));
  list.clear();
  SplitByDelimiter(list, "", ',');
  EXPECT_EQ(list, std::vector<std::string>{""});
  list.clear();
  SplitByDelimiter(list, " x ", ',');
  EXPECT_EQ(list, std::vector<std::string>{" x "});
}

TEST(RecordList, GrowsKeepsOrderAndReleasesRecordsSkippingNullItems) {
  TRecordList* list = create_list();
  for (int i = 1; i <= 40; ++i) list_append(*list, i == 7 ? nullptr : new_record(i));
  ASSERT_EQ(list->Count, 40);
  EXPECT_EQ(list->Items[39]->RecNo, 40);
  EXPECT_EQ(list->Items[0]->Info.Extra1, 0u);
  list_release_records(*list);
  EXPECT_EQ(list->Count, 0);
  list_append(*list, new_record(1));
  EXPECT_EQ(list->Count, 1);
  list_release_records(*list);
  std::free(list->Items);
  std::free(list);
}

}  // namespace
}  // namespace sheetport
