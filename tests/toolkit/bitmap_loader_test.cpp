// Decoding Windows bitmaps and icons that the tests build byte by byte, good
// and malformed.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/toolkit/bmp_builder.h"
#include "toolkit/common/bitmap_loader.h"

namespace {

using namespace bmp_builder;
using tk::common::decode_image;

// 3 x 2, 24 bits, bottom-up: top row red green blue, bottom row white black grey.
Bytes good_24bit() {
  const Bytes rows = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0,   // bottom
                      0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};        // top
  return bmp_file(info_header(3, 2, 24), {}, rows);
}

constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kGrey = 0xFF808080u;

TEST(BitmapLoader, TwentyFourBitBottomUpAndTopDown) {
  const auto image = decode_image(good_24bit());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 3);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(image->argb, (std::vector<std::uint32_t>{kRed, kGreen, kBlue, kWhite, kBlack, kGrey}));

  const Bytes top_down_rows = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0,
                               255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
  const auto top_down = decode_image(bmp_file(info_header(3, -2, 24), {}, top_down_rows));
  ASSERT_TRUE(top_down);
  EXPECT_EQ(top_down->argb, image->argb);
}

TEST(BitmapLoader, PalettedOneFourAndEightBits) {
  const Bytes palette = {0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0};  // red, blue, green (BGR0)
  // 1 bit, 10 x 1: bits 1010000001 then padding.
  const auto one = decode_image(bmp_file(info_header(10, 1, 1, 0, 2), Bytes(palette.begin(), palette.begin() + 8),
                                         {0b10100000, 0b01000000, 0, 0}));
  ASSERT_TRUE(one);
  EXPECT_EQ(one->argb, (std::vector<std::uint32_t>{kBlue, kRed, kBlue, kRed, kRed, kRed, kRed, kRed,
                                                   kRed, kBlue}));
  // 4 bits, 3 x 1: indices 2, 0, 1.
  const auto four = decode_image(bmp_file(info_header(3, 1, 4, 0, 3), palette, {0x20, 0x10, 0, 0}));
  ASSERT_TRUE(four);
  EXPECT_EQ(four->argb, (std::vector<std::uint32_t>{kGreen, kRed, kBlue}));
  // 8 bits, 2 x 1, one index past the palette: black, not a read beyond it.
  const auto eight = decode_image(bmp_file(info_header(2, 1, 8, 0, 3), palette, {1, 200, 0, 0}));
  ASSERT_TRUE(eight);
  EXPECT_EQ(eight->argb, (std::vector<std::uint32_t>{kBlue, kBlack}));
}

TEST(BitmapLoader, ThirtyTwoBitAndSixteenBitBitfields) {
  // Plain 32 bits: the fourth byte is unused, everything is opaque.
  const auto plain = decode_image(bmp_file(info_header(1, 1, 32), {}, {0x10, 0x20, 0x30, 0x00}));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->argb[0], 0xFF302010u);

  // 16 bits 5-6-5: pure red and pure green.
  Bytes masks(12, 0);
  put32(masks, 0, 0xF800);
  put32(masks, 4, 0x07E0);
  put32(masks, 8, 0x001F);
  const auto rgb565 = decode_image(bmp_file(info_header(2, 1, 16, 3), masks, {0x00, 0xF8, 0xE0, 0x07}));
  ASSERT_TRUE(rgb565);
  EXPECT_EQ(rgb565->argb, (std::vector<std::uint32_t>{kRed, kGreen}));

  // 16 bits without masks: 5-5-5.
  const auto rgb555 = decode_image(bmp_file(info_header(1, 1, 16), {}, {0x1F, 0x00, 0, 0}));
  ASSERT_TRUE(rgb555);
  EXPECT_EQ(rgb555->argb[0], kBlue);
}

TEST(BitmapLoader, EveryTruncationGivesNone) {
  const Bytes good = good_24bit();
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(decode_image(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size))))
        << size;
  }
}

TEST(BitmapLoader, AbsurdSizesAndOffsetsGiveNone) {
  const Bytes rows(24, 0);
  for (const Bytes& header : {info_header(100000, 100000, 24), info_header(65536, 65536, 1),
                              info_header(-3, 2, 24), info_header(0, 2, 24), info_header(3, 0, 24),
                              info_header(3, INT32_MIN, 24), info_header(3, 2, 7),
                              info_header(3, 2, 8, 1),  // RLE8 is not supported
                              info_header(3, 2, 8, 0, 0xFFFFFFFFu)}) {  // palette far past the file
    EXPECT_FALSE(decode_image(bmp_file(header, {}, rows)));
  }
  // Pixel offset past the end or inside the header; a header size past the end.
  for (const auto& [at, value] : {std::pair{10u, 0xFFFFFFF0u}, {10u, 20u}, {14u, 0x7FFFFFFFu}}) {
    Bytes file = good_24bit();
    put32(file, at, value);
    EXPECT_FALSE(decode_image(file)) << at;
  }
  EXPECT_FALSE(decode_image(Bytes{'B', 'M'}));
}

