// The chart's texts as drawn on the headless canvas: frequency labels that
// read as separate numbers at every scale, level labels left of the grid and
// legends inside the panel; and every baserate's chart, pixel for pixel, the
// same on every platform.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "chart/psd.h"
#include "tests/chart/platform_digests.h"
#include "toolkit/common/canvas.h"
#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"

namespace {

namespace hl = tk::headless;

constexpr tk::Colour kInk = 0;  // the font's black
constexpr int kPanelRight = chart::kPanelX + chart::kPanelWidth - 1;

class PsdDrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hl::reset();
    ASSERT_TRUE(tk::init_toolkit()) << tk::last_error();
    ASSERT_TRUE(tk::create_window(0, 10, 0, 700, 680, "Chart", tk::kStyleMainWindow)) << tk::last_error();
  }
  void TearDown() override { tk::close_toolkit(); }
};

struct InkGroup {
  int first, last;  // columns holding ink, inclusive
};

// The ink of the label rows in groups: columns with ink, split where more
// than two columns without ink lie between them. The grid's ticks stop above
// these rows and the axis caption starts below them, so every black pixel
// there belongs to a frequency label.
std::vector<InkGroup> label_ink_groups() {
  std::vector<InkGroup> groups;
  for (int x = chart::kPanelX; x <= kPanelRight; ++x) {
    bool ink = false;
    for (int y = chart::kFrequencyLabelY; y < chart::kFrequencyLabelY + 16; ++y) ink = ink || hl::pixel(x, y) == kInk;
    if (!ink) continue;
    if (!groups.empty() && x - groups.back().last - 1 <= 2) {
      groups.back().last = x;
    } else {
      groups.push_back({x, x});
    }
  }
  return groups;
}

TEST_F(PsdDrawingTest, EachFrequencyLabelIsOneGroupApartFromItsNeighbours) {
  for (const int baserate : {1, 10, 100}) {
    const float rate = static_cast<float>(baserate * 64);
    const int scale = chart::chart_scale(rate);
    chart::draw_psd_chart(rate);
    const std::vector<chart::TextItem> labels = chart::frequency_labels(scale);
    const std::vector<InkGroup> groups = label_ink_groups();
    // One group a label, lying between the label's x and the next one's.
    ASSERT_EQ(groups.size(), labels.size()) << "scale " << scale;
    for (std::size_t i = 0; i < labels.size(); ++i) {
      EXPECT_GE(groups[i].first, labels[i].x) << "scale " << scale << ": " << labels[i].text;
      if (i + 1 == labels.size()) continue;
      EXPECT_LT(groups[i].last, labels[i + 1].x) << "scale " << scale << ": " << labels[i].text;
      EXPECT_GE(groups[i + 1].first - groups[i].last - 1, 4)
          << "scale " << scale << ": " << labels[i].text << " runs into " << labels[i + 1].text;
    }
  }
}

// The cells are as wide as their texts (the canvas's own tests).
TEST(PsdTexts, LevelLabelsEndLeftOfTheGridAndLegendsInsideThePanel) {
  constexpr int kLevelLabelX = 305;
  constexpr int kGridLeftX = 337;
  for (const std::string_view level : {"-30", "-40", "-50", "-60", "-70", "-80", "-90", "-100", "-110"}) {
    EXPECT_LE(kLevelLabelX + tk::common::Canvas::text_width(level), kGridLeftX) << level;
  }
  for (const chart::Constellation& c : chart::kConstellations) {
    EXPECT_LE(chart::kLegendX + tk::common::Canvas::text_width(c.legend) - 1, kPanelRight) << c.legend;
  }
}

// The panel of every baserate's chart against the golden digests. With
// FERRANT_UPDATE_DIGESTS=FILE the whole golden file is written to FILE
// instead (platform_digests.h).
TEST_F(PsdDrawingTest, EveryBaserateDrawsTheGoldenPixels) {
  namespace pd = platform_digests;
  const char* update_path = std::getenv("FERRANT_UPDATE_DIGESTS");
  std::ostringstream rows;
  for (int baserate = 0; baserate <= model::kMaxBaserate; ++baserate) {
    chart::draw_psd_chart(pd::line_rate(baserate));
    pd::Fnv1a pixels;
    for (int y = chart::kPanelY; y < chart::kPanelY + chart::kPanelHeight; ++y) {
      for (int x = chart::kPanelX; x <= kPanelRight; ++x) pixels.add(hl::pixel(x, y));
    }
    if (update_path == nullptr) {
      const pd::BaserateDigests& golden = pd::kGoldenBaserates[static_cast<std::size_t>(baserate)];
      ASSERT_EQ(golden.baserate, baserate) << "the golden file's rows are out of order";
      EXPECT_EQ(pd::hex(pixels.value()), pd::hex(golden.chart_pixels)) << "baserate " << baserate;
      continue;
    }
    rows << "    {" << baserate << ", " << pd::hex(pd::model_digest(baserate)) << ", "
         << pd::hex(pd::chart_values_digest(baserate)) << ", " << pd::hex(pixels.value()) << "},\n";
  }
  if (update_path == nullptr) return;
  std::ofstream file(update_path);
  file << "// Golden digests of the model's and the chart's numbers and of the chart's\n"
          "// pixels (tests/chart/platform_digests.h says what each covers and how to\n"
          "// regenerate this file). Every platform gives exactly these.\n"
          "// {baserate, model, chart values, chart pixels}\n"
          "inline constexpr std::array<BaserateDigests, model::kMaxBaserate + 1> kGoldenBaserates{{\n"
       << rows.str()
       << "}};\n"
          "// The baserate lookup, per cable in the catalogue's order.\n"
          "inline constexpr std::array<std::uint64_t, model::kCableCatalogue.size()> kGoldenLookups{{\n";
  for (const model::CableEntry& cable : model::kCableCatalogue) file << "    " << pd::hex(pd::lookup_digest(cable)) << ",\n";
  file << "}};\n";
  ASSERT_TRUE(file.flush()) << update_path;
}

}  // namespace
