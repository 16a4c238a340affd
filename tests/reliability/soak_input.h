// What the soak tests feed the program: splitmix64 (the same everywhere) and
// the texts a user might type or paste into the number fields.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace soak {

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform enough in 0..n-1.
  int below(std::size_t n) { return static_cast<int>(next() % n); }

 private:
  std::uint64_t state_;
};

// Numbers in every notation the fields read, signs, blanks, junk, and now and
// then a long run or a stray byte.
inline std::string random_paste(Random& random) {
  static constexpr std::array<std::string_view, 14> kPieces = {
      "0", "17", "238", "239", "30000", "45000", "$EE", "%101", "-5", " \t+", "1.5", "abc",
      "\xC3\xA9", "99999999999999999999999"};
  std::string text;
  const int pieces = random.below(4);
  for (int i = 0; i < pieces; ++i) text += kPieces[static_cast<std::size_t>(random.below(kPieces.size()))];
  if (random.below(50) == 0) text.append(static_cast<std::size_t>(random.below(2000)), '7');
  if (random.below(20) == 0) text += static_cast<char>(random.below(256));
  return text;
}

// Up to six typed digits.
inline std::string random_digits(Random& random) {
  std::string digits;
  const int count = random.below(7);
  for (int i = 0; i < count; ++i) digits += static_cast<char>('0' + random.below(10));
  return digits;
}

}  // namespace soak
