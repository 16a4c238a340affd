// The reach model: distances reached for a baserate on a cable, the highest
// baserate that still reaches a distance, and the loop resistance of one
// conductor. Pure functions of their inputs; the program and ferrant-reach
// both answer through them.
//
// Numbers: named values are 32-bit floats, arithmetic in between is double,
// and every conversion to a whole number rounds to nearest, halves to even.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
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

// The multiplier stops fading at this baserate.
inline constexpr int kFadeEndBaserate = 90;

// 2.71^e for e = -k/50, k = 0..90: base and exponent as 32-bit floats, the
// power rounded to a 32-bit float. Exact constants, so that no platform's
// pow enters the model; they are powf(2.71f, float(-k / 50.0)) as glibc's
// powf and portable::powf give them (the model's tests compute them again
// with both).
inline constexpr std::array<float, kFadeEndBaserate + 1> kFadingPowers{
    0x1p+0f,       0x1.f5e47p-1f,  0x1.ebfbf8p-1f, 0x1.e2459p-1f,  0x1.d8c03ep-1f, 0x1.cf6b0cp-1f, 0x1.c64502p-1f,
    0x1.bd4d36p-1f, 0x1.b482bcp-1f, 0x1.abe4bp-1f,  0x1.a3723p-1f,  0x1.9b2a62p-1f, 0x1.930c6cp-1f, 0x1.8b177cp-1f,
    0x1.834ac2p-1f, 0x1.7ba574p-1f, 0x1.7426cap-1f, 0x1.6ccep-1f,   0x1.659a56p-1f, 0x1.5e8b14p-1f, 0x1.579f7ep-1f,
    0x1.50d6e2p-1f, 0x1.4a308ep-1f, 0x1.43abd4p-1f, 0x1.3d480ep-1f, 0x1.370492p-1f, 0x1.30e0bep-1f, 0x1.2adbfp-1f,
    0x1.24f58ep-1f, 0x1.1f2cfep-1f, 0x1.1981a8p-1f, 0x1.13f2f8p-1f, 0x1.0e806p-1f,  0x1.09294ep-1f, 0x1.03ed3ap-1f,
    0x1.fd9736p-2f, 0x1.f387d2p-2f, 0x1.e9ab48p-2f, 0x1.e00096p-2f, 0x1.d686bcp-2f, 0x1.cd3cc6p-2f, 0x1.c421c4p-2f,
    0x1.bb34c4p-2f, 0x1.b274ep-2f,  0x1.a9e136p-2f, 0x1.a178e4p-2f, 0x1.993b0ep-2f, 0x1.9126ep-2f,  0x1.893b88p-2f,
    0x1.817832p-2f, 0x1.79dc1ap-2f, 0x1.726678p-2f, 0x1.6b1688p-2f, 0x1.63eb8cp-2f, 0x1.5ce4c8p-2f, 0x1.560188p-2f,
    0x1.4f411ap-2f, 0x1.48a2c8p-2f, 0x1.4225eap-2f, 0x1.3bc9d6p-2f, 0x1.358de4p-2f, 0x1.2f7176p-2f, 0x1.2973eap-2f,
    0x1.2394a4p-2f, 0x1.1dd30ap-2f, 0x1.182e8ap-2f, 0x1.12a68ap-2f, 0x1.0d3a82p-2f, 0x1.07e9ep-2f,  0x1.02b41ap-2f,
    0x1.fb3152p-3f, 0x1.f12e0ep-3f, 0x1.e75d62p-3f, 0x1.ddbe54p-3f, 0x1.d44fe6p-3f, 0x1.cb1122p-3f, 0x1.c20118p-3f,
    0x1.b91edap-3f, 0x1.b06982p-3f, 0x1.a7e02ap-3f, 0x1.9f81f8p-3f, 0x1.974e12p-3f, 0x1.8f43ap-3f,  0x1.8761dp-3f,
    0x1.7fa7d6p-3f, 0x1.7814e6p-3f, 0x1.70a84p-3f,  0x1.69612p-3f,  0x1.623ec6p-3f, 0x1.5b407cp-3f, 0x1.546588p-3f,
};

// 1 + (rf - 1) * kFadingPowers[min(K, 90)], as rf - excess with the excess
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
// (halves to even).
std::int64_t loop_resistance_ohm(float distance_m, float ohm_per_m);

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
