// Digests of everything the model and the chart compute with floating-point
// functions, and the golden ones (golden/platform_digests.inc) that Linux,
// 32-bit x86, Windows and WebAssembly builds must all give, bit for bit: per
// baserate the model on every cable, the chart's values and polylines and
// (with the headless backend) its pixels; per cable the baserate lookup.
// Regenerate on Linux x86-64: ferrant_chart_tests with FERRANT_UPDATE_DIGESTS
// set to the file and --gtest_filter=PsdDrawingTest.EveryBaserateDrawsTheGoldenPixels.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "chart/psd.h"
#include "model/cable_catalogue.h"
#include "model/portable_math.h"
#include "model/reach.h"

namespace platform_digests {

// FNV-1a, 64 bits, over each value's bytes, low byte first.
class Fnv1a {
 public:
  void add(std::uint64_t value) {
    for (int byte = 0; byte < 8; ++byte) {
      hash_ = (hash_ ^ ((value >> (8 * byte)) & 0xFF)) * 0x100000001B3ULL;
    }
  }
  void add(std::int64_t value) { add(static_cast<std::uint64_t>(value)); }
  void add(int value) { add(static_cast<std::uint64_t>(static_cast<std::int64_t>(value))); }
  void add(float value) { add(static_cast<std::uint64_t>(model::portable::bit_cast<std::uint32_t>(value))); }
  void add(double value) { add(model::portable::bit_cast<std::uint64_t>(value)); }
  std::uint64_t value() const { return hash_; }

 private:
  std::uint64_t hash_ = 0xCBF29CE484222325ULL;
};

struct BaserateDigests {
  int baserate;
  std::uint64_t model;
  std::uint64_t chart_values;
  std::uint64_t chart_pixels;
};

#include "tests/chart/golden/platform_digests.inc"

inline float line_rate(int baserate) { return static_cast<float>(baserate * model::kKbpsPerBaserate); }

// The model at one baserate on every cable: the multiplier, panel 1 and the
// scan's row under every model limit.
inline std::uint64_t model_digest(int baserate) {
  Fnv1a digest;
  for (const model::CableEntry& cable : model::kCableCatalogue) {
    digest.add(model::cable_multiplier(baserate, cable.reach_factor));
    const model::Panel1Result r = model::compute_panel1(baserate, cable.reach_factor, cable.rate_coef);
    digest.add(r.distance_m);
    digest.add(r.ferrant_m);
    digest.add(r.ferrant_ft);
    digest.add(r.pellion_distance_m);
    digest.add(r.pellion_m);
    digest.add(r.pellion_ft);
    for (const model::ModemModel& modem : model::kModemModels) {
      digest.add(model::scan_row_reach(baserate, cable.reach_factor, cable.rate_coef, modem.max_baserate));
    }
  }
  return digest.value();
}

// The chart's table and every traced polyline at one baserate.
inline std::uint64_t chart_values_digest(int baserate) {
  const float rate = line_rate(baserate);
  const chart::PsdTable table = chart::psd_table(rate);
  Fnv1a digest;
  digest.add(table.scale);
  for (const int f : table.frequencies_khz) digest.add(f);
  for (const chart::PsdCurve& curve : table.curves) {
    digest.add(static_cast<int>(curve.constellation - chart::kConstellations.data()));
    for (const float value : curve.dbm_per_hz) digest.add(value);
    for (const chart::Segment& s : chart::trace_segments(rate, curve.constellation->bits_per_symbol, table.scale)) {
      for (const int coordinate : {s.x1, s.y1, s.x2, s.y2}) digest.add(coordinate);
    }
  }
  return digest.value();
}

// The baserate lookup of one cable for every distance 0..100000 m under
// every model limit.
inline std::uint64_t lookup_digest(const model::CableEntry& cable) {
  Fnv1a digest;
  for (const model::ModemModel& modem : model::kModemModels) {
    const model::BaserateLookup lookup(cable.reach_factor, cable.rate_coef, modem.max_baserate);
    for (std::int64_t d = 0; d <= model::kMaxLookupDistanceM; ++d) digest.add(lookup.possible_baserate(d));
  }
  return digest.value();
}

inline std::string hex(std::uint64_t value) {
  char text[19];
  std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace platform_digests
