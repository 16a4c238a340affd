// Drawing phases on the FLTK backend. Every call paints into the window's
// retained canvas with the shared pixel rules; ending the phase brings the
// screen up to date where the pixels changed. The window paints the canvas
// over its controls whenever it is repainted, so a system repaint shows the
// drawing again at once.
#include <FL/Fl.H>

#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"
#include "toolkit/toolkit.h"

namespace tk {
namespace {

using fltk_backend::state;

common::Canvas* drawing_target() {
  auto& s = state();
  return (s.drawing.open && s.drawing.has_target && s.window) ? &s.window->canvas() : nullptr;
}

}  // namespace

void begin_window_drawing(int window) {
  end_drawing();
  auto& s = state();
  s.drawing = common::DrawingPhase{};
  s.drawing.open = true;
  s.drawing.has_target = s.window && s.window_number == window;
}

void end_drawing() {
  auto& s = state();
  const common::DrawingPhase phase = s.drawing;
  s.drawing = common::DrawingPhase{};
  if (!phase.open || !phase.has_target || !s.window || !phase.touched()) return;
  s.window->commit_drawing(phase.x0, phase.y0, phase.x1, phase.y1);
  Fl::flush();
}

void draw_box(int x, int y, int w, int h, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) state().drawing.box(*canvas, x, y, w, h, colour);
}

void draw_circle(int x, int y, int r, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) state().drawing.circle(*canvas, x, y, r, colour);
}

void draw_line(int x1, int y1, int x2, int y2, Colour colour) {
  if (common::Canvas* canvas = drawing_target()) state().drawing.line(*canvas, x1, y1, x2, y2, colour);
}

int draw_text(int x, int y, std::string_view text) {
  common::Canvas* canvas = drawing_target();
  return canvas != nullptr ? state().drawing.text(*canvas, x, y, text) : x;
}

void set_text_background(Colour colour) {
  auto& s = state();
  if (s.drawing.open) s.drawing.text_background = colour;
}

}  // namespace tk
