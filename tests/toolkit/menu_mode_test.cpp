// Menu mode's mouse side and the cases the backends' keyboard tests cannot
// reach: a click on a title, Escape with a clicked-open menu, Left/Right
// from a shown menu, a menu rebuilt under menu mode, an empty menu bar.
#include "toolkit/common/context_menu.h"
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

// (Ctrl+Shift+C and an item's name and shortcut: the suite and the page test.)
TEST(ContextMenu, ShortcutsNeedCtrlOrAltBeforeOneLetterOrDigit) {
  using tk::common::KeyChord;
  using tk::common::parse_shortcut;
  EXPECT_EQ(parse_shortcut("alt+7"), (KeyChord{U'7', false, false, true}));
  EXPECT_EQ(parse_shortcut("ctrl+x"), (KeyChord{U'X', true, false, false}));
  for (const char* refused : {"Shift+C", "C", "Ctrl+", "Ctrl+Shift+CC", "Meta+C", "Ctrl+%", ""}) {
    EXPECT_FALSE(parse_shortcut(refused)) << refused;
  }
  EXPECT_EQ(tk::common::context_menu_item(5, "Plain").chord, std::nullopt);
}

TEST(ContextMenu, KeysWalkTheItemsRoundAndEnterOrAClickChooses) {
  using Key = tk::common::ContextMenuMode::Key;
  const std::vector<tk::common::ContextMenuItem> items{{7, "a", "", {}}, {8, "b", "", {}}};
  tk::common::ContextMenuMode menu;
  EXPECT_FALSE(menu.key_down(Key::Down, items).taken) << "a closed menu takes no key";
  menu.open(items.size());
  EXPECT_EQ(menu.marked(), -1);
  menu.key_down(Key::Up, items);
  EXPECT_EQ(menu.marked(), 1) << "Up first marks the last";
  menu.key_down(Key::Down, items);
  EXPECT_EQ(menu.marked(), 0) << "and Down wraps round";
  EXPECT_EQ(menu.key_down(Key::Enter, items).chosen, 7);
  EXPECT_FALSE(menu.is_open());
  menu.open(items.size());
  EXPECT_EQ(menu.key_down(Key::Enter, items).chosen, std::nullopt) << "nothing marked, nothing chosen";
  menu.open(items.size());
  EXPECT_EQ(menu.click(1, items).chosen, 8);
  menu.open(items.size());
  const auto outside = menu.click(-1, items);
  EXPECT_TRUE(outside.taken);
  EXPECT_EQ(outside.chosen, std::nullopt);
  menu.open(0);
  EXPECT_FALSE(menu.is_open()) << "a menu without items does not open";
}

}  // namespace
