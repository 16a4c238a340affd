#include "model/loop.h"

#include <algorithm>
#include <ranges>

namespace model {
namespace {

constexpr std::size_t kCableCount = kCableCatalogue.size();
using ReachRow = std::array<std::int32_t, kMaxBaserate + 1>;

// scan_row_reach of every cable at every baserate, plain and derated for the
// Pellion model: computed once (21 kB), then read by every loop.
const ReachRow& reach_row(std::size_t cable, bool pellion) {
  static const auto rows = [] {
    std::array<std::array<ReachRow, 2>, kCableCount> result{};
    for (std::size_t c = 0; c < kCableCount; ++c) {
      for (const bool derated : {false, true}) {
        const int limit = derated ? kPellionMaxBaserate : kMaxBaserate;
        for (int k = 0; k <= kMaxBaserate; ++k) {
          result[c][derated ? 1 : 0][static_cast<std::size_t>(k)] = static_cast<std::int32_t>(
              scan_row_reach(k, kCableCatalogue[c].reach_factor, kCableCatalogue[c].rate_coef, limit));
        }
      }
    }
    return result;
  }();
  return rows[cable][pellion ? 1 : 0];
}

// A loop as the computations read it: its sections within the guards, and
// the total length on each distinct cable, whose shares add up.
struct PreparedLoop {
  std::size_t section_count = 0;
  std::array<LoopSection, kMaxLoopSections> sections{};
  std::size_t cable_count = 0;
  std::array<const ReachRow*, kCableCount> rows{};       // per distinct cable
  std::array<std::uint32_t, kCableCount> lengths_m{};  // per distinct cable
};

PreparedLoop prepare(std::span<const LoopSection> sections, bool pellion) {
  PreparedLoop loop;
  loop.section_count = std::min(sections.size(), kMaxLoopSections);
  std::array<std::size_t, kCableCount> slot_of_cable;
  slot_of_cable.fill(kCableCount);
  for (std::size_t i = 0; i < loop.section_count; ++i) {
    const LoopSection section{std::min(sections[i].cable, kCableCount - 1),
                              std::clamp<std::int64_t>(sections[i].length_m, 0, kMaxLoopLengthM)};
    loop.sections[i] = section;
    std::size_t& slot = slot_of_cable[section.cable];
    if (slot == kCableCount) {
      slot = loop.cable_count++;
      loop.rows[slot] = &reach_row(section.cable, pellion);
    }
    // At most 16 sections of 100 km: below 2^21.
    loop.lengths_m[slot] += static_cast<std::uint32_t>(section.length_m);
  }
  return loop;
}

bool carries(const PreparedLoop& loop, int baserate) {
  const auto k = static_cast<std::size_t>(std::clamp(baserate, 0, kMaxBaserate));
  std::array<loop_detail::LengthOverReach, kCableCount> terms{};
  std::size_t term_count = 0;
  for (std::size_t slot = 0; slot < loop.cable_count; ++slot) {
    const std::int32_t reach = (*loop.rows[slot])[k];
    if (reach <= 0) return false;  // a cable that reaches nowhere carries nothing
    if (loop.lengths_m[slot] > 0) {
      terms[term_count++] = {loop.lengths_m[slot], static_cast<std::uint32_t>(reach)};
    }
  }
  return loop_detail::share_sum_verdict({terms.data(), term_count}).below_one;
}

// An unsigned integer of 256 bits in 32-bit limbs, lowest first: enough for
// the exact share sum (see wide_sum_below_one), portable to 32-bit targets.
class Wide {
 public:
  explicit Wide(std::uint32_t value) { limbs_[0] = value; }

  friend Wide operator*(const Wide& a, std::uint32_t factor) {
    Wide product(0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < kLimbs; ++i) {
      const std::uint64_t limb = std::uint64_t{a.limbs_[i]} * factor + carry;
      product.limbs_[i] = static_cast<std::uint32_t>(limb);
      carry = limb >> 32;
    }
    return product;
  }

  friend Wide operator+(const Wide& a, const Wide& b) {
    Wide sum(0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < kLimbs; ++i) {
      const std::uint64_t limb = std::uint64_t{a.limbs_[i]} + b.limbs_[i] + carry;
      sum.limbs_[i] = static_cast<std::uint32_t>(limb);
      carry = limb >> 32;
    }
    return sum;
  }

  friend bool operator<(const Wide& a, const Wide& b) {
    for (std::size_t i = kLimbs; i-- > 0;) {
      if (a.limbs_[i] != b.limbs_[i]) return a.limbs_[i] < b.limbs_[i];
    }
    return false;
  }

