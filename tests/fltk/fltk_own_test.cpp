// What only the FLTK backend can get wrong, beyond the conformance suite:
// FLTK's own habits (its text placement, its labels over other controls) and
// the hand-off of open_url. Run under
// tests/fltk/with_xvfb.sh; the X input is the conformance driver's.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>

#include "tests/toolkit/conformance/driver.h"
#include "toolkit/toolkit.h"

namespace {

namespace fs = std::filesystem;

constexpr int kField = 0, kDiameter = 1, kModel = 4, kCoveringLabel = 121;

class FltkWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tk::init_toolkit()) << tk::last_error();
    ASSERT_TRUE(tk::create_window(0, 10, 0, 700, 680, "FLTK", tk::kStyleMainWindow));
    tk::create_menu_bar(0, 0);
    tk::add_menu_title("Info");
    tk::create_text_field(kField, 20, 66, 30, 20, "10", tk::kFlagNumber);
    tk::create_label(101, 55, 68, 40, 16, "10");  // labels stand 2 pixels below
    tk::create_combo_box(kDiameter, 20, 116, 50, 20);
    tk::add_combo_item(kDiameter, -1, "0.4");
    tk::set_gadget_text(kDiameter, "0.4");
    tk::create_label(106, 75, 118, 40, 16, "0.4");
    tk::create_combo_box(kModel, 20, 496, 85, 20);
    tk::add_combo_item(kModel, -1, "Pellion");
    tk::create_label(kCoveringLabel, 20, 498, 150, 16, "");  // over the whole box
    conformance::window_ready();
    conformance::settle();
  }
  void TearDown() override { tk::close_toolkit(); }
};

// The first and last row with dark pixels in the client area.
std::pair<int, int> ink_rows(int x, int y, int w, int h) {
  std::pair rows{-1, -1};
  for (int row = y; row < y + h; ++row) {
    for (int column = x; column < x + w; ++column) {
      const tk::Colour p = conformance::pixel(column, row);
      if ((p & 0xFF) < 0x60 && (p >> 8 & 0xFF) < 0x60 && (p >> 16 & 0xFF) < 0x60) {
        rows = {rows.first < 0 ? row : rows.first, row};
      }
    }
  }
  return rows;
}

TEST_F(FltkWindow, TextsOfFieldsAndBoxesLineUpWithTheLabelsBesideThem) {
  // FLTK centres a field's text; the platform's stands at the top.
  const auto field = ink_rows(23, 68, 22, 17);  // inside the field's border
  EXPECT_NE(field.first, -1);
  EXPECT_EQ(field, ink_rows(55, 68, 40, 17));
  const auto box = ink_rows(23, 118, 26, 17);  // left of the arrow
  EXPECT_NE(box.first, -1);
  EXPECT_EQ(box, ink_rows(75, 118, 40, 17));
}

TEST_F(FltkWindow, AnEmptyLabelHidesNothingAndBlocksNoClick) {
  EXPECT_NE(ink_rows(88, 498, 16, 16).first, -1) << "the box's arrow is hidden";
  conformance::open_close(kModel);  // clicks the middle of the box, under the label
  const std::vector<conformance::Event> events = conformance::settle();
  const conformance::Event opened{tk::kEventGadget, kModel, tk::kTypeComboDropDown};
  EXPECT_NE(std::find(events.begin(), events.end(), opened), events.end()) << "the click did not reach the box";
}

void write_script(const fs::path& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  fs::permissions(path, fs::perms::owner_all);
}

// The file's text once the started process has written it.
std::string written(const fs::path& path) {
  for (int i = 0; i < 100 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(FltkOpenUrl, StartsAProgramOrHandsTheLocationToXdgOpenAndLeavesNoZombie) {
  const fs::path dir = fs::temp_directory_path() / ("ferrant-open-url-" + std::to_string(getpid()));
  fs::create_directories(dir / "empty");
  write_script(dir / "program", "echo started > '" + (dir / "started").string() + "'");
  EXPECT_TRUE(tk::open_url((dir / "program").string()));
  EXPECT_EQ(written(dir / "started"), "started\n");

  const std::string saved_path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  write_script(dir / "xdg-open", "printf '%s' \"$1\" > '" + (dir / "handled").string() + "'");
  setenv("PATH", dir.c_str(), 1);
  EXPECT_TRUE(tk::open_url("https://www.varnek.example/"));
  EXPECT_EQ(written(dir / "handled"), "https://www.varnek.example/");
  setenv("PATH", (dir / "empty").c_str(), 1);
  EXPECT_FALSE(tk::open_url("https://www.varnek.example/"));  // nothing to start at all
  setenv("PATH", saved_path.c_str(), 1);
  // Whatever was started belongs to init: no child of ours is left to reap.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  fs::remove_all(dir);
}

}  // namespace
