// The toolkit contract (toolkit/toolkit.h) as tests, run on every backend
// through its driver (driver.h). Gadget and menu events are checked by what
// the program relies on: which gadget they name, the types it may look at,
// the last one of an action; raw message codes differ between platforms and
// only count where the contract says one wait_event() return per message.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "tests/toolkit/bmp_file.h"
#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/canvas.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/toolkit.h"

namespace {

using conformance::Event;
using conformance::settle;

// A window like the program's, with one gadget of every kind.
constexpr int kField = 0;      // digits-only text field
constexpr int kDiameter = 1;   // combo box
constexpr int kDistance = 2;   // digits-only text field
constexpr int kModel = 4;      // combo box
constexpr int kQuit = 9;       // push button
constexpr int kLogo = 13;      // image view without a bitmap
constexpr int kLabel = 116;
constexpr int kHomepageItem = 0;  // the first title's item
constexpr int kVersionItem = 3;   // the second title's
constexpr int kCopyItem = 4;      // the context menu's

constexpr int kCode = tk::kEventGadget;

// The program's items of its two combo boxes.
constexpr std::array<const char*, 11> kDiameterItems = {"0.4", "0.5", "0.6", "0.7", "0.8", "0.9",
                                                         "1.0", "1.1", "1.2", "1.3", "1.4"};
constexpr std::array<const char*, 4> kModelItems = {"Pellion", "Ferrant_II", "Ferrant_III", "Ferrant_IV"};

// The events of one code (gadget events unless told).
std::vector<Event> gadget_events(const std::vector<Event>& events, int code = tk::kEventGadget) {
  std::vector<Event> found;
  std::copy_if(events.begin(), events.end(), std::back_inserter(found), [code](const Event& e) { return e.code == code; });
  return found;
}

bool has_code(const std::vector<Event>& events, int code) {
  return std::any_of(events.begin(), events.end(), [code](const Event& e) { return e.code == code; });
}

bool has_event(const std::vector<Event>& events, const Event& wanted) {
  return std::find(events.begin(), events.end(), wanted) != events.end();
}

// Every gadget event of the action names one of these gadgets.
::testing::AssertionResult only_gadgets(const std::vector<Event>& events, std::vector<int> gadgets) {
  for (const Event& e : gadget_events(events)) {
    if (std::find(gadgets.begin(), gadgets.end(), e.item) == gadgets.end()) {
      return ::testing::AssertionFailure() << "a gadget event of gadget " << e.item << " (type " << e.type << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

class Toolkit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tk::init_toolkit()) << tk::last_error();
    ASSERT_TRUE(tk::create_window(0, 10, 0, 700, 680, "Conformance", tk::kStyleMainWindow)) << tk::last_error();
    tk::create_menu_bar(0, 0);
    tk::add_menu_title("Varnek");
    tk::add_menu_item(kHomepageItem, "Homepage");
    tk::add_menu_title("Info");
    tk::add_menu_item(kVersionItem, "Version 1.0");
    tk::add_context_menu_item(kCopyItem, "Copy results\tCtrl+Shift+C");
    tk::create_frame(tk::kAnonymous, 10, 20, 680, 300, "Baserate/Cable ---> Distance ...");
    tk::create_text_field(kField, 20, 66, 30, 20, "", tk::kFlagNumber);
    tk::create_combo_box(kDiameter, 20, 116, 50, 20);
    for (const char* item : kDiameterItems) tk::add_combo_item(kDiameter, -1, item);
    tk::create_text_field(kDistance, 20, 396, 50, 20, "", tk::kFlagNumber);
    tk::create_label(kLabel, 75, 398, 150, 16, "Meter = 0 Feet");
    tk::create_combo_box(kModel, 20, 496, 85, 20);
    for (const char* item : kModelItems) tk::add_combo_item(kModel, -1, item);
    tk::create_image_view(kLogo, 330, 560, 60, 40, tk::kNoBitmap);
    tk::create_button(kQuit, 605, 625, 72, 24, "Quit");
    // The program's first writes, as at start-up.
    tk::set_gadget_text(kField, "0");
    tk::set_gadget_text(kDistance, "0");
    tk::set_gadget_text(kDiameter, "0.4");
    conformance::window_ready();
    startup_ = settle();
  }
  void TearDown() override { tk::close_toolkit(); }

  std::vector<Event> startup_;
};

TEST_F(Toolkit, StartUpReportsSizeMoveActivateAndDropsTheFirstWrites) {
  ASSERT_GE(startup_.size(), 3U);
  EXPECT_EQ(startup_[0].code, tk::kEventSize);
  EXPECT_EQ(startup_[1].code, tk::kEventMove);
  EXPECT_EQ(startup_[2].code, tk::kEventActivate);
  EXPECT_EQ(tk::event_window(), 0);
  EXPECT_TRUE(gadget_events(startup_).empty());
  EXPECT_EQ(conformance::shown_text(kField), "0");
  EXPECT_EQ(conformance::shown_text(kDiameter), "0.4");
}

TEST_F(Toolkit, ProgramWritesShowAndOnlyATextFieldsChangeIsReported) {
  tk::set_gadget_text(kLabel, "Meter = 3 Feet");
  tk::set_gadget_text(kQuit, "Stop");
  tk::set_gadget_text(kModel, "ferrant_iii");  // the whole text, any case
  EXPECT_EQ(tk::get_gadget_state(kModel), 2);
  EXPECT_EQ(tk::get_gadget_text(kModel), "Ferrant_III");
  for (const char* no_item : {"Ferrant", "Pellion ", "Ferrant_IIII"}) {
    tk::set_gadget_text(kModel, no_item);
    EXPECT_EQ(tk::get_gadget_state(kModel), 2) << no_item;
  }
  EXPECT_TRUE(gadget_events(settle()).empty());
  EXPECT_EQ(conformance::shown_text(kLabel), "Meter = 3 Feet");
  EXPECT_EQ(conformance::shown_text(kQuit), "Stop");
  EXPECT_EQ(conformance::shown_text(kModel), "Ferrant_III");
  tk::set_gadget_text(kModel, "");
  EXPECT_EQ(tk::get_gadget_state(kModel), -1);
  EXPECT_EQ(tk::get_gadget_text(kModel), "");

  // A text field's new text is a change: pending until the next wait, which
  // reports it after handling one message.
  tk::set_gadget_text(kDistance, "45000");
  conformance::move_mouse(1);
  const std::vector<Event> events = settle();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front(), (Event{kCode, kDistance, tk::kTypeEditChange}));
  EXPECT_EQ(gadget_events(events).size(), 1U);
  EXPECT_EQ(tk::get_gadget_text(kDistance), "45000");
  EXPECT_EQ(conformance::shown_text(kDistance), "45000");
}

