// The canvas's pixel rules for boxes, circles, lines and text, as pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/common/canvas.h"

namespace {

using tk::Colour;
using tk::rgb;
using tk::common::Canvas;

constexpr Colour kBackground = rgb(240, 240, 240);
constexpr Colour kInk = rgb(0, 255, 0);
using Picture = std::vector<std::string>;

// The canvas as text: '#' for a painted pixel, '.' for any other.
Picture picture(const Canvas& canvas) {
  Picture rows;
  for (int y = 0; y < canvas.height(); ++y) {
    std::string row;
    for (int x = 0; x < canvas.width(); ++x) row += canvas.painted(x, y) ? '#' : '.';
    rows.push_back(row);
  }
  return rows;
}

int painted_count(const Canvas& canvas) {
  int count = 0;
  for (const std::string& row : picture(canvas)) count += static_cast<int>(std::count(row.begin(), row.end(), '#'));
  return count;
}

TEST(Canvas, ShapesPaintTheseAndOnlyThesePixels) {
  struct Case { const char* what; std::function<void(Canvas&)> draw; Picture expected; };  // expected gives the canvas's size
  const Picture box_3x2 = {".....", ".###.", ".###.", "....."};
  const Case cases[] = {
      {"box: columns x..x+w-1, rows y..y+h-1", [](Canvas& c) { c.box(1, 1, 3, 2, kInk); }, box_3x2},
      {"box: negative sizes", [](Canvas& c) { c.box(4, 3, -3, -2, kInk); }, box_3x2},
      {"box: w, h of 1 or -1 take one pixel beside x, y",
       [](Canvas& c) {
         c.box(1, 1, 1, 1, kInk);
         c.box(4, 1, -1, 1, kInk);
         c.box(4, 3, 1, -1, kInk);
         c.box(2, 4, -1, -1, kInk);
       },
       {".....", ".#.#.", "....#", ".#...", "....."}},
      {"box: empty", [](Canvas& c) { c.box(1, 1, 0, 2, kInk); c.box(1, 1, 2, 0, kInk); }, {"...", "..."}},
      {"circle: the disc inscribed in x-r..x+r-1, y-r..y+r-1",
       [](Canvas& c) { c.circle(4, 4, 4, kInk); },
       {"..####..", ".######.", "########", "########", "########", "########", ".######.", "..####.."}},
      {"circle: radius 2, radius 1 is a 2 x 2 box at x, y, radius 0 nothing",
       [](Canvas& c) {
         c.circle(2, 2, 2, kInk);
         c.circle(5, 0, 1, kInk);
         c.circle(6, 3, 0, kInk);
       },
       {".##..##", "####.##", "####...", ".##...."}},
      {"line: horizontal and vertical, both ends",
       [](Canvas& c) { c.line(0, 0, 2, 0, kInk); c.line(4, 2, 4, 0, kInk); }, {"###.#", "....#", "....#"}},
      {"line: ties to the upper row", [](Canvas& c) { c.line(0, 0, 4, 1, kInk); }, {"###..", "...##"}},
      {"line: the same drawn backwards", [](Canvas& c) { c.line(4, 1, 0, 0, kInk); }, {"###..", "...##"}},
      {"line: steep, ties to the left column", [](Canvas& c) { c.line(0, 0, 1, 4, kInk); },
       {"#.", "#.", "#.", ".#", ".#"}},
      {"line: diagonal and a single point",
       [](Canvas& c) { c.line(0, 3, 3, 0, kInk); c.line(4, 3, 4, 3, kInk); },
       {"...#.", "..#..", ".#...", "#...#"}},
  };
  for (const Case& c : cases) {
    Canvas canvas(static_cast<int>(c.expected[0].size()), static_cast<int>(c.expected.size()), kBackground);
    c.draw(canvas);
    EXPECT_EQ(picture(canvas), c.expected) << c.what;
  }
}

TEST(Canvas, OffCanvasPartsAreClippedAndCoordinatesBeyondTheLimitDrawNothing) {
  Canvas canvas(30, 20, kBackground);
  canvas.box(-5, -5, 100000, 100000, kInk);
  EXPECT_EQ(painted_count(canvas), 30 * 20);
  canvas.clear(kBackground);
  canvas.circle(15, 10, 100000, kInk);
  EXPECT_EQ(painted_count(canvas), 30 * 20);
  canvas.clear(kBackground);
  canvas.line(-100000000, -100000000, 100000000, 100000000, kInk);
  EXPECT_EQ(painted_count(canvas), 20);
  EXPECT_EQ(canvas.pixel(10, 10), kInk);

  // The platform refuses coordinates beyond 2^27; so does the canvas,
  // which also keeps its arithmetic far from overflow.
  canvas.clear(kBackground);
  canvas.box(-2147483647, -2147483647, 2147483647, 2147483647, kInk);
  canvas.box(-5, -5, 2147483647, 100, kInk);
  canvas.circle(0, 0, 2147483647, kInk);
  canvas.circle(-2147483647, 10, 3, kInk);
  canvas.line(-2147483647, 10, 2147483647, 10, kInk);
  canvas.line(-2147483647, -2147483647, 2147483647, 2147483647, kInk);
  EXPECT_EQ(painted_count(canvas), 0);
}

// The glyphs themselves are in the program's golden canvas pictures.
TEST(Canvas, TextIsOpaqueCellsOfEightBySixteen) {
  Canvas canvas(40, 40, kBackground);
  const Colour background = rgb(255, 0, 0);
  // "-", the bullet (one cell for its three bytes), "3".
  EXPECT_EQ(canvas.text(10, 20, "-\xE2\x80\xA2" "3", background), 10 + 3 * 8);
  EXPECT_EQ(painted_count(canvas), 24 * 16);
  EXPECT_TRUE(canvas.painted(10, 20) && canvas.painted(33, 35));
  EXPECT_EQ(canvas.text(10, 20, "", background), 10);
  // A cell for each byte of invalid UTF-8 (a stray byte, a lead byte without
  // its continuation, an overlong "/", a surrogate) and for a character the
  // font lacks.
  EXPECT_EQ(canvas.text(0, 0, "\xFF\xC0\xE4\xB8\xAD\xC0\xAF\xED\xA0\x80", background), 8 * 8);

  // The bullet has a glyph of its own: not the replacement's, nor that of the
  // tilde beside it in the font.
  Canvas glyphs(24, 16, kBackground);
  glyphs.text(0, 0, "\xE2\x80\xA2?~", background);
  const auto cell = [&](int index) {
    std::vector<Colour> pixels;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 8; ++x) pixels.push_back(glyphs.pixel(8 * index + x, y));
    }
    return pixels;
  };
  EXPECT_NE(cell(0), cell(1));
  EXPECT_NE(cell(0), cell(2));
}

}  // namespace
