// The golden digests of the model's and the chart's numbers: every value that
// passes through pow, log10 or sin, on every baserate and cable, is the same
// bits as on Linux x86-64, where the digests were made.
#include <gtest/gtest.h>

#include <cstddef>

#include "tests/chart/platform_digests.h"

namespace {

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
