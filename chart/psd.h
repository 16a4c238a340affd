// The power-spectral-density chart in the right part of panel 1: for the
// entered line rate, the transmit PSD of every PAM constellation whose rate
// range contains it, over a grid of dBm/Hz against frequency.
//
// The arithmetic is split into pure functions (scale, constellations traced,
// depth at a frequency, segment end points, labels) so that it can be checked
// without a window; draw_psd_chart only hands their results to the toolkit.
//
// Precision: the symbol rate, the main and floor depths and the argument and
// result of every power and logarithm are 32-bit floats; everything else is
// carried in double. Pixels and whole dB are rounded half to even. Powers,
// logarithms and sines come from model/portable_math.h, never the C library,
// so every platform draws the same chart from the same numbers.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "base/colour.h"

namespace chart {

struct Constellation {
  std::string_view legend;
  int min_kbps;         // traced from this line rate ...
  int max_kbps;         // ... up to this one, both inclusive
  int bits_per_symbol;  // one less than log2 of the number of levels
  base::Colour colour;
};

// Also the order of tracing and of the legends.
inline constexpr std::array<Constellation, 6> kConstellations{{
    {"PAM-4", 64, 128, 1, base::rgb(20, 255, 255)},
    {"PAM-8", 64, 1152, 2, base::rgb(0, 255, 0)},
    {"PAM-16", 64, 7616, 3, base::rgb(255, 60, 60)},
    {"PAM-32", 256, 10176, 4, base::rgb(255, 255, 0)},
    {"PAM-64", 5440, 12736, 5, base::rgb(0, 255, 255)},
    {"PAM-128", 7040, 15232, 6, base::rgb(255, 255, 255)},
}};

// Chart geometry in client pixels.
inline constexpr int kPanelX = 300;
inline constexpr int kPanelY = 30;
inline constexpr int kPanelWidth = 385;
inline constexpr int kPanelHeight = 285;
inline constexpr int kOriginX = 340;      // 0 Hz
inline constexpr int kAxisY = 270;        // -110 dBm/Hz
inline constexpr int kLegendX = 620;
inline constexpr int kFirstLegendY = 55;
inline constexpr int kLegendStepY = 20;
inline constexpr int kFrequencyLabelY = 275;
inline constexpr base::Colour kPanelColour = base::rgb(220, 220, 220);
inline constexpr base::Colour kGridColour = base::rgb(0, 0, 0);

// The grid: a vertical line every 100 kHz / scale (every 10 pixels), the
// major ones (every 20 pixels, from the origin) reaching 4 pixels below the
// axis as ticks, and a horizontal line every 10 dB (25 pixels).
inline constexpr int kGridTopY = 60;
inline constexpr int kMajorTickBottomY = 274;
inline constexpr int kGridLeftX = 337;
inline constexpr int kGridRightX = 670;

// The texts in black on the panel colour, top-left corners.
inline constexpr std::string_view kUnitCaption = "PSD (dBm/Hz)";  // top left
inline constexpr int kUnitCaptionX = 305;
inline constexpr int kUnitCaptionY = 35;
inline constexpr std::string_view kAxisCaption = "Frequency (100kHz)";  // under the axis
inline constexpr int kAxisCaptionX = 440;
inline constexpr int kAxisCaptionY = 294;

struct LevelLabel {
  int y;
  std::string_view text;
};
// One label 9 pixels above each horizontal grid line, -30 at the top.
inline constexpr std::array<LevelLabel, 9> kLevelLabels{{
    {61, "-30"}, {86, "-40"}, {111, "-50"}, {136, "-60"}, {161, "-70"},
    {186, "-80"}, {211, "-90"}, {236, "-100"}, {261, "-110"},
}};
inline constexpr int kLevelLabelX = 305;

// Horizontal pixels per 10 kHz: 4 up to 512 kbit/s, 2 up to 2048, else 1.
int chart_scale(float line_rate_kbps);

// Whether the constellation's rate range (inclusive) holds the line rate.
bool is_traced(const Constellation& constellation, float line_rate_kbps);

// (line rate + 8) / bits per symbol, in kbaud, as a 32-bit float.
float symbol_rate(float line_rate_kbps, int bits_per_symbol);

// PSD depths (dB below 0 dBm/Hz) at f kHz. The main lobe is +infinity where
// its power is zero; the floor is the f^-1.5 noise floor; psd_depth is the
// shallower of the two (the higher PSD).
float main_depth(int frequency_khz, float symbol_rate_kbaud);
float floor_depth(int frequency_khz);
float psd_depth(int frequency_khz, float symbol_rate_kbaud);

// Nearest integer, an exact half to the even one.
int nearest(double value);

// The pixel row of a depth: -30 dBm/Hz on row 70, -110 on row 270.
int depth_row(double depth);

struct Segment {
  int x1, y1, x2, y2;
  friend bool operator==(const Segment&, const Segment&) = default;
};

// The grid's lines in drawing order: the major verticals with their ticks,
// the minor verticals, then the horizontals from the axis up.
inline constexpr auto kGridLines = [] {
  std::array<Segment, 16 + 16 + 9> lines{};
  std::size_t n = 0;
  for (int i = 0; i <= 300; i += 20) lines[n++] = {kOriginX + i, kGridTopY, kOriginX + i, kMajorTickBottomY};
  for (int i = 10; i <= 310; i += 20) lines[n++] = {kOriginX + i, kGridTopY, kOriginX + i, kAxisY};
  for (int i = 0; i <= 200; i += 25) lines[n++] = {kGridLeftX, kAxisY - i, kGridRightX, kAxisY - i};
  return lines;
}();

// The polyline of one constellation at the given scale, one segment per
// 10 kHz step from 10 kHz up to 3000 / scale kHz. Each segment starts at the
// previous step's depth in whole dB and ends at the exact depth.
std::vector<Segment> trace_segments(float line_rate_kbps, int bits_per_symbol,
                                    int scale);

struct TextItem {
  int x, y;
  std::string text;
  friend bool operator==(const TextItem&, const TextItem&) = default;
};

// The labels under the major grid lines for a scale, in 100 kHz units.
std::vector<TextItem> frequency_labels(int scale);

// Every text on the panel colour, in drawing order: the unit caption, the
// level labels, the axis caption and the frequency labels for the scale.
std::vector<TextItem> axis_texts(int scale);

// The chart in words, for screen readers: the baserate, the constellations
// traced and the frequency range shown ("Transmit PSD for baserate 10:
// PAM-8, PAM-16, PAM-32, 0 to 1.5 MHz").
std::string chart_description(float line_rate_kbps);
// The values the chart plots, before they become pixels: at each frequency
// trace_segments steps to (10 kHz up to 3000 / scale kHz), the PSD in dBm/Hz
// of every traced constellation, that is -psd_depth. 0 kHz is not a row: the
// curves start there only as a drawing device, at the 10 kHz depth in whole
// dB, and the PSD itself has no value there.
struct PsdCurve {
  const Constellation* constellation;  // in kConstellations
  std::vector<float> dbm_per_hz;       // one a frequency
};
struct PsdTable {
  int scale = 1;
  std::vector<int> frequencies_khz;
  std::vector<PsdCurve> curves;  // the traced constellations, in legend order
};
PsdTable psd_table(float line_rate_kbps);

// Paints the whole chart for the line rate onto window 0, over whatever the
// previous call painted.
void draw_psd_chart(float line_rate_kbps);

}  // namespace chart
