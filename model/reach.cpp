#include "model/reach.h"

#include <algorithm>
#include <limits>

namespace model {
namespace {

int clamp_baserate(int baserate) { return std::clamp(baserate, 0, kMaxBaserate); }

double fading_power(int baserate) {
  return kFadingPowers[static_cast<std::size_t>(std::clamp(baserate, 0, kFadeEndBaserate))];
}

double table_reach(int baserate) {
  return kReachTable[static_cast<std::size_t>(clamp_baserate(baserate))];
}

// rf - excess, with the excess (rf - 1) - (rf - 1) * p rounded to a float.
double multiplier_from_power(double p, float reach_factor) {
  const double rf_minus_1 = static_cast<double>(reach_factor) - 1.0;
  const auto excess = static_cast<float>(rf_minus_1 - rf_minus_1 * p);
  return static_cast<double>(reach_factor) - static_cast<double>(excess);
}

// One row of the scan from the baserate's multiplier: whole metres, derated
// from the rounded value for the Pellion model.
inline std::int64_t row_reach(int baserate, double multiplier, float rate_coef, bool pellion) {
  std::int64_t reach = round_half_even(multiplier * table_reach(baserate));
  if (pellion && baserate <= kPellionMaxBaserate) {
    const double derating = 1.0 - (static_cast<double>(rate_coef) / kPellionMaxBaserate) * baserate;
    reach = round_half_even(derating * static_cast<double>(reach));
  }
  return reach;
}

}  // namespace

double cable_multiplier(int baserate, float reach_factor) {
  return multiplier_from_power(fading_power(baserate), reach_factor);
}

Panel1Result compute_panel1(int baserate, float reach_factor, float rate_coef) {
  const int b = clamp_baserate(baserate);
  const double reach = table_reach(b);
  const double multiplier = cable_multiplier(b, reach_factor);

  Panel1Result result;
  result.distance_m = static_cast<float>(multiplier * reach);
  result.ferrant_m = round_half_even(result.distance_m);
  // The feet come from the multiplier again, in this order of products, not
  // from the stored distance: the shown values depend on it.
  result.ferrant_ft = round_half_even((multiplier * kFeetPerMetre) * reach);

  if (b <= kPellionMaxBaserate) {
    // The Pellion distance uses the multiplier with its excess unrounded.
    const double rf = reach_factor;
    const double p = fading_power(b);
    const double unrounded_multiplier = rf - ((rf - 1.0) - (rf - 1.0) * p);
    const double derating = 1.0 - (static_cast<double>(rate_coef) / kPellionMaxBaserate) * b;
    result.pellion_distance_m = static_cast<float>(derating * unrounded_multiplier * reach);
  }
  result.pellion_m = round_half_even(result.pellion_distance_m);
  result.pellion_ft = round_half_even(static_cast<double>(result.pellion_distance_m) * kFeetPerMetre);
  return result;
}

std::int64_t scan_row_reach(int baserate, float reach_factor, float rate_coef,
                            int max_baserate) {
  const int k = clamp_baserate(baserate);
  return row_reach(k, cable_multiplier(k, reach_factor), rate_coef, max_baserate == kPellionMaxBaserate);
}

int scan_possible_baserate(float target_distance_m, float reach_factor,
                           float rate_coef, int max_baserate) {
  const int limit = clamp_baserate(max_baserate);
  const bool pellion = limit == kPellionMaxBaserate;
  const std::int64_t target = round_half_even(target_distance_m);
  int possible_baserate = 0;
  double multiplier = 0;
  // Visits every baserate up to the limit; the last one that passes wins.
  for (int k = 0; k <= limit; ++k) {
    // The multiplier stays the same from the end of the fade on.
    if (k <= kFadeEndBaserate) multiplier = cable_multiplier(k, reach_factor);
    if (row_reach(k, multiplier, rate_coef, pellion) > target) possible_baserate = k;
  }
  return possible_baserate;
}

BaserateLookup::BaserateLookup(float reach_factor, float rate_coef, int max_baserate)
    : reach_factor_(reach_factor),
      rate_coef_(rate_coef),
      max_baserate_(clamp_baserate(max_baserate)),
      answers_(kMaxLookupDistanceM + 1, 0) {
  // highest[v]: the highest baserate whose row reach is v metres; the last
  // slot gathers every reach beyond the longest distance answered here.
  constexpr std::size_t kBeyond = kMaxLookupDistanceM + 1;
  std::vector<int> highest(kBeyond + 1, 0);
  for (int k = 0; k <= max_baserate_; ++k) {
    const std::int64_t reach = scan_row_reach(k, reach_factor_, rate_coef_, max_baserate_);
    if (reach <= 0) continue;  // exceeds no distance of 0 or more
    const auto slot = static_cast<std::size_t>(std::min<std::int64_t>(reach, kBeyond));
    highest[slot] = std::max(highest[slot], k);
  }
  // The answer for distance t is the highest baserate among reaches > t.
  int best = highest[kBeyond];
  for (std::size_t t = kMaxLookupDistanceM + 1; t-- > 0;) {
    best = std::max(best, highest[t + 1]);
    answers_[t] = static_cast<std::uint8_t>(best);
  }
}

int BaserateLookup::possible_baserate(std::int64_t target_distance_m) const {
  if (target_distance_m >= 0 && target_distance_m <= kMaxLookupDistanceM) {
    return answers_[static_cast<std::size_t>(target_distance_m)];
  }
  return scan_possible_baserate(static_cast<float>(target_distance_m), reach_factor_,
                                rate_coef_, max_baserate_);
}

std::int64_t distance_feet(float distance_m) {
  return round_half_even(static_cast<double>(distance_m) * kFeetPerMetre);
}

std::int64_t loop_resistance_ohm(float distance_m, float ohm_per_m) {
  // The product of two floats is exact in double precision.
  return round_half_even(static_cast<double>(distance_m) * static_cast<double>(ohm_per_m));
}

}  // namespace model