 private:
  static constexpr std::size_t kLimbs = 8;
  std::array<std::uint32_t, kLimbs> limbs_{};
};

// sum M_c / R_c < 1 as sum M_c * prod_{j != c} R_j < prod_j R_j, built one
// term at a time: n/d + M/R = (n * R + M * d) / (d * R). With at most 11
// reaches below 2^16 and lengths below 2^21, d < 2^176 and n < 2^185.
bool wide_sum_below_one(std::span<const loop_detail::LengthOverReach> terms) {
  Wide numerator(0);
  Wide denominator(1);
  for (const auto& term : terms) {
    numerator = numerator * term.reach_m + denominator * term.length_m;
    denominator = denominator * term.reach_m;
  }
  return numerator < denominator;
}

}  // namespace

namespace loop_detail {

ShareSumVerdict share_sum_verdict(std::span<const LengthOverReach> terms) {
  // Each share in 32-bit fixed point, rounded down: floor(M * 2^32 / R) is
  // below 2^53. The exact sum times 2^32, T, then lies in [floor_sum,
  // floor_sum + inexact], and below the upper end whenever inexact > 0.
  // Most loops are decided here; only a sum within 11 * 2^-32 of 1 is not.
  constexpr std::uint64_t kOne = std::uint64_t{1} << 32;
  std::uint64_t floor_sum = 0;
  std::uint64_t inexact = 0;
  for (const auto& term : terms) {
    const std::uint64_t scaled = std::uint64_t{term.length_m} << 32;
    const std::uint64_t quotient = scaled / term.reach_m;
    floor_sum += quotient;
    inexact += quotient * term.reach_m != scaled ? 1 : 0;
  }
  if (floor_sum >= kOne) return {false, false};           // T >= 1
  if (floor_sum + inexact <= kOne) return {true, false};  // T < 1 (T == floor_sum < 1 when exact)
  return {wide_sum_below_one(terms), true};
}

}  // namespace loop_detail

bool loop_carries(std::span<const LoopSection> sections, int baserate, int max_baserate) {
  const bool pellion = std::clamp(max_baserate, 0, kMaxBaserate) == kPellionMaxBaserate;
  return carries(prepare(sections, pellion), baserate);
}

namespace {

// The highest baserate up to the limit that the loop carries, 0 when none.
int highest_carried(const PreparedLoop& loop, int limit) {
  // Baserate 0 reaches nowhere, so a loop with a section never carries it.
  // From baserate 1 on, every cable's reach is positive and never grows with
  // the baserate: the reach table does not grow from 1 on, the cable
  // multiplier only fades, the Pellion derating falls with the baserate, and
  // rounding to whole metres keeps the order. Each share M / R(K) therefore
  // never falls as K grows, nor does their sum: the baserates carried are
  // 1..K*, and a binary search finds K*. (The tests check the reaches.)
  int carried = 0;  // carried, or 0
  int not_carried = limit + 1;  // not carried, or past the limit
  while (not_carried - carried > 1) {
    const int middle = carried + (not_carried - carried) / 2;
    (carries(loop, middle) ? carried : not_carried) = middle;
  }
  return carried;
}

}  // namespace

int loop_baserate(std::span<const LoopSection> sections, int max_baserate) {
  const int limit = std::clamp(max_baserate, 0, kMaxBaserate);
  return highest_carried(prepare(sections, limit == kPellionMaxBaserate), limit);
}

LoopAnswer compute_loop(std::span<const LoopSection> sections, int max_baserate) {
  const int limit = std::clamp(max_baserate, 0, kMaxBaserate);
  const bool pellion = limit == kPellionMaxBaserate;
  const PreparedLoop loop = prepare(sections, pellion);
  const int carried = highest_carried(loop, limit);

  LoopAnswer answer;
  answer.baserate = carried;
  answer.evaluated_baserate = std::max(carried, 1);
  answer.section_count = loop.section_count;
  const auto k = static_cast<std::size_t>(answer.evaluated_baserate);
  const double reference_reach = reach_row(0, pellion)[k];
  double equivalent_m = 0;
  static_assert(std::all_of(kCableCatalogue.begin(), kCableCatalogue.end(), [](const CableEntry& cable) {
    return cable.ohm_per_m >= 0x1p-7f && cable.ohm_per_m * kMaxLoopLengthM < 0x1p14f;
  }));
  // Each product of a length below 2^17 and a catalogue float (24 bits) is
  // exact in double; the catalogue's resistances are at least 2^-7 per metre,
  // so every product is a whole multiple of 2^-30, and below 2^14. Sixteen
  // of them add up below 2^18, a multiple of 2^-30 within 48 bits: every
  // partial sum is exact, in any order, and one section gives exactly
  // loop_resistance_ohm.
  double ohm = 0;
  for (std::size_t i = 0; i < loop.section_count; ++i) {
    const LoopSection& section = loop.sections[i];
    const auto length_m = static_cast<double>(section.length_m);
    // Positive at every baserate from 1 on (see above).
    const double reach = reach_row(section.cable, pellion)[k];
    equivalent_m += length_m * reference_reach / reach;
    ohm += length_m * static_cast<double>(kCableCatalogue[section.cable].ohm_per_m);
    answer.sections[i] = {section.cable, section.length_m, length_m / reach};
  }
  answer.equivalent_m = round_half_even(equivalent_m);
  answer.loop_ohm = round_half_even(ohm);
  return answer;
}

}  // namespace model
