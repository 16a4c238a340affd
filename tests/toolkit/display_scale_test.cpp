// The display scale: the figures a platform gives, the window that must fit
// its monitor, and the picture in device pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "toolkit/common/display_scale.h"

namespace {

using tk::Colour;
using tk::rgb;
using namespace tk::common;

TEST(DisplayScale, LengthsRoundAsMulDiv) {
  EXPECT_EQ(to_device(700, 144), 1050);
  EXPECT_EQ(to_device(21, 120), 26);   // 26.25
  EXPECT_EQ(to_device(1, 144), 2);     // 1.5: halves away from zero
  EXPECT_EQ(to_device(-1, 144), -2);
  EXPECT_EQ(scaled_font_size(11, 144), 16);  // 16.5: down, so that texts keep fitting
  EXPECT_EQ(picture_factor(96), 1);
  EXPECT_EQ(picture_factor(120), 2);
  EXPECT_EQ(picture_factor(192), 2);
  EXPECT_EQ(picture_factor(193), 3);
}

TEST(DisplayScale, TheXScaleComesFromTheFirstValidSetting) {
  EXPECT_EQ(choose_x_dpi(std::nullopt, std::nullopt, std::nullopt), 96);
  EXPECT_EQ(choose_x_dpi("1.5", "2", "288"), 144);
  EXPECT_EQ(choose_x_dpi(std::nullopt, "2", "120"), 192);
  EXPECT_EQ(choose_x_dpi(std::nullopt, std::nullopt, "144.0"), 144);
  // A setting that is no number is passed over, not taken as 100 %.
  EXPECT_EQ(choose_x_dpi("big", "", "192"), 192);
  EXPECT_EQ(choose_x_dpi("-2", "0", "192"), 192);
  // Beyond 100 % .. 300 %, the nearest end.
  EXPECT_EQ(choose_x_dpi("0.5", std::nullopt, std::nullopt), 96);
  EXPECT_EQ(choose_x_dpi("4", std::nullopt, std::nullopt), 288);
  EXPECT_EQ(parse_scale_factor("1.25"), 120);
  EXPECT_EQ(parse_scale_factor("1.2"), 115);
  for (const char* bad : {"", ".", "1.5x", " 2", "1e1", "+2", "1234567"}) {
    EXPECT_FALSE(parse_scale_factor(bad).has_value()) << bad;
  }
}

TEST(DisplayScale, APageDrawsAtTheWholeScaleAtOrAboveItsPixelRatio) {
  EXPECT_EQ(picture_dpi_for_pixel_ratio(1.0), 96);
  EXPECT_EQ(picture_dpi_for_pixel_ratio(1.25), 192);
  EXPECT_EQ(picture_dpi_for_pixel_ratio(2.0), 192);
  EXPECT_EQ(picture_dpi_for_pixel_ratio(2.5), 288);
  EXPECT_EQ(picture_dpi_for_pixel_ratio(5.0), 288);
  EXPECT_EQ(picture_dpi_for_pixel_ratio(0.5), 96);   // zoomed out: never below 100 %
  EXPECT_EQ(picture_dpi_for_pixel_ratio(std::nan("")), 96);
}

TEST(DisplayScale, TheWindowTakesTheLargestScaleThatFits) {
  // 716 x 739 outside at 100 % on a 1920 x 1040 work area.
  EXPECT_EQ(fitting_dpi(120, 716, 739, 1920, 1040), 120);  // 924 high
  EXPECT_EQ(fitting_dpi(144, 716, 739, 1920, 1040), 120);  // 1109 would not
  EXPECT_EQ(fitting_dpi(192, 716, 739, 3840, 2100), 192);
  EXPECT_EQ(fitting_dpi(192, 716, 739, 800, 600), 96);     // nothing fits: 100 %
}

// A canvas with a one-pixel black line and a red box on the background.
Canvas sample() {
  Canvas canvas(10, 6, kButtonFace);
  canvas.line(0, 0, 9, 5, 0);
  canvas.box(6, 1, 3, 2, rgb(255, 0, 0));
  return canvas;
}

TEST(DisplayScale, AWholeScaleMakesEveryPixelASquare) {
  const Canvas canvas = sample();
  for (const int factor : {1, 2, 3}) {
    ScaledPicture picture;
    const DeviceArea area = scale_picture(canvas, 96 * factor, 0, 0, 10, 6, picture);
    ASSERT_EQ(picture.width, 10 * factor);
    ASSERT_EQ(picture.height, 6 * factor);
    EXPECT_EQ(area.x1, 10 * factor);
    for (int y = 0; y < picture.height; ++y) {
      for (int x = 0; x < picture.width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y * picture.width + x);
        ASSERT_EQ(picture.pixels[i], canvas.pixel(x / factor, y / factor)) << factor << ": " << x << "," << y;
        ASSERT_EQ(picture.painted[i] != 0, canvas.painted(x / factor, y / factor));
      }
    }
    EXPECT_EQ(std::set<Colour>(picture.pixels.begin(), picture.pixels.end()).size(), 3u) << "smoothed at " << factor;
  }
}

TEST(DisplayScale, AFractionalScaleAveragesWhatEachPixelCovers) {
  Canvas canvas(2, 1, rgb(0, 0, 0));
  canvas.box(1, 0, 1, 1, rgb(255, 90, 30));
  ScaledPicture picture;
  scale_picture(canvas, 144, 0, 0, 2, 1, picture);  // 3 x 2 device pixels
  ASSERT_EQ(picture.width, 3);
  ASSERT_EQ(picture.height, 2);
  // The middle column takes half of each canvas pixel; painted because one is.
  EXPECT_EQ(picture.pixels[0], rgb(0, 0, 0));
  EXPECT_EQ(picture.pixels[1], rgb(128, 45, 15));
  EXPECT_EQ(picture.pixels[2], rgb(255, 90, 30));
  EXPECT_EQ(picture.painted[0], 0);
  EXPECT_EQ(picture.painted[1], 1);
  EXPECT_EQ(picture.pixels[4], picture.pixels[1]);
}

TEST(DisplayScale, ImagesScaleByTheSameRule) {
  const DecodedImage image{2, 1, {0xFF000000u, 0x00FF5A1Eu}};  // opaque black, clear orange
  EXPECT_EQ(scale_image(image, 192).argb,
            (std::vector<std::uint32_t>{0xFF000000u, 0xFF000000u, 0x00FF5A1Eu, 0x00FF5A1Eu,
                                        0xFF000000u, 0xFF000000u, 0x00FF5A1Eu, 0x00FF5A1Eu}));
  const DecodedImage half = scale_image(image, 144);
  ASSERT_EQ(half.width, 3);
  EXPECT_EQ(half.argb[1], 0x80802D0Fu);
}

}  // namespace
