// The canvas's pixel rules. They reproduce what GDI paints for Rectangle,
// Ellipse and LineTo with a one-pixel pen and a brush of the same colour.
#include "toolkit/common/canvas.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "base/font.h"
#include "base/utf8.h"

namespace tk::common {

namespace font = base::font;

namespace {

constexpr Colour kColourMask = 0xFFFFFF;
constexpr Colour kBlack = 0;

// GDI refuses shapes with a coordinate beyond 2^27 in magnitude; so does the
// canvas, which keeps every product below in 64 bits.
constexpr std::int64_t kCoordinateLimit = std::int64_t{1} << 27;

constexpr bool within_limit(std::int64_t value) {
  return value >= -kCoordinateLimit && value <= kCoordinateLimit;
}

template <class... Values>
constexpr bool all_within_limit(Values... values) {
  return (within_limit(values) && ...);
}

// floor(numerator / denominator) for denominator > 0.
constexpr std::int64_t floor_div(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t quotient = numerator / denominator;
  return (numerator % denominator != 0 && numerator < 0) ? quotient - 1 : quotient;
}

// numerator / denominator (denominator > 0) to the nearest integer, an exact
// half to the smaller one: the diamond rule lights the upper (or left) pixel
// when a line passes exactly between two.
constexpr std::int64_t round_half_down(std::int64_t numerator, std::int64_t denominator) {
  // ceil(n/d - 1/2) = -floor((d - 2n) / 2d)
  return -floor_div(denominator - 2 * numerator, 2 * denominator);
}

}  // namespace

Canvas::Canvas(int width, int height, Colour background)
    : width_(std::max(width, 0)), height_(std::max(height, 0)) {
  clear(background);
}

void Canvas::clear(Colour background) {
  const auto count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  pixels_.assign(count, background & kColourMask);
  painted_.assign(count, 0);
}

Colour Canvas::pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return 0;
  }
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

bool Canvas::painted(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return false;
  }
  return painted_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                  static_cast<std::size_t>(x)] != 0;
}

void Canvas::set(int x, int y, Colour colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return;
  }
  const std::size_t index =
      static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
  pixels_[index] = colour & kColourMask;
  painted_[index] = 1;
}

void Canvas::span(int y, int x_begin, int x_end, Colour colour) {
  if (y < 0 || y >= height_) {
    return;
  }
  const int begin = std::max(x_begin, 0);
  const int end = std::min(x_end, width_);
  if (begin >= end) {
    return;
  }
  // Whole rows at once: the chart panel alone is 385 x 285 pixels, filled on
  // every baserate entry.
  const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  std::fill(pixels_.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(begin)),
            pixels_.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(end)),
            colour & kColourMask);
  std::fill(painted_.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(begin)),
            painted_.begin() + static_cast<std::ptrdiff_t>(row + static_cast<std::size_t>(end)),
            std::uint8_t{1});
}

void Canvas::box(int x, int y, int w, int h, Colour colour) {
  if ((w == 1 || w == -1) && (h == 1 || h == -1)) {
    const std::int64_t px = w == -1 ? std::int64_t{x} - 1 : x;
    const std::int64_t py = h == -1 ? std::int64_t{y} - 1 : y;
    if (px >= 0 && py >= 0) {
      set(static_cast<int>(px), static_cast<int>(py), colour);
    }
    return;
  }
  // Rectangle(x, y, x + w, y + h): the normalised corners, right and bottom
  // edges excluded. Computed in 64 bits so that no size overflows.
  const std::int64_t x_end = std::int64_t{x} + w;
  const std::int64_t y_end = std::int64_t{y} + h;
  if (!all_within_limit(x, y, x_end, y_end)) {
    return;
  }
  const std::int64_t left = std::max<std::int64_t>(std::min<std::int64_t>(x, x_end), 0);
  const std::int64_t right = std::min<std::int64_t>(std::max<std::int64_t>(x, x_end), width_);
  const std::int64_t top = std::max<std::int64_t>(std::min<std::int64_t>(y, y_end), 0);
  const std::int64_t bottom = std::min<std::int64_t>(std::max<std::int64_t>(y, y_end), height_);
  for (std::int64_t row = top; row < bottom; ++row) {
    span(static_cast<int>(row), static_cast<int>(left), static_cast<int>(right), colour);
  }
}

void Canvas::circle(int x, int y, int r, Colour colour) {
  if (r == 1) {
    box(x, y, 2, 2, colour);
    return;
  }
  // Ellipse(x - r, y - r, x + r, y + r): a pixel is in the disc when its
  // centre lies inside the circle of radius |r| round (x, y). In half-pixel
  // units the centre's offset is 2 (px - x) + 1, so everything is integer.
  const std::int64_t radius = std::abs(std::int64_t{r});
  if (!all_within_limit(x - radius, x + radius, y - radius, y + radius)) {
    return;
  }
  const std::int64_t limit = 4 * radius * radius;
  const std::int64_t top = std::max<std::int64_t>(y - radius, 0);
  const std::int64_t bottom = std::min<std::int64_t>(y + radius, height_);
  const std::int64_t left = std::max<std::int64_t>(x - radius, 0);
  const std::int64_t right = std::min<std::int64_t>(x + radius, width_);
  for (std::int64_t row = top; row < bottom; ++row) {
    const std::int64_t dy = 2 * (row - y) + 1;
    for (std::int64_t column = left; column < right; ++column) {
      const std::int64_t dx = 2 * (column - x) + 1;
      if (dx * dx + dy * dy <= limit) {
        set(static_cast<int>(column), static_cast<int>(row), colour);
      }
    }
  }
}

