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
// carried in double. Pixels and whole dB are rounded half to even.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/toolkit.h"

namespace chart {

struct Constellation {
  std::string_view legend;
  int min_kbps;         // traced from this line rate ...
  int max_kbps;         // ... up to this one, both inclusive
  int bits_per_symbol;  // one less than log2 of the number of levels
  tk::Colour colour;
};

// Also the order of tracing and of the legends.
inline constexpr std::array<Constellation, 6> kConstellations{{
    {"PAM-4", 64, 128, 1, tk::rgb(20, 255, 255)},
    {"PAM-8", 64, 1152, 2, tk::rgb(0, 255, 0)},
    {"PAM-16", 64, 7616, 3, tk::rgb(255, 60, 60)},
    {"PAM-32", 256, 10176, 4, tk::rgb(255, 255, 0)},
    {"PAM-64", 5440, 12736, 5, tk::rgb(0, 255, 255)},
    {"PAM-128", 7040, 15232, 6, tk::rgb(255, 255, 255)},
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
inline constexpr tk::Colour kPanelColour = tk::rgb(220, 220, 220);
inline constexpr tk::Colour kGridColour = tk::rgb(0, 0, 0);

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

// Paints the whole chart for the line rate onto window 0, over whatever the
// previous call painted.
void draw_psd_chart(float line_rate_kbps);

}  // namespace chart
