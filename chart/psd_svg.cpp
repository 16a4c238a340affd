#include "chart/psd_svg.h"

#include <charconv>
#include <span>
#include <string_view>

#include "base/colour.h"
#include "base/font.h"
#include "chart/psd.h"

namespace chart {
namespace {

// The window's texts: a bold 14-pixel sans face on the bitmap font's
// baseline, which lies under row 12 of its 16-pixel cell.
constexpr std::string_view kFontFamily = "Helvetica, Arial, 'Liberation Sans', sans-serif";
constexpr int kFontSize = 14;
constexpr int kBaselineBelowTop = 13;

void append_int(std::string& out, int value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void append_attribute(std::string& out, std::string_view name, int value) {
  out += ' ';
  out += name;
  out += "=\"";
  append_int(out, value);
  out += '"';
}

void append_colour(std::string& out, base::Colour colour) {
  constexpr std::string_view kHex = "0123456789abcdef";
  out += '#';
  for (const int shift : {0, 8, 16}) {  // r + 256 g + 65536 b
    const int channel = (colour >> shift) & 0xFF;
    out += kHex[static_cast<std::size_t>(channel >> 4)];
    out += kHex[static_cast<std::size_t>(channel & 0xF)];
  }
}

void append_escaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
}

// One path of one-pixel lines between pixel centres (the group shifts by half
// a pixel); a segment starting where the previous one ended continues it.
void append_lines(std::string& out, std::span<const Segment> segments, base::Colour colour) {
  out += "<path fill=\"none\" stroke=\"";
  append_colour(out, colour);
  out += "\" d=\"";
  const Segment* previous = nullptr;
  for (const Segment& s : segments) {
    if (previous == nullptr || previous->x2 != s.x1 || previous->y2 != s.y1) {
      out += 'M';
      append_int(out, s.x1);
      out += ' ';
      append_int(out, s.y1);
    }
    out += 'L';
    append_int(out, s.x2);
    out += ' ';
    append_int(out, s.y2);
    previous = &s;
  }
  out += "\"/>\n";
}

// The window's text cell: an opaque box of the background colour as wide as
// the bitmap font's advances, then the glyphs on its baseline. The text's
// advance is stretched or shrunk to the cell's width by its spacing, so it
// ends where the window's does whatever face the viewer picks.
void append_text(std::string& out, int x, int y, std::string_view text, base::Colour background) {
  const int width = base::font::text_width(text);
  out += "<rect";
  append_attribute(out, "x", x);
  append_attribute(out, "y", y);
  append_attribute(out, "width", width);
  append_attribute(out, "height", base::font::kCellHeight);
  out += " fill=\"";
  append_colour(out, background);
  out += "\"/><text";
  append_attribute(out, "x", x);
  append_attribute(out, "y", y + kBaselineBelowTop);
  append_attribute(out, "textLength", width);
  out += " lengthAdjust=\"spacing\">";
  append_escaped(out, text);
  out += "</text>\n";
}

}  // namespace

std::string psd_chart_svg(float line_rate_kbps) {
  const PsdTable table = psd_table(line_rate_kbps);
  std::string out;
  out.reserve(16 * 1024);
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\"";
  append_attribute(out, "width", kPanelWidth);
  append_attribute(out, "height", kPanelHeight);
  out += " viewBox=\"";  // the panel, in the window's coordinates
  for (const int value : {kPanelX, kPanelY, kPanelWidth}) {
    append_int(out, value);
    out += ' ';
  }
  append_int(out, kPanelHeight);
  out += "\">\n<g font-family=\"";
  out += kFontFamily;
  out += "\" font-weight=\"bold\"";
  append_attribute(out, "font-size", kFontSize);
  out += ">\n<rect";
  append_attribute(out, "x", kPanelX);
  append_attribute(out, "y", kPanelY);
  append_attribute(out, "width", kPanelWidth);
  append_attribute(out, "height", kPanelHeight);
  out += " fill=\"";
  append_colour(out, kPanelColour);
  out += "\"/>\n";

  constexpr std::string_view kLinesGroup =
      "<g transform=\"translate(0.5 0.5)\" stroke-width=\"1\" stroke-linecap=\"square\" "
      "shape-rendering=\"crispEdges\">\n";
  out += kLinesGroup;
  append_lines(out, kGridLines, kGridColour);
  out += "</g>\n";
  for (const TextItem& text : axis_texts(table.scale)) append_text(out, text.x, text.y, text.text, kPanelColour);

  int legend_y = kFirstLegendY;
  for (const PsdCurve& curve : table.curves) {
    const Constellation& constellation = *curve.constellation;
    append_text(out, kLegendX, legend_y, constellation.legend, constellation.colour);
    legend_y += kLegendStepY;
    out += kLinesGroup;
    append_lines(out, trace_segments(line_rate_kbps, constellation.bits_per_symbol, table.scale),
                 constellation.colour);
    out += "</g>\n";
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace chart
