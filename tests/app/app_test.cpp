// The program driven as a user drives it, on the headless backend: start-up,
// the handlers with their clamps, the model limits, the passes, the end of
// the program, and what the canvas shows.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "tests/toolkit/bmp_builder.h"
#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"
#include "tools/replay_runner.h"
#include "tools/replay_script.h"

namespace {

namespace hl = tk::headless;

constexpr tk::Colour kGreen = tk::rgb(0, 255, 0);
constexpr tk::Colour kWhite = tk::rgb(255, 255, 255);
constexpr tk::Colour kPanelGrey = tk::rgb(220, 220, 220);
constexpr tk::Colour kBlack = tk::rgb(0, 0, 0);
constexpr tk::Colour kPam16Red = tk::rgb(255, 60, 60);

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(session_.start()) << session_.error(); }

  // Plays script lines as ferrant-replay does.
  void run(std::string_view script) {
    const replay::Script parsed = replay::parse_script(script);
    ASSERT_FALSE(parsed.error) << parsed.error->message;
    std::ostringstream sink;
    for (const replay::Command& command : parsed.commands) session_.play(command, sink);
  }

  const app::ProgramState& state() const { return session_.state(); }
  static std::string text(int gadget) { return hl::text(gadget); }

  // Paints over an area (the chart by default) so that a redraw shows.
  static void blot(int x = 300, int y = 30, int w = 385, int h = 285) {
    tk::begin_window_drawing(0);
    tk::draw_box(x, y, w, h, kBlack);
    tk::end_drawing();
  }

  static int black_pixels(int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) count += hl::pixel(x, y) == kBlack ? 1 : 0;
    }
    return count;
  }

  replay::Session session_;
};

// --- start-up ----------------------------------------------------------------

// Every gadget's first text and state is in the golden start-up replay; here
// the ones that depend on the order of the start-up's writes and events.
TEST_F(ProgramTest, InitialTextsAndSelections) {
  EXPECT_EQ(text(0), "0");
  EXPECT_EQ(text(102), "0kbit/s");
  EXPECT_EQ(hl::state(1), 0);
  EXPECT_EQ(hl::state(3), 0);
  for (int label : {201, 202, 204, 205}) EXPECT_EQ(text(label), "0 Ohm") << label;
  EXPECT_EQ(text(116), "Meter = 0 Feet");
  EXPECT_EQ(hl::state(4), -1);
  // No computation at start-up: the result labels and the feet stay empty.
  for (int label : {108, 110, 112, 114, 117, 121, 125, 127}) EXPECT_EQ(text(label), "") << label;
  EXPECT_EQ(text(303), "\u2022 differencies in cables with same diameter");
  EXPECT_EQ(hl::window_title(), "Ferrant Transmission Calculation");
  EXPECT_TRUE(session_.running());
}

TEST_F(ProgramTest, ListsMenuAndFocusOrder) {
  EXPECT_EQ(hl::combo_items(1).size(), 11u);
  EXPECT_EQ(hl::combo_items(3).back(), "1.4");
  EXPECT_EQ(hl::combo_items(4),
            (std::vector<std::string>{"Pellion", "Ferrant_II", "Ferrant_III", "Ferrant_IV"}));

  const auto menu = hl::menu();
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].text, "Varnek");
  ASSERT_EQ(menu[0].items.size(), 1u);
  EXPECT_EQ(menu[0].items[0].item, 0);
  EXPECT_EQ(menu[0].items[0].text, "Homepage");
  EXPECT_EQ(menu[1].text, "Info");
  ASSERT_EQ(menu[1].items.size(), 1u);
  EXPECT_EQ(menu[1].items[0].item, 3);
  EXPECT_EQ(menu[1].items[0].text, "Version " FERRANT_VERSION);

  std::vector<int> order;
  for (int i = 0; i < 7; ++i) {
    run("tab");
    order.push_back(hl::focused_gadget());
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4, 9, 0}));
}