// An icon file with one image per given (width, bits, payload).
struct IconImage {
  int width;
  int bits;
  Bytes payload;
};

Bytes ico_file(const std::vector<IconImage>& images) {
  Bytes file(6 + 16 * images.size(), 0);
  put16(file, 2, 1);
  put16(file, 4, static_cast<std::uint32_t>(images.size()));
  for (std::size_t i = 0; i < images.size(); ++i) {
    const std::size_t entry = 6 + 16 * i;
    file[entry] = static_cast<std::uint8_t>(images[i].width);
    file[entry + 1] = static_cast<std::uint8_t>(images[i].width);
    put16(file, entry + 4, 1);
    put16(file, entry + 6, static_cast<std::uint32_t>(images[i].bits));
    put32(file, entry + 8, static_cast<std::uint32_t>(images[i].payload.size()));
    put32(file, entry + 12, static_cast<std::uint32_t>(file.size()));
    file.insert(file.end(), images[i].payload.begin(), images[i].payload.end());
  }
  return file;
}

// A square 24-bit icon image of one colour whose AND mask makes the top-left
// pixel transparent.
Bytes icon_image_24(int size, std::uint8_t blue) {
  Bytes image = info_header(size, 2 * size, 24);
  const std::size_t stride = (static_cast<std::size_t>(size) * 3 + 3) / 4 * 4;
  for (int row = 0; row < size; ++row) {
    Bytes line(stride, 0);
    for (int x = 0; x < size; ++x) {
      line[static_cast<std::size_t>(x) * 3] = blue;
    }
    image.insert(image.end(), line.begin(), line.end());
  }
  const std::size_t mask_stride = (static_cast<std::size_t>(size) + 31) / 32 * 4;
  for (int row = 0; row < size; ++row) {
    Bytes line(mask_stride, 0);
    if (row == size - 1) {
      line[0] = 0x80;  // bottom-up: the last mask row is the top row
    }
    image.insert(image.end(), line.begin(), line.end());
  }
  return image;
}

TEST(IconLoader, PicksThe32PixelImageAndAppliesTheMask) {
  const auto image = decode_image(ico_file({{16, 24, icon_image_24(16, 10)},
                                            {32, 24, icon_image_24(32, 20)},
                                            {48, 24, icon_image_24(48, 30)}}));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 32);
  EXPECT_EQ(image->height, 32);
  EXPECT_EQ(image->argb[0] >> 24, 0u);  // masked out
  EXPECT_EQ(image->argb[1], 0xFF000014u);

  const auto largest = decode_image(ico_file({{16, 24, icon_image_24(16, 10)},
                                              {48, 24, icon_image_24(48, 30)}}));
  ASSERT_TRUE(largest);
  EXPECT_EQ(largest->width, 48);
}

TEST(IconLoader, ThirtyTwoBitAlphaIsUsed) {
  Bytes image = info_header(1, 2, 32);
  const Bytes pixel = {0x30, 0x20, 0x10, 0x80};
  image.insert(image.end(), pixel.begin(), pixel.end());
  image.insert(image.end(), {0, 0, 0, 0});  // mask row
  const auto decoded = decode_image(ico_file({{1, 32, image}}));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->argb[0], 0x80102030u);
}

TEST(IconLoader, MalformedIconsGiveNone) {
  const Bytes good = ico_file({{16, 24, icon_image_24(16, 10)}});
  ASSERT_TRUE(decode_image(good));
  for (std::size_t size = 0; size < good.size(); ++size) {
    EXPECT_FALSE(decode_image(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size))))
        << size;
  }
  // Image offset or size past the end; no images; more images than the file holds.
  for (const auto& [at, value, field_bytes] : {std::tuple{18u, 0xFFFFFF00u, 4}, {14u, 0x7FFFFFFFu, 4},
                                              {4u, 0u, 2}, {4u, 0xFFFFu, 2}}) {
    Bytes file = good;
    field_bytes == 4 ? put32(file, at, value) : put16(file, at, value);
    EXPECT_FALSE(decode_image(file)) << at;
  }
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
  EXPECT_FALSE(decode_image(ico_file({{16, 32, png}})));

  Bytes absurd = icon_image_24(16, 10);
  put32(absurd, 4, 0x40000000u);
  EXPECT_FALSE(decode_image(ico_file({{16, 24, absurd}})));

  EXPECT_FALSE(decode_image(Bytes{'G', 'I', 'F', '8', '9', 'a'}));
}

}  // namespace
