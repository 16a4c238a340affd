// Drawing phases on the FLTK backend. Every call paints into the window's
// retained canvas with the shared pixel rules; ending the phase brings the
// screen up to date where the pixels changed. The window paints the canvas
// over its controls whenever it is repainted, so a system repaint shows the
// drawing again at once.
#include <FL/Fl.H>

#include <algorithm>
#include <cstdlib>

#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"
#include "toolkit/toolkit.h"

namespace tk {
namespace {

using fltk_backend::DrawingPhase;
using fltk_backend::state;

common::Canvas* drawing_target() {
  auto& s = state();
  return (s.drawing.open && s.drawing.has_target && s.window) ? &s.window->canvas() : nullptr;
}

// Widens the phase's touched area by [x0, x1) x [y0, y1), kept within the
// canvas so that absurd coordinates cost nothing.
void touch(int x0, int y0, int x1, int y1) {
  DrawingPhase& phase = state().drawing;
  const common::Canvas& canvas = state().window->canvas();
  x0 = std::clamp(x0, 0, canvas.width());
  x1 = std::clamp(x1, 0, canvas.width());
  y0 = std::clamp(y0, 0, canvas.height());
  y1 = std::clamp(y1, 0, canvas.height());
  if (x0 >= x1 || y0 >= y1) return;
  if (phase.x0 >= phase.x1 || phase.y0 >= phase.y1) {
    phase.x0 = x0;
    phase.y0 = y0;
    phase.x1 = x1;
    phase.y1 = y1;
    return;
  }
  phase.x0 = std::min(phase.x0, x0);
  phase.y0 = std::min(phase.y0, y0);
  phase.x1 = std::max(phase.x1, x1);
  phase.y1 = std::max(phase.y1, y1);
}

// The bounds of [a, a + extent] and one pixel more each way, in 64 bits
// clamped back to int (the canvas clamps again).
void touch_span(long long a, long long b, long long c, long long d) {
  const auto to_int = [](long long v) {
    return static_cast<int>(std::clamp<long long>(v, -1'000'000'000LL, 1'000'000'000LL));
  };
  touch(to_int(std::min(a, b) - 1), to_int(std::min(c, d) - 1), to_int(std::max(a, b) + 2),
        to_int(std::max(c, d) + 2));
}

}  // namespace

void begin_window_drawing(int window) {
  end_drawing();
  auto& s = state();
  s.drawing = DrawingPhase{};
  s.drawing.open = true;
  s.drawing.has_target = s.window && s.window_number == window;
}

void end_drawing() {
  auto& s = state();
  const DrawingPhase phase = s.drawing;
  s.drawing = DrawingPhase{};
  if (!phase.open || !phase.has_target || !s.window) return;
  if (phase.x0 >= phase.x1 || phase.y0 >= phase.y1) return;
  s.window->commit_drawing(phase.x0, phase.y0, phase.x1, phase.y1);
  Fl::flush();
}

void draw_box(int x, int y, int w, int h, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) {
    canvas->box(x, y, w, h, colour);
    touch_span(x, static_cast<long long>(x) + w, y, static_cast<long long>(y) + h);
  }
}

void draw_circle(int x, int y, int r, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) {
    canvas->circle(x, y, r, colour);
    const long long radius = std::llabs(static_cast<long long>(r)) + 2;
    touch_span(x - radius, x + radius, y - radius, y + radius);
  }
}

void draw_line(int x1, int y1, int x2, int y2, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) {
    canvas->line(x1, y1, x2, y2, colour);
    touch_span(x1, x2, y1, y2);
  }
}

int draw_text(int x, int y, std::string_view text) {
  if (common::Canvas* canvas = drawing_target()) {
    const int end = canvas->text(x, y, text, state().drawing.text_background);
    touch_span(x, end, y, static_cast<long long>(y) + common::Canvas::text_height());
    return end;
  }
  return x;
}

void set_text_background(Colour colour) {
  auto& s = state();
  if (s.drawing.open) s.drawing.text_background = colour;
}

}  // namespace tk
