#include "assets/artwork.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <functional>

namespace artwork {
namespace {

struct Rgb {
  double r, g, b;
};

constexpr Rgb kNavyTop{24, 58, 110};
constexpr Rgb kNavyBottom{10, 30, 66};
constexpr Rgb kCopper{214, 128, 52};
constexpr Rgb kTin{214, 220, 230};
constexpr Rgb kGold{236, 190, 70};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kShadow{4, 14, 34};
// The window background the opaque logo sits on.
constexpr Rgb kButtonFace{240, 240, 240};

constexpr double kPi = 3.14159265358979323846;
// Samples per pixel side for the smooth edges.
constexpr int kSubsamples = 4;

// A picture under construction: straight colour plus coverage per pixel.
class Canvas {
 public:
  Canvas(int width, int height)
      : width_(width), height_(height), colour_(static_cast<std::size_t>(width * height), Rgb{0, 0, 0}),
        alpha_(static_cast<std::size_t>(width * height), 0.0) {}

  // Paints the colour over the area where inside(x, y) holds, weighted by
  // the share of samples inside each pixel.
  void fill(const std::function<bool(double, double)>& inside, const std::function<Rgb(double, double)>& colour) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        int hits = 0;
        for (int sy = 0; sy < kSubsamples; ++sy) {
          for (int sx = 0; sx < kSubsamples; ++sx) {
            if (inside(x + (sx + 0.5) / kSubsamples, y + (sy + 0.5) / kSubsamples)) ++hits;
          }
        }
        if (hits == 0) continue;
        const double cover = static_cast<double>(hits) / (kSubsamples * kSubsamples);
        const Rgb c = colour(x + 0.5, y + 0.5);
        const std::size_t i = index(x, y);
        const double a = alpha_[i];
        const double out = cover + a * (1 - cover);
        colour_[i] = Rgb{(c.r * cover + colour_[i].r * a * (1 - cover)) / out,
                         (c.g * cover + colour_[i].g * a * (1 - cover)) / out,
                         (c.b * cover + colour_[i].b * a * (1 - cover)) / out};
        alpha_[i] = out;
      }
    }
  }
  void fill(const std::function<bool(double, double)>& inside, Rgb colour) {
    fill(inside, [colour](double, double) { return colour; });
  }

  // Composited on the background when one is given, else with alpha.
  Picture picture(const Rgb* background) const {
    Picture result{width_, height_, {}};
    result.argb.reserve(colour_.size());
    for (std::size_t i = 0; i < colour_.size(); ++i) {
      Rgb c = colour_[i];
      double a = alpha_[i];
      if (background != nullptr) {
        c = Rgb{c.r * a + background->r * (1 - a), c.g * a + background->g * (1 - a),
                c.b * a + background->b * (1 - a)};
        a = 1;
      }
      const auto byte = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L));
      };
      result.argb.push_back(byte(a * 255) << 24 | byte(c.r) << 16 | byte(c.g) << 8 | byte(c.b));
    }
    return result;
  }

 private:
  std::size_t index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }
  int width_;
  int height_;
  std::vector<Rgb> colour_;
  std::vector<double> alpha_;
};

