#include "chart/psd.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/text_conv.h"
#include "model/portable_math.h"
#include "model/reach.h"

namespace chart {
namespace {

namespace portable = model::portable;

constexpr float kPi = 3.141592f;          // the chart's own pi, short on purpose
constexpr float kPsdConstant = 7.86f;     // K of the main lobe
constexpr double kFloorMwPerHz = 5.683e-5 * 1000.0;
constexpr float kFloorExponent = -1.5f;
constexpr float kLowPassOrder = 12.0f;
constexpr double kHighPassCornerKhzSquared = 25.0;  // 5 kHz corner
constexpr int kStepKhz = 10;
constexpr int kMaxFrequencyKhz = 3000;                // at scale 1

}  // namespace

int chart_scale(float line_rate_kbps) {
  if (line_rate_kbps <= 512.0f) return 4;
  if (line_rate_kbps <= 2048.0f) return 2;
  return 1;
}

bool is_traced(const Constellation& constellation, float line_rate_kbps) {
  return line_rate_kbps >= static_cast<float>(constellation.min_kbps) &&
         line_rate_kbps <= static_cast<float>(constellation.max_kbps);
}

float symbol_rate(float line_rate_kbps, int bits_per_symbol) {
  return static_cast<float>((static_cast<double>(line_rate_kbps) + 8.0) / bits_per_symbol);
}

float main_depth(int frequency_khz, float symbol_rate_kbaud) {
  const double f = frequency_khz;
  const double rate = symbol_rate_kbaud;
  const double x = f * static_cast<double>(kPi) / rate;
  const double sinc = portable::sin(x) / x;
  const float low_pass_ratio = static_cast<float>(2.0 * f / rate);
  const float low_pass_power = portable::powf(low_pass_ratio, kLowPassOrder);
  const double low_pass = 1.0 / (1.0 + static_cast<double>(low_pass_power));
  const double high_pass = f * f / (f * f + kHighPassCornerKhzSquared);
  const double power = static_cast<double>(kPsdConstant) / 135.0 * (1.0 / rate) *
                       (sinc * sinc) * low_pass * high_pass;
  // log10 of zero is -infinity: a main lobe without power is infinitely deep.
  const float log_power = portable::log10f(static_cast<float>(power));
  return static_cast<float>(-10.0 * static_cast<double>(log_power));
}

float floor_depth(int frequency_khz) {
  const float frequency_hz = static_cast<float>(1000.0 * frequency_khz);
  const float falloff = portable::powf(frequency_hz, kFloorExponent);
  const float log_power =
      portable::log10f(static_cast<float>(kFloorMwPerHz * static_cast<double>(falloff)));
  return static_cast<float>(-10.0 * static_cast<double>(log_power));
}

namespace {

// The floor at every traced frequency, the same for every curve and call.
float traced_floor_depth(int frequency_khz) {
  static const std::array<float, kMaxFrequencyKhz / kStepKhz + 1> kFloorDepths = [] {
    std::array<float, kMaxFrequencyKhz / kStepKhz + 1> depths{};
    for (std::size_t i = 0; i < depths.size(); ++i) {
      depths[i] = floor_depth(static_cast<int>(i) * kStepKhz);
    }
    return depths;
  }();
  if (frequency_khz >= 0 && frequency_khz <= kMaxFrequencyKhz && frequency_khz % kStepKhz == 0) {
    return kFloorDepths[static_cast<std::size_t>(frequency_khz / kStepKhz)];
  }
  return floor_depth(frequency_khz);
}

}  // namespace

float psd_depth(int frequency_khz, float symbol_rate_kbaud) {
  return std::min(main_depth(frequency_khz, symbol_rate_kbaud), traced_floor_depth(frequency_khz));
}

int nearest(double value) { return static_cast<int>(model::round_half_even(value)); }

int depth_row(double depth) { return nearest(2.5 * depth - 5.0); }

std::vector<Segment> trace_segments(float line_rate_kbps, int bits_per_symbol, int scale) {
  const float rate = symbol_rate(line_rate_kbps, bits_per_symbol);
  const int last_khz = kMaxFrequencyKhz / scale;
  std::vector<Segment> segments;
  segments.reserve(static_cast<std::size_t>(last_khz / kStepKhz));
  int previous_depth = 0;
  for (int f = kStepKhz; f <= last_khz; f += kStepKhz) {
    const float depth = psd_depth(f, rate);
    if (f == kStepKhz) previous_depth = nearest(depth);
    const int x2 = kOriginX + (f / kStepKhz) * scale;
    segments.push_back({x2 - scale, depth_row(previous_depth), x2, depth_row(depth)});
    previous_depth = nearest(depth);
  }
  return segments;
}

std::vector<TextItem> frequency_labels(int scale) {
  constexpr int kMajorLines = 16;
  constexpr int kMajorSpacing = 20;
  std::vector<TextItem> labels;
  for (int j = 0; j < kMajorLines; ++j) {
    // One major spacing is 200 kHz / scale; labels count in 100 kHz and
    // stand only where that is a whole number.
    if ((2 * j) % scale != 0) continue;
    std::string text = base::format_int(2 * j / scale);
    const int line_x = kOriginX + kMajorSpacing * j;
    const int x = line_x - (text.size() == 1 ? 4 : 8);
    labels.push_back({x, kFrequencyLabelY, std::move(text)});
  }
  return labels;
}

std::vector<TextItem> axis_texts(int scale) {
  std::vector<TextItem> texts;
  texts.push_back({kUnitCaptionX, kUnitCaptionY, std::string(kUnitCaption)});
  for (const LevelLabel& label : kLevelLabels) texts.push_back({kLevelLabelX, label.y, std::string(label.text)});
  texts.push_back({kAxisCaptionX, kAxisCaptionY, std::string(kAxisCaption)});
  for (TextItem& label : frequency_labels(scale)) texts.push_back(std::move(label));
  return texts;
}

PsdTable psd_table(float line_rate_kbps) {
  PsdTable table;
  table.scale = chart_scale(line_rate_kbps);
  for (int f = kStepKhz; f <= kMaxFrequencyKhz / table.scale; f += kStepKhz) table.frequencies_khz.push_back(f);
  for (const Constellation& constellation : kConstellations) {
    if (!is_traced(constellation, line_rate_kbps)) continue;
    const float rate = symbol_rate(line_rate_kbps, constellation.bits_per_symbol);
    PsdCurve curve{&constellation, {}};
    curve.dbm_per_hz.reserve(table.frequencies_khz.size());
    for (const int f : table.frequencies_khz) curve.dbm_per_hz.push_back(-psd_depth(f, rate));
    table.curves.push_back(std::move(curve));
  }
  return table;
}

std::string chart_description(float line_rate_kbps) {
  std::string text = "Transmit PSD for baserate ";
  text += base::format_int(nearest(line_rate_kbps / model::kKbpsPerBaserate));
  text += ": ";
  bool any = false;
  for (const Constellation& constellation : kConstellations) {
    if (!is_traced(constellation, line_rate_kbps)) continue;
    if (any) text += ", ";
    text += constellation.legend;
    any = true;
  }
  if (!any) text += "no constellation";
  // The axis ends at 3000 / scale kHz: 3, 1.5 or 0.75 MHz.
  const int end_khz = 3000 / chart_scale(line_rate_kbps);
  std::string megahertz = base::format_int(end_khz / 1000);
  if (end_khz % 1000 != 0) {
    std::string fraction = base::format_int(1000 + end_khz % 1000).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    megahertz += "." + fraction;
  }
  text += ", 0 to " + megahertz + " MHz";
  return text;
}

}  // namespace chart
