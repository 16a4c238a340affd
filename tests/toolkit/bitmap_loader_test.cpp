// Decoding Windows bitmaps that the tests build byte by byte, good and
// malformed. (Icons: the artwork test decodes the program's, alpha and all;
// the bitmap fuzz target feeds malformed ones.)
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/toolkit/bmp_file.h"
#include "toolkit/common/bitmap_loader.h"

namespace {

using tk::common::decode_image;
using bmp::Bytes;
using bmp::bmp_file;
using bmp::info_header;
using bmp::put;
using Pixels = std::vector<std::uint32_t>;

constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu, kBlack = 0xFF000000u, kGrey = 0xFF808080u;

// 3 x 2, 24 bits: top row red green blue, bottom row white black grey; rows
// padded to 4 bytes, bottom-up unless the height is negative.
const Bytes kTopRow = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
const Bytes kBottomRow = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
Bytes rows_24bit(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}
const Bytes kGood24Bit = bmp_file(info_header(3, 2, 24), {}, rows_24bit(kBottomRow, kTopRow));

// Palette (BGR0): red, blue, green.
const Bytes kPalette = {0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 0, 0};

const Bytes kMasks565 = {0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};

TEST(BitmapLoader, DecodesEveryDepth) {
  struct Case { const char* what; Bytes file; int width; Pixels argb; };
  const Case cases[] = {
      {"24 bits, bottom-up", kGood24Bit, 3, {kRed, kGreen, kBlue, kWhite, kBlack, kGrey}},
      {"24 bits, top-down", bmp_file(info_header(3, -2, 24), {}, rows_24bit(kTopRow, kBottomRow)), 3,
       {kRed, kGreen, kBlue, kWhite, kBlack, kGrey}},
      {"1 bit: 1010000001 and padding",
       bmp_file(info_header(10, 1, 1, 0, 2), Bytes(kPalette.begin(), kPalette.begin() + 8),
                {0xA0, 0x40, 0, 0}),
       10, {kBlue, kRed, kBlue, kRed, kRed, kRed, kRed, kRed, kRed, kBlue}},
      {"4 bits: 2, 0, 1", bmp_file(info_header(3, 1, 4, 0, 3), kPalette, {0x20, 0x10, 0, 0}), 3,
       {kGreen, kRed, kBlue}},
      {"8 bits, an index past the palette is black",
       bmp_file(info_header(2, 1, 8, 0, 3), kPalette, {1, 200, 0, 0}), 2, {kBlue, kBlack}},
      {"32 bits: the fourth byte unused", bmp_file(info_header(1, 1, 32), {}, {0x10, 0x20, 0x30, 0x00}), 1,
       {0xFF302010u}},
      {"16 bits, 5-6-5 masks", bmp_file(info_header(2, 1, 16, 3), kMasks565, {0x00, 0xF8, 0xE0, 0x07}), 2,
       {kRed, kGreen}},
      {"16 bits, 5-5-5 without masks", bmp_file(info_header(1, 1, 16), {}, {0x1F, 0x00, 0, 0}), 1, {kBlue}},
  };
  for (const Case& c : cases) {
    const auto image = decode_image(c.file);
    ASSERT_TRUE(image) << c.what;
    EXPECT_EQ(image->width, c.width) << c.what;
    EXPECT_EQ(image->argb, c.argb) << c.what;
  }
}

TEST(BitmapLoader, MalformedBitmapsGiveNone) {
  std::vector<std::pair<std::string, Bytes>> bad;
  for (std::size_t size = 0; size < kGood24Bit.size(); ++size) {
    bad.emplace_back("cut to " + std::to_string(size), Bytes(kGood24Bit.begin(), kGood24Bit.begin() + size));
  }
  const Bytes rows(24, 0);
  for (const Bytes& header : {info_header(100000, 100000, 24), info_header(65536, 65536, 1),
                              info_header(-3, 2, 24), info_header(0, 2, 24), info_header(3, 0, 24),
                              info_header(3, INT32_MIN, 24), info_header(3, 2, 7),
                              info_header(3, 2, 8, 1),  // RLE8 is not supported
                              info_header(3, 2, 8, 0, 0xFFFFFFFFu)}) {  // palette far past the file
    bad.emplace_back("absurd header", bmp_file(header, {}, rows));
  }
  // Pixel offset past the end or inside the header; a header size past the end.
  for (const auto& [at, value] : {std::pair{10u, 0xFFFFFFF0u}, {10u, 20u}, {14u, 0x7FFFFFFFu}}) {
    Bytes file = kGood24Bit;
    put(file, at, value);
    bad.emplace_back("field at " + std::to_string(at), file);
  }
  for (const auto& [what, file] : bad) EXPECT_FALSE(decode_image(file)) << what;
}

}  // namespace
