// fltk_screen_check: checks screenshots of ferrant-calc for the end-to-end
// test. The client area is found on the screen itself, from the chart panel
// (the only 385 pixel wide run of (220, 220, 220); its top row is client row
// 30 from x 300), never from fixed screen positions.
//
//   origin SHOT                     prints the screen position of client 0,0
//   match SHOT CANVAS [X Y W H]     every pixel the headless canvas (a PNG of
//                                   ferrant-replay) has drawn, i.e. is not the
//                                   window background, is the same on screen
//                                   (only inside the client rectangle if given)
//   same SHOT_A SHOT_B X Y W H      the client rectangle is the same in both
//   differ SHOT_A SHOT_B X Y W H    the client rectangle differs
//   image SHOT BITMAP X Y           the bitmap is shown at client X, Y
//
// Exit code 0 when the check holds, 1 when not (with the reason), 2 on bad
// arguments or unreadable files.
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/common/bitmap_loader.h"

namespace {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  unsigned long at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;  // matches no colour
    const std::size_t i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    return static_cast<unsigned long>(rgb[i]) << 16 | static_cast<unsigned long>(rgb[i + 1]) << 8 | rgb[i + 2];
  }
};

struct Point {
  int x = 0;
  int y = 0;
};

constexpr unsigned long kPanelGrey = 0xDCDCDC;
constexpr unsigned long kButtonFace = 0xF0F0F0;
constexpr int kPanelLeft = 300;
constexpr int kPanelTop = 30;
constexpr int kPanelWidth = 385;

[[noreturn]] void fail_usage(const std::string& why) {
  std::fprintf(stderr, "fltk_screen_check: %s\n", why.c_str());
  std::exit(2);
}

Image read_png(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str()) == 0) fail_usage("cannot read " + path);
  image.format = PNG_FORMAT_RGB;
  Image result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr) == 0) fail_usage("cannot decode " + path);
  return result;
}

std::optional<Point> find_origin(const Image& shot) {
  for (int y = 0; y < shot.height; ++y) {
    int run = 0;
    for (int x = 0; x <= shot.width; ++x) {
      if (x < shot.width && shot.at(x, y) == kPanelGrey) {
        ++run;
        continue;
      }
      if (run == kPanelWidth) return Point{x - kPanelWidth - kPanelLeft, y - kPanelTop};
      run = 0;
    }
  }
  return std::nullopt;
}

Point origin_of(const Image& shot, const std::string& name) {
  const auto origin = find_origin(shot);
  if (!origin) {
    std::printf("%s: the chart panel is not on the screen\n", name.c_str());
    std::exit(1);
  }
  return *origin;
}

int number(const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*text == '\0' || *end != '\0') fail_usage(std::string("not a number: ") + text);
  return static_cast<int>(value);
}

struct Area {
  int x = 0, y = 0, w = 0, h = 0;
};

int check_match(const std::string& shot_path, const std::string& canvas_path, std::optional<Area> area) {
  const Image shot = read_png(shot_path);
  const Image canvas = read_png(canvas_path);
  const Point o = origin_of(shot, shot_path);
  const Area limits = area.value_or(Area{0, 0, canvas.width, canvas.height});
  long compared = 0, wrong = 0;
  for (int y = limits.y; y < limits.y + limits.h && y < canvas.height; ++y) {
    for (int x = limits.x; x < limits.x + limits.w && x < canvas.width; ++x) {
      const unsigned long want = canvas.at(x, y);
      if (want == kButtonFace) continue;
      ++compared;
      if (shot.at(o.x + x, o.y + y) == want) continue;
      if (wrong++ < 5) {
        std::printf("client %d,%d: screen %06lx, canvas %06lx\n", x, y, shot.at(o.x + x, o.y + y), want);
      }
    }
  }
  if (compared == 0) {
    std::printf("the canvas has nothing drawn\n");
    return 1;
  }
  if (wrong != 0) std::printf("%ld of %ld drawn pixels differ on screen\n", wrong, compared);
  return wrong == 0 ? 0 : 1;
}

bool same_area(const std::string& a_path, const std::string& b_path, int x, int y, int w, int h) {
  const Image a = read_png(a_path);
  const Image b = read_png(b_path);
  const Point oa = origin_of(a, a_path);
  const Point ob = origin_of(b, b_path);
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      if (a.at(oa.x + column, oa.y + row) != b.at(ob.x + column, ob.y + row)) return false;
    }
  }
  return true;
}

int check_image(const std::string& shot_path, const std::string& bitmap_path, int x, int y) {
  const Image shot = read_png(shot_path);
  const Point o = origin_of(shot, shot_path);
  const auto bitmap = tk::common::load_image_file(bitmap_path);
  if (!bitmap) fail_usage("cannot read " + bitmap_path);
  long wrong = 0;
  for (int row = 0; row < bitmap->height; ++row) {
    for (int column = 0; column < bitmap->width; ++column) {
      const unsigned long want =
          bitmap->argb[static_cast<std::size_t>(row * bitmap->width + column)] & 0xFFFFFF;
      wrong += shot.at(o.x + x + column, o.y + y + row) != want ? 1 : 0;
    }
  }
  if (wrong != 0) std::printf("%ld pixels of %s differ on screen\n", wrong, bitmap_path.c_str());
  return wrong == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "origin") {
    const Image shot = read_png(args[1]);
    const Point o = origin_of(shot, args[1]);
    std::printf("%d %d\n", o.x, o.y);
    return 0;
  }
  if (args.size() == 3 && args[0] == "match") return check_match(args[1], args[2], std::nullopt);
  if (args.size() == 7 && args[0] == "match") {
    return check_match(args[1], args[2], Area{number(argv[4]), number(argv[5]), number(argv[6]), number(argv[7])});
  }
  if (args.size() == 7 && (args[0] == "same" || args[0] == "differ")) {
    const bool same = same_area(args[1], args[2], number(argv[4]), number(argv[5]), number(argv[6]), number(argv[7]));
    if (same != (args[0] == "same")) {
      std::printf("the area %s,%s %sx%s is %s\n", argv[4], argv[5], argv[6], argv[7], same ? "unchanged" : "changed");
      return 1;
    }
    return 0;
  }
  if (args.size() == 5 && args[0] == "image") return check_image(args[1], args[2], number(argv[4]), number(argv[5]));
  fail_usage("usage: origin SHOT | match SHOT CANVAS [X Y W H] | same|differ A B X Y W H | image SHOT BITMAP X Y");
}
