// The program on the headless backend: handler clamps and traps beyond the
// golden replays, the passes, and the canvas against golden digests.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/app.h"
#include "app/window_layout.h"
#include "cli/reach_cli.h"
#include "tests/chart/platform_digests.h"
#include "tests/toolkit/bmp_file.h"
#include "toolkit/common/messages.h"
#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"
#include "tools/replay_runner.h"
#include "tools/replay_script.h"

namespace {

namespace hl = tk::headless;

constexpr tk::Colour kGreen = tk::rgb(0, 255, 0);
constexpr tk::Colour kPanelGrey = tk::rgb(220, 220, 220);

// Plays script lines as ferrant-replay does.
void run(replay::Session& session, std::string_view script) {
  const replay::Script parsed = replay::parse_script(script);
  ASSERT_FALSE(parsed.error) << parsed.error->message;
  std::ostringstream sink;
  for (const replay::Command& command : parsed.commands) session.play(command, sink);
}

// Paints over an area (the chart by default) so that a redraw shows.
void blot(int x = 300, int y = 30, int w = 385, int h = 285) {
  tk::begin_window_drawing(0);
  tk::draw_box(x, y, w, h, tk::rgb(0, 0, 0));
  tk::end_drawing();
}

// The whole canvas, pixel by pixel, as one digest.
std::uint64_t canvas_digest() {
  platform_digests::Fnv1a digest;
  for (int y = 0; y < hl::canvas_height(); ++y) {
    for (int x = 0; x < hl::canvas_width(); ++x) digest.add(static_cast<std::uint64_t>(hl::pixel(x, y)));
  }
  return digest.value();
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(session_.start()) << session_.error(); }
  void run(std::string_view script) { ::run(session_, script); }
  const app::ProgramState& state() const { return session_.state(); }

  replay::Session session_;
};

// What the golden replays do not show: each script from a fresh start.
TEST(ProgramHandlers, TextsAfterInput) {
  struct Case { const char* script; std::vector<std::pair<int, const char*>> texts; };
  const Case cases[] = {
      {"type 0 2", {{102, "128kbit/s"}}},  // no lower clamp at the caption's 3
      {"type 0 239\nclear 0", {{0, ""}, {102, "0kbit/s"}}},
      {"type 0 12abc", {{0, "12"}}},  // the field takes digits only
      // Low 32 bits in range: the whole value is compared.
      {"paste 0 4294967297", {{0, "238"}, {108, "310"}}},
      {"paste 0 -4294967295", {{0, "0"}, {108, "0"}}},
      // A paste with more than a number shows the number read, the results
      // its own (12 m: Ferrant_II's limit 89).
      {"pick 4 1\npaste 2 12,000", {{2, "12"}, {117, "39 Feet"}, {125, "89"}}},
      {"paste 0 12.5", {{0, "12"}, {102, "768kbit/s"}}},
      {"type 0 7\npaste 0 abc", {{0, "0"}, {102, "0kbit/s"}}},
      {"paste 2  0050", {{2, " 0050"}, {117, "164 Feet"}}},  // the whole text is the number
      // Model limits beside the goldens'; the model box does not limit panel 1.
      {"openclose 4", {{125, "238"}, {127, "15232kbit/s"}}},
      {"pick 4 1\npick 4 2", {{125, "238"}}},
      {"pick 4 3", {{125, "238"}}},
      {"pick 4 0\ntype 0 100", {{0, "100"}, {102, "6400kbit/s"}}},
      // A cable entry changes only its panel; the pick itself recomputes.
      {"type 0 3\ntype 2 5000\npick 1 10",
       {{106, "mm = 1.539mm2 ~ AWG-15"}, {200, "Cable Resistance = 11 Ohm/km"}, {108, "46802"},
        {112, "46607"}, {119, "mm = 0.125mm2 = AWG-26"}, {204, "685 Ohm"}, {125, "29"}}},
      // 437.49999 with the single-precision 0.0875; opening and closing a box
      // without a pick applies the same entry again.
      {"type 2 5000\npick 1 10\npick 3 1\nopenclose 1\nopenclose 3",
       {{119, "mm = 0.196mm2 = AWG-24"}, {203, "Cable Resistance = 87 Ohm/km"}, {204, "437 Ohm"},
        {125, "36"}, {106, "mm = 1.539mm2 ~ AWG-15"}}},
  };
  for (const Case& c : cases) {
    replay::Session session;
    ASSERT_TRUE(session.start()) << session.error();
    run(session, c.script);
    for (const auto& [gadget, expected] : c.texts) {
      EXPECT_EQ(hl::text(gadget), expected) << c.script << " / gadget " << gadget;
    }
  }
}

// The typical input of both panels.
constexpr std::string_view kTypicalInput = "type 0 10\ntype 2 5000\npick 4 0";