TEST_F(Toolkit, DigitsOnlyFieldTakesTypedDigitsAndAnyPasteAndEnterChangesNothing) {
  tk::set_gadget_text(kField, "");
  conformance::focus_field(kField);
  EXPECT_EQ(gadget_events(settle()).back(), (Event{kCode, kField, tk::kTypeFocusGained}));
  conformance::type("1a2");
  const std::vector<Event> typed = settle();
  EXPECT_EQ(gadget_events(typed), std::vector<Event>(2, Event{kCode, kField, tk::kTypeEditChange}));
  EXPECT_EQ(tk::get_gadget_text(kField), "12");
  conformance::paste("-5x");
  EXPECT_TRUE(has_event(settle(), Event{kCode, kField, tk::kTypeEditChange}));
  EXPECT_EQ(tk::get_gadget_text(kField), "-5x");
  conformance::press_key(conformance::Key::Enter);
  const std::vector<Event> entered = settle();
  EXPECT_TRUE(gadget_events(entered).empty() && !has_code(entered, tk::kEventMenu));
  EXPECT_EQ(conformance::focused_gadget(), kField);
  EXPECT_EQ(tk::get_gadget_text(kField), "-5x");
  EXPECT_EQ(conformance::shown_text(kField), "-5x");
}

TEST_F(Toolkit, ARefusedCharacterOrPasteShowsTheHintUntilTheNextKey) {
  const conformance::Hint refused{std::string(tk::kRefusedHintTitle), std::string(tk::kRefusedHintText)};
  conformance::focus_field(kField);
  settle();
  conformance::paste("12");
  conformance::type(".");
  settle();
  EXPECT_EQ(tk::get_gadget_text(kField), "12");
  EXPECT_EQ(conformance::field_hint(kField), refused);
  EXPECT_EQ(conformance::field_hint(kDistance), conformance::Hint{});
  conformance::type("5");
  settle();
  EXPECT_EQ(tk::get_gadget_text(kField), "125");
  EXPECT_EQ(conformance::field_hint(kField), conformance::Hint{}) << "a taken key ends the hint";

  conformance::paste("5000");
  settle();
  EXPECT_EQ(conformance::field_hint(kField), conformance::Hint{});
  conformance::paste("12.5");
  settle();
  EXPECT_EQ(tk::get_gadget_text(kField), "12.5") << "a paste goes in unfiltered";
  EXPECT_EQ(conformance::field_hint(kField), refused);
  conformance::focus_field(kDistance);
  settle();
  EXPECT_EQ(conformance::field_hint(kField), conformance::Hint{}) << "a focus move ends the hint";
}

