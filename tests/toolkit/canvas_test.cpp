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
  EXPECT_EQ(canvas.pixel(20, 288), kInk);
  EXPECT_EQ(canvas.pixel(220, 288), kBackground);
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
  const Extent e = extent(canvas);
  EXPECT_EQ(e.left, 18);
  EXPECT_EQ(e.right, 25);
  EXPECT_EQ(e.top, 285);
  EXPECT_EQ(e.bottom, 292);
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
}

TEST(CanvasCircle, RadiusTwoAndRadiusOne) {
  Canvas canvas(700, 680, kBackground);
  canvas.circle(22, 289, 2, kInk);
  const Extent e = extent(canvas);
  EXPECT_EQ(e.left, 20);
  EXPECT_EQ(e.right, 23);
  EXPECT_EQ(e.top, 287);
  EXPECT_EQ(e.bottom, 290);
  EXPECT_EQ(picture(canvas, 20, 287, 4, 4),
            (std::vector<std::string>{".##.", "####", "####", ".##."}));

  Canvas small(100, 100, kBackground);
  small.circle(10, 20, 1, kInk);  // a 2 x 2 box at x, y
  EXPECT_EQ(picture(small, 9, 19, 4, 4),
            (std::vector<std::string>{"....", ".##.", ".##.", "...."}));
  small.clear(kBackground);
  small.circle(10, 20, 0, kInk);
  EXPECT_EQ(extent(small).count, 0);
}

TEST(CanvasCircle, RingAsTheLoopSketchDrawsIt) {
  Canvas canvas(700, 680, kBackground);
  canvas.circle(22, 289, 4, kInk);
  canvas.circle(22, 289, 2, rgb(255, 255, 255));
  EXPECT_EQ(canvas.pixel(21, 288), rgb(255, 255, 255));
  EXPECT_EQ(canvas.pixel(19, 288), kInk);
  EXPECT_EQ(canvas.pixel(24, 291), kInk);
}

TEST(CanvasLine, BothEndPixelsAreSet) {
  Canvas canvas(100, 100, kBackground);
  canvas.line(0, 0, 10, 0, kInk);
  Extent e = extent(canvas);
  EXPECT_EQ(e.count, 11);
  EXPECT_EQ(e.right, 10);

  canvas.clear(kBackground);
  canvas.line(340, 60, 340, 274, kInk);  // clipped: nothing on a 100 x 100 canvas
  EXPECT_EQ(extent(canvas).count, 0);

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

TEST(CanvasLine, FrontColourIsBlack) {
  Canvas canvas(50, 50, kBackground);
  canvas.line(0, 10, 49, 10, tk::kFrontColour);
  EXPECT_EQ(canvas.pixel(25, 10), rgb(0, 0, 0));
  EXPECT_EQ(canvas.pixel(49, 10), rgb(0, 0, 0));
}

TEST(CanvasText, OpaqueCellsOfEightBySixteen) {
  Canvas canvas(200, 100, kBackground);
  const Colour background = rgb(255, 0, 0);
  EXPECT_EQ(canvas.text(10, 20, "-30", background), 10 + 3 * 8);
  const Extent e = extent(canvas);
  EXPECT_EQ(e.left, 10);
  EXPECT_EQ(e.right, 33);
  EXPECT_EQ(e.top, 20);
  EXPECT_EQ(e.bottom, 35);
  EXPECT_EQ(e.count, 24 * 16);
  int black = 0;
  for (int y = 20; y < 36; ++y) {
    for (int x = 10; x < 34; ++x) {
      const Colour c = canvas.pixel(x, y);
      EXPECT_TRUE(c == background || c == rgb(0, 0, 0));
      black += c == rgb(0, 0, 0) ? 1 : 0;
    }
  }
  EXPECT_GT(black, 0);

  EXPECT_EQ(canvas.text(10, 20, "", background), 10);
  EXPECT_EQ(Canvas::text_width("\xE2\x80\xA2 x"), 24);  // the bullet is one cell
  EXPECT_EQ(Canvas::text_height(), 16);
}

TEST(CanvasText, BulletAndUnknownCharactersHaveGlyphs) {
  Canvas canvas(100, 40, kBackground);
  canvas.text(0, 0, "\xE2\x80\xA2", rgb(255, 255, 255));
  int ink = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 8; ++x) {
      ink += canvas.pixel(x, y) == 0 ? 1 : 0;
    }
  }
  EXPECT_GT(ink, 4);
  // Invalid UTF-8 and characters the font lacks take a cell each; no crash.
  EXPECT_EQ(canvas.text(0, 20, "\xFF\xC0\xE4\xB8\xAD", rgb(255, 255, 255)), 3 * 8);
}

}  // namespace