// The logo is read from the working directory: its size when present, the
// 10 x 30 placeholder area when missing.
TEST(ProgramLogo, TakesTheBitmapSizeOrKeepsItsArea) {
  const auto old_dir = std::filesystem::current_path();
  const auto dir = std::filesystem::temp_directory_path() /
                   ("ferrant-logo-test-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  {
    replay::Session session;
    ASSERT_TRUE(session.start());
    EXPECT_EQ(hl::image_size(13).w, 0);
    EXPECT_EQ(hl::rect(13).w, 10);
    EXPECT_EQ(hl::rect(13).h, 30);
  }
  {
    bmp_builder::write_file(dir / "Varnek.bmp", bmp_builder::grey_24bit(20, 12));
    replay::Session session;
    ASSERT_TRUE(session.start());
    EXPECT_EQ(hl::image_size(13).w, 20);
    EXPECT_EQ(hl::image_size(13).h, 12);
    EXPECT_EQ(hl::rect(13).x, 438);
    EXPECT_EQ(hl::rect(13).y, 530);
  }
  std::filesystem::current_path(old_dir);
  std::filesystem::remove_all(dir);
}

// --- baserate field ----------------------------------------------------------

TEST_F(ProgramTest, BaserateClampsAndRereads) {
  run("type 0 239");
  EXPECT_EQ(text(0), "238");
  EXPECT_EQ(text(102), "15232kbit/s");
  EXPECT_EQ(state().baserate, 238);
  run("type 0 1000");
  EXPECT_EQ(text(0), "238");
  run("clear 0");
  EXPECT_EQ(text(0), "");
  EXPECT_EQ(text(102), "0kbit/s");
  run("type 0 2");  // no lower clamp at 3
  EXPECT_EQ(text(102), "128kbit/s");
  run("type 0 0050");
  EXPECT_EQ(text(0), "0050");
  EXPECT_EQ(text(102), "3200kbit/s");
  run("type 0 12abc");  // the field refuses typed letters
  EXPECT_EQ(text(0), "12");
  run("paste 0  \t1.5");  // blanks skipped, stops at the point
  EXPECT_EQ(state().baserate, 1);
}

TEST_F(ProgramTest, NegativeAndHugeBaseratesAreWrittenBackInRange) {
  // Some have low 32 bits in range or negative: the whole value is compared.
  for (const auto& [pasted, clamped] : {std::pair{"-5", 0}, {"3000000000", 238}, {"4294967297", 238},
                                        {"-4294967295", 0}, {"99999999999999999999999999", 238},
                                        {"-$7FFFFFFFFFFFFFFF", 0}}) {
    run(std::string("paste 0 ") + pasted);
    EXPECT_EQ(text(0), std::to_string(clamped)) << pasted;
    EXPECT_EQ(state().baserate, clamped) << pasted;
    EXPECT_EQ(text(108), clamped == 0 ? "0" : "310") << pasted;
  }
}

// --- distance field ----------------------------------------------------------

TEST_F(ProgramTest, DistanceClampsAndFeet) {
  run("type 2 45000");
  EXPECT_EQ(text(2), "30000");
  EXPECT_EQ(text(117), "98424 Feet");
  EXPECT_EQ(state().target_distance_m, 30000.0f);
  EXPECT_EQ(text(125), "0");  // 30000 m is beyond every reach on 0.4 mm
  run("type 2 1000");
  EXPECT_EQ(text(117), "3281 Feet");
  EXPECT_EQ(text(204), "137 Ohm");
  run("clear 2");
  EXPECT_EQ(text(117), "0 Feet");
  run("type 2 625");  // exactly 2050.5 feet: to the even neighbour
  EXPECT_EQ(text(117), "2050 Feet");
}

TEST_F(ProgramTest, NegativeDistanceIsWrittenBackAsZero) {
  run("type 2 5000\npaste 2 -1000");
  EXPECT_EQ(text(2), "0");
  EXPECT_EQ(state().target_distance_m, 0.0f);
  EXPECT_EQ(text(117), "0 Feet");
  EXPECT_EQ(text(204), "0 Ohm");
  EXPECT_EQ(text(205), "0 Ohm");
  EXPECT_EQ(text(125), "238");
  run("paste 2 -99999999999999999999");
  EXPECT_EQ(text(2), "0");
  run("paste 2 99999999999999999999");
  EXPECT_EQ(text(2), "30000");
}

// --- model box and cables ------------------------------------------------------

