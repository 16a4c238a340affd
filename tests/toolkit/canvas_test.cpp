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

// The glyphs themselves are pinned by the program's golden canvas digests.
TEST(Canvas, TextIsOpaqueCellsOfItsGlyphsAdvancesBySixteen) {
  const Colour background = rgb(255, 0, 0);
  // Proportional: a '1' is narrower than a '0', a text as wide as its glyphs.
  EXPECT_LT(Canvas::text_width("1"), Canvas::text_width("0"));
  EXPECT_EQ(Canvas::text_width("10 W"),
            Canvas::text_width("1") + Canvas::text_width("0") + Canvas::text_width(" ") + Canvas::text_width("W"));
  EXPECT_EQ(Canvas::text_height(), 16);

  // "-", the bullet (one glyph for its three bytes), " 1 ": one opaque
  // rectangle, blank columns and all, ending where text() says.
  const std::string text = "-\xE2\x80\xA2 1 ";
  const int width = Canvas::text_width(text);
  EXPECT_EQ(width, Canvas::text_width("-") + Canvas::text_width("\xE2\x80\xA2") + Canvas::text_width(" 1 "));
  Canvas canvas(60, 40, kBackground);
  EXPECT_EQ(canvas.text(10, 20, text, background), 10 + width);
  EXPECT_EQ(painted_count(canvas), width * 16);
  int ink = 0;
  for (int y = 20; y < 36; ++y) {
    for (int x = 10; x < 10 + width; ++x) {
      ASSERT_TRUE(canvas.painted(x, y)) << x << "," << y;
      ASSERT_TRUE(canvas.pixel(x, y) == background || canvas.pixel(x, y) == 0) << x << "," << y;
      ink += canvas.pixel(x, y) == 0 ? 1 : 0;
    }
  }
  EXPECT_GT(ink, 0);
  EXPECT_EQ(canvas.text(10, 20, "", background), 10);
  // The replacement glyph for each byte of invalid UTF-8 (stray, lead without
  // continuation, overlong "/", surrogate) and for a character not in the font.
  EXPECT_EQ(canvas.text(0, 0, "\xFF\xC0\xE4\xB8\xAD\xC0\xAF\xED\xA0\x80", background),
            8 * Canvas::text_width("?"));

  // The bullet has a glyph of its own: not the replacement's, nor that of the
  // tilde beside it in the font.
  const auto glyph = [&](const char* one) {
    Canvas cell(20, 16, kBackground);
    const int end = cell.text(0, 0, one, background);
    std::vector<Colour> pixels;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < end; ++x) pixels.push_back(cell.pixel(x, y));
    }
    return pixels;
  };
  EXPECT_NE(glyph("\xE2\x80\xA2"), glyph("?"));
  EXPECT_NE(glyph("\xE2\x80\xA2"), glyph("~"));
}

TEST(Canvas, TextClippedAtAnyEdgeIsTheWholeTextCut) {
  const Colour background = rgb(0, 0, 255);
  const std::string text = "W1g0";
  const int width = Canvas::text_width(text);
  Canvas whole(width, 16, kBackground);
  ASSERT_EQ(whole.text(0, 0, text, background), width);
  struct Case { int x, y, canvas_width, canvas_height; };
  // Cut on the left and top (inside the first glyph), on the right and
  // bottom (inside the last), and off the canvas altogether.
  for (const Case c : {Case{-9, -5, 30, 30}, Case{4, 3, width - 2, 10}, Case{-width, 0, 20, 20}, Case{0, 16, 40, 16}}) {
    Canvas canvas(c.canvas_width, c.canvas_height, kBackground);
    EXPECT_EQ(canvas.text(c.x, c.y, text, background), c.x + width);
    int expected_painted = 0;
    for (int y = 0; y < c.canvas_height; ++y) {
      for (int x = 0; x < c.canvas_width; ++x) {
        const bool in_cell = x >= c.x && x < c.x + width && y >= c.y && y < c.y + 16;
        expected_painted += in_cell ? 1 : 0;
        ASSERT_EQ(canvas.painted(x, y), in_cell) << c.x << "," << c.y << ": " << x << "," << y;
        if (in_cell) {
          ASSERT_EQ(canvas.pixel(x, y), whole.pixel(x - c.x, y - c.y)) << x << "," << y;
        }
      }
    }
    EXPECT_EQ(painted_count(canvas), expected_painted);
  }
}

}  // namespace
