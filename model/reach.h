// The reach model: distances reached for a baserate on a cable, the highest
// baserate that still reaches a distance, and the loop resistance of one
// conductor. Pure functions of their inputs; the program and ferrant-reach
// both answer through them.
//
// Numbers: named values are 32-bit floats, arithmetic in between is double,
// and every conversion to a whole number rounds to nearest, halves to even.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "model/cable_catalogue.h"
#include "model/reach_table.h"

namespace model {

inline constexpr int kMaxBaserate = 238;
inline constexpr int kMaxDistanceM = 30000;  // the window's distance field
// The longest distance, and the longest loop, the command line answers for.
inline constexpr int kMaxLookupDistanceM = 100000;
inline constexpr int kKbpsPerBaserate = 64;
inline constexpr double kFeetPerMetre = 3.2808;
// The model limit that marks the Pellion model in the baserate scan.
inline constexpr int kPellionMaxBaserate = 36;

// 1 + (rf - 1) * 2.71^(-min(K, 90)/50), as rf - excess with the excess
// rounded to a 32-bit float (the form the Ferrant distance and the scan use).
// A negative baserate counts as 0.
double cable_multiplier(int baserate, float reach_factor);

struct Panel1Result {
  float distance_m = 0;          // Ferrant reach, 32-bit float
  std::int64_t ferrant_m = 0;    // whole metres shown
  std::int64_t ferrant_ft = 0;   // whole feet shown
  float pellion_distance_m = 0;  // 0 above baserate 36
  std::int64_t pellion_m = 0;
  std::int64_t pellion_ft = 0;
};

// Panel 1: the Ferrant and Pellion reach of a baserate 0..238 on a cable.
// The caller keeps the baserate in range; as a guard, a baserate outside
// 0..238 is clamped into it, so no input reads outside the table.
Panel1Result compute_panel1(int baserate, float reach_factor, float rate_coef);

// Panel 2, one row of the scan: the whole-metre reach of baserate K (0..238)
// on a cable, derated for the Pellion model when max_baserate is 36 and
// K <= 36. K outside 0..238 is clamped into it.
std::int64_t scan_row_reach(int baserate, float reach_factor, float rate_coef,
                            int max_baserate);

// Panel 2: the highest baserate K in 0..max_baserate whose whole-metre reach
// is strictly greater than round(target_distance_m); 0 when none. Every K up
// to the limit is visited. A max_baserate outside 0..238 is clamped into it.
int scan_possible_baserate(float target_distance_m, float reach_factor,
                           float rate_coef, int max_baserate);

// The answers of scan_possible_baserate for one cable and model limit,
// precomputed for every whole distance 0..kMaxLookupDistanceM (100 kB), for
// callers that answer many distances; other distances fall back to the scan.
class BaserateLookup {
 public:
  BaserateLookup(float reach_factor, float rate_coef, int max_baserate);
  int possible_baserate(std::int64_t target_distance_m) const;

 private:
  float reach_factor_;
  float rate_coef_;
  int max_baserate_;
  std::vector<std::uint8_t> answers_;  // index: target distance in metres
};

// Whole feet of a distance in metres (metres * 3.2808 in double precision).
std::int64_t distance_feet(float distance_m);

// Resistance of one conductor over a distance, to the nearest whole ohm
// (halves to even), and its label text ("137 Ohm").
std::int64_t loop_resistance_ohm(float distance_m, float ohm_per_m);
std::string loop_resistance_text(float distance_m, float ohm_per_m);

// Round to the nearest integer, an exact half to the even one. NaN gives 0;
// values beyond the 64-bit range saturate.
inline std::int64_t round_half_even(double value) {
  // Below 2^51 in magnitude, adding and taking away 1.5 * 2^52 leaves the
  // value rounded to an integer by the addition itself, which rounds to
  // nearest, halves to even (the default rounding mode, which the program
  // never changes; double arithmetic in SSE registers, no contraction, no
  // fast-math). Inline and cheaper than nearbyint: the scan rounds 239 times.
  constexpr double kTwoPow51 = 2251799813685248.0;
  constexpr double kRoundingShift = 6755399441055744.0;  // 1.5 * 2^52
  if (value > -kTwoPow51 && value < kTwoPow51) {
    return static_cast<std::int64_t>((value + kRoundingShift) - kRoundingShift);
  }
  // Larger magnitudes: nearbyint, in the same default rounding mode.
  const double rounded = std::nearbyint(value);
  constexpr double kTwoPow63 = 9223372036854775808.0;
  if (rounded >= kTwoPow63) return std::numeric_limits<std::int64_t>::max();
  if (rounded < -kTwoPow63) return std::numeric_limits<std::int64_t>::min();
  if (rounded == rounded) return static_cast<std::int64_t>(rounded);
  return 0;  // NaN
}

}  // namespace model
