// The platform-independent pow and log10: the model's fading powers again,
// and on Linux x86-64 (whose numbers every platform must give) the C
// library's bits. The sine is pinned where it is used by the golden digests.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "model/portable_math.h"
#include "model/reach.h"

namespace {

namespace portable = model::portable;

std::uint32_t bits(float value) { return portable::bit_cast<std::uint32_t>(value); }

// The exponent of fading power k, as the model defines it.
float fading_exponent(int k) { return static_cast<float>(-static_cast<double>(k) / 50.0); }

TEST(FadingPowers, AreTheFloatPowersOf271) {
  for (int k = 0; k <= model::kFadeEndBaserate; ++k) {
    const float table = model::kFadingPowers[static_cast<std::size_t>(k)];
    EXPECT_EQ(bits(table), bits(portable::powf(2.71f, fading_exponent(k)))) << k;
  }
}

#if defined(__GLIBC__) && defined(__x86_64__)
// glibc 2.28 and later against the portable functions on every 4099th
// float and the fading powers: the same bits. Without FMA glibc equals them
// for every argument (checked exhaustively for log10f and these powf
// exponents), with FMA at least here.
TEST(PortableMath, SameBitsAsGlibcOnX86_64) {
  for (int k = 0; k <= model::kFadeEndBaserate; ++k) {
    EXPECT_EQ(bits(model::kFadingPowers[static_cast<std::size_t>(k)]), bits(std::pow(2.71f, fading_exponent(k)))) << k;
  }
  int differing = 0;
  for (std::uint64_t b = 0; b <= 0xFFFFFFFF; b += 4099) {
    const float x = portable::bit_cast<float>(static_cast<std::uint32_t>(b));
    const auto same = [](float a, float c) { return bits(a) == bits(c) || (std::isnan(a) && std::isnan(c)); };
    if (!same(portable::log10f(x), std::log10(x))) ++differing;
    for (const float y : {12.0f, -1.5f, fading_exponent(37), 0.37f}) {
      if (!same(portable::powf(x, y), std::pow(x, y))) ++differing;
    }
  }
  EXPECT_EQ(differing, 0);
}
#endif

}  // namespace
