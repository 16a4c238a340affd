// The headless backend's gadgets, drawing phases, retained canvas, images,
// URLs and PNG output.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/toolkit/bmp_builder.h"
#include "tests/toolkit/toolkit_fixture.h"

namespace {

using namespace toolkit_test;
namespace hl = tk::headless;

constexpr tk::Colour kButtonFace = tk::rgb(240, 240, 240);

class HeadlessTest : public ToolkitTest {};

std::filesystem::path temp_file(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("ferrant_toolkit_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
          "_" + name);
}

TEST_F(HeadlessTest, ComboTextSelectsTheWholeItemIgnoringCase) {
  tk::create_combo_box(4, 20, 496, 85, 20);
  for (const char* item : {"Ferrant_II", "Ferrant_III", "Pellion"}) {
    tk::add_combo_item(4, -1, item);
  }
  settle();
  EXPECT_EQ(tk::get_gadget_state(4), -1);
  EXPECT_EQ(tk::get_gadget_text(4), "");

  tk::set_gadget_text(4, "ferrant_iii");
  EXPECT_EQ(tk::get_gadget_state(4), 1);
  EXPECT_EQ(tk::get_gadget_text(4), "Ferrant_III");

  for (const char* no_match : {"Ferrant", "Pellion ", "Ferrant_IIII", "x"}) {
    tk::set_gadget_text(4, no_match);
    EXPECT_EQ(tk::get_gadget_state(4), 1) << no_match;
  }
  tk::set_gadget_text(4, "");
  EXPECT_EQ(tk::get_gadget_state(4), -1);
  EXPECT_EQ(tk::get_gadget_text(4), "");
  EXPECT_FALSE(hl::has_pending());
}

TEST_F(HeadlessTest, ComboInsertKeepsTheSelectedItem) {
  tk::create_combo_box(1, 20, 116, 50, 20);
  tk::add_combo_item(1, -1, "0.5");
  tk::add_combo_item(1, -1, "0.6");
  tk::set_gadget_text(1, "0.6");
  tk::add_combo_item(1, 0, "0.4");
  tk::add_combo_item(1, 9, "refused");
  tk::add_combo_item(1, -2, "refused");
  EXPECT_EQ(hl::combo_items(1), (std::vector<std::string>{"0.4", "0.5", "0.6"}));
  EXPECT_EQ(tk::get_gadget_state(1), 2);
  EXPECT_EQ(hl::rect(1).h, 20);  // the closed height
}

TEST_F(HeadlessTest, ANumberInUseIsReplacedAndMovesToTheEndOfTheTabOrder) {
  tk::create_text_field(0, 20, 66, 30, 20, "old", 0);
  tk::create_button(9, 600, 640, 80, 24, "Quit");
  tk::create_frame(tk::kAnonymous, 10, 20, 680, 300, "Frame");
  tk::create_frame(tk::kAnonymous, 10, 350, 290, 300, "Frame");
  settle();
  hl::focus(0);
  drain();

  tk::create_label(0, 30, 70, 100, 16, "new");
  EXPECT_EQ(hl::kind(0), hl::GadgetKind::Label);
  EXPECT_EQ(tk::get_gadget_text(0), "new");
  EXPECT_EQ(hl::rect(0).x, 30);
  EXPECT_EQ(hl::gadget_numbers(), (std::vector<int>{0, 9}));
  EXPECT_EQ(hl::focused_gadget(), -1);  // the focused field went with it

  tk::create_text_field(0, 20, 66, 30, 20, "", 0);
  hl::tab();
  drain();
  EXPECT_EQ(hl::focused_gadget(), 9);
  hl::tab();
  drain();
  EXPECT_EQ(hl::focused_gadget(), 0);

  // Anonymous gadgets cannot be reached.
  EXPECT_FALSE(hl::exists(tk::kAnonymous));
  EXPECT_EQ(tk::get_gadget_text(tk::kAnonymous), "");
}

TEST_F(HeadlessTest, MissingNumbersDoNothingOrGiveEmptyAndZero) {
  settle();
  tk::set_gadget_text(42, "x");
  tk::add_combo_item(42, -1, "x");
  EXPECT_EQ(tk::get_gadget_text(42), "");
  EXPECT_EQ(tk::get_gadget_state(42), 0);
  hl::focus(42);
  hl::click(42);
  hl::pick(42, 0);
  hl::select_all(42);
  EXPECT_FALSE(hl::has_pending());
  EXPECT_FALSE(hl::exists(42));
}

TEST_F(HeadlessTest, CanvasStartsAsTheClientAreaInButtonFace) {
  EXPECT_EQ(hl::canvas_width(), 700);
  EXPECT_EQ(hl::canvas_height(), 680);
  EXPECT_EQ(hl::pixel(0, 0), kButtonFace);
  EXPECT_EQ(hl::pixel(699, 679), kButtonFace);
  EXPECT_EQ(hl::pixel(700, 0), 0);
}

TEST_F(HeadlessTest, DrawingOnlyInsideAPhaseOnTheWindow) {
  const tk::Colour green = tk::rgb(0, 255, 0);
  tk::draw_box(0, 0, 10, 10, green);  // no phase
  tk::begin_window_drawing(7);        // missing window: no target
  tk::draw_box(0, 0, 10, 10, green);
  tk::draw_line(0, 0, 10, 0, green);
  EXPECT_EQ(tk::draw_text(0, 0, "x"), 0);
  tk::begin_window_drawing(0);
  tk::end_drawing();
  tk::draw_circle(5, 5, 4, green);
  EXPECT_EQ(hl::pixel(5, 5), kButtonFace);

  tk::begin_window_drawing(0);
  tk::draw_box(20, 288, 200, 2, green);
  tk::draw_line(0, 0, 10, 0, tk::kFrontColour);
  tk::set_text_background(tk::rgb(255, 0, 0));
  EXPECT_EQ(tk::draw_text(100, 100, "ab"), 116);
  tk::begin_window_drawing(0);  // a new phase starts with a white text background
  EXPECT_EQ(tk::draw_text(100, 200, " "), 108);
  tk::end_drawing();

  EXPECT_EQ(hl::pixel(219, 289), green);
  EXPECT_EQ(hl::pixel(10, 0), tk::rgb(0, 0, 0));
  EXPECT_EQ(hl::pixel(100, 100), tk::rgb(255, 0, 0));
  EXPECT_EQ(hl::pixel(100, 200), tk::rgb(255, 255, 255));

  // A system repaint queues its event and keeps the picture.
  settle();
  hl::system_repaint();
  EXPECT_EQ(drain(), (std::vector<Event>{raw(tk::kMsgPaint), raw(tk::kEventRepaint)}));
  EXPECT_EQ(hl::pixel(219, 289), green);
}

TEST_F(HeadlessTest, ImageViewTakesTheBitmapSize) {
  const auto path = temp_file("logo.bmp");
  bmp_builder::write_file(path, bmp_builder::grey_24bit(3, 2));
  const tk::Bitmap logo = tk::load_bitmap(0, path.string());
  std::filesystem::remove(path);
  ASSERT_NE(logo, tk::kNoBitmap);
  tk::create_image_view(13, 330, 560, 100, 100, logo);
  EXPECT_EQ(hl::rect(13).w, 3);
  EXPECT_EQ(hl::rect(13).h, 2);
  EXPECT_EQ(tk::get_gadget_state(13), logo);

  const tk::Bitmap missing = tk::load_bitmap(1, path.string());
  EXPECT_EQ(missing, tk::kNoBitmap);
  EXPECT_NE(tk::last_error().find("logo.bmp"), std::string::npos);
  EXPECT_EQ(tk::load_bitmap(2, std::filesystem::temp_directory_path().string()), tk::kNoBitmap);
  tk::create_image_view(14, 330, 560, 100, 90, missing);
  EXPECT_EQ(hl::rect(14).w, 100);
  EXPECT_EQ(hl::rect(14).h, 90);
  EXPECT_EQ(tk::get_gadget_state(14), 0);
  EXPECT_EQ(hl::image_size(14).w, 0);
}

TEST_F(HeadlessTest, SavesTheCanvasAsAnRgbPng) {
  tk::begin_window_drawing(0);
  tk::draw_box(0, 0, 5, 5, tk::rgb(255, 0, 0));
  tk::end_drawing();
  const auto path = temp_file("canvas.png");
  ASSERT_TRUE(hl::save_png(path.string())) << tk::last_error();
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
  std::filesystem::remove(path);
  ASSERT_GT(bytes.size(), 33u);
  EXPECT_EQ(bytes[1], 'P');
  const auto be32 = [&bytes](std::size_t at) {
    return (bytes[at] << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3];
  };
  EXPECT_EQ(be32(16), 700);  // IHDR width, height, bit depth 8, colour type 2 (RGB)
  EXPECT_EQ(be32(20), 680);
  EXPECT_EQ(bytes[24], 8);
  EXPECT_EQ(bytes[25], 2);

  EXPECT_FALSE(hl::save_png((temp_file("no_such_dir") / "x.png").string()));
  EXPECT_FALSE(tk::last_error().empty());
}

}  // namespace