void Canvas::line(int x1, int y1, int x2, int y2, Colour colour) {
  if (colour == kFrontColour) {
    colour = kBlack;
  }
  // One pixel per column (x-major) or per row (y-major), the one nearest the
  // ideal line, ties to the upper or left one. LineTo leaves out the end
  // point; the toolkit then sets it, so the whole range is drawn.
  if (!all_within_limit(x1, y1, x2, y2)) {
    return;
  }
  // Axis-parallel lines (the chart's whole grid) are plain runs of pixels.
  if (y1 == y2) {
    span(y1, std::min(x1, x2), std::max(x1, x2) + 1, colour);
    return;
  }
  if (x1 == x2) {
    for (int row = std::max(std::min(y1, y2), 0); row <= std::min(std::max(y1, y2), height_ - 1); ++row) {
      set(x1, row, colour);
    }
    return;
  }
  const std::int64_t dx = std::int64_t{x2} - x1;
  const std::int64_t dy = std::int64_t{y2} - y1;
  const bool x_major = std::abs(dx) >= std::abs(dy);
  const std::int64_t major_start = x_major ? x1 : y1;
  const std::int64_t minor_start = x_major ? y1 : x1;
  const std::int64_t major_delta = x_major ? dx : dy;
  const std::int64_t minor_delta = x_major ? dy : dx;
  const std::int64_t major_limit = x_major ? width_ : height_;
  const std::int64_t length = std::abs(major_delta);
  const std::int64_t step = major_delta < 0 ? -1 : 1;

  // Only the steps whose major coordinate lies on the canvas are visited.
  std::int64_t first = 0;
  std::int64_t last = length;
  if (step > 0) {
    first = std::max<std::int64_t>(first, -major_start);
    last = std::min<std::int64_t>(last, major_limit - 1 - major_start);
  } else {
    first = std::max<std::int64_t>(first, major_start - (major_limit - 1));
    last = std::min<std::int64_t>(last, major_start);
  }
  // At step t the ideal line is t * minor_delta / length off the start; its
  // nearest pixel offset is r = round_half_down(t * minor_delta, length), the
  // smallest r with 2 length r >= 2 t minor_delta - length. Kept exactly by
  // the slack D = 2 length r - (2 t minor_delta - length), 0 <= D < 2 length,
  // instead of one division per pixel. (length > 0: the axis-parallel cases
  // returned above.)
  const std::int64_t twice_length = 2 * length;
  std::int64_t offset = round_half_down(first * minor_delta, length);
  std::int64_t slack = twice_length * offset - (2 * first * minor_delta - length);
  for (std::int64_t t = first; t <= last; ++t) {
    const std::int64_t major = major_start + step * t;
    const std::int64_t minor = minor_start + offset;
    if (x_major) {
      set(static_cast<int>(major), static_cast<int>(minor), colour);
    } else {
      set(static_cast<int>(minor), static_cast<int>(major), colour);
    }
    // |minor_delta| <= length, so one correction at most per step.
    slack -= 2 * minor_delta;
    if (slack < 0) {
      ++offset;
      slack += twice_length;
    } else if (slack >= twice_length) {
      --offset;
      slack -= twice_length;
    }
  }
}

int Canvas::text(int x, int y, std::string_view utf8, Colour background) {
  std::int64_t pen_x = x;
  const std::int64_t first_row = std::max<std::int64_t>(0, -std::int64_t{y});
  const std::int64_t end_row = std::min<std::int64_t>(font::kCellHeight, height_ - std::int64_t{y});
  for (const char32_t code_point : base::decode_utf8(utf8)) {
    const font::Glyph& glyph = font::glyph(code_point);
    // The glyph's cell, advance x height, clipped to the canvas, then
    // written row by row.
    const std::int64_t first_column = std::max<std::int64_t>(0, -pen_x);
    const std::int64_t end_column = std::min<std::int64_t>(glyph.advance, width_ - pen_x);
    for (std::int64_t row = first_row; row < end_row; ++row) {
      const std::int64_t line = (y + row) * width_ + pen_x;
      const unsigned bits = glyph.rows[static_cast<std::size_t>(row)];
      for (std::int64_t column = first_column; column < end_column; ++column) {
        const auto index = static_cast<std::size_t>(line + column);
        pixels_[index] = ((bits & (0x8000u >> column)) != 0) ? kBlack : (background & kColourMask);
        painted_[index] = 1;
      }
    }
    pen_x += glyph.advance;
  }
  return static_cast<int>(std::min<std::int64_t>(pen_x, std::numeric_limits<int>::max()));
}

int Canvas::text_width(std::string_view utf8) { return font::text_width(utf8); }

int Canvas::text_height() { return font::kCellHeight; }

}  // namespace tk::common
