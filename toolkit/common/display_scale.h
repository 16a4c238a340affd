// The display scale: one factor, decided here from what the platform says,
// that every backend applies to gadget rectangles, fonts, the menu bar, the
// window's outer size and the picture. The program lays its window out in
// 96-DPI units (100 %); a backend maps them to device pixels with
// to_device() and shows the window's drawing through scale_picture().
//
// A scale is kept as dots per inch, 96 being 100 %, so that the platform's
// own figure (Win32's DPI, X's Xft.dpi) needs no conversion.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/canvas.h"

namespace tk::common {

inline constexpr int kBaseDpi = 96;   // 100 %
inline constexpr int kMaxDpi = 288;   // 300 %: beyond, a scale is taken as this

// A layout length in device pixels: v * dpi / 96 rounded to the nearest,
// halves away from zero (Win32's MulDiv, so the Win32 backend and every other
// one put a gadget on the same pixels).
constexpr int to_device(int v, int dpi) {
  const std::int64_t product = static_cast<std::int64_t>(v) * dpi;
  const std::int64_t half = kBaseDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi));
}

// A font's pixel size at the scale, rounded down (a text laid out to fit its
// room at 100 % still fits the scaled room), and never below one pixel.
constexpr int scaled_font_size(int size, int dpi) {
  const int scaled = static_cast<int>(static_cast<std::int64_t>(size) * dpi / kBaseDpi);
  return scaled < 1 ? 1 : scaled;
}

// The whole factor the picture is drawn at before a fractional scale reduces
// it: the next integer at or above dpi / 96.
constexpr int picture_factor(int dpi) { return (dpi + kBaseDpi - 1) / kBaseDpi; }

// A scale a user or desktop writes: a factor ("1.5", "2") of FERRANT_SCALE or
// GDK_SCALE, as dots per inch. Nothing for text that is not a plain positive
// decimal number.
std::optional<int> parse_scale_factor(std::string_view text);
// X's Xft.dpi resource ("192", "144.0"): nothing for text that is not a
// plain positive decimal number.
std::optional<int> parse_dpi(std::string_view text);

// The scale of a window on X, from the first of these that is set and valid:
// FERRANT_SCALE, GDK_SCALE, Xft.dpi; 100 % without any. Clamped to
// 100 % .. 300 %.
int choose_x_dpi(std::optional<std::string_view> ferrant_scale, std::optional<std::string_view> gdk_scale,
                 std::optional<std::string_view> xft_dpi);

// The scale a browser's page draws its picture at for a device pixel ratio:
// the whole factor at or above it (100 % .. 300 %), in dots per inch; the
// browser reduces it to a fractional ratio itself. 100 % for a ratio that
// is no positive number.
int picture_dpi_for_pixel_ratio(double ratio);

// Clamps a platform's figure to 100 % .. 300 %.
constexpr int clamp_dpi(int dpi) { return dpi < kBaseDpi ? kBaseDpi : dpi > kMaxDpi ? kMaxDpi : dpi; }

// The largest scale not above `dpi` at which a window whose outer size is
// `width` x `height` at 100 % (frame included) fits the monitor's work area
// of `area_width` x `area_height` device pixels: `dpi` itself when it fits,
// else the largest quarter step (125 %, 150 %, ...) below it that fits, and
// 100 % when none does.
int fitting_dpi(int dpi, int width, int height, int area_width, int area_height);

// The window's drawing in device pixels: what a backend shows.
struct ScaledPicture {
  int width = 0;   // to_device(canvas width)
  int height = 0;
  std::vector<Colour> pixels;          // rows of width, r + 256 g + 65536 b
  std::vector<std::uint8_t> painted;   // 1 where the drawing covers the pixel
};

// A rectangle of device pixels, [x0, x1) x [y0, y1).
struct DeviceArea {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// Brings `picture` (resized to the canvas at `dpi` when its size differs,
// then wholly redrawn) up to date with the canvas's layout area
// [x0, x1) x [y0, y1), and returns the device pixels that area touches.
//
// Each device pixel is the mean of the canvas pixels under it, weighted by
// how much of it each covers, rounded to the nearest: at a whole scale every
// canvas pixel becomes a square of whole pixels (no smoothed edge), and at a
// fractional one this equals drawing at the next whole scale and reducing
// with an area filter. A device pixel is painted when any canvas pixel under
// it is. Integer arithmetic only: the same pixels on every platform.
DeviceArea scale_picture(const Canvas& canvas, int dpi, int x0, int y0, int x1, int y1, ScaledPicture& picture);

// A loaded image as a screen at `dpi` shows it, by the same rule as the
// picture (alpha averaged like the colours).
DecodedImage scale_image(const DecodedImage& image, int dpi);

}  // namespace tk::common
