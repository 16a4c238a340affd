// A drawing phase on a backend that keeps the window's drawing in a canvas
// (headless, FLTK, the browser): each draw call paints into the canvas with
// the shared pixel rules and widens the area the phase touched, which the
// backend brings to the screen when the phase ends. The canvas is passed to
// each call (canvas_drawing.cpp asks the backend for it), so the phase never
// holds a window's canvas beyond the call.
#pragma once

#include <string_view>

#include "toolkit/common/canvas.h"
#include "toolkit/toolkit.h"

namespace tk::common {

struct DrawingPhase {
  bool open = false;
  bool has_target = false;  // the phase draws into the program's window
  Colour text_background = kDefaultTextBackground;
  // Canvas area the phase's calls touched: [x0, x1) x [y0, y1), within the
  // canvas; empty while x0 >= x1.
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

  bool touched() const { return x0 < x1 && y0 < y1; }

  void box(Canvas& canvas, int x, int y, int w, int h, Colour colour);
  void circle(Canvas& canvas, int x, int y, int r, Colour colour);
  void line(Canvas& canvas, int x1, int y1, int x2, int y2, Colour colour);
  // Returns the x after the text.
  int text(Canvas& canvas, int x, int y, std::string_view utf8);

 private:
  void touch_span(const Canvas& canvas, long long xa, long long xb, long long ya, long long yb);
};

}  // namespace tk::common
