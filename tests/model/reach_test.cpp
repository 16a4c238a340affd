// Worked values of the reach model: the numbers the window shows. The
// built-in tables are checked through them, not restated.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <utility>

#include "model/reach.h"
#include "model/reach_table.h"

namespace {

using model::kCableCatalogue;

const model::CableEntry& cable(std::size_t index) { return kCableCatalogue[index]; }

TEST(Tables, ReachFallsWithBaserateAndRisesWithDiameter) {
  EXPECT_EQ(model::kReachTable[0], 0);
  for (std::size_t k = 1; k + 1 < model::kReachTable.size(); ++k) {
    EXPECT_GE(model::kReachTable[k], model::kReachTable[k + 1]) << "row " << k;
  }
  for (std::size_t i = 1; i < kCableCatalogue.size(); ++i) EXPECT_GT(cable(i).reach_factor, cable(i - 1).reach_factor);
}

TEST(Panel1, WorkedValues) {
  struct Case { int baserate; std::size_t cable; std::int64_t ferrant_m, ferrant_ft, pellion_m, pellion_ft; };
  const Case cases[] = {
      {0, 0, 0, 0, 0, 0},
      {-5, 0, 0, 0, 0, 0},                    {100000, 0, 310, 1017, 0, 0},  // clamped, never an index
      {1, 0, 8567, 28108, 8496, 27873},       {3, 0, 8512, 27928, 8300, 27229},
      {36, 0, 4516, 14818, 3162, 10372},      {37, 0, 4509, 14792, 0, 0},
      {92, 0, 2666, 8746, 0, 0},              {93, 0, 2624, 8610, 0, 0},
      {238, 0, 310, 1017, 0, 0},              {3, 10, 46802, 153549, 46607, 152909},
      {26, 6, 12702, 41674, 12244, 40169},  // a half: to the even neighbour
      {80, 8, 5101, 16737, 0, 0},           // the multiplier's excess rounded to float
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "baserate " << c.baserate << ", cable " << c.cable);
    const auto r = model::compute_panel1(c.baserate, cable(c.cable).reach_factor, cable(c.cable).rate_coef);
    EXPECT_EQ(std::tuple(r.ferrant_m, r.ferrant_ft, r.pellion_m, r.pellion_ft),
              std::tuple(c.ferrant_m, c.ferrant_ft, c.pellion_m, c.pellion_ft));
  }
}

TEST(Scan, WorkedValues) {
  struct Case { float distance; std::size_t cable; int limit, expected; };
  const Case cases[] = {
      {0, 0, 238, 238},     {0, 0, 89, 89},       {0, 0, 36, 36},
      {5000, 0, 238, 29},   {5000, 0, 89, 29},    {5000, 0, 36, 17},  // derated only at limit 36
      {1000, 10, 89, 89},   {30000, 10, 238, 12}, {30000, 6, 238, 0}, {30000, 7, 238, 3},
      {5043, 0, 238, 28},   {5042, 0, 238, 29},   // baserate 29 reaches 5043: strictly greater
      {5042.5f, 0, 238, 29}, {5043.5f, 0, 238, 28},  // the distance rounded half to even
      {8550, 0, 238, 1},    {8512, 0, 238, 2},    {8567, 0, 238, 0},
      {-5, 0, 238, 238},    {-5, 0, 36, 36},      {0, 0, 1000, 238},  {0, 0, -3, 0},
  };
  for (const auto& c : cases) {
    const model::CableEntry& entry = cable(c.cable);
    EXPECT_EQ(model::scan_possible_baserate(c.distance, entry.reach_factor, entry.rate_coef, c.limit), c.expected)
        << c.distance << " m, cable " << c.cable << ", limit " << c.limit;
  }
}

TEST(BaserateLookup, AgreesWithTheScanAtEveryReachBoundary) {
  for (const auto& entry : kCableCatalogue) {
    for (const int limit : {36, 89, 238}) {
      const model::BaserateLookup lookup(entry.reach_factor, entry.rate_coef, limit);
      auto check = [&](std::int64_t distance) {
        EXPECT_EQ(lookup.possible_baserate(distance),
                  model::scan_possible_baserate(static_cast<float>(distance), entry.reach_factor,
                                                entry.rate_coef, limit))
            << entry.box_item << " limit " << limit << " distance " << distance;
      };
      for (const std::int64_t d : {-7, 0, 1, 29999, 30000, 30001, 1000000}) check(d);
      for (int k = 0; k <= limit; ++k) {
        const auto reach = model::scan_row_reach(k, entry.reach_factor, entry.rate_coef, limit);
        for (std::int64_t d = reach - 1; d <= reach + 1; ++d) check(d);
      }
    }
  }
}

// Panel 2's feet and loop resistance; the golden replays show 0, 625 (a half
// down to even), 5000 and 30000 m.
TEST(Panel2, FeetAndLoopResistanceHalvesGoToEven) {
  EXPECT_EQ(model::distance_feet(1875.0f), 6152);  // exactly 6151.5 ft in double
  EXPECT_EQ(model::distance_feet(1000.0f), 3281);
  // 500 m: 68.49999726..., the single-precision factor keeps it below the half.
  EXPECT_EQ(model::loop_resistance_ohm(500.0f, 0.137f), 68);
  EXPECT_EQ(model::loop_resistance_ohm(1000.0f, 0.137f), 137);
  EXPECT_EQ(model::loop_resistance_ohm(5, 0.5f), 2);
  EXPECT_EQ(model::loop_resistance_ohm(7, 0.5f), 4);
}

TEST(RoundHalfEven, HalvesAndLimits) {
  const std::pair<double, std::int64_t> cases[] = {
      {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.5000001, 3}, {2251799813685249.5, 2251799813685250},  // 2^51 + 1.5
      {-2251799813685248.5, -2251799813685248}, {std::nan(""), 0}, {1e300, INT64_MAX}, {-1e300, INT64_MIN}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(model::round_half_even(value), rounded) << value;
}

}  // namespace
