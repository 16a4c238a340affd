// The committed logo and icon are the output of the designs in artwork.cpp.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "toolkit/common/bitmap_loader.h"
#include "assets/artwork.h"

namespace {

// Channels may differ by a step where the maths library rounds differently.
void expect_same_picture(const tk::common::DecodedImage& file, const artwork::Picture& design, bool with_alpha) {
  ASSERT_EQ(file.width, design.width);
  ASSERT_EQ(file.height, design.height);
  int differing = 0;
  for (std::size_t i = 0; i < design.argb.size(); ++i) {
    for (int shift : {0, 8, 16, 24}) {
      if (shift == 24 && !with_alpha) continue;
      const int a = static_cast<int>(file.argb[i] >> shift & 0xFF);
      const int b = static_cast<int>(design.argb[i] >> shift & 0xFF);
      differing += std::abs(a - b) > 2 ? 1 : 0;
    }
  }
  EXPECT_EQ(differing, 0) << "regenerate assets/ with ferrant-make-artwork";
}

TEST(Artwork, CommittedFilesAreTheDesigns) {
  const auto logo = tk::common::load_image_file(std::string(FERRANT_ASSETS_DIR) + "/Varnek.bmp");
  ASSERT_TRUE(logo.has_value());
  expect_same_picture(*logo, artwork::logo(), false);
  const auto icon = tk::common::load_image_file(std::string(FERRANT_ASSETS_DIR) + "/ferrant.ico");
  ASSERT_TRUE(icon.has_value());
  expect_same_picture(*icon, artwork::program_icon(), true);
}

}  // namespace
