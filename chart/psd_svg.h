// The PSD chart as a standalone SVG 1.1 picture: the panel as the window
// paints it (grid, captions, labels, legends and curves, in the window's
// drawing order and pixel coordinates), its view box the panel itself.
//
// Lines lie on pixel centres with square caps and crisp edges, so each
// covers the pixels the window's line covers. Texts are set in a bold sans
// font at the window's 14-pixel size on the baseline of the window's bitmap
// font; the opaque background cell behind each text is the window's exact
// cell (the bitmap font's advances, 16 pixels high), while the glyphs are the
// viewer's, so a text may run a pixel or two longer or shorter than its cell.
#pragma once

#include <string>

namespace chart {

std::string psd_chart_svg(float line_rate_kbps);

}  // namespace chart
