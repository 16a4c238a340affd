// The mixed-cable loop against a slow exact reference. Byte 0, bit 7 clear:
// a loop of up to 16 sections (3 bytes each from byte 3 on: the cable, and a
// length up to 131071 m cut to what the 100000 m of the whole loop leave)
// under a model limit (bits 0-6: Pellion's 36, 89 or 238, or any of
// 0..248), checked at two baserates taken from bytes 1 and 2 and at the
// answer and the one above it. Bit 7 set: the share sum alone, on up to 11
// terms of 5 bytes each (a length below 2^21, a reach 1..65535).
//
// The reference adds the sections' shares M_i / R_i(K) one by one as a
// fraction of unbounded integers, never reduced, and compares it with 1.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "model/loop.h"
#include "model/reach.h"

namespace {

using model::kCableCatalogue;
using model::LoopSection;
using model::loop_detail::LengthOverReach;

// An unsigned integer of any size in 32-bit limbs, lowest first, with no
// zero limb at the top.
class BigUnsigned {
 public:
  explicit BigUnsigned(std::uint32_t value) {
    if (value != 0) limbs_.push_back(value);
  }

  BigUnsigned times(std::uint32_t factor) const {
    BigUnsigned product(0);
    std::uint64_t carry = 0;
    for (const std::uint32_t limb : limbs_) {
      const std::uint64_t wide = std::uint64_t{limb} * factor + carry;
      product.limbs_.push_back(static_cast<std::uint32_t>(wide));
      carry = wide >> 32;
    }
    product.limbs_.push_back(static_cast<std::uint32_t>(carry));
    product.trim();
    return product;
  }

  BigUnsigned plus(const BigUnsigned& other) const {
    BigUnsigned sum(0);
    std::uint64_t carry = 0;
    for (std::size_t i = 0; i < std::max(limbs_.size(), other.limbs_.size()); ++i) {
      const std::uint64_t wide = std::uint64_t{limb(i)} + other.limb(i) + carry;
      sum.limbs_.push_back(static_cast<std::uint32_t>(wide));
      carry = wide >> 32;
    }
    sum.limbs_.push_back(static_cast<std::uint32_t>(carry));
    sum.trim();
    return sum;
  }

  bool less_than(const BigUnsigned& other) const {
    if (limbs_.size() != other.limbs_.size()) return limbs_.size() < other.limbs_.size();
    for (std::size_t i = limbs_.size(); i-- > 0;) {
      if (limbs_[i] != other.limbs_[i]) return limbs_[i] < other.limbs_[i];
    }
    return false;
  }

 private:
  std::uint32_t limb(std::size_t i) const { return i < limbs_.size() ? limbs_[i] : 0; }
  void trim() {
    while (!limbs_.empty() && limbs_.back() == 0) limbs_.pop_back();
  }

  std::vector<std::uint32_t> limbs_;
};

// numerator / denominator, built one share at a time: n/d + M/R = (n R + M d) / (d R).
class ExactSum {
 public:
  void add(std::uint32_t length, std::uint32_t reach) {
    numerator_ = numerator_.times(reach).plus(denominator_.times(length));
    denominator_ = denominator_.times(reach);
  }
  bool below_one() const { return numerator_.less_than(denominator_); }

