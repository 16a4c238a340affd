// fltk_screen_check: checks screenshots of ferrant-calc for the end-to-end
// tests, in client coordinates. The client area is found on the screen from
// the chart panel (the only 385 pixel wide run of (220, 220, 220); its top
// row is client row 30 from x 300), never from fixed screen positions.
// "match" compares only what the headless canvas (a PNG of ferrant-replay)
// has drawn, i.e. where it is not the window background. With --scale F
// first, the shots are of a window at that display scale: positions and
// areas stay in layout units and cover the device pixels they reach, and a
// bitmap is compared as scaled by the shared picture rule. Exit code 0 when
// the check holds, 1 when not (with the reason), 2 on bad arguments or files.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/canvas.h"
#include "toolkit/common/display_scale.h"

namespace {

constexpr unsigned long kPanelGrey = 0xDCDCDC;
constexpr unsigned long kButtonFace = 0xF0F0F0;
constexpr int kPanelLeft = 300, kPanelTop = 30, kPanelWidth = 385;
int dpi = tk::common::kBaseDpi;  // the shots' display scale

int device(int v) { return tk::common::to_device(v, dpi); }
// The first and the last device pixel wholly inside a layout length from 0.
int first_whole(int v) { return (v * dpi + tk::common::kBaseDpi - 1) / tk::common::kBaseDpi; }
int end_whole(int v) { return v * dpi / tk::common::kBaseDpi; }

[[noreturn]] void fail_usage(const std::string& why) {
  std::fprintf(stderr, "fltk_screen_check: %s\n", why.c_str());
  std::exit(2);
}

// RGB pixels, read at client coordinates once the origin is known.
struct Image {
  int width = 0, height = 0, origin_x = 0, origin_y = 0;
  std::vector<unsigned long> rgb;
  unsigned long at(int x, int y) const {
    x += origin_x;
    y += origin_y;
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;  // matches no colour
    return rgb[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
  }
};

// A screenshot or canvas with its client origin found.
Image read_shot(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&png, path.c_str()) == 0) fail_usage("cannot read " + path);
  png.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(png));
  if (png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr) == 0) fail_usage("cannot read " + path);
  Image image{static_cast<int>(png.width), static_cast<int>(png.height), 0, 0, {}};
  for (std::size_t i = 0; i + 2 < bytes.size(); i += 3) {
    image.rgb.push_back(static_cast<unsigned long>(bytes[i]) << 16 |
                        static_cast<unsigned long>(bytes[i + 1]) << 8 | bytes[i + 2]);
  }
  // The panel's edges may share device pixels with what lies beside it.
  const int left = first_whole(kPanelLeft), width = end_whole(kPanelLeft + kPanelWidth) - left;
  for (int y = 0; y < image.height; ++y) {
    int run = 0;
    for (int x = 0; x <= image.width; ++x) {
      if (x < image.width && image.at(x, y) == kPanelGrey) {
        ++run;
      } else if (run == width) {
        image.origin_x = x - width - left;
        image.origin_y = y - first_whole(kPanelTop);
        return image;
      } else {
        run = 0;
      }
    }
  }
  std::printf("%s: the chart panel is not on the screen\n", path.c_str());
  std::exit(1);
}

int number(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0') fail_usage("not a number: " + text);
  return static_cast<int>(value);
}

struct Area {
  int x, y, w, h;
};
// In device pixels.
Area area(const std::vector<std::string>& args, std::size_t first) {
  const int x = number(args[first]), y = number(args[first + 1]);
  const int right = x + number(args[first + 2]), bottom = y + number(args[first + 3]);
  return {device(x), device(y), device(right) - device(x), device(bottom) - device(y)};
}

// Whether the area is the same in both; with only_drawn, only where `want` is
// not the window background. Differences are printed when `report` is set.
bool same(const Image& have, const Image& want, Area a, bool only_drawn, bool report) {
  long wrong = 0;
  for (int y = a.y; y < a.y + a.h; ++y) {
    for (int x = a.x; x < a.x + a.w; ++x) {
      if ((only_drawn && want.at(x, y) == kButtonFace) || have.at(x, y) == want.at(x, y)) continue;
      if (report && wrong < 5) {
        std::printf("client %d,%d: %06lx, expected %06lx\n", x, y, have.at(x, y), want.at(x, y));
      }
      ++wrong;
    }
  }
  if (report && wrong != 0) std::printf("%ld pixels differ\n", wrong);
  return wrong == 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 2 && args[0] == "--scale") {
    const auto scale = tk::common::parse_scale_factor(args[1]);
    if (!scale) fail_usage("not a scale: " + args[1]);
    dpi = tk::common::clamp_dpi(*scale);
    args.erase(args.begin(), args.begin() + 2);
  }
  const std::string command = args.empty() ? "" : args[0];
  if (command == "origin" && args.size() == 2) {
    const Image shot = read_shot(args[1]);
    std::printf("%d %d\n", shot.origin_x, shot.origin_y);
    return 0;
  }
  if (command == "match" && (args.size() == 3 || args.size() == 7)) {
    const Image canvas = read_shot(args[2]);
    const Area whole{0, 0, canvas.width, canvas.height};
    return same(read_shot(args[1]), canvas, args.size() == 3 ? whole : area(args, 3), true, true) ? 0 : 1;
  }
  if ((command == "same" || command == "differ") && args.size() == 7) {
    const bool expected = command == "same";
    if (same(read_shot(args[1]), read_shot(args[2]), area(args, 3), false, expected) == expected) return 0;
    if (!expected) std::printf("the area is unchanged\n");
    return 1;
  }
  if (command == "image" && args.size() == 5) {
    const auto bitmap = tk::common::load_image_file(args[2]);
    if (!bitmap) fail_usage("cannot read " + args[2]);
    tk::common::Canvas canvas(bitmap->width, bitmap->height, tk::common::kButtonFace);
    for (int y = 0; y < bitmap->height; ++y) {
      for (int x = 0; x < bitmap->width; ++x) {
        const std::uint32_t argb = bitmap->argb[static_cast<std::size_t>(y * bitmap->width + x)];
        canvas.box(x, y, 1, 1, tk::rgb(argb >> 16 & 0xFF, argb >> 8 & 0xFF, argb & 0xFF));
      }
    }
    tk::common::ScaledPicture scaled;
    tk::common::scale_picture(canvas, dpi, 0, 0, bitmap->width, bitmap->height, scaled);
    const Area at{device(number(args[3])), device(number(args[4])), scaled.width, scaled.height};
    Image want{scaled.width, scaled.height, -at.x, -at.y, {}};
    for (const tk::Colour c : scaled.pixels) want.rgb.push_back((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
    return same(read_shot(args[1]), want, at, false, true) ? 0 : 1;
  }
  fail_usage("usage: [--scale F] origin SHOT (prints the screen position of client 0,0) | match SHOT CANVAS [X Y W H]"
             " | same|differ SHOT_A SHOT_B X Y W H | image SHOT BITMAP X Y");
}