// The keys go in before the window is asked what happened, as a user types
// ahead while the menu comes up: where the menu is the platform's own it runs
// a loop of its own until it closes.
TEST_F(Toolkit, TheContextMenuOpensByMouseAndKeysAndItsShortcutWorksAnywhere) {
  using conformance::Key;
  const std::vector<Event> copied{{tk::kEventMenu, kCopyItem, tk::kTypeNone}};
  const auto menu_events = [] { return gadget_events(settle(), tk::kEventMenu); };
  conformance::focus_field(kField);
  settle();
  conformance::paste("42");
  settle();

  conformance::press_chord(U'C', true, true, false);
  std::vector<Event> events = settle();
  EXPECT_EQ(gadget_events(events, tk::kEventMenu), copied);
  EXPECT_TRUE(gadget_events(events).empty()) << "the shortcut is no edit";
  EXPECT_EQ(tk::get_gadget_text(kField), "42");
  conformance::press_chord(U'c', true, false, false);
  EXPECT_EQ(menu_events(), std::vector<Event>{}) << "Ctrl+C is the field's";

  conformance::press_chord(tk::common::kKeyF10, false, true, false);
  conformance::press_key(Key::Down);
  conformance::press_key(Key::Enter);
  EXPECT_EQ(menu_events(), copied);
  EXPECT_EQ(conformance::focused_gadget(), kField);
  EXPECT_EQ(tk::get_gadget_text(kField), "42");

  conformance::press_chord(tk::common::kKeyContextMenu, false, false, false);
  conformance::press_key(Key::Escape);
  EXPECT_EQ(menu_events(), std::vector<Event>{});
  conformance::type("7");
  settle();
  EXPECT_EQ(tk::get_gadget_text(kField), "427") << "the keyboard is back with the field";

  conformance::right_click_window(600, 500);
  conformance::press_key(Key::Down);
  conformance::press_key(Key::Enter);
  EXPECT_EQ(menu_events(), copied);

  // Over an image view the right click is the view's, and no menu opens.
  conformance::right_click_window(340, 570);
  conformance::press_key(Key::Down);
  conformance::press_key(Key::Enter);
  events = settle();
  EXPECT_TRUE(has_event(events, Event{kCode, kLogo, tk::kTypeRightClick}));
  EXPECT_FALSE(has_code(events, tk::kEventMenu));
}

