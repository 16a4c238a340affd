// The reach model: distances reached for a baserate on a cable, the highest
// baserate that still reaches a distance, and the loop resistance of one
// conductor. Pure functions of their inputs; the program and ferrant-reach
// both answer through them.
#pragma once

#include <cstdint>
#include <string>

namespace model {

inline constexpr int kMaxBaserate = 238;
inline constexpr int kMaxDistanceM = 30000;
inline constexpr int kKbpsPerBaserate = 64;
inline constexpr double kFeetPerMetre = 3.2808;
// The model limit that marks the Pellion model in the baserate scan.
inline constexpr int kPellionMaxBaserate = 36;

// 1 + (rf - 1) * 2.71^(-min(K, 90)/50), as rf - excess with the excess
// rounded to a 32-bit float (the form the Ferrant distance and the scan use).
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
// Out-of-range baserates are the caller's to prevent (asserted).
Panel1Result compute_panel1(int baserate, float reach_factor, float rate_coef);

// Panel 2: the highest baserate K in 0..max_baserate whose whole-metre reach
// is strictly greater than round(target_distance_m); 0 when none.
// max_baserate must lie in 0..238.
int scan_possible_baserate(float target_distance_m, float reach_factor,
                           float rate_coef, int max_baserate);

// Resistance of one conductor over a distance, to the nearest whole ohm
// (halves to even), and its label text ("137 Ohm").
std::int64_t loop_resistance_ohm(float distance_m, float ohm_per_m);
std::string loop_resistance_text(float distance_m, float ohm_per_m);

// Round to the nearest integer, an exact half to the even one.
std::int64_t round_half_even(double value);

}  // namespace model
