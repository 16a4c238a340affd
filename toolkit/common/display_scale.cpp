// The display scale's rules: reading the platform's figures, fitting the
// window on the monitor, and the picture in device pixels.
#include "toolkit/common/display_scale.h"

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <utility>

namespace tk::common {
namespace {

// A plain positive decimal number ("2", "1.5", "144.0") in thousandths,
// rounded to the nearest; nothing for anything else (signs, exponents,
// blanks, more than 6 integer digits).
std::optional<std::int64_t> parse_thousandths(std::string_view text) {
  std::int64_t whole = 0;
  std::size_t i = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (i >= 6) return std::nullopt;
    whole = whole * 10 + (text[i] - '0');
  }
  const std::size_t whole_digits = i;
  std::int64_t fraction = 0;  // in ten-thousandths, to round the last digit
  std::size_t fraction_digits = 0;
  if (i < text.size() && text[i] == '.') {
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++fraction_digits) {
      if (fraction_digits < 4) fraction = fraction * 10 + (text[i] - '0');
    }
    for (std::size_t d = fraction_digits; d < 4; ++d) fraction *= 10;
  }
  if (i != text.size() || whole_digits + fraction_digits == 0) return std::nullopt;
  const std::int64_t value = whole * 1000 + (fraction + 5) / 10;
  if (value <= 0) return std::nullopt;
  return value;
}

// Device pixel `device` covers [device * 96, (device + 1) * 96) and canvas
// pixel `layout` covers [layout * dpi, (layout + 1) * dpi), both in 1/96 of a
// device pixel: the length they share.
constexpr int overlap(int device, int layout, int dpi) {
  const int begin = std::max(device * kBaseDpi, layout * dpi);
  const int end = std::min((device + 1) * kBaseDpi, (layout + 1) * dpi);
  return std::max(end - begin, 0);
}

// The canvas pixels [first, last) a device pixel covers, within [0, size).
struct Cover {
  int first;
  int last;
};
constexpr Cover cover(int device, int dpi, int size) {
  const int first = device * kBaseDpi / dpi;
  const int last = ((device + 1) * kBaseDpi + dpi - 1) / dpi;
  return {std::clamp(first, 0, size), std::clamp(last, 0, size)};
}

// A whole scale, `factor` device pixels a canvas pixel: every canvas pixel
// of [x0, x1) x [y0, y1) becomes a square of its own colour and mask, which
// is what the weighted mean gives there (one canvas pixel under each device
// pixel, weighing all), here without the weights: the page is drawn at whole
// scales only, and a whole window at 300 % is 4 million device pixels.
void replicate(const Canvas& canvas, int factor, int x0, int y0, int x1, int y1, ScaledPicture& picture) {
  const auto& source = canvas.pixels();
  const auto source_width = static_cast<std::size_t>(canvas.width());
  const auto width = static_cast<std::size_t>(picture.width);
  const auto step = static_cast<std::size_t>(factor);
  const std::size_t begin = static_cast<std::size_t>(x0) * step;
  const std::size_t end = static_cast<std::size_t>(x1) * step;
  for (int ly = y0; ly < y1; ++ly) {
    const std::size_t row = static_cast<std::size_t>(ly) * step * width;
    for (int lx = x0; lx < x1; ++lx) {
      const Colour colour = source[static_cast<std::size_t>(ly) * source_width + static_cast<std::size_t>(lx)];
      const std::uint8_t painted = canvas.painted(lx, ly) ? 1 : 0;
      const std::size_t o = row + static_cast<std::size_t>(lx) * step;
      std::fill_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(o), step, colour);
      std::fill_n(picture.painted.begin() + static_cast<std::ptrdiff_t>(o), step, painted);
    }
    for (std::size_t copy = 1; copy < step; ++copy) {
      const auto from = static_cast<std::ptrdiff_t>(row + begin);
      const auto length = static_cast<std::ptrdiff_t>(end - begin);
      const auto to = static_cast<std::ptrdiff_t>(row + copy * width + begin);
      std::copy_n(picture.pixels.begin() + from, length, picture.pixels.begin() + to);
      std::copy_n(picture.painted.begin() + from, length, picture.painted.begin() + to);
    }
  }
}

}  // namespace

std::optional<int> parse_scale_factor(std::string_view text) {
  const std::optional<std::int64_t> thousandths = parse_thousandths(text);
  if (!thousandths) return std::nullopt;
  return static_cast<int>((*thousandths * kBaseDpi + 500) / 1000);
}