TEST_F(ProgramTest, ModelLimitsBoundPanel2) {
  run("openclose 4");  // no pick while nothing is selected: the limit stays 238
  EXPECT_EQ(hl::state(4), -1);
  EXPECT_EQ(text(125), "238");  // distance 0: the model limit
  EXPECT_EQ(text(127), "15232kbit/s");
  for (const auto& [item, limit] : {std::pair{0, "36"}, {1, "89"}, {2, "238"}, {0, "36"}, {3, "238"}}) {
    run("pick 4 " + std::to_string(item));
    EXPECT_EQ(text(125), limit) << "model " << item;
  }
  run("pick 4 4\npick 4 -1");  // out of range: nothing
  EXPECT_EQ(hl::state(4), 3);

  run("type 2 5000\npick 4 2");
  EXPECT_EQ(text(125), "29");
  EXPECT_EQ(text(127), "1856kbit/s");
  run("pick 4 0");  // Pellion derating only at limit 36
  EXPECT_EQ(text(125), "17");
  EXPECT_EQ(text(127), "1088kbit/s");
  run("type 0 100");  // the model box does not limit panel 1
  EXPECT_EQ(text(0), "100");
  EXPECT_EQ(text(102), "6400kbit/s");
}

TEST_F(ProgramTest, CableEntryChangesOnlyItsPanel) {
  run("type 0 3\ntype 2 5000");
  EXPECT_EQ(text(108), "8512");
  EXPECT_EQ(text(110), "27928 Feet");
  EXPECT_EQ(text(112), "8300");
  EXPECT_EQ(text(114), "27229 Feet");

  run("pick 1 10");  // the pick itself recomputes
  EXPECT_EQ(text(106), "mm = 1.539mm2 ~ AWG-15");
  EXPECT_EQ(text(200), "Cable Resistance = 11 Ohm/km");
  EXPECT_EQ(text(108), "46802");
  EXPECT_EQ(text(114), "152909 Feet");
  EXPECT_EQ(text(119), "mm = 0.125mm2 = AWG-26");
  EXPECT_EQ(text(204), "685 Ohm");
  EXPECT_EQ(text(125), "29");

  run("pick 3 1");
  EXPECT_EQ(text(119), "mm = 0.196mm2 = AWG-24");
  EXPECT_EQ(text(203), "Cable Resistance = 87 Ohm/km");
  EXPECT_EQ(text(204), "437 Ohm");  // 437.49999 with the single-precision 0.0875
  EXPECT_EQ(text(125), "36");
  EXPECT_EQ(text(106), "mm = 1.539mm2 ~ AWG-15");
  EXPECT_EQ(text(108), "46802");

  // Opening and closing without a pick applies the same entry again.
  run("openclose 1\nopenclose 3");
  EXPECT_EQ(text(108), "46802");
  EXPECT_EQ(text(204), "437 Ohm");
  EXPECT_EQ(text(125), "36");
}

TEST_F(ProgramTest, DiameterBoxWithoutSelectionLeavesReachFactorZero) {
  run("pick 1 1");
  tk::set_gadget_text(1, "");  // clears the selection, raises no event
  ASSERT_EQ(hl::state(1), -1);
  run("openclose 1\ntype 0 3");
  EXPECT_EQ(state().reach_factor, 0.0f);
  EXPECT_EQ(state().ohm_per_m, 0.137f);
  EXPECT_EQ(state().rate_coef, 0.25f);  // kept from the 0.5 mm entry
  EXPECT_EQ(text(106), "mm = 0.196mm2 = AWG-24");
  EXPECT_EQ(text(200), "Cable Resistance = 87 Ohm/km");
  EXPECT_LT(state().distance_m, 1000.0f);  // multiplier 1 - 2.71^(-3/50)
  EXPECT_GT(state().distance_m, 0.0f);
}

TEST_F(ProgramTest, LoopResistanceFollowsTheReach) {
  run("type 0 3");
  // 8512.x m of 0.4 mm conductor at 0.137 ohm/m.
  EXPECT_EQ(text(201), text(202));
  EXPECT_EQ(text(201), "1166 Ohm");
}

// --- focus, passes, program end ------------------------------------------------

TEST_F(ProgramTest, FocusChangeRerunsTheFieldHandler) {
  run("type 2 1000");
  tk::set_gadget_text(117, "stale");
  run("focus 0\nfocus 2");
  EXPECT_EQ(text(117), "3281 Feet");

  blot();
  tk::set_gadget_text(102, "stale");
  run("focus 0");
  EXPECT_EQ(text(102), "0kbit/s");
  EXPECT_EQ(hl::pixel(301, 31), kPanelGrey);  // the chart was drawn again

  // Leaving the field for the button (which records nothing on focus) also
  // reports the field.
  blot();
  run("backtab");
  EXPECT_EQ(hl::focused_gadget(), 9);
  EXPECT_EQ(hl::pixel(301, 31), kPanelGrey);
  EXPECT_TRUE(session_.running());
}

