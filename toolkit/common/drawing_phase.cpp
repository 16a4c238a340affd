#include "toolkit/common/drawing_phase.h"

#include <algorithm>
#include <cstdlib>

namespace tk::common {

// Widens the touched area by the span's bounds and one pixel more each way
// (a line's or circle's outermost pixels), computed in 64 bits and clamped
// to the canvas, so that absurd coordinates cost nothing.
void DrawingPhase::touch_span(const Canvas& canvas, long long xa, long long xb, long long ya, long long yb) {
  const auto clamp = [](long long v, int limit) { return static_cast<int>(std::clamp<long long>(v, 0, limit)); };
  const int left = clamp(std::min(xa, xb) - 1, canvas.width());
  const int right = clamp(std::max(xa, xb) + 2, canvas.width());
  const int top = clamp(std::min(ya, yb) - 1, canvas.height());
  const int bottom = clamp(std::max(ya, yb) + 2, canvas.height());
  if (left >= right || top >= bottom) return;
  if (!touched()) {
    x0 = left, y0 = top, x1 = right, y1 = bottom;
    return;
  }
  x0 = std::min(x0, left);
  y0 = std::min(y0, top);
  x1 = std::max(x1, right);
  y1 = std::max(y1, bottom);
}

void DrawingPhase::box(Canvas& canvas, int x, int y, int w, int h, Colour colour) {
  canvas.box(x, y, w, h, colour);
  touch_span(canvas, x, static_cast<long long>(x) + w, y, static_cast<long long>(y) + h);
}

void DrawingPhase::circle(Canvas& canvas, int x, int y, int r, Colour colour) {
  canvas.circle(x, y, r, colour);
  const long long radius = std::llabs(static_cast<long long>(r)) + 2;
  touch_span(canvas, x - radius, x + radius, y - radius, y + radius);
}

void DrawingPhase::line(Canvas& canvas, int xa, int ya, int xb, int yb, Colour colour) {
  canvas.line(xa, ya, xb, yb, colour);
  touch_span(canvas, xa, xb, ya, yb);
}

int DrawingPhase::text(Canvas& canvas, int x, int y, std::string_view utf8) {
  const int end = canvas.text(x, y, utf8, text_background);
  touch_span(canvas, x, end, y, static_cast<long long>(y) + Canvas::text_height());
  return end;
}

}  // namespace tk::common
