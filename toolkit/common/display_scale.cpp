// The display scale's rules: reading the platform's figures, fitting the
// window on the monitor, and the picture in device pixels.
#include "toolkit/common/display_scale.h"

#include <algorithm>
#include <cmath>
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

int picture_dpi_for_pixel_ratio(double ratio) {
  if (!(ratio > 0.0)) ratio = 1.0;  // NaN too
  const double dots = std::min(ratio, 4.0) * kBaseDpi;
  return picture_factor(clamp_dpi(static_cast<int>(std::lround(dots)))) * kBaseDpi;
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

namespace {

// Each device pixel of `area` as the weighted mean of the source pixels
// under it, channel by channel (the four bytes of a 32-bit pixel), rounded
// to the nearest. `read(x, y)` gives a source pixel; `write(x, y, mean,
// any)` takes the result, `any` telling whether a source pixel with a
// nonzero top byte lies under it.
template <class Read, class Write>
void resample(int source_width, int source_height, int dpi, DeviceArea area, const Read& read, const Write& write) {
  for (int y = area.y0; y < area.y1; ++y) {
    const Cover rows = cover(y, dpi, source_height);
    for (int x = area.x0; x < area.x1; ++x) {
      const Cover columns = cover(x, dpi, source_width);
      std::int64_t sum[4] = {0, 0, 0, 0};
      std::int64_t total = 0;
      for (int sy = rows.first; sy < rows.last; ++sy) {
        const int wy = overlap(y, sy, dpi);
        for (int sx = columns.first; sx < columns.last; ++sx) {
          const int weight = wy * overlap(x, sx, dpi);
          if (weight == 0) continue;
          const std::uint32_t pixel = read(sx, sy);
          for (int c = 0; c < 4; ++c) sum[c] += ((pixel >> (8 * c)) & 0xFF) * static_cast<std::int64_t>(weight);
          total += weight;
        }
      }
      std::uint32_t mean = 0;
      if (total != 0) {
        for (int c = 0; c < 4; ++c) mean |= static_cast<std::uint32_t>((sum[c] + total / 2) / total) << (8 * c);
      }
      write(x, y, mean, sum[3] != 0);
    }
  }
}

}  // namespace

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
    // A whole scale: each canvas pixel a square of factor x factor, row by
    // row (the general rule below gives the same, at several times the cost).
    const int factor = dpi / kBaseDpi;
    const auto& source = canvas.pixels();
    const auto row_start = [](int y, int row_width) { return static_cast<std::size_t>(y) * static_cast<std::size_t>(row_width); };
    for (int y = y0; y < y1; ++y) {
      const std::size_t first = row_start(y * factor, width) + static_cast<std::size_t>(x0 * factor);
      std::size_t o = first;
      for (int x = x0; x < x1; ++x) {
        const Colour colour = source[row_start(y, canvas.width()) + static_cast<std::size_t>(x)];
        const std::uint8_t painted = canvas.painted(x, y) ? 1 : 0;
        for (int i = 0; i < factor; ++i, ++o) {
          picture.pixels[o] = colour;
          picture.painted[o] = painted;
        }
      }
      const auto length = static_cast<std::ptrdiff_t>(o - first);
      for (int copy = 1; copy < factor; ++copy) {
        const std::size_t to = first + static_cast<std::size_t>(copy) * static_cast<std::size_t>(width);
        std::copy_n(picture.pixels.begin() + static_cast<std::ptrdiff_t>(first), length, picture.pixels.begin() + static_cast<std::ptrdiff_t>(to));
        std::copy_n(picture.painted.begin() + static_cast<std::ptrdiff_t>(first), length, picture.painted.begin() + static_cast<std::ptrdiff_t>(to));
      }
    }
    return area;
  }
  // The painted mask rides in the top byte.
  const auto read = [&](int x, int y) {
    return static_cast<std::uint32_t>(canvas.pixel(x, y)) | (canvas.painted(x, y) ? 0xFF000000u : 0u);
  };
  const auto write = [&](int x, int y, std::uint32_t mean, bool painted) {
    const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
    picture.pixels[i] = static_cast<Colour>(mean & 0xFFFFFFu);
    picture.painted[i] = painted ? 1 : 0;
  };
  resample(canvas.width(), canvas.height(), dpi, area, read, write);
  return area;
}

DecodedImage scale_image(const DecodedImage& image, int dpi) {
  dpi = std::max(dpi, 1);
  DecodedImage scaled;
  scaled.width = std::max(to_device(image.width, dpi), 0);
  scaled.height = std::max(to_device(image.height, dpi), 0);
  scaled.argb.assign(static_cast<std::size_t>(scaled.width) * static_cast<std::size_t>(scaled.height), 0);
  const auto read = [&](int x, int y) {
    return image.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)];
  };
  const auto write = [&](int x, int y, std::uint32_t mean, bool) {
    scaled.argb[static_cast<std::size_t>(y) * static_cast<std::size_t>(scaled.width) + static_cast<std::size_t>(x)] = mean;
  };
  if (image.argb.size() == static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height)) {
    resample(image.width, image.height, dpi, DeviceArea{0, 0, scaled.width, scaled.height}, read, write);
  }
  return scaled;
}

}  // namespace tk::common