TEST_F(Toolkit, TheClipboardTakesTheTextAsGiven) {
  const std::string text = "Cable:             0.4mm\n\nDistance:          5000 Meter = 16404 Feet \u00e4\n";
  tk::set_clipboard_text(text);
  EXPECT_EQ(conformance::clipboard_text(), text);
  EXPECT_TRUE(gadget_events(settle()).empty()) << "serving the clipboard is raw messages only";
}

// What is shown is read back, in order, with escapes, blanks and a name
// twice, and raises no event; a desktop window has no address.
TEST_F(Toolkit, TheAddressGivesBackTheParametersShown) {
  const std::vector<tk::AddressParameter> opened = tk::address_parameters();
  const std::vector<tk::AddressParameter> shown = {
      {"baserate", "10"}, {"arg", "a b&c=d+%"}, {"", "\xC3\xBC"}, {"arg", ""}};
  tk::show_address_parameters(shown);
  EXPECT_TRUE(gadget_events(settle()).empty());
  EXPECT_EQ(tk::address_parameters(), conformance::has_address() ? shown : std::vector<tk::AddressParameter>{});
  tk::show_address_parameters(opened);
}

TEST_F(Toolkit, TabAndShiftTabWalkTheFocusableGadgetsInCreationOrder) {
  conformance::focus_field(kField);
  settle();
  const int forward[] = {kDiameter, kDistance, kModel, kQuit, kField};
  int from = kField;
  for (const int to : forward) {
    conformance::tab(true);
    const std::vector<Event> events = settle();
    EXPECT_EQ(conformance::focused_gadget(), to);
    EXPECT_TRUE(only_gadgets(events, {from, to})) << "tab to " << to;
    EXPECT_FALSE(has_code(events, tk::kEventMenu));
    from = to;
  }
  conformance::tab(false);
  const std::vector<Event> back = settle();
  EXPECT_EQ(conformance::focused_gadget(), kQuit);
  EXPECT_TRUE(has_event(back, Event{kCode, kField, tk::kTypeFocusLost}));
  conformance::tab(false);
  EXPECT_EQ(gadget_events(settle()).back(), (Event{kCode, kModel, tk::kTypeComboSetFocus}));
}

TEST_F(Toolkit, PickingReportsTheSelectionAndOpeningAloneSelectsNothing) {
  conformance::pick(kDiameter, 2);
  std::vector<Event> events = settle();
  EXPECT_TRUE(only_gadgets(events, {kDiameter}));
  EXPECT_TRUE(has_event(events, Event{kCode, kDiameter, tk::kTypeComboSelChange}));
  EXPECT_EQ(tk::get_gadget_state(kDiameter), 2);
  EXPECT_EQ(tk::get_gadget_text(kDiameter), "0.6");
  EXPECT_EQ(conformance::shown_text(kDiameter), "0.6");

  conformance::open_close(kModel);
  events = settle();
  EXPECT_FALSE(gadget_events(events).empty());
  EXPECT_TRUE(only_gadgets(events, {kDiameter, kModel}));
  EXPECT_FALSE(has_event(events, Event{kCode, kModel, tk::kTypeComboSelChange}));
  EXPECT_EQ(tk::get_gadget_state(kModel), -1);
}

TEST_F(Toolkit, ClicksAndMenuItemsAreReportedWithTheirNumbers) {
  conformance::click(kQuit);
  EXPECT_TRUE(has_event(settle(), Event{kCode, kQuit, tk::kTypeClicked}));
  conformance::click(kLogo);
  EXPECT_TRUE(has_event(settle(), Event{kCode, kLogo, tk::kTypeClicked}));
  conformance::choose_menu(kVersionItem);
  const std::vector<Event> events = settle();
  EXPECT_TRUE(has_event(events, Event{tk::kEventMenu, kVersionItem, tk::kTypeNone}));
  EXPECT_EQ(tk::event_menu_item(), kVersionItem);
}

