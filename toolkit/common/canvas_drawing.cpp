// The drawing operations of a backend that keeps the window's drawing in a
// canvas (headless, FLTK, the browser): every call paints into the canvas
// with the shared pixel rules and widens the phase's touched area; ending
// the phase hands that area to the backend to bring to the screen. The
// canvas is asked for on every call (backend::window_canvas), so the phase
// never holds it beyond the call, and a phase whose window went away draws
// nothing.
#include "toolkit/common/backend.h"
#include "toolkit/common/drawing_phase.h"

namespace tk {
namespace {

struct CanvasDrawing {
  common::DrawingPhase phase;
  int window = 0;  // the window the phase was begun on
};

CanvasDrawing& drawing() {
  static CanvasDrawing current;
  return current;
}

common::Canvas* drawing_target() {
  const CanvasDrawing& d = drawing();
  return d.phase.open && d.phase.has_target ? backend::window_canvas(d.window) : nullptr;
}

}  // namespace

namespace common {

void forget_drawing_phase() { drawing() = CanvasDrawing{}; }

}  // namespace common

void begin_window_drawing(int window) {
  end_drawing();
  CanvasDrawing& d = drawing();
  d.phase.open = true;
  d.phase.has_target = backend::window_canvas(window) != nullptr;
  d.window = window;
}

void end_drawing() {
  common::Canvas* canvas = drawing_target();
  const common::DrawingPhase phase = drawing().phase;
  common::forget_drawing_phase();
  if (canvas != nullptr) backend::present_drawing(phase.x0, phase.y0, phase.x1, phase.y1);
}

void draw_box(int x, int y, int w, int h, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) {
    drawing().phase.box(*canvas, x, y, w, h, colour);
    backend::box_drawn(x, y, w, h);
  }
}

void draw_circle(int x, int y, int r, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) drawing().phase.circle(*canvas, x, y, r, colour);
}

void draw_line(int x1, int y1, int x2, int y2, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) drawing().phase.line(*canvas, x1, y1, x2, y2, colour);
}

int draw_text(int x, int y, std::string_view text) {
  common::Canvas* canvas = drawing_target();
  if (canvas == nullptr) return x;
  const int end = drawing().phase.text(*canvas, x, y, text);
  backend::text_drawn(x, y, end, text);
  return end;
}

void set_text_background(Colour colour) {
  CanvasDrawing& d = drawing();
  if (d.phase.open) d.phase.text_background = colour;
}

}  // namespace tk