TEST_F(ProgramTest, QuitEndsAfterOneLastComputation) {
  tk::set_gadget_text(108, "stale");
  run("click 9");
  EXPECT_FALSE(session_.running());
  EXPECT_EQ(text(108), "0");
  EXPECT_EQ(state().quit_flag, 1);
  EXPECT_EQ(state().current_event, tk::kEventClose);
  const auto passes = session_.passes();
  run("type 0 10\nmove 5");  // skipped once the program has ended
  EXPECT_EQ(session_.passes(), passes);
  EXPECT_EQ(text(0), "0");
  const std::string dump = session_.dump_json();
  EXPECT_EQ(dump.rfind("{\"running\": false, \"exit_code\": 0, ", 0), 0u) << dump;
}

TEST_F(ProgramTest, CloseBoxEndsInThePassAfterTheClick) {
  // Step the passes by hand: the close message, then the queued close event.
  app::ProgramState s = state();
  hl::close_box();
  const int first = tk::wait_event();
  EXPECT_NE(first, tk::kEventClose);
  EXPECT_TRUE(app::finish_pass(s, first));
  app::begin_pass(s);
  EXPECT_TRUE(hl::has_pending());
  EXPECT_EQ(tk::wait_event(), tk::kEventClose);
  EXPECT_FALSE(app::finish_pass(s, tk::kEventClose));
  EXPECT_EQ(s.quit_flag, 1);
}

TEST_F(ProgramTest, MenuItems) {
  run("menu 3");
  EXPECT_TRUE(hl::opened_urls().empty());
  run("menu 0");
  EXPECT_EQ(hl::opened_urls(), std::vector<std::string>{"https://www.varnek.example/"});
  EXPECT_TRUE(session_.running());
  EXPECT_EQ(text(108), "");  // a menu event runs no computation
}

TEST_F(ProgramTest, MouseMovesMakePassesAndTheChartComesBackEvery100th) {
  // Make the chart out of date, so that only the periodic redraw shows it.
  app::ProgramState s = state();
  s.line_rate_kbps = 640.0f;  // baserate 10: legend PAM-8 first, green
  ASSERT_NE(hl::pixel(620, 55), kGreen);
  const int before_redraw = app::kChartRefreshPasses - 1 - s.pass_count;
  for (int i = 0; i < before_redraw; ++i) {
    hl::move_mouse(1);
    ASSERT_TRUE(app::finish_pass(s, tk::wait_event()));
    app::begin_pass(s);
  }
  EXPECT_EQ(s.pass_count, app::kChartRefreshPasses - 1);
  EXPECT_NE(hl::pixel(620, 55), kGreen);
  hl::move_mouse(1);
  ASSERT_TRUE(app::finish_pass(s, tk::wait_event()));
  app::begin_pass(s);
  EXPECT_EQ(s.pass_count, 0);
  EXPECT_EQ(hl::pixel(620, 55), kGreen);
  EXPECT_EQ(s.current_event, tk::kMsgMouseMove);
}

TEST_F(ProgramTest, RepaintIsFollowedByTheSketchesInTheNextPass) {
  blot(10, 280, 220, 30);  // the panel-1 sketch
  const auto passes = session_.passes();
  run("repaint");
  EXPECT_GE(session_.passes(), passes + 2);  // the message, then event 15
  EXPECT_EQ(hl::pixel(30, 288), kGreen);
  EXPECT_TRUE(session_.running());
}

// --- what the canvas shows -------------------------------------------------------

TEST_F(ProgramTest, CableSketchPixels) {
  for (int offset : {0, 330}) {
    EXPECT_EQ(hl::pixel(30, 288 + offset), kGreen);   // conductors
    EXPECT_EQ(hl::pixel(217, 289 + offset), kGreen);
    EXPECT_EQ(hl::pixel(30, 301 + offset), kGreen);
    EXPECT_NE(hl::pixel(30, 290 + offset), kGreen);
    EXPECT_EQ(hl::pixel(100, 285 + offset), kGreen);  // resistor blocks
    EXPECT_EQ(hl::pixel(119, 304 + offset), kGreen);
    EXPECT_NE(hl::pixel(120, 285 + offset), kGreen);
    EXPECT_EQ(hl::pixel(18, 289 + offset), kGreen);   // rings: 8 across ...
    EXPECT_EQ(hl::pixel(225, 289 + offset), kGreen);
    EXPECT_EQ(hl::pixel(222, 285 + offset), kGreen);
    EXPECT_NE(hl::pixel(226, 289 + offset), kGreen);
    EXPECT_NE(hl::pixel(222, 293 + offset), kGreen);
    EXPECT_EQ(hl::pixel(20, 289 + offset), kWhite);   // ... with a 4-pixel hole
    EXPECT_EQ(hl::pixel(23, 288 + offset), kWhite);
    EXPECT_EQ(hl::pixel(21, 287 + offset), kWhite);
    EXPECT_EQ(hl::pixel(22, 290 + offset), kWhite);
    EXPECT_EQ(hl::pixel(222, 301 + offset), kWhite);
  }
}