TEST_F(Toolkit, F10OrAltAloneOpensTheMenuBarForArrowsEnterAndEscape) {
  using conformance::Key;
  const auto chosen = [](int focus, std::vector<Key> keys) {
    for (const Key key : keys) conformance::press_key(key);
    const std::vector<Event> events = settle();
    EXPECT_TRUE(only_gadgets(events, {focus}));
    EXPECT_EQ(conformance::focused_gadget(), focus) << "the menu took the focus along";
    return gadget_events(events, tk::kEventMenu);
  };
  const Event homepage{tk::kEventMenu, kHomepageItem, tk::kTypeNone};
  const Event version{tk::kEventMenu, kVersionItem, tk::kTypeNone};
  conformance::focus_field(kDistance);
  settle();
  EXPECT_EQ(chosen(kDistance, {Key::F10, Key::Down, Key::Enter}), std::vector<Event>{homepage});
  EXPECT_EQ(chosen(kDistance, {Key::Alt, Key::Right, Key::Down, Key::Enter}), std::vector<Event>{version});
  EXPECT_EQ(chosen(kDistance, {Key::F10, Key::Escape}), std::vector<Event>{});
  // Walking the items and backing out with Escape chooses nothing.
  EXPECT_EQ(chosen(kDistance, {Key::F10, Key::Down, Key::Up, Key::Escape, Key::Escape}), std::vector<Event>{});
  // The keyboard is back with the field.
  conformance::type("7");
  EXPECT_TRUE(has_event(settle(), Event{kCode, kDistance, tk::kTypeEditChange}));
  EXPECT_EQ(tk::get_gadget_text(kDistance).back(), '7');

  // From a combo box, whose own arrow keys change its selection: the arrows
  // go to the menu.
  conformance::tab(true);
  settle();
  ASSERT_EQ(conformance::focused_gadget(), kModel);
  EXPECT_EQ(chosen(kModel, {Key::Alt, Key::Down, Key::Enter}), std::vector<Event>{homepage});
  EXPECT_EQ(chosen(kModel, {Key::F10, Key::Right, Key::Down, Key::Enter}), std::vector<Event>{version});
  EXPECT_EQ(tk::get_gadget_state(kModel), -1);
}


// The program selects item index of one of the suite's combo boxes by its
// text (-1: none).
void select_item(int combo, int index) {
  if (index < 0) return tk::set_gadget_text(combo, "");
  const auto at = static_cast<std::size_t>(index);
  tk::set_gadget_text(combo, combo == kDiameter ? kDiameterItems[at]
                             : combo == kModel  ? kModelItems[at]
                                                : std::to_string(100 + index));
}

// Gives the combo box the keyboard focus with Tab from the gadget before it.
void tab_into(int combo, int from) {
  conformance::focus_field(from);
  settle();
  conformance::tab(true);
  settle();
  ASSERT_EQ(conformance::focused_gadget(), combo);
}

// The combo box's events of one key: kTypeComboSelChange when the key
// selects an item (the selected one, too), nothing else of its own.
void expect_key_events(const std::vector<Event>& events, int combo, bool selects, const char* what) {
  EXPECT_TRUE(only_gadgets(events, {combo})) << what;
  const std::vector<Event> wanted = selects ? std::vector<Event>{{kCode, combo, tk::kTypeComboSelChange}}
                                             : std::vector<Event>{};
  EXPECT_EQ(gadget_events(events), wanted) << what;
}