TEST_F(ProgramTest, CopyResultsCopiesWhatTheCommandLinePrintsForTheSameInputs) {
  run(kTypicalInput);
  hl::press_chord(U'C', true, true, false);
  session_.settle();
  const std::string copied = hl::clipboard();

  const auto reach = [](std::vector<std::string_view> args) {
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(cli::run_reach(args, in, out, err), 0) << err.str();
    return out.str();
  };
  EXPECT_EQ(copied, reach({"distance", "--baserate", "10", "--diameter", "0.4"}) + "\n" +
                        reach({"baserate", "--distance", "5000", "--diameter", "0.4", "--model", "Pellion"}));

  // The context menu's one item (its click raises the same menu event: the
  // conformance suite); with no model chosen every baserate's limit.
  EXPECT_EQ(hl::context_menu_names(), std::vector<std::string>{"Copy results"});
  ASSERT_TRUE(session_.start());
  run("type 2 5000");
  hl::press_chord(U'c', true, true, false);
  session_.settle();
  EXPECT_NE(hl::clipboard().find("Model:             none (baserates up to 238)"), std::string::npos);
}

TEST_F(ProgramTest, ScreenReadersGetNamedGroupsResultsAndTheChartInPanelOrder) {
  run(kTypicalInput);
  const std::vector<hl::AccessibleEntry> tree = hl::accessible_tree();
  std::vector<std::string> names;
  for (const hl::AccessibleEntry& entry : tree) names.push_back(entry.name);
  const auto at = [&](std::string_view name) {
    return std::find(names.begin(), names.end(), name) - names.begin();
  };
  const auto panel_1 = at("Baserate/Cable ---> Distance ...");
  const auto panel_2 = at("Distance/Cable ---> Baserate ...");
  const std::string_view in_order[] = {
      "Baserate/Cable ---> Distance ...",
      "Enter Cable Diameter: 0.4mm .. 1.4mm, Baserate/Cable ---> Distance ...",
      "Possible Distance for Ferrant_II,III,IV, 6555 Meter = 21505 Feet",
      "Possible Distance for Pellion, 6009 Meter = 19713 Feet",
      "898 Ohm",
      "Transmit PSD for baserate 10: PAM-8, PAM-16, PAM-32, 0 to 1.5 MHz",
      "Distance/Cable ---> Baserate ...",
      "Enter Distance: 0 .. 30000 Meter",
      "16404 Feet",
      "Enter Cable Diameter: 0.4mm .. 1.4mm, Distance/Cable ---> Baserate ...",
      "Possible Baserate, 17 x 64kbit/s = DSL Line Speed = 1088kbit/s",
      "685 Ohm",
      "The distance/baserate results show realistic values !",
      "Quit",
      "Varnek logo",
  };
  std::ptrdiff_t last = -1;
  for (const std::string_view name : in_order) {
    const auto index = at(name);
    ASSERT_LT(index, static_cast<std::ptrdiff_t>(names.size())) << name << " is not in the tree";
    EXPECT_GT(index, last) << name << " is out of order";
    last = index;
  }
  EXPECT_LT(panel_1, panel_2);
  EXPECT_EQ(tree[static_cast<std::size_t>(at("Possible Distance for Pellion, 6009 Meter = 19713 Feet"))].role,
            tk::common::AccessibleRole::Result);
  // Covered, empty and folded-in labels are left out.
  for (const char* gone : {"Meter = 0 Feet", "Possible Distance for Pellion", "Meter =", "", "21505 Feet"}) {
    EXPECT_EQ(at(gone), static_cast<std::ptrdiff_t>(names.size())) << '"' << gone << "\" is in the tree";
  }
}

TEST_F(ProgramTest, FocusChangeRerunsTheFieldHandler) {
  run("type 2 1000");
  tk::set_gadget_text(117, "stale");
  run("focus 0\nfocus 2");
  EXPECT_EQ(hl::text(117), "3281 Feet");

  blot();
  tk::set_gadget_text(102, "stale");
  run("focus 0");
  EXPECT_EQ(hl::text(102), "0kbit/s");
  EXPECT_EQ(hl::pixel(301, 31), kPanelGrey);  // the chart was drawn again

  // Leaving the field for the button (no focus event of its own) too.
  blot();
  run("backtab");
  EXPECT_EQ(hl::focused_gadget(), 9);
  EXPECT_EQ(hl::pixel(301, 31), kPanelGrey);
}

TEST_F(ProgramTest, MouseMovesMakePassesAndTheChartComesBackEvery100th) {
  // Make the chart out of date, so that only the periodic redraw shows it.
  app::ProgramState s = state();
  s.line_rate_kbps = 640.0f;  // baserate 10: legend PAM-8 first, green
  ASSERT_NE(hl::pixel(620, 55), kGreen);
  const auto mouse_pass = [&] {
    hl::move_mouse(1);
    ASSERT_TRUE(app::finish_pass(s, tk::wait_event()));
    app::begin_pass(s);
  };
  for (int i = app::kChartRefreshPasses - 1 - s.pass_count; i > 0; --i) mouse_pass();
  EXPECT_EQ(s.pass_count, app::kChartRefreshPasses - 1);
  EXPECT_NE(hl::pixel(620, 55), kGreen);
  mouse_pass();
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
}