auto rounded_rect(double x0, double y0, double x1, double y1, double radius) {
  return [=](double x, double y) {
    if (x < x0 || x > x1 || y < y0 || y > y1) return false;
    const double cx = std::clamp(x, x0 + radius, x1 - radius);
    const double cy = std::clamp(y, y0 + radius, y1 - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
  };
}

auto vertical_gradient(double y0, double y1, Rgb top, Rgb bottom) {
  return [=](double, double y) {
    const double t = std::clamp((y - y0) / (y1 - y0), 0.0, 1.0);
    return Rgb{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t, top.b + (bottom.b - top.b) * t};
  };
}

// One conductor of the twisted pair: a sine of the given phase around
// centre_y, between x0 and x1, of the given thickness.
auto wire(double x0, double x1, double centre_y, double amplitude, double period, double phase, double thickness) {
  return [=](double x, double y) {
    if (x < x0 || x > x1) return false;
    const double angle = 2 * kPi * (x - x0) / period + phase;
    const double curve_y = centre_y + amplitude * std::sin(angle);
    const double slope = amplitude * 2 * kPi / period * std::cos(angle);
    return std::abs(y - curve_y) / std::sqrt(1 + slope * slope) <= thickness / 2;
  };
}

// Where the pair's first conductor lies in front: it passes over at every
// other crossing (the crossings are half a period apart from x0, each zone
// centred on one).
auto in_front_half(double x0, double period, bool first) {
  return [=](double x, double) {
    const bool even = static_cast<long>(std::floor((x - x0 + period / 4) / (period / 2))) % 2 == 0;
    return even == first;
  };
}

auto both(std::function<bool(double, double)> a, std::function<bool(double, double)> b) {
  return [a = std::move(a), b = std::move(b)](double x, double y) { return a(x, y) && b(x, y); };
}

auto ring(double cx, double cy, double outer, double inner) {
  return [=](double x, double y) {
    const double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    return d <= outer * outer && d >= inner * inner;
  };
}

// Draws the twisted pair so that the conductors cross over and under.
void twisted_pair(Canvas& canvas, double x0, double x1, double centre_y, double amplitude, double period,
                  double thickness) {
  const auto first = wire(x0, x1, centre_y, amplitude, period, 0, thickness);
  const auto second = wire(x0, x1, centre_y, amplitude, period, kPi, thickness);
  canvas.fill(both(first, in_front_half(x0, period, false)), kCopper);
  canvas.fill(both(second, in_front_half(x0, period, true)), kTin);
  canvas.fill(both(first, in_front_half(x0, period, true)), kCopper);
  canvas.fill(both(second, in_front_half(x0, period, false)), kTin);
}

// Block capitals of the maker's name, 5 x 7 cells, one row per byte with bit
// 4 the leftmost cell.
using Glyph = std::array<std::uint8_t, 7>;
constexpr std::array<Glyph, 6> kVarnek = {{
    {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04},  // V
    {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11},  // A
    {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11},  // R
    {0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11},  // N
    {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F},  // E
    {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11},  // K
}};

auto lettering(double left, double top, double cell, double gap) {
  return [=](double x, double y) {
    const double advance = 5 * cell + gap;
    const int letter = static_cast<int>(std::floor((x - left) / advance));
    if (x < left || letter >= static_cast<int>(kVarnek.size()) || y < top) return false;
    const int column = static_cast<int>(std::floor((x - left - letter * advance) / cell));
    const int row = static_cast<int>(std::floor((y - top) / cell));
    if (column > 4 || row > 6) return false;
    return (kVarnek[static_cast<std::size_t>(letter)][static_cast<std::size_t>(row)] >> (4 - column) & 1) != 0;
  };
}

void put_u16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put_u16(out, value & 0xFFFF);
  put_u16(out, value >> 16);
}

// BITMAPINFOHEADER, uncompressed.
void put_info_header(std::vector<std::uint8_t>& out, int width, int height, int bits, std::uint32_t image_size) {
  put_u32(out, 40);
  put_u32(out, static_cast<std::uint32_t>(width));
  put_u32(out, static_cast<std::uint32_t>(height));
  put_u16(out, 1);
  put_u16(out, static_cast<unsigned>(bits));
  put_u32(out, 0);  // BI_RGB
  put_u32(out, image_size);
  put_u32(out, 2835);  // 72 dpi
  put_u32(out, 2835);
  put_u32(out, 0);
  put_u32(out, 0);
}

}  // namespace

Picture program_icon() {
  constexpr double side = kIconSide;
  Canvas canvas(kIconSide, kIconSide);
  canvas.fill(rounded_rect(0.5, 0.5, side - 0.5, side - 0.5, 6), vertical_gradient(0, side, kNavyTop, kNavyBottom));
  twisted_pair(canvas, 6, 26, 16, 5, 20, 2.6);
  canvas.fill(ring(4.5, 16, 3, 1.4), kGold);
  canvas.fill(ring(27.5, 16, 3, 1.4), kGold);
  return canvas.picture(nullptr);
}