TEST_F(Toolkit, KeysInAClosedComboBoxMoveItsSelection) {
  using conformance::Key;
  constexpr int kLong = 20;  // longer than a page
  tk::create_combo_box(kLong, 400, 116, 60, 20);
  for (int item = 0; item < 40; ++item) tk::add_combo_item(kLong, -1, std::to_string(100 + item));
  struct Case {
    int combo;
    int before;  // -1: no selection
    Key key;
    int after;
  };
  // No selection: the program never clears one, so a box without one has
  // never had another item selected (Win32 would step from that item).
  constexpr Case kCases[] = {
      {kModel, -1, Key::Up, 0},          {kModel, -1, Key::End, 0},         {kModel, -1, Key::PageDown, 0},
      {kModel, 0, Key::Up, 0},           {kModel, 2, Key::Up, 1},           {kModel, 3, Key::Down, 3},
      {kModel, 1, Key::Down, 2},         {kModel, 1, Key::Left, 0},         {kModel, 0, Key::Left, 0},
      {kModel, 2, Key::Right, 3},        {kModel, 3, Key::Right, 3},        {kModel, 2, Key::Home, 0},
      {kModel, 1, Key::End, 3},          {kModel, 1, Key::PageDown, 3},     {kModel, 3, Key::PageUp, 0},
      {kDiameter, -1, Key::PageDown, 0}, {kDiameter, 10, Key::Up, 9},       {kDiameter, 4, Key::End, 10},
      {kLong, 0, Key::PageDown, 26},     {kLong, 20, Key::PageDown, 39},    {kLong, 30, Key::PageUp, 4},
      {kLong, 20, Key::PageUp, 0},       {kLong, 39, Key::PageDown, 39},
  };
  const auto from_of = [](int combo) { return combo == kModel ? kDistance : combo == kDiameter ? kField : kQuit; };
  int focused = -1;
  for (const Case& c : kCases) {
    if (c.combo != focused) tab_into(c.combo, from_of(c.combo));
    focused = c.combo;
    select_item(c.combo, c.before);
    ASSERT_EQ(tk::get_gadget_state(c.combo), c.before);
    settle();
    conformance::press_key(c.key);
    const std::vector<Event> events = settle();
    const std::string what = "gadget " + std::to_string(c.combo) + " from " + std::to_string(c.before) + " key " +
                             std::to_string(static_cast<int>(c.key));
    EXPECT_EQ(tk::get_gadget_state(c.combo), c.after) << what;
    EXPECT_EQ(conformance::focused_gadget(), c.combo) << what;
    expect_key_events(events, c.combo, true, what.c_str());
  }
}

TEST_F(Toolkit, ACharacterInAClosedComboBoxSelectsTheNextItemStartingWithIt) {
  struct Case {
    int before;
    const char* typed;
    int after;  // == before and no event: no item starts with it
    bool selects;
  };
  // Pellion, Ferrant_II, Ferrant_III, Ferrant_IV; no selection first.
  constexpr Case kCases[] = {
      {-1, "F", 1, true}, {1, "f", 2, true}, {2, "F", 3, true}, {3, "F", 1, true},
      {0, "p", 0, true},  {2, "P", 0, true}, {1, "x", 1, false}, {-1, "x", -1, false},
  };
  tab_into(kModel, kDistance);
  for (const Case& c : kCases) {
    select_item(kModel, c.before);
    settle();
    conformance::type(c.typed);
    const std::vector<Event> events = settle();
    const std::string what = std::string(c.typed) + " from " + std::to_string(c.before);
    EXPECT_EQ(tk::get_gadget_state(kModel), c.after) << what;
    expect_key_events(events, kModel, c.selects, what.c_str());
  }
}

TEST_F(Toolkit, MouseMovesAreOneReturnEachAndTheCloseBoxOnlyAsks) {
  conformance::move_mouse(7);
  const std::vector<Event> moves = settle();
  EXPECT_EQ(moves.size(), 7U);
  for (const Event& e : moves) {
    EXPECT_TRUE(e.code != tk::kEventGadget && e.code != tk::kEventMenu && e.code != tk::kEventClose) << e.code;
  }
  EXPECT_EQ(tk::event_type(), tk::kTypeNone);
  conformance::close_box();
  EXPECT_TRUE(has_code(settle(), tk::kEventClose));
  EXPECT_TRUE(conformance::window_shown());
}

