// Menu mode's mouse side and the cases the backends' keyboard tests cannot
// reach: a click on a title, Escape with a clicked-open menu, Left/Right
// from a shown menu, a menu rebuilt under menu mode, an empty menu bar.
#include "toolkit/common/menu_mode.h"

#include <gtest/gtest.h>

namespace {

using tk::common::MenuKey;
using tk::common::MenuMode;

const MenuMode::Shape kMenu{{10, 11}, {20}};

TEST(MenuMode, AClickOnATitleShowsItsMenuAndASecondClickLeaves) {
  MenuMode mode;
  mode.click_title(1, kMenu);
  EXPECT_EQ(mode.title(), 1);
  EXPECT_EQ(mode.item(), -1);
  EXPECT_TRUE(mode.shown());
  mode.key_down(MenuKey::Left, false, kMenu);  // the shown menu moves along, nothing marked
  EXPECT_EQ(mode.title(), 0);
  EXPECT_TRUE(mode.shown());
  EXPECT_EQ(mode.item(), -1);
  mode.key_down(MenuKey::Up, false, kMenu);
  EXPECT_EQ(mode.item(), 0);
  mode.key_down(MenuKey::Up, false, kMenu);
  EXPECT_EQ(mode.item(), 1);
  mode.key_down(MenuKey::Escape, false, kMenu);  // closes the menu, keeps the title
  EXPECT_EQ(mode.title(), 0);
  EXPECT_FALSE(mode.shown());
  mode.click_title(0, kMenu);
  mode.click_title(0, kMenu);
  EXPECT_FALSE(mode.active());
}

TEST(MenuMode, NoMenuOrARebuiltOneEndsMenuMode) {
  MenuMode mode;
  mode.key_down(MenuKey::F10, false, {});
  EXPECT_FALSE(mode.active());
  mode.click_title(1, kMenu);
  const MenuMode::Outcome outcome = mode.key_down(MenuKey::Enter, false, {{10}});
  EXPECT_TRUE(outcome.taken);
  EXPECT_FALSE(outcome.chosen);
  EXPECT_FALSE(mode.active());
  mode.key_down(MenuKey::F10, false, {{}, {20}});
  EXPECT_FALSE(mode.key_down(MenuKey::Enter, false, {{}, {20}}).chosen);  // an empty menu opens empty
  EXPECT_EQ(mode.item(), -1);
}

}  // namespace
