// The PSD chart's arithmetic: the constellations traced, depths and the
// polyline's pixels against the worked values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/psd.h"

namespace {

std::vector<std::string> traced_legends(int baserate) {
  std::vector<std::string> legends;
  for (const chart::Constellation& c : chart::kConstellations) {
    if (chart::is_traced(c, static_cast<float>(baserate * 64))) legends.emplace_back(c.legend);
  }
  return legends;
}

TEST(PsdConstellations, TracedByBaserateWithInclusiveBounds) {
  using V = std::vector<std::string>;
  EXPECT_EQ(traced_legends(0), V{});
  EXPECT_EQ(traced_legends(1), (V{"PAM-4", "PAM-8", "PAM-16"}));
  EXPECT_EQ(traced_legends(2), (V{"PAM-4", "PAM-8", "PAM-16"}));
  EXPECT_EQ(traced_legends(3), (V{"PAM-8", "PAM-16"}));
  EXPECT_EQ(traced_legends(4), (V{"PAM-8", "PAM-16", "PAM-32"}));
  EXPECT_EQ(traced_legends(18), (V{"PAM-8", "PAM-16", "PAM-32"}));
  EXPECT_EQ(traced_legends(19), (V{"PAM-16", "PAM-32"}));
  EXPECT_EQ(traced_legends(85), (V{"PAM-16", "PAM-32", "PAM-64"}));
  EXPECT_EQ(traced_legends(110), (V{"PAM-16", "PAM-32", "PAM-64", "PAM-128"}));
  EXPECT_EQ(traced_legends(119), (V{"PAM-16", "PAM-32", "PAM-64", "PAM-128"}));
  EXPECT_EQ(traced_legends(120), (V{"PAM-32", "PAM-64", "PAM-128"}));
  EXPECT_EQ(traced_legends(159), (V{"PAM-32", "PAM-64", "PAM-128"}));
  EXPECT_EQ(traced_legends(160), (V{"PAM-64", "PAM-128"}));
  EXPECT_EQ(traced_legends(199), (V{"PAM-64", "PAM-128"}));
  EXPECT_EQ(traced_legends(200), (V{"PAM-128"}));
  EXPECT_EQ(traced_legends(238), (V{"PAM-128"}));
}

TEST(PsdDepth, WorkedValuesAtBaserate1Pam16) {
  const float rate = chart::symbol_rate(64.0f, 3);
  EXPECT_EQ(rate, 24.0f);
  EXPECT_NEAR(chart::main_depth(10, rate), 30.22, 0.005);
  EXPECT_NEAR(chart::floor_depth(10), 72.45, 0.005);
  EXPECT_NEAR(chart::psd_depth(20, rate), 67.43, 0.005);
  EXPECT_NEAR(chart::main_depth(30, rate), 88.92, 0.01);  // 88.9146 by the formula
  EXPECT_NEAR(chart::floor_depth(30), 79.61, 0.005);
  EXPECT_EQ(chart::psd_depth(30, rate), chart::floor_depth(30));
  EXPECT_NEAR(chart::floor_depth(3000), 109.6, 0.05);
  EXPECT_EQ(chart::depth_row(chart::floor_depth(3000)), 269);
}

TEST(PsdDepth, ZeroMainLobePowerIsInfinitelyDeepSoTheFloorWins) {
  // x = f * pi / rate is a multiple of pi where sin(x) is about zero; a main
  // depth that is +infinity must leave the floor in place, never NaN.
  for (int f = 10; f <= 3000; f += 10) {
    const float depth = chart::psd_depth(f, 24.0f);
    ASSERT_TRUE(std::isfinite(depth)) << f;
    ASSERT_LE(depth, chart::floor_depth(f)) << f;
  }
}

// Baserate 1's segments are read from the canvas by the program's tests.
TEST(PsdSegments, Baserate32Pam16FirstSegment) {
  EXPECT_NEAR(chart::symbol_rate(2048.0f, 3), 685.33, 0.005);
  EXPECT_NEAR(chart::psd_depth(10, chart::symbol_rate(2048.0f, 3)), 41.68, 0.005);
  const auto segments = chart::trace_segments(2048.0f, 3, 2);
  ASSERT_EQ(segments.size(), 150u);
  EXPECT_EQ(segments[0], (chart::Segment{340, 100, 342, 99}));
}

TEST(PsdSegments, EveryCurveStaysInsideTheGridAndEndsAt640) {
  for (int baserate = 1; baserate <= 238; ++baserate) {
    const float rate = static_cast<float>(baserate * 64);
    const int scale = chart::chart_scale(rate);
    for (const chart::Constellation& c : chart::kConstellations) {
      if (!chart::is_traced(c, rate)) continue;
      const auto segments = chart::trace_segments(rate, c.bits_per_symbol, scale);
      ASSERT_FALSE(segments.empty());
      EXPECT_EQ(segments.back().x2, 640) << baserate << " " << c.legend;
      int expected_x = 340;
      for (const chart::Segment& s : segments) {
        ASSERT_EQ(s.x1, expected_x);
        ASSERT_EQ(s.x2, expected_x + scale);
        expected_x = s.x2;
        for (int y : {s.y1, s.y2}) {
          ASSERT_GE(y, 70) << baserate << " " << c.legend;
          ASSERT_LE(y, 270) << baserate << " " << c.legend;
        }
      }
    }
  }
}

TEST(PsdRounding, NearestGoesToEvenOnHalves) {
  EXPECT_EQ(chart::nearest(72.5), 72);
  EXPECT_EQ(chart::nearest(77.5), 78);
  EXPECT_EQ(chart::nearest(162.5), 162);  // the third segment of baserate 1 starts there
  EXPECT_EQ(chart::nearest(-0.5), 0);
  EXPECT_EQ(chart::depth_row(30.0), 70);
  EXPECT_EQ(chart::depth_row(110.0), 270);
}

TEST(PsdLabels, FrequencyLabelsPerScale) {
  using T = chart::TextItem;
  const auto scale4 = chart::frequency_labels(4);
  ASSERT_EQ(scale4.size(), 8u);
  EXPECT_EQ(scale4[0], (T{336, 275, "0"}));
  EXPECT_EQ(scale4[7], (T{616, 275, "7"}));

  const auto scale2 = chart::frequency_labels(2);
  ASSERT_EQ(scale2.size(), 16u);
  EXPECT_EQ(scale2[10], (T{532, 275, "10"}));
  EXPECT_EQ(scale2[15], (T{632, 275, "15"}));

  const auto scale1 = chart::frequency_labels(1);
  ASSERT_EQ(scale1.size(), 16u);
  EXPECT_EQ(scale1[4], (T{416, 275, "8"}));
  EXPECT_EQ(scale1[15], (T{632, 275, "30"}));
}

}  // namespace