TEST_F(ProgramTest, ChartAtStartUpHasGridAndScale4LabelsOnly) {
  EXPECT_EQ(hl::pixel(300, 30), kPanelGrey);
  EXPECT_EQ(hl::pixel(684, 314), kPanelGrey);
  EXPECT_EQ(hl::pixel(340, 274), kBlack);  // major line with its tick
  EXPECT_EQ(hl::pixel(350, 270), kBlack);  // minor line ends on the axis
  EXPECT_NE(hl::pixel(350, 271), kBlack);
  EXPECT_EQ(hl::pixel(337, 70), kBlack);   // top horizontal line
  EXPECT_EQ(hl::pixel(670, 270), kBlack);
  EXPECT_EQ(hl::pixel(620, 55), kPanelGrey);  // no legend
  EXPECT_GT(black_pixels(376, 276, 391, 292), 0);  // "1" at 376
  EXPECT_EQ(black_pixels(350, 276, 370, 292), 0);  // no label at 356
}

TEST_F(ProgramTest, ChartSegmentsForBaserate1And32) {
  run("type 0 1");
  // PAM-16 is traced last at baserate 1: its worked segments in its colour.
  for (auto [x, y] : {std::pair{340, 70}, {344, 71}, {344, 70}, {348, 164}, {348, 162}, {352, 194}}) {
    EXPECT_EQ(hl::pixel(x, y), kPam16Red) << x << "," << y;
  }
  EXPECT_EQ(hl::pixel(620, 55), tk::rgb(20, 255, 255));  // PAM-4 legend
  EXPECT_EQ(hl::pixel(620, 75), kGreen);                 // PAM-8
  EXPECT_EQ(hl::pixel(620, 95), kPam16Red);              // PAM-16
  EXPECT_EQ(hl::pixel(621, 116), kPanelGrey);  // no fourth legend (620 is a grid line)

  run("type 0 32");
  EXPECT_EQ(hl::pixel(342, 99), kPam16Red);
  EXPECT_EQ(hl::pixel(620, 55), kPam16Red);
  EXPECT_EQ(hl::pixel(620, 75), tk::rgb(255, 255, 0));  // PAM-32
  EXPECT_GT(black_pixels(352, 276, 368, 292), 0);       // scale 2: "1" at 356
}

TEST_F(ProgramTest, ChartScaleChangesAndFourLegends) {
  run("type 0 8");
  EXPECT_EQ(black_pixels(352, 276, 368, 292), 0);  // scale 4
  run("type 0 9");
  EXPECT_GT(black_pixels(352, 276, 368, 292), 0);  // scale 2
  run("type 0 33");
  // Scale 1: "2" at 356, and "10" at 432 where scale 2 has "5" at 436.
  EXPECT_GT(black_pixels(352, 276, 368, 292), 0);
  EXPECT_GT(black_pixels(432, 276, 435, 292), 0);
  run("type 0 110");
  const tk::Colour legends[] = {kPam16Red, tk::rgb(255, 255, 0), tk::rgb(0, 255, 255), kWhite};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(hl::pixel(620, 55 + 20 * i), legends[i]) << i;
  run("type 0 238");
  EXPECT_EQ(hl::pixel(620, 55), kWhite);
  EXPECT_EQ(hl::pixel(621, 76), kPanelGrey);
}

// --- JSON of ferrant-replay ----------------------------------------------------

// Strings go through the command-line tool's escaper, tested with it.
TEST(ReplayJson, ShortestFloats) {
  EXPECT_EQ(replay::json_float(1.2f), "1.2");
  EXPECT_EQ(replay::json_float(0.137f), "0.137");
  EXPECT_EQ(replay::json_float(0.0f), "0");
  EXPECT_EQ(replay::json_float(15232.0f), "15232");
}

}  // namespace
