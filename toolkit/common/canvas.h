// A picture of a window's client area: RGB pixels plus a mask of the pixels
// that drawing operations have painted. The headless backend's window is such
// a canvas; the other backends keep one as their retained drawing and paint
// its painted pixels over the controls when the system repaints the window.
//
// The pixel rules are the platform's (GDI's) and are the reference for every
// backend:
//   box     columns x..x+w-1, rows y..y+h-1; w and h each 1 or -1: the one
//           pixel x (x-1 for w = -1), y (y-1 for h = -1)
//   circle  r = 1: a 2 x 2 box at x, y; else the disc inscribed in the square
//           x-r..x+r, y-r..y+r with its right and bottom edges excluded
//           (Ellipse), 2r pixels across
//   line    the pixels GDI's LineTo covers (end point excluded), plus the end
//           pixel
//   text    black glyphs of the built-in proportional bitmap font
//           (base/font.h), one after another from x, each on an
//           opaque cell of the background colour as wide as its advance and
//           16 pixels high, top at y
// Everything is clipped to the canvas; a box, circle or line with a
// coordinate beyond 2^27 in magnitude draws nothing (GDI's limit). Colours keep their low 24 bits; for
// line(), kFrontColour means black (the drawing phase's front colour).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "toolkit/toolkit.h"

namespace tk::common {

// The window background, the system's 3-D (button) face colour: what a
// client area shows where nothing was drawn.
inline constexpr Colour kButtonFace = rgb(240, 240, 240);
// The text background of a new drawing phase (a window context's default).
inline constexpr Colour kDefaultTextBackground = rgb(255, 255, 255);

class Canvas {
 public:
  Canvas(int width, int height, Colour background);

  int width() const { return width_; }
  int height() const { return height_; }

  // Fills everything with the background and forgets what was painted.
  void clear(Colour background);

  // Outside the canvas: 0 and false.
  Colour pixel(int x, int y) const;
  bool painted(int x, int y) const;

  void box(int x, int y, int w, int h, Colour colour);
  void circle(int x, int y, int r, Colour colour);
  void line(int x1, int y1, int x2, int y2, Colour colour);
  // Returns the x after the text. Empty text draws nothing.
  int text(int x, int y, std::string_view utf8, Colour background);

  // Size of a text's cell in the built-in font: the sum of its glyphs'
  // advances, and one glyph's height.
  static int text_width(std::string_view utf8);
  static int text_height();

  // Rows of width() pixels, each a Colour (r + 256 g + 65536 b).
  const std::vector<Colour>& pixels() const { return pixels_; }

 private:
  void set(int x, int y, Colour colour);
  void span(int y, int x_begin, int x_end, Colour colour);  // [x_begin, x_end)

  int width_;
  int height_;
  std::vector<Colour> pixels_;
  std::vector<std::uint8_t> painted_;
};

}  // namespace tk::common