Picture logo() {
  constexpr double w = kLogoWidth;
  constexpr double h = kLogoHeight;
  Canvas canvas(kLogoWidth, kLogoHeight);
  canvas.fill(rounded_rect(0.5, 0.5, w - 0.5, h - 0.5, 10), vertical_gradient(0, h, kNavyTop, kNavyBottom));
  // The name, with a soft shadow, centred: 6 letters of 5 cells of 3 pixels
  // with 4 pixels between them is 110 pixels.
  constexpr double cell = 3;
  constexpr double gap = 4;
  constexpr double text_left = (w - (6 * 5 * cell + 5 * gap)) / 2;
  constexpr double text_top = 11;
  canvas.fill(lettering(text_left + 1.5, text_top + 1.5, cell, gap), kShadow);
  canvas.fill(lettering(text_left, text_top, cell, gap), kWhite);
  // The twisted copper pair between two terminals.
  constexpr double pair_y = 56;
  twisted_pair(canvas, 20, w - 20, pair_y, 7, 29, 3.2);
  canvas.fill(ring(14, pair_y, 6, 3), kGold);
  canvas.fill(ring(w - 14, pair_y, 6, 3), kGold);
  return canvas.picture(&kButtonFace);
}

std::vector<unsigned char> to_rgba(const Picture& picture) {
  std::vector<unsigned char> bytes;
  bytes.reserve(picture.argb.size() * 4);
  for (const std::uint32_t p : picture.argb) {
    bytes.push_back(static_cast<unsigned char>(p >> 16));
    bytes.push_back(static_cast<unsigned char>(p >> 8));
    bytes.push_back(static_cast<unsigned char>(p));
    bytes.push_back(static_cast<unsigned char>(p >> 24));
  }
  return bytes;
}

std::vector<std::uint8_t> encode_bmp(const Picture& picture) {
  const int row_size = (picture.width * 3 + 3) / 4 * 4;
  const auto image_size = static_cast<std::uint32_t>(row_size * picture.height);
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  put_u32(out, 14 + 40 + image_size);
  put_u32(out, 0);
  put_u32(out, 14 + 40);
  put_info_header(out, picture.width, picture.height, 24, image_size);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t p = picture.argb[static_cast<std::size_t>(y * picture.width + x)];
      out.push_back(static_cast<std::uint8_t>(p));
      out.push_back(static_cast<std::uint8_t>(p >> 8));
      out.push_back(static_cast<std::uint8_t>(p >> 16));
    }
    for (int pad = picture.width * 3; pad < row_size; ++pad) out.push_back(0);
  }
  return out;
}

std::vector<std::uint8_t> encode_ico(const Picture& picture) {
  const int mask_row = (picture.width + 31) / 32 * 4;
  const auto colour_size = static_cast<std::uint32_t>(picture.width * picture.height * 4);
  const auto mask_size = static_cast<std::uint32_t>(mask_row * picture.height);
  const std::uint32_t image_size = 40 + colour_size + mask_size;
  std::vector<std::uint8_t> out;
  put_u16(out, 0);  // reserved
  put_u16(out, 1);  // icon
  put_u16(out, 1);  // one image
  out.push_back(static_cast<std::uint8_t>(picture.width));
  out.push_back(static_cast<std::uint8_t>(picture.height));
  out.push_back(0);  // no palette
  out.push_back(0);
  put_u16(out, 1);   // planes
  put_u16(out, 32);  // bits per pixel
  put_u32(out, image_size);
  put_u32(out, 6 + 16);
  // The image: colour rows then mask rows, bottom-up, double height.
  put_info_header(out, picture.width, picture.height * 2, 32, colour_size + mask_size);
  for (int y = picture.height - 1; y >= 0; --y) {
    for (int x = 0; x < picture.width; ++x) {
      put_u32(out, picture.argb[static_cast<std::size_t>(y * picture.width + x)]);
    }
  }
  for (int y = picture.height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(mask_row), 0);
    for (int x = 0; x < picture.width; ++x) {
      if ((picture.argb[static_cast<std::size_t>(y * picture.width + x)] >> 24) == 0) {
        row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace artwork
