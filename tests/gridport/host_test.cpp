// The boundary with the host: a C++ host's exceptions come back as failures with their message,
// texts cross in the host's encoding, and a table's size decides which members are read.
#include "gridport/host.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "fake_host.h"
#include "gridport/exec.h"
#include "platform/error.h"
#include "platform/text.h"

namespace gridport {
namespace {

using testing::FakeDataSet;

// Refuses one field's text the way a C++ host does: by throwing its own exception.
class RefusingDataSet : public FakeDataSet {
 public:
  void set_field_text(const std::string& field, const std::string& text) override {
    if (field == platform::utf8_to_gbk("金额")) {
      throw std::invalid_argument(platform::utf8_to_gbk("“") + text +
                                  platform::utf8_to_gbk("”不是金额"));
    }
    FakeDataSet::set_field_text(field, text);
  }
  void post() override { throw 42; }
};

TEST(HostDataSet, HostExceptionsBecomeFailuresCarryingTheirMessageInUtf8) {
  RefusingDataSet rows;
  host::DataSet dataset(*rows.table(), host::TextCodec{false});
  dataset.Append();
  dataset.SetFieldText("姓名", "张三");
  try {
    dataset.SetFieldText("金额", "十元");
    FAIL() << "the refused text was taken";
  } catch (const platform::Error& e) {
    EXPECT_STREQ(e.what(), "“十元”不是金额");
    EXPECT_EQ(e.kind(), platform::ErrorKind::Refused);
  }
  EXPECT_THROW(
      {
        try {
          dataset.Post();
        } catch (const platform::Error& e) {
          EXPECT_STREQ(e.what(), "unknown failure");
          throw;
        }
      },
      platform::Error);
  EXPECT_THAT(rows.log, ::testing::ElementsAre("append", "set " + platform::utf8_to_gbk("姓名") +
                                                             "=" + platform::utf8_to_gbk("张三")));
}

TEST(HostDataSet, AnOperationMissingFromAnOlderTableIsAFailureThatNamesIt) {
  FakeDataSet rows;
  GridportDataSet old = *rows.table();
  old.size = offsetof(GridportDataSet, post);  // built before post and cancel existed
  host::DataSet dataset(old, host::TextCodec{true});
  EXPECT_TRUE(dataset.Active());
  dataset.Append();
  EXPECT_THROW(
      {
        try {
          dataset.Post();
        } catch (const platform::Error& e) {
          EXPECT_STREQ(e.what(), "the host's dataset offers no Post");
          EXPECT_EQ(e.kind(), platform::ErrorKind::Unsupported);
          throw;
        }
      },
      platform::Error);
  EXPECT_THAT(rows.log, ::testing::ElementsAre("append"));
}

// A message box of the host's that answers with a code of its own (IDABORT), as a box can.
class AbortingApplication : public gridport::Application {
 public:
  int32_t message_box(const std::string&, const std::string&, int32_t, int32_t) override {
    return 3;
  }
};

TEST(HostApplication, AFailedGridCheckReturnsWhatTheHostsMessageBoxReturned) {
  AbortingApplication app;
  EXPECT_EQ(run_exec(app.table(), nullptr, nullptr, 2, 2), 3);
}

}  // namespace
}  // namespace gridport
