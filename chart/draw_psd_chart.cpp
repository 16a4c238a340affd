// Paints the PSD chart through the toolkit; all arithmetic and geometry is in
// psd.h and psd.cpp, shared with the chart's SVG picture.
#include "chart/psd.h"
#include "toolkit/toolkit.h"

namespace chart {
namespace {

constexpr int kMainWindow = 0;  // the program's only window

}  // namespace

void draw_psd_chart(float line_rate_kbps) {
  tk::begin_window_drawing(kMainWindow);
  tk::draw_box(kPanelX, kPanelY, kPanelWidth, kPanelHeight, kPanelColour);
  for (const Segment& s : kGridLines) tk::draw_line(s.x1, s.y1, s.x2, s.y2, kGridColour);
  tk::set_text_background(kPanelColour);
  const int scale = chart_scale(line_rate_kbps);
  for (const TextItem& text : axis_texts(scale)) tk::draw_text(text.x, text.y, text.text);

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
  tk::describe_drawing(kMainWindow, kPanelX, kPanelY, kPanelWidth, kPanelHeight, chart_description(line_rate_kbps));
}

}  // namespace chart