TEST_F(Toolkit, DrawingFollowsTheCanvasRulesAndSurvivesARepaint) {
  constexpr tk::Colour kRed = tk::rgb(255, 0, 0), kBlue = tk::rgb(0, 0, 255), kGreen = tk::rgb(0, 255, 0);
  tk::common::Canvas expected(700, 680, tk::common::kButtonFace);
  tk::draw_box(330, 200, 20, 20, kRed);  // outside a drawing phase: nothing
  tk::begin_window_drawing(7);           // a window that does not exist: nothing
  tk::draw_box(330, 200, 20, 20, kRed);
  EXPECT_EQ(tk::draw_text(330, 200, "x"), 330);
  tk::begin_window_drawing(0);
  constexpr int kLines[][4] = {{330, 130, 340, 130}, {330, 135, 330, 145}, {345, 130, 360, 145}, {365, 130, 370, 150},
                               {380, 150, 395, 133}, {400, 130, 420, 137}, {430, 145, 425, 130}, {440, 140, 440, 140}};
  for (const auto& [x1, y1, x2, y2] : kLines) {
    tk::draw_line(x1, y1, x2, y2, kRed);
    expected.line(x1, y1, x2, y2, kRed);
  }
  tk::draw_line(330, 160, 420, 160, tk::kFrontColour);
  expected.line(330, 160, 420, 160, tk::kFrontColour);
  constexpr int kBoxes[][4] = {{460, 130, 1, 1}, {465, 131, -1, -1}, {470, 130, 7, 3}, {480, 130, 1, 9},
                               {20, 288, 200, 2}};
  for (const auto& [x, y, w, h] : kBoxes) {
    tk::draw_box(x, y, w, h, kBlue);
    expected.box(x, y, w, h, kBlue);
  }
  for (const int r : {1, 2, 4}) {  // the radii the program draws
    tk::draw_circle(500 + 12 * r, 140, r, kGreen);
    expected.circle(500 + 12 * r, 140, r, kGreen);
  }
  tk::set_text_background(kGreen);
  const int after = tk::draw_text(330, 180, "PSD (dBm/Hz)");
  const int expected_after = expected.text(330, 180, "PSD (dBm/Hz)", kGreen);
  EXPECT_EQ(tk::draw_text(after, 180, ""), after);
  tk::end_drawing();
  tk::draw_box(330, 200, 20, 20, kRed);  // after the phase: nothing

  EXPECT_EQ(after, expected_after);
  const auto wrong_pixels = [&] {
    int wrong = 0;
    for (int y = 125; y < 300; ++y) {
      for (int x = 15; x < 690; ++x) {
        if (expected.painted(x, y) ? conformance::pixel(x, y) != expected.pixel(x, y)
                                   : conformance::pixel(x, y) == kRed) {
          ++wrong;
        }
      }
    }
    return wrong;
  };
  settle();
  EXPECT_EQ(wrong_pixels(), 0);
  conformance::system_repaint();
  EXPECT_TRUE(has_code(settle(), tk::kEventRepaint));
  EXPECT_EQ(wrong_pixels(), 0) << "the drawing did not come back after the repaint";
}