std::optional<int> parse_dpi(std::string_view text) {
  const std::optional<std::int64_t> thousandths = parse_thousandths(text);
  if (!thousandths) return std::nullopt;
  return static_cast<int>((*thousandths + 500) / 1000);
}

int choose_x_dpi(std::optional<std::string_view> ferrant_scale, std::optional<std::string_view> gdk_scale,
                 std::optional<std::string_view> xft_dpi) {
  for (const auto& [text, parse] : {std::pair{ferrant_scale, &parse_scale_factor},
                                    std::pair{gdk_scale, &parse_scale_factor}, std::pair{xft_dpi, &parse_dpi}}) {
    if (!text) continue;
    if (const std::optional<int> dpi = parse(*text); dpi && *dpi > 0) return clamp_dpi(*dpi);
  }
  return kBaseDpi;
}

int fitting_dpi(int dpi, int width, int height, int area_width, int area_height) {
  constexpr int kStep = kBaseDpi / 4;
  const auto fits = [&](int d) { return to_device(width, d) <= area_width && to_device(height, d) <= area_height; };
  if (dpi <= kBaseDpi || fits(dpi)) return std::max(dpi, kBaseDpi);
  for (int d = (dpi - 1) / kStep * kStep; d > kBaseDpi; d -= kStep) {
    if (fits(d)) return d;
  }
  return kBaseDpi;
}

DeviceArea scale_picture(const Canvas& canvas, int dpi, int x0, int y0, int x1, int y1, ScaledPicture& picture) {
  dpi = std::max(dpi, 1);
  const int width = to_device(canvas.width(), dpi);
  const int height = to_device(canvas.height(), dpi);
  if (picture.width != width || picture.height != height) {
    picture.width = width;
    picture.height = height;
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    picture.pixels.assign(count, 0);
    picture.painted.assign(count, 0);
    x0 = y0 = 0;
    x1 = canvas.width();
    y1 = canvas.height();
  }
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, canvas.width());
  y1 = std::min(y1, canvas.height());
  if (x0 >= x1 || y0 >= y1) return {};
  // The device pixels any part of the area reaches.
  const DeviceArea area{std::min(x0 * dpi / kBaseDpi, width), std::min(y0 * dpi / kBaseDpi, height),
                        std::min((x1 * dpi + kBaseDpi - 1) / kBaseDpi, width),
                        std::min((y1 * dpi + kBaseDpi - 1) / kBaseDpi, height)};
  if (dpi % kBaseDpi == 0) {
    replicate(canvas, dpi / kBaseDpi, x0, y0, x1, y1, picture);
    return area;
  }
  const auto& source = canvas.pixels();
  const auto source_width = static_cast<std::size_t>(canvas.width());
  for (int y = area.y0; y < area.y1; ++y) {
    const Cover rows = cover(y, dpi, canvas.height());
    for (int x = area.x0; x < area.x1; ++x) {
      const Cover columns = cover(x, dpi, canvas.width());
      std::int64_t sum[3] = {0, 0, 0};
      std::int64_t total = 0;
      bool painted = false;
      for (int ly = rows.first; ly < rows.last; ++ly) {
        const int wy = overlap(y, ly, dpi);
        for (int lx = columns.first; lx < columns.last; ++lx) {
          const int weight = wy * overlap(x, lx, dpi);
          if (weight == 0) continue;
          const std::size_t i = static_cast<std::size_t>(ly) * source_width + static_cast<std::size_t>(lx);
          const Colour colour = source[i];
          sum[0] += (colour & 0xFF) * weight;
          sum[1] += ((colour >> 8) & 0xFF) * weight;
          sum[2] += ((colour >> 16) & 0xFF) * weight;
          total += weight;
          painted = painted || canvas.painted(lx, ly);
        }
      }
      const std::size_t o = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
      if (total == 0) {
        picture.pixels[o] = 0;
        picture.painted[o] = 0;
        continue;
      }
      const auto mean = [&](int c) { return static_cast<Colour>((sum[c] + total / 2) / total); };
      picture.pixels[o] = mean(0) | mean(1) << 8 | mean(2) << 16;
      picture.painted[o] = painted ? 1 : 0;
    }
  }
  return area;
}

}  // namespace tk::common