 private:
  BigUnsigned numerator_{0};
  BigUnsigned denominator_{1};
};

bool reference_carries(std::span<const LoopSection> loop, int baserate, int limit) {
  ExactSum sum;
  for (const LoopSection& section : loop) {
    const model::CableEntry& cable = kCableCatalogue[section.cable];
    const std::int64_t reach = model::scan_row_reach(baserate, cable.reach_factor, cable.rate_coef, limit);
    if (reach <= 0) return false;  // a cable that reaches nowhere carries nothing, whatever its length
    sum.add(static_cast<std::uint32_t>(section.length_m), static_cast<std::uint32_t>(reach));
  }
  return sum.below_one();
}

// The loop's resistance from exact sums: every catalogue resistance is a
// whole multiple of 2^-30 ohm per metre, so the sum is a whole number of
// those units, rounded to ohms half to even.
std::int64_t exact_loop_ohm(std::span<const LoopSection> loop) {
  constexpr int kFractionBits = 30;
  std::uint64_t units = 0;
  for (const LoopSection& section : loop) {
    const double per_m = std::ldexp(static_cast<double>(kCableCatalogue[section.cable].ohm_per_m), kFractionBits);
    fuzz::check(per_m == std::floor(per_m) && per_m < 0x1p32, "resistance a whole number of 2^-30 ohm");
    units += static_cast<std::uint64_t>(per_m) * static_cast<std::uint64_t>(section.length_m);
  }
  constexpr std::uint64_t kHalf = std::uint64_t{1} << (kFractionBits - 1);
  std::uint64_t ohm = units >> kFractionBits;
  const std::uint64_t rest = units & ((std::uint64_t{1} << kFractionBits) - 1);
  if (rest > kHalf || (rest == kHalf && ohm % 2 == 1)) ++ohm;
  return static_cast<std::int64_t>(ohm);
}

int limit_from(std::uint8_t choice) {
  constexpr std::array<int, 3> kModelLimits = {model::kPellionMaxBaserate, 89, model::kMaxBaserate};
  return choice < 96 ? kModelLimits[choice % 3] : (choice - 96) * 8;
}

void check_loop(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return;
  const int limit = limit_from(data[0] & 0x7F);
  const int clamped_limit = std::clamp(limit, 0, model::kMaxBaserate);
  const std::array<int, 2> chosen = {data[1] % (model::kMaxBaserate + 2), data[2] % (model::kMaxBaserate + 2)};

  std::vector<LoopSection> loop;
  std::int64_t total_m = 0;
  for (std::size_t pos = 3; pos + 3 <= size && loop.size() < model::kMaxLoopSections; pos += 3) {
    const std::size_t cable = data[pos] % kCableCatalogue.size();
    const bool above_65535 = data[pos] / kCableCatalogue.size() % 2 == 1;
    const std::int64_t wanted = (above_65535 ? 0x10000 : 0) | data[pos + 1] << 8 | data[pos + 2];
    const std::int64_t length = std::min(wanted, model::kMaxLoopLengthM - total_m);
    loop.push_back({cable, length});
    total_m += length;
  }

  // K above 238 is read as 238, as loop_carries reads it.
  for (const int k : chosen) {
    fuzz::check(model::loop_carries(loop, k, limit) ==
                    reference_carries(loop, std::min(k, model::kMaxBaserate), clamped_limit),
                "loop_carries as the exact sum", "baserate " + std::to_string(k));
  }

  const model::LoopAnswer answer = model::compute_loop(loop, limit);
  const int highest = answer.baserate;
  const std::string at = "answer " + std::to_string(highest);
  fuzz::check(highest >= 0 && highest <= clamped_limit, "answer within the limit", at);
  fuzz::check(highest == 0 || reference_carries(loop, highest, clamped_limit), "the answer is carried", at);
  if (highest < clamped_limit) {
    fuzz::check(!reference_carries(loop, highest + 1, clamped_limit), "the baserate above the answer is not carried",
                at);
  }
  // The binary search rests on the baserates carried being 1..answer (and
  // 0 too for a loop of no sections).
  for (int k = 0; k <= clamped_limit; ++k) {
    const bool carried = k <= highest && (k > 0 || loop.empty());
    fuzz::check(model::loop_carries(loop, k, limit) == carried, "carried exactly up to the answer",
                at + ", baserate " + std::to_string(k));
  }

  fuzz::check(answer.evaluated_baserate == std::max(highest, 1), "evaluated at the answer, or at 1", at);
  fuzz::check(answer.section_count == loop.size(), "every section answered");
  for (std::size_t i = 0; i < loop.size(); ++i) {
    const model::LoopSectionShare& share = answer.sections[i];
    const model::CableEntry& cable = kCableCatalogue[loop[i].cable];
    const auto reach = static_cast<double>(
        model::scan_row_reach(answer.evaluated_baserate, cable.reach_factor, cable.rate_coef, clamped_limit));
    fuzz::check(share.cable == loop[i].cable && share.length_m == loop[i].length_m, "a section as given");
    fuzz::check(share.share == static_cast<double>(loop[i].length_m) / reach, "a section's share",
                "section " + std::to_string(i));
  }
  fuzz::check(answer.loop_ohm == exact_loop_ohm(loop), "loop resistance as the exact sum",
              std::to_string(answer.loop_ohm) + " vs " + std::to_string(exact_loop_ohm(loop)));
}

void check_share_sum(const std::uint8_t* data, std::size_t size) {
  std::vector<LengthOverReach> terms;
  ExactSum sum;
  for (std::size_t pos = 1; pos + 5 <= size && terms.size() < kCableCatalogue.size(); pos += 5) {
    const auto length = static_cast<std::uint32_t>(data[pos] | data[pos + 1] << 8 | (data[pos + 2] & 0x1F) << 16);
    const auto reach = static_cast<std::uint32_t>(1 + (data[pos + 3] | data[pos + 4] << 8) % 65535);
    terms.push_back({length, reach});
    sum.add(length, reach);
  }
  fuzz::check(model::loop_detail::share_sum_verdict(terms).below_one == sum.below_one(), "share sum below 1 exactly");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  if ((data[0] & 0x80) == 0) {
    check_loop(data, size);
  } else {
    check_share_sum(data, size);
  }
  return 0;
}