TEST_F(Toolkit, ImagesLoadAndShowAtTheirOwnSize) {
  const tk::Colour kLogoColour = tk::rgb(200, 30, 40);
  const std::string logo = conformance::place_file("conformance-logo.bmp", bmp::solid_bmp(24, 16, kLogoColour));
  const tk::Bitmap bitmap = tk::load_bitmap(0, logo);
  conformance::remove_placed_file(logo);
  ASSERT_NE(bitmap, tk::kNoBitmap) << tk::last_error();
  tk::create_image_view(kLogo, 330, 560, 60, 40, bitmap);  // replaces the empty view
  EXPECT_EQ(tk::get_gadget_state(kLogo), bitmap);
  settle();
  EXPECT_EQ(conformance::pixel(330, 560), kLogoColour);
  EXPECT_EQ(conformance::pixel(353, 575), kLogoColour);
  EXPECT_NE(conformance::pixel(354, 575), kLogoColour);  // the view took the bitmap's width
  EXPECT_NE(conformance::pixel(340, 576), kLogoColour);  // and height
  // A line drawn across the view hides only the pixels it paints.
  tk::begin_window_drawing(0);
  tk::draw_line(325, 555, 365, 585, tk::rgb(255, 0, 0));
  tk::end_drawing();
  settle();
  EXPECT_EQ(conformance::pixel(353, 560), kLogoColour);
  EXPECT_EQ(conformance::pixel(330, 575), kLogoColour);

  EXPECT_EQ(tk::load_bitmap(1, logo), tk::kNoBitmap);  // gone
  EXPECT_NE(tk::last_error().find("conformance-logo.bmp"), std::string::npos) << tk::last_error();
  EXPECT_EQ(tk::load_bitmap(1, "."), tk::kNoBitmap);  // a folder is no image
}

TEST_F(Toolkit, ANumberInUseIsReplacedAndMissingNumbersDoNothing) {
  tk::create_label(kDistance, 20, 396, 50, 20, "now a label");
  EXPECT_EQ(tk::get_gadget_text(kDistance), "now a label");
  EXPECT_EQ(tk::get_gadget_state(kDistance), 0);
  settle();
  EXPECT_EQ(conformance::shown_text(kDistance), "now a label");
  // The replacing field is the last tab stop: Tab from the button reaches it.
  tk::create_text_field(kDistance, 20, 396, 50, 20, "7", tk::kFlagNumber);
  settle();
  conformance::click(kQuit);
  settle();
  conformance::tab(true);
  settle();
  EXPECT_EQ(conformance::focused_gadget(), kDistance);

  // Inserting keeps the selected item selected; a position past the end adds nothing.
  tk::set_gadget_text(kModel, "Pellion");
  tk::add_combo_item(kModel, 0, "Tamsel");
  tk::add_combo_item(kModel, 9, "Beyond");
  EXPECT_EQ(tk::get_gadget_state(kModel), 1);
  EXPECT_EQ(tk::get_gadget_text(kModel), "Pellion");
  tk::set_gadget_text(kModel, "beyond");
  EXPECT_EQ(tk::get_gadget_state(kModel), 1);
  tk::set_gadget_text(kModel, "tamsel");
  EXPECT_EQ(tk::get_gadget_state(kModel), 0);

  for (const int missing : {555, tk::kAnonymous}) {
    tk::set_gadget_text(missing, "x");
    tk::add_combo_item(missing, -1, "x");
    EXPECT_EQ(tk::get_gadget_text(missing), "");
    EXPECT_EQ(tk::get_gadget_state(missing), 0);
  }
}

TEST_F(Toolkit, ASecondInitStartsAfreshAndAWindowNeedsInit) {
  ASSERT_TRUE(tk::init_toolkit());
  EXPECT_EQ(tk::get_gadget_text(kField), "");
  EXPECT_FALSE(conformance::window_shown());
  EXPECT_TRUE(tk::last_error().empty());
  tk::close_toolkit();
  EXPECT_FALSE(tk::create_window(0, 10, 0, 300, 200, "Closed", tk::kStyleMainWindow));
  EXPECT_FALSE(tk::last_error().empty());
  ASSERT_TRUE(tk::init_toolkit());
  ASSERT_TRUE(tk::create_window(0, 10, 0, 300, 200, "Again", tk::kStyleMainWindow));
  tk::create_text_field(kField, 20, 20, 40, 20, "", tk::kFlagNumber);
  tk::set_gadget_text(kField, "0");
  conformance::window_ready();
  const std::vector<Event> events = settle();
  ASSERT_GE(events.size(), 3U);
  EXPECT_EQ(events[0].code, tk::kEventSize);
  EXPECT_TRUE(gadget_events(events).empty());
}

}  // namespace