// A link's inputs show what typing them shows, a bad or too long value
// refused aloud while the rest applies; the address follows a change once,
// each name where it stood, unknown ones kept.
TEST(PageAddress, ALinkIsEnteredAsTypedAndTheAddressFollowsTheInputs) {
  const auto window = [] {
    std::vector<std::string> texts;
    for (const int gadget : hl::gadget_numbers()) texts.push_back(hl::text(gadget));
    return std::pair{texts, canvas_digest()};
  };
  decltype(window()) typed;
  {
    replay::Session session;
    ASSERT_TRUE(session.start());
    run(session, "type 0 10\npick 1 2\ntype 2 5000\npick 4 0");
    typed = window();
  }
  const std::string zeros(tk::kTextFieldLimit, '0');
  hl::set_address({{"arg", "a"}, {"baserate", zeros + "7"}, {"distance", "30001"}, {"baserate", "010"},
                   {"diameter", "0.60"}, {"distance", "5000"}, {"model", "pELLION"}, {"model", "Tamsel2+"}});
  ::testing::internal::CaptureStderr();
  replay::Session session;
  ASSERT_TRUE(session.start());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "ferrant-calc: address parameter baserate=\"" + zeros.substr(0, 40) +
                "...\" ignored: longer than the field's 32767 characters\n"
                "ferrant-calc: address parameter distance=\"30001\" ignored: expected a whole number of metres "
                "0..30000 (the window's limit)\n"
                "ferrant-calc: address parameter model=\"Tamsel2+\" ignored: expected Pellion, Ferrant_II, "
                "Ferrant_III or Ferrant_IV (in any case)\n");
  typed.first[0] = "010";  // the baserate field as the link has it
  EXPECT_EQ(window(), typed);
  EXPECT_EQ(hl::address_writes(), 0);

  run(session, "focus 2\ntype 0 12");  // focus passes change nothing; "1", then "12"
  EXPECT_EQ(hl::address(), (std::vector<tk::AddressParameter>{{"arg", "a"}, {"baserate", "12"}, {"distance", "5000"},
                                                              {"diameter", "0.6"}, {"model", "Pellion"},
                                                              {"diameter2", "0.4"}}));
  EXPECT_EQ(hl::address_writes(), 2);
  hl::set_address({});
}

// Grid, frequency labels at scales 4, 2 and 1, three and four curves with
// their legends, both cable sketches: digests of canvases checked by eye. A
// differing canvas is saved as NAME.actual.png.
TEST_F(ProgramTest, CanvasIsTheGoldenOne) {
  for (const auto& [baserate, golden] : {std::pair{1, 0x9bedf3c9a4d7e884ull}, {32, 0x4932759d36d6efe4ull}, {110, 0xd4395802767bcbfeull}}) {
    run("type 0 " + std::to_string(baserate));
    const std::uint64_t digest = canvas_digest();
    if (digest != golden) hl::save_png("canvas_baserate_" + std::to_string(baserate) + ".actual.png");
    EXPECT_EQ(digest, golden) << "baserate " << baserate << ": 0x" << std::hex << digest;
  }
}

// The logo from the working directory, else the data folder installed beside
// the program's, else the program's own folder: each of its own width.
TEST(Logo, WorkingDirectoryThenDataFolderThenProgramFolder) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("ferrant-logo-" + std::to_string(::getpid()));
  for (const char* folder : {"work", "bin", "share/ferrant-calc"}) fs::create_directories(root / folder);
  const auto write_logo = [](const fs::path& file, int width) { bmp::write(file, bmp::solid_bmp(width, 1, kGreen)); };
  const fs::path old_directory = fs::current_path();
  fs::current_path(root / "work");
  const auto logo_width = [&root] {
    app::ProgramState state;
    EXPECT_TRUE(tk::init_toolkit());
    EXPECT_TRUE(app::start_up(state, (root / "bin").generic_string() + "/"));
    const int width = hl::state(app::kLogoView) == 0 ? 0 : hl::rect(app::kLogoView).w;
    app::end_program();
    return width;
  };
  EXPECT_EQ(logo_width(), 0);
  write_logo(root / "bin/Varnek.bmp", 7);
  EXPECT_EQ(logo_width(), 7);
  write_logo(root / "share/ferrant-calc/Varnek.bmp", 5);
  EXPECT_EQ(logo_width(), 5);
  write_logo(root / "work/Varnek.bmp", 3);
  EXPECT_EQ(logo_width(), 3);
  fs::current_path(old_directory);
  fs::remove_all(root);
}

}  // namespace
