// Every baserate's chart as drawn on the headless canvas, pixel for pixel the
// same on every platform.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "chart/psd.h"
#include "tests/chart/platform_digests.h"
#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"

namespace {

namespace hl = tk::headless;

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
  file << "// Golden digests (tests/chart/platform_digests.h): {baserate, model, chart values, chart pixels}\n"
          "inline constexpr std::array<BaserateDigests, model::kMaxBaserate + 1> kGoldenBaserates{{\n"
       << rows.str()
       << "}};\n"
          "inline constexpr std::array<std::uint64_t, model::kCableCatalogue.size()> kGoldenLookups{{\n";
  for (const model::CableEntry& cable : model::kCableCatalogue) file << "    " << pd::hex(pd::lookup_digest(cable)) << ",\n";
  file << "}};\n";
  ASSERT_TRUE(file.flush()) << update_path;
}

}  // namespace
