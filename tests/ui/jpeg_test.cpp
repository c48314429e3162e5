// Banner pictures: decoded when their form is created, damaged ones refused.
#include "ui/jpeg.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "test_jpeg.h"
#include "ui/form.h"
#include "ui/label_image_panel.h"

namespace {

struct BannerForm : ui::Form {
  ui::Image Image1{*this, "Image1"};
  explicit BannerForm(const std::vector<unsigned char>& jpeg) : Form("TBanner") {
    Image1.set_jpeg(jpeg);
    create();
  }
};

}  // namespace

TEST(Jpeg, BannerDecodesToItsSizeInRgbPixels) {
  auto jpeg = make_test_jpeg(358, 50);
  ui::Picture picture = ui::decode_jpeg(jpeg);
  EXPECT_EQ(picture.width, 358);
  EXPECT_EQ(picture.height, 50);
  ASSERT_EQ(picture.rgb.size(), 358u * 50u * 3u);
  // The gradient runs from dark on the left to bright on the right.
  EXPECT_LT(picture.rgb[0], 20);
  EXPECT_GT(picture.rgb[357 * 3], 230);
}

TEST(Jpeg, TruncatedOrForeignBytesAreRefused) {
  auto jpeg = make_test_jpeg(358, 50);
  std::vector<unsigned char> truncated(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
  EXPECT_THROW(ui::decode_jpeg(truncated), platform::Error);
  std::vector<unsigned char> header_only(jpeg.begin(), jpeg.begin() + 20);
  EXPECT_THROW(ui::decode_jpeg(header_only), platform::Error);
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  EXPECT_THROW(ui::decode_jpeg(png), platform::Error);
  EXPECT_THROW(ui::decode_jpeg({}), platform::Error);
}

TEST(Jpeg, FormCreationDecodesItsImagesAndNamesABrokenOne) {
  BannerForm good(make_test_jpeg(411, 26));
  EXPECT_EQ(good.Image1.picture().width, 411);
  EXPECT_EQ(good.Image1.describe(), "picture=411x26");

  auto jpeg = make_test_jpeg(411, 26);
  jpeg.resize(jpeg.size() - 40);
  try {
    BannerForm broken(jpeg);
    FAIL() << "a truncated banner was accepted";
  } catch (const platform::Error& e) {
    EXPECT_NE(std::string(e.what()).find("TBanner.Image1"), std::string::npos) << e.what();
  }
}
