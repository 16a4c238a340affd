// fltk_screen_check: checks screenshots of ferrant-calc in client
// coordinates, the client area found from the chart panel (the only 385 pixel
// wide run of (220, 220, 220), client row 30 from x 300). "match" compares
// only what ferrant-replay's canvas PNG has drawn (not the window
// background). With --scale F the window is at that display scale: client
// coordinates stay at 100 % and are scaled, the canvas saved with the same
// --scale. Exit code 0 when the check holds, 1 when not (with the reason), 2
// on bad arguments or files.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/display_scale.h"

namespace {

constexpr unsigned long kPanelGrey = 0xDCDCDC;
constexpr unsigned long kButtonFace = 0xF0F0F0;
constexpr int kPanelLeft = 300, kPanelTop = 30, kPanelWidth = 385;

int dpi = tk::common::kBaseDpi;  // the screen's scale, from --scale
int device(int length) { return tk::common::to_device(length, dpi); }

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
  for (int y = 0; y < image.height; ++y) {
    int run = 0;
    for (int x = 0; x <= image.width; ++x) {
      if (x < image.width && image.at(x, y) == kPanelGrey) {
        ++run;
      } else if (std::abs(run - device(kPanelWidth)) <= 1) {  // a fractional scale blends an edge
        image.origin_x = x - run - device(kPanelLeft);
        image.origin_y = y - device(kPanelTop);
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
// X Y W H at 100 %, in device pixels.
Area area(const std::vector<std::string>& args, std::size_t first) {
  const int x = number(args[first]), y = number(args[first + 1]);
  const int w = number(args[first + 2]), h = number(args[first + 3]);
  return {device(x), device(y), device(x + w) - device(x), device(y + h) - device(y)};
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
    const std::optional<int> scale = tk::common::parse_scale_factor(args[1]);
    if (!scale) fail_usage("not a scale: " + args[1]);
    dpi = *scale;
    args.erase(args.begin(), args.begin() + 2);
  }
  const std::string command = args.empty() ? "" : args[0];
  if (command == "origin" && args.size() == 2) {
    const Image shot = read_shot(args[1]);
    std::printf("%d %d\n", shot.origin_x, shot.origin_y);  // device pixels
    return 0;
  }
  if (command == "match" && (args.size() == 3 || args.size() == 7)) {
    const Image canvas = read_shot(args[2]);
    const Area whole{0, 0, canvas.width, canvas.height};
    return same(read_shot(args[1]), canvas, args.size() == 3 ? whole : area(args, 3), true, true) ? 0 : 1;
  }
  if (command == "differ" && args.size() == 7) {
    if (!same(read_shot(args[1]), read_shot(args[2]), area(args, 3), false, false)) return 0;
    std::printf("the area is unchanged\n");
    return 1;
  }
  if (command == "image" && args.size() == 5) {
    const auto loaded = tk::common::load_image_file(args[2]);
    if (!loaded) fail_usage("cannot read " + args[2]);
    const auto bitmap = tk::common::scale_image(*loaded, dpi);
    const Area at{device(number(args[3])), device(number(args[4])), bitmap.width, bitmap.height};
    Image want{bitmap.width, bitmap.height, -at.x, -at.y, {}};
    for (const std::uint32_t argb : bitmap.argb) want.rgb.push_back(argb & 0xFFFFFF);
    return same(read_shot(args[1]), want, at, false, true) ? 0 : 1;
  }
  fail_usage("usage: [--scale F] origin SHOT (prints the screen position of client 0,0) | match SHOT CANVAS [X Y W H]"
             " | differ SHOT_A SHOT_B X Y W H | image SHOT BITMAP X Y");
}
