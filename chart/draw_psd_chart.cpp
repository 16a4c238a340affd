// Paints the PSD chart through the toolkit; all arithmetic is in psd.cpp.
#include <array>
#include <string_view>

#include "chart/psd.h"

namespace chart {
namespace {

constexpr int kMainWindow = 0;  // the program's only window

// Grid.
constexpr int kGridTopY = 60;
constexpr int kMajorTickBottomY = 274;  // 4 pixels below the axis
constexpr int kGridRightX = 670;
constexpr int kGridLeftX = 337;

struct LevelLabel {
  int y;
  std::string_view text;
};
// One label 9 pixels above each horizontal grid line, -30 at the top.
constexpr std::array<LevelLabel, 9> kLevelLabels{{
    {61, "-30"}, {86, "-40"}, {111, "-50"}, {136, "-60"}, {161, "-70"},
    {186, "-80"}, {211, "-90"}, {236, "-100"}, {261, "-110"},
}};
constexpr int kLevelLabelX = 305;

constexpr int kUnitCaptionX = 305;  // "PSD (dBm/Hz)" at the top left
constexpr int kUnitCaptionY = 35;
constexpr int kAxisCaptionX = 440;  // "Frequency (100kHz)" under the axis
constexpr int kAxisCaptionY = 294;

}  // namespace

void draw_psd_chart(float line_rate_kbps) {
  tk::begin_window_drawing(kMainWindow);
  tk::draw_box(kPanelX, kPanelY, kPanelWidth, kPanelHeight, kPanelColour);
  for (int i = 0; i <= 300; i += 20) {
    tk::draw_line(kOriginX + i, kGridTopY, kOriginX + i, kMajorTickBottomY, kGridColour);
  }
  for (int i = 10; i <= 310; i += 20) {
    tk::draw_line(kOriginX + i, kGridTopY, kOriginX + i, kAxisY, kGridColour);
  }
  for (int i = 0; i <= 200; i += 25) {
    tk::draw_line(kGridLeftX, kAxisY - i, kGridRightX, kAxisY - i, kGridColour);
  }
  tk::set_text_background(kPanelColour);
  tk::draw_text(kUnitCaptionX, kUnitCaptionY, "PSD (dBm/Hz)");
  for (const LevelLabel& label : kLevelLabels) tk::draw_text(kLevelLabelX, label.y, label.text);
  tk::draw_text(kAxisCaptionX, kAxisCaptionY, "Frequency (100kHz)");

  const int scale = chart_scale(line_rate_kbps);
  for (const TextItem& label : frequency_labels(scale)) tk::draw_text(label.x, label.y, label.text);

  int legend_y = kFirstLegendY;
  for (const Constellation& constellation : kConstellations) {
    if (!is_traced(constellation, line_rate_kbps)) continue;
    tk::set_text_background(constellation.colour);
    tk::draw_text(kLegendX, legend_y, constellation.legend);
    legend_y += kLegendStepY;
    for (const Segment& s : trace_segments(line_rate_kbps, constellation.bits_per_symbol, scale)) {
      tk::draw_line(s.x1, s.y1, s.x2, s.y2, constellation.colour);
    }
  }
  tk::end_drawing();
}

}  // namespace chart
