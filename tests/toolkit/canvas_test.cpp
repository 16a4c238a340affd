// Pixel extents of the canvas's box, circle, line and text rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/common/canvas.h"

namespace {

using tk::Colour;
using tk::rgb;
using tk::common::Canvas;

constexpr Colour kBackground = rgb(240, 240, 240);
constexpr Colour kInk = rgb(0, 255, 0);

// Rows of the given area as text: '#' for ink, '.' for anything else.
std::vector<std::string> picture(const Canvas& canvas, int x0, int y0, int w, int h) {
  std::vector<std::string> rows;
  for (int y = y0; y < y0 + h; ++y) {
    std::string row;
    for (int x = x0; x < x0 + w; ++x) {
      row += canvas.pixel(x, y) == kInk ? '#' : '.';
    }
    rows.push_back(row);
  }
  return rows;
}

struct Extent {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
};

Extent extent(const Canvas& canvas) {
  Extent e;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.painted(x, y)) {
        e.left = std::min(e.left, x);
        e.right = std::max(e.right, x);
        e.top = std::min(e.top, y);
        e.bottom = std::max(e.bottom, y);
        ++e.count;
      }
    }
  }
  return e;
}

TEST(CanvasBox, CoversColumnsAndRowsUpToSizeMinusOne) {
  Canvas canvas(700, 680, kBackground);
  canvas.box(20, 288, 200, 2, kInk);
  const Extent e = extent(canvas);
  EXPECT_EQ(e.left, 20);
  EXPECT_EQ(e.right, 219);
  EXPECT_EQ(e.top, 288);
  EXPECT_EQ(e.bottom, 289);
  EXPECT_EQ(e.count, 400);
}

TEST(CanvasBox, SinglePixelCases) {
  struct Case {
    int w, h, x, y;
  };
  for (const Case c : {Case{1, 1, 50, 60}, Case{-1, 1, 49, 60}, Case{1, -1, 50, 59},
                       Case{-1, -1, 49, 59}}) {
    Canvas canvas(100, 100, kBackground);
    canvas.box(50, 60, c.w, c.h, kInk);
    const Extent e = extent(canvas);
    EXPECT_EQ(e.count, 1) << c.w << "," << c.h;
    EXPECT_EQ(canvas.pixel(c.x, c.y), kInk) << c.w << "," << c.h;
  }
}

TEST(CanvasBox, NegativeSizesNormaliseAndEmptyDrawsNothing) {
  Canvas canvas(100, 100, kBackground);
  canvas.box(50, 50, -10, -3, kInk);  // Rectangle(50, 50, 40, 47)
  const Extent e = extent(canvas);
  EXPECT_EQ(e.left, 40);
  EXPECT_EQ(e.right, 49);
  EXPECT_EQ(e.top, 47);
  EXPECT_EQ(e.bottom, 49);

  Canvas empty(100, 100, kBackground);
  empty.box(10, 10, 0, 5, kInk);
  empty.box(10, 10, 5, 0, kInk);
  EXPECT_EQ(extent(empty).count, 0);
}

TEST(CanvasShapes, OffCanvasPartsAreClippedAndCoordinatesBeyondTheLimitDrawNothing) {
  Canvas canvas(30, 20, kBackground);
  canvas.box(-5, -5, 100000, 100000, kInk);
  EXPECT_EQ(extent(canvas).count, 30 * 20);

  // The platform refuses coordinates beyond 2^27; so does the canvas,
  // which also keeps its arithmetic far from overflow.
  Canvas refused(30, 20, kBackground);
  refused.box(-2147483647, -2147483647, 2147483647, 2147483647, kInk);
  refused.box(-5, -5, 2147483647, 100, kInk);
  refused.circle(0, 0, 2147483647, kInk);
  refused.circle(-2147483647, 10, 3, kInk);
  refused.line(-2147483647, 10, 2147483647, 10, kInk);
  refused.line(-2147483647, -2147483647, 2147483647, 2147483647, kInk);
  EXPECT_EQ(extent(refused).count, 0);

  Canvas large(30, 20, kBackground);
  large.circle(15, 10, 100000, kInk);
  EXPECT_EQ(extent(large).count, 30 * 20);
  large.clear(kBackground);
  large.line(-100000000, -100000000, 100000000, 100000000, kInk);
  EXPECT_EQ(extent(large).count, 20);
  EXPECT_EQ(large.pixel(10, 10), kInk);
}

