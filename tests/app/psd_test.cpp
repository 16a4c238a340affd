// The PSD chart's arithmetic: the scale, the constellations traced, depths
// against the worked values, and every polyline inside the grid. The drawn
// chart is compared with golden pictures by the program's tests. Also the
// golden digests of the model's and the chart's numbers, the same bits on
// every platform.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <utility>

#include "chart/psd.h"
#include "tests/app/platform_digests.h"

namespace {

// The legends of the constellations traced at a baserate, joined by blanks.
std::string traced_legends(int baserate) {
  std::string legends;
  for (const chart::Constellation& c : chart::kConstellations) {
    if (!chart::is_traced(c, static_cast<float>(baserate * 64))) continue;
    if (!legends.empty()) legends += ' ';
    legends += c.legend;
  }
  return legends;
}

TEST(PsdScale, FourTwoOrOnePixelsPer10KHz) {
  for (const auto& [baserate, scale] : {std::pair{1, 4}, {8, 4}, {9, 2}, {32, 2}, {33, 1}, {238, 1}}) {
    EXPECT_EQ(chart::chart_scale(static_cast<float>(baserate * 64)), scale) << baserate;
  }
}

TEST(PsdConstellations, TracedByBaserateWithInclusiveBounds) {
  const std::pair<int, const char*> cases[] = {
      {0, ""},                           {1, "PAM-4 PAM-8 PAM-16"},
      {2, "PAM-4 PAM-8 PAM-16"},         {3, "PAM-8 PAM-16"},
      {4, "PAM-8 PAM-16 PAM-32"},        {18, "PAM-8 PAM-16 PAM-32"},
      {19, "PAM-16 PAM-32"},             {85, "PAM-16 PAM-32 PAM-64"},
      {110, "PAM-16 PAM-32 PAM-64 PAM-128"}, {119, "PAM-16 PAM-32 PAM-64 PAM-128"},
      {120, "PAM-32 PAM-64 PAM-128"},    {159, "PAM-32 PAM-64 PAM-128"},
      {160, "PAM-64 PAM-128"},           {199, "PAM-64 PAM-128"},
      {200, "PAM-128"},                  {238, "PAM-128"},
  };
  for (const auto& [baserate, legends] : cases) EXPECT_EQ(traced_legends(baserate), legends) << baserate;
}

// The curves drawn from these are in the program's golden canvas pictures.
TEST(PsdDepth, WorkedValuesAtBaserate1Pam16) {
  const float rate = chart::symbol_rate(64.0f, 3);
  EXPECT_EQ(rate, 24.0f);
  EXPECT_NEAR(chart::main_depth(10, rate), 30.22, 0.005);
  EXPECT_NEAR(chart::floor_depth(10), 72.45, 0.005);
  EXPECT_NEAR(chart::psd_depth(20, rate), 67.43, 0.005);
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

TEST(PsdSegments, EveryCurveStaysInsideTheGridAndEndsAt640) {
  for (int baserate = 1; baserate <= 238; ++baserate) {
    const float rate = static_cast<float>(baserate * 64);
    for (const chart::Constellation& c : chart::kConstellations) {
      if (!chart::is_traced(c, rate)) continue;
      const auto segments = chart::trace_segments(rate, c.bits_per_symbol, chart::chart_scale(rate));
      ASSERT_FALSE(segments.empty());
      EXPECT_EQ(segments.back().x2, 640) << baserate << " " << c.legend;
      for (const chart::Segment& s : segments) {
        ASSERT_TRUE(s.y1 >= 70 && s.y1 <= 270 && s.y2 >= 70 && s.y2 <= 270) << baserate << " " << c.legend;
      }
    }
  }
}

// The table holds what the curves plot: a segment ends on each value's row,
// and the next one starts on its row in whole dB. The baserates cover every
// scale and, together, every constellation; 0 traces none.
TEST(PsdTable, ValuesAreWhatTheCurvesPlot) {
  for (const int baserate : {0, 1, 8, 9, 32, 33, 110, 238}) {
    const float rate = static_cast<float>(baserate * 64);
    const chart::PsdTable table = chart::psd_table(rate);
    ASSERT_EQ(table.scale, chart::chart_scale(rate)) << baserate;
    ASSERT_EQ(table.frequencies_khz.size(), static_cast<std::size_t>(300 / table.scale)) << baserate;
    std::string legends;
    for (const chart::PsdCurve& curve : table.curves) {
      if (!legends.empty()) legends += ' ';
      legends += curve.constellation->legend;
      const auto segments = chart::trace_segments(rate, curve.constellation->bits_per_symbol, table.scale);
      ASSERT_EQ(segments.size(), table.frequencies_khz.size()) << baserate;
      ASSERT_EQ(curve.dbm_per_hz.size(), table.frequencies_khz.size()) << baserate;
      for (std::size_t i = 0; i < segments.size(); ++i) {
        const double depth = -curve.dbm_per_hz[i];
        EXPECT_EQ(table.frequencies_khz[i], 10 * static_cast<int>(i + 1));
        EXPECT_EQ(segments[i].x2, chart::kOriginX + static_cast<int>(i + 1) * table.scale);
        EXPECT_EQ(segments[i].y2, chart::depth_row(depth)) << baserate << " " << table.frequencies_khz[i];
        if (i + 1 < segments.size()) {
          EXPECT_EQ(segments[i + 1].y1, chart::depth_row(chart::nearest(depth)));
        }
      }
    }
    EXPECT_EQ(legends, traced_legends(baserate));
  }
}

TEST(PsdRounding, NearestGoesToEvenOnHalves) {
  // 162.5: the third segment of baserate 1 starts there.
  for (const auto& [value, nearest] : {std::pair{72.5, 72}, {77.5, 78}, {162.5, 162}, {-0.5, 0}}) {
    EXPECT_EQ(chart::nearest(value), nearest) << value;
  }
  EXPECT_EQ(chart::depth_row(30.0), 70);
  EXPECT_EQ(chart::depth_row(110.0), 270);
}

// Every value that passes through pow, log10 or sin, on every baserate and
// cable, is the same bits as on Linux x86-64 (where the digests were made).
TEST(PlatformDigests, ModelAndChartValuesAreTheGoldenOnes) {
  namespace pd = platform_digests;
  for (int baserate = 0; baserate <= model::kMaxBaserate; ++baserate) {
    const pd::BaserateDigests& golden = pd::kGoldenBaserates[static_cast<std::size_t>(baserate)];
    ASSERT_EQ(golden.baserate, baserate) << "the golden file's rows are out of order";
    EXPECT_EQ(pd::hex(pd::model_digest(baserate)), pd::hex(golden.model)) << "the model at baserate " << baserate;
    EXPECT_EQ(pd::hex(pd::chart_values_digest(baserate)), pd::hex(golden.chart_values))
        << "the chart's values at baserate " << baserate;
  }
  for (std::size_t i = 0; i < pd::kGoldenLookups.size(); ++i) {
    EXPECT_EQ(pd::hex(pd::lookup_digest(model::kCableCatalogue[i])), pd::hex(pd::kGoldenLookups[i]))
        << "the baserate lookup on " << model::kCableCatalogue[i].box_item << " mm";
  }
}

}  // namespace
