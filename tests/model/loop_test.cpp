// The mixed-cable loop: sweeps against the one-cable scan, the share sum at
// its knife edge, input beyond the limits (worked loops: the documentation).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "model/loop.h"
#include "model/reach.h"

namespace {

using model::kCableCatalogue;
using model::LoopSection;
using model::loop_detail::LengthOverReach;
using model::loop_detail::share_sum_verdict;

constexpr int kLimits[] = {model::kPellionMaxBaserate, 89, model::kMaxBaserate};

// Every cable and limit: one section of every length 0..100000, and split
// into up to 16 sections at every 7th metre and wherever the answer changes,
// answers as the scan does, the resistance the same whatever the split.
TEST(Loop, OneCableLoopsAnswerAsTheScanAtEveryDistance) {
  for (std::size_t cable = 0; cable < kCableCatalogue.size(); ++cable) {
    const model::CableEntry& entry = kCableCatalogue[cable];
    for (const int limit : kLimits) {
      const model::BaserateLookup scan(entry.reach_factor, entry.rate_coef, limit);
      for (std::int64_t m = 0; m <= model::kMaxLoopLengthM; ++m) {
        const int expected = scan.possible_baserate(m);
        const std::int64_t ohm = model::loop_resistance_ohm(static_cast<float>(m), entry.ohm_per_m);
        const LoopSection one[] = {{cable, m}};
        const auto single = model::compute_loop(one, limit);
        if (single.baserate != expected || single.loop_ohm != ohm) {
          FAIL() << "cable " << cable << ", limit " << limit << ", " << m << " m: baserate " << single.baserate
                 << ", scan " << expected << "; " << single.loop_ohm << " Ohm, expected " << ohm;
        }
        if (m % 997 == 0) {
          ASSERT_EQ(expected, model::scan_possible_baserate(static_cast<float>(m), entry.reach_factor,
                                                            entry.rate_coef, limit));
        }
        if (m % 7 != 0 && expected == scan.possible_baserate(m - 1) && expected == scan.possible_baserate(m + 1)) {
          continue;
        }
        const auto pieces = static_cast<std::size_t>(1 + m % 16);
        std::array<LoopSection, model::kMaxLoopSections> split;
        split.fill({cable, m / static_cast<std::int64_t>(pieces)});
        split[0].length_m += m % static_cast<std::int64_t>(pieces);
        const auto several = model::compute_loop(std::span(split.data(), pieces), limit);
        ASSERT_EQ(several.baserate, expected) << "cable " << cable << ", limit " << limit << ", " << m << " m split";
        ASSERT_EQ(several.loop_ohm, ohm) << "cable " << cable << ", " << m << " m split";
        if (cable == 0) {
          ASSERT_EQ(several.equivalent_m, m);
        }
      }
    }
  }
}

// Sums within 2^-32 of 1, which the 32-bit filter cannot place, decided by
// the wide comparison (the fuzz target `loop` checks arbitrary sums).
TEST(ShareSumVerdict, WideComparisonDecidesWithinTheFilterMargin) {
  // Within 2^-32 of 1, yet below it: 30247/65535 + 5041/65534 + 6/13 =
  // 1 - 1/(65535 * 65534 * 13); and 25316/39103 + 3043/44452 + 7870/27699 =
  // 1 - 6485/D for D = 39103 * 44452 * 27699, whose low 32 bits are 6484:
  // the sum's numerator has the higher low limb.
  const std::vector<LengthOverReach> just_below[] = {{{30247, 65535}, {5041, 65534}, {6, 13}},
                                                     {{25316, 39103}, {3043, 44452}, {7870, 27699}}};
  ASSERT_EQ(30247ull * 65534 * 13 + 5041ull * 65535 * 13 + 6ull * 65535 * 65534, 65535ull * 65534 * 13 - 1);
  ASSERT_EQ(25316ull * 44452 * 27699 + 3043ull * 39103 * 27699 + 7870ull * 39103 * 44452,
            39103ull * 44452 * 27699 - 6485);
  ASSERT_EQ(39103ull * 44452 * 27699 % (1ull << 32), 6484u);
  for (const auto& terms : just_below) {
    EXPECT_TRUE(share_sum_verdict(terms).below_one);
    EXPECT_TRUE(share_sum_verdict(terms).needed_wide_comparison);
  }
}

// Beyond what the caller accepts: sections past the sixteenth are left out,
// lengths and cables clamped, nothing overflows.
TEST(Loop, InputBeyondTheLimitsIsClamped) {
  std::vector<LoopSection> wild(20, {99, std::int64_t{1} << 62});
  wild[0].length_m = -5;
  std::vector<LoopSection> clamped(16, {10, model::kMaxLoopLengthM});
  clamped[0].length_m = 0;
  const auto answer = model::compute_loop(wild, 1000);
  const auto expected = model::compute_loop(clamped, 238);
  EXPECT_EQ(answer.baserate, 0);
  EXPECT_EQ(answer.section_count, 16u);
  EXPECT_EQ(answer.equivalent_m, expected.equivalent_m);
  EXPECT_EQ(answer.loop_ohm, expected.loop_ohm);
  EXPECT_EQ(answer.loop_ohm, 16800);  // 15 x 100 km x 0.0112f, rounded
}

}  // namespace