TEST(CanvasCircle, DiscIsInscribedInItsSquareWithoutRightAndBottomEdges) {
  Canvas canvas(700, 680, kBackground);
  canvas.circle(22, 289, 4, kInk);
  const std::vector<std::string> expected = {
      "..####..",  //
      ".######.",  //
      "########",  //
      "########",  //
      "########",  //
      "########",  //
      ".######.",  //
      "..####..",
  };
  EXPECT_EQ(picture(canvas, 18, 285, 8, 8), expected);
  EXPECT_EQ(extent(canvas).count, 52);  // nothing outside the square
}

TEST(CanvasCircle, RadiusTwoAndRadiusOne) {
  Canvas canvas(700, 680, kBackground);
  canvas.circle(22, 289, 2, kInk);
  EXPECT_EQ(picture(canvas, 20, 287, 4, 4),
            (std::vector<std::string>{".##.", "####", "####", ".##."}));
  EXPECT_EQ(extent(canvas).count, 12);

  Canvas small(100, 100, kBackground);
  small.circle(10, 20, 1, kInk);  // a 2 x 2 box at x, y
  EXPECT_EQ(picture(small, 9, 19, 4, 4),
            (std::vector<std::string>{"....", ".##.", ".##.", "...."}));
  small.clear(kBackground);
  small.circle(10, 20, 0, kInk);
  EXPECT_EQ(extent(small).count, 0);
}

TEST(CanvasLine, BothEndPixelsAreSet) {
  Canvas canvas(100, 100, kBackground);
  canvas.line(0, 0, 10, 0, kInk);
  Extent e = extent(canvas);
  EXPECT_EQ(e.count, 11);
  EXPECT_EQ(e.right, 10);

  canvas.clear(kBackground);
  canvas.line(5, 5, 5, 5, kInk);
  EXPECT_EQ(extent(canvas).count, 1);
}

TEST(CanvasLine, OnePixelPerColumnOrRowTiesToUpperOrLeft) {
  Canvas canvas(100, 100, kBackground);
  canvas.line(0, 0, 4, 1, kInk);  // passes exactly between rows 0 and 1 at x = 2
  EXPECT_EQ(picture(canvas, 0, 0, 5, 2), (std::vector<std::string>{"###..", "...##"}));

  // The pixels do not depend on the direction of drawing.
  Canvas reverse(100, 100, kBackground);
  reverse.line(4, 1, 0, 0, kInk);
  EXPECT_EQ(picture(reverse, 0, 0, 5, 2), picture(canvas, 0, 0, 5, 2));

  Canvas steep(100, 100, kBackground);
  steep.line(0, 0, 1, 4, kInk);
  EXPECT_EQ(picture(steep, 0, 0, 2, 5),
            (std::vector<std::string>{"#.", "#.", "#.", ".#", ".#"}));

  Canvas diagonal(100, 100, kBackground);
  diagonal.line(3, 7, 7, 3, kInk);
  const Extent e = extent(diagonal);
  EXPECT_EQ(e.count, 5);
  EXPECT_EQ(diagonal.pixel(5, 5), kInk);
}

TEST(CanvasText, OpaqueCellsOfEightBySixteenWithAGlyphForEachCharacter) {
  Canvas canvas(200, 100, kBackground);
  const Colour background = rgb(255, 0, 0);
  // "-", the bullet (one cell for its three bytes), "3".
  EXPECT_EQ(canvas.text(10, 20, "-\xE2\x80\xA2" "3", background), 10 + 3 * 8);
  const Extent e = extent(canvas);
  EXPECT_EQ(e.left, 10);
  EXPECT_EQ(e.right, 33);
  EXPECT_EQ(e.top, 20);
  EXPECT_EQ(e.bottom, 35);
  EXPECT_EQ(e.count, 24 * 16);
  for (int cell = 0; cell < 3; ++cell) {
    int black = 0;
    for (int y = 20; y < 36; ++y) {
      for (int x = 10 + 8 * cell; x < 18 + 8 * cell; ++x) {
        const Colour c = canvas.pixel(x, y);
        EXPECT_TRUE(c == background || c == rgb(0, 0, 0));
        black += c == rgb(0, 0, 0) ? 1 : 0;
      }
    }
    EXPECT_GT(black, 4) << "cell " << cell;
  }
  EXPECT_EQ(canvas.text(10, 20, "", background), 10);
  // Invalid UTF-8 and characters the font lacks take a cell each; no crash.
  EXPECT_EQ(canvas.text(0, 60, "\xFF\xC0\xE4\xB8\xAD", background), 3 * 8);
}

}  // namespace
