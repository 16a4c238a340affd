// A copper loop of several sections, each on its own cable: the highest
// baserate the whole loop carries, its length in 0.4 mm cable at that
// baserate, its resistance, and each section's share of the reach.
//
// Section i, M_i metres on cable c_i, uses the share M_i / R_i(K) of the
// loop's budget at baserate K, where R_i(K) is scan_row_reach of that cable
// at K (derated for the Pellion model when the model limit is 36). The loop
// carries K when every section's cable reaches some distance at K and the
// shares add up to strictly less than 1, decided exactly in integers. One
// section of M metres gives scan_possible_baserate(M) exactly.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "model/cable_catalogue.h"
#include "model/reach.h"

namespace model {

inline constexpr std::size_t kMaxLoopSections = 16;
// The longest section, and the longest loop, the callers accept.
inline constexpr std::int64_t kMaxLoopLengthM = kMaxLookupDistanceM;

struct LoopSection {
  std::size_t cable = 0;      // index into kCableCatalogue
  std::int64_t length_m = 0;  // whole metres
};

struct LoopSectionShare {
  std::size_t cable = 0;
  std::int64_t length_m = 0;
  double share = 0;  // length_m / reach at the evaluated baserate
};

struct LoopAnswer {
  int baserate = 0;  // highest baserate the loop carries; 0 when none
  // The baserate the length, shares and equivalent length are taken at: the
  // answer, or 1 when the answer is 0 (baserate 0 reaches nowhere), so that
  // a loop too long for any baserate still shows how far over budget it is.
  int evaluated_baserate = 1;
  // The loop as a length of 0.4 mm cable: sum of M_i * R_0.4 / R_i at the
  // evaluated baserate, in double in section order, rounded half to even.
  std::int64_t equivalent_m = 0;
  // Resistance of one conductor over the whole loop, whole ohms, half to even.
  std::int64_t loop_ohm = 0;
  std::size_t section_count = 0;
  std::array<LoopSectionShare, kMaxLoopSections> sections{};

  std::span<const LoopSectionShare> section_shares() const { return {sections.data(), section_count}; }
};

// The caller validates a loop (at most kMaxLoopSections sections, cables in
// the catalogue, lengths 0..kMaxLoopLengthM adding up to at most
// kMaxLoopLengthM). As a guard, both functions below read only the first
// kMaxLoopSections sections, clamp each length into 0..kMaxLoopLengthM and a
// cable index into the catalogue, so no input overflows or reads outside a
// table. A max_baserate outside 0..238 is clamped into it (36 is Pellion).

// Whether the loop carries baserate K (clamped into 0..238), exactly.
bool loop_carries(std::span<const LoopSection> sections, int baserate, int max_baserate);

// The highest baserate in 0..max_baserate the loop carries (0 when none),
// alone: what a batch row needs.
int loop_baserate(std::span<const LoopSection> sections, int max_baserate);

// That baserate with the equivalent length, resistance and shares. No heap
// allocation.
LoopAnswer compute_loop(std::span<const LoopSection> sections, int max_baserate);

// The exact decision under loop_carries, exposed for its tests.
namespace loop_detail {

// A cable's total length in the loop over its reach at one baserate. Lengths
// below 2^21 (16 sections of 100 km), reaches 1..65535 (every catalogue
// reach is below 50 km).
struct LengthOverReach {
  std::uint32_t length_m;
  std::uint32_t reach_m;
};

struct ShareSumVerdict {
  bool below_one;
  bool needed_wide_comparison;  // the 32-bit fraction filter could not decide
};

// Whether sum length_m / reach_m over at most kCableCatalogue.size() terms
// is strictly below 1.
ShareSumVerdict share_sum_verdict(std::span<const LengthOverReach> terms);

}  // namespace loop_detail
}  // namespace model
