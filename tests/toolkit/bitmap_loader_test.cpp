// Decoding Windows bitmaps and icons that the tests build byte by byte, good
// and malformed.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "toolkit/common/bitmap_loader.h"

namespace {

using tk::common::decode_image;
using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}

// BITMAPINFOHEADER (40 bytes) for a width x height image.
Bytes info_header(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression = 0,
                  std::uint32_t colours_used = 0) {
  Bytes h(40, 0);
  put32(h, 0, 40);
  put32(h, 4, static_cast<std::uint32_t>(width));
  put32(h, 8, static_cast<std::uint32_t>(height));
  put16(h, 12, 1);
  put16(h, 14, static_cast<std::uint32_t>(bits));
  put32(h, 16, compression);
  put32(h, 32, colours_used);
  return h;
}

// A "BM" file: header, extra (masks and palette), rows as given (already
// padded, in file order).
Bytes bmp_file(const Bytes& header, const Bytes& extra, const Bytes& rows) {
  Bytes file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  const auto offset = static_cast<std::uint32_t>(14 + header.size() + extra.size());
  put32(file, 2, static_cast<std::uint32_t>(offset + rows.size()));
  put32(file, 10, offset);
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), extra.begin(), extra.end());
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

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
  const auto with_header = [&rows](const Bytes& header) { return bmp_file(header, {}, rows); };
  EXPECT_FALSE(decode_image(with_header(info_header(100000, 100000, 24))));
  EXPECT_FALSE(decode_image(with_header(info_header(65536, 65536, 1))));
  EXPECT_FALSE(decode_image(with_header(info_header(-3, 2, 24))));
  EXPECT_FALSE(decode_image(with_header(info_header(0, 2, 24))));
  EXPECT_FALSE(decode_image(with_header(info_header(3, 0, 24))));
  EXPECT_FALSE(decode_image(with_header(info_header(3, INT32_MIN, 24))));
  EXPECT_FALSE(decode_image(with_header(info_header(3, 2, 7))));
  EXPECT_FALSE(decode_image(with_header(info_header(3, 2, 8, 1))));  // RLE8 is not supported
  // A palette claimed far larger than the file.
  EXPECT_FALSE(decode_image(bmp_file(info_header(3, 2, 8, 0, 0xFFFFFFFFu), {}, rows)));

  Bytes past_end = good_24bit();
  put32(past_end, 10, 0xFFFFFFF0u);
  EXPECT_FALSE(decode_image(past_end));
  Bytes inside_header = good_24bit();
  put32(inside_header, 10, 20);
  EXPECT_FALSE(decode_image(inside_header));
  Bytes huge_header = good_24bit();
  put32(huge_header, 14, 0x7FFFFFFFu);
  EXPECT_FALSE(decode_image(huge_header));

  EXPECT_FALSE(decode_image(Bytes{}));
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
  Bytes offset_past_end = good;
  put32(offset_past_end, 6 + 12, 0xFFFFFF00u);
  EXPECT_FALSE(decode_image(offset_past_end));
  Bytes size_past_end = good;
  put32(size_past_end, 6 + 8, 0x7FFFFFFFu);
  EXPECT_FALSE(decode_image(size_past_end));
  Bytes no_images = good;
  put16(no_images, 4, 0);
  EXPECT_FALSE(decode_image(no_images));
  Bytes many_images = good;
  put16(many_images, 4, 0xFFFF);
  EXPECT_FALSE(decode_image(many_images));

  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
  EXPECT_FALSE(decode_image(ico_file({{16, 32, png}})));

  Bytes absurd = icon_image_24(16, 10);
  put32(absurd, 4, 0x40000000u);
  EXPECT_FALSE(decode_image(ico_file({{16, 24, absurd}})));

  EXPECT_FALSE(decode_image(Bytes{'G', 'I', 'F', '8', '9', 'a'}));
}

TEST(ImageFiles, LoadsFromDiskAndRefusesMissingFiles) {
  const auto path = std::filesystem::temp_directory_path() / "ferrant_bitmap_loader_test.bmp";
  const Bytes good = good_24bit();
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(good.data()), static_cast<std::streamsize>(good.size()));
  }
  const auto image = tk::common::load_image_file(path.string());
  std::filesystem::remove(path);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width, 3);
  EXPECT_FALSE(tk::common::load_image_file(path.string()));
  EXPECT_FALSE(tk::common::load_image_file(std::filesystem::temp_directory_path().string()));
}

}  // namespace
