// The FLTK backend's hooks of the shared drawing operations. Every call
// paints into the window's retained canvas; ending the phase brings the
// screen up to date where the pixels changed. The window paints the canvas
// over its controls whenever it is repainted, so a system repaint shows the
// drawing again at once.
#include <FL/Fl.H>

#include "toolkit/common/backend.h"
#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"

namespace tk::backend {

using fltk_backend::state;

common::Canvas* window_canvas(int window) {
  auto& s = state();
  return s.window && s.window_number == window ? &s.window->canvas() : nullptr;
}

void present_drawing(int x0, int y0, int x1, int y1) {
  auto& s = state();
  if (!s.window || x0 >= x1 || y0 >= y1) return;
  s.window->commit_drawing(x0, y0, x1, y1);
  Fl::flush();
}

void box_drawn(int /*x*/, int /*y*/, int /*w*/, int /*h*/) {}
void text_drawn(int /*x*/, int /*y*/, int /*end*/, std::string_view /*text*/) {}

}  // namespace tk::backend
