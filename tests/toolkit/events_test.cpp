// Ordering of the toolkit's events: recorded gadget events overwritten by
// later ones, queued window events without repeats taking precedence and
// dropping a pending gadget event, one wait_event() return per message.
#include <vector>

#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/common/backend.h"

namespace {

using namespace toolkit_test;
namespace hl = tk::headless;

constexpr int kField = 0;
constexpr int kCombo = 1;
constexpr int kOtherField = 2;
constexpr int kButton = 9;
constexpr int kLogo = 13;
constexpr int kLabel = 102;

class EventsTest : public ToolkitTest {
 protected:
  void create_gadgets() {
    tk::create_text_field(kField, 20, 66, 30, 20, "", tk::kFlagNumber);
    tk::create_combo_box(kCombo, 20, 116, 50, 20);
    for (const char* item : {"0.4", "0.5", "0.6"}) {
      tk::add_combo_item(kCombo, -1, item);
    }
    tk::create_text_field(kOtherField, 20, 396, 50, 20, "", tk::kFlagNumber);
    tk::create_label(kLabel, 205, 68, 70, 16, "");
    tk::create_image_view(kLogo, 300, 500, 100, 50, tk::kNoBitmap);
    tk::create_button(kButton, 600, 640, 80, 24, "Quit");
  }
};

TEST_F(EventsTest, StartUpWindowEventsDropTheInitialFieldChanges) {
  create_gadgets();
  tk::set_gadget_text(kField, "0");
  tk::set_gadget_text(kOtherField, "0");
  tk::set_gadget_text(kCombo, "0.4");
  EXPECT_EQ(drain(), (std::vector<Event>{raw(tk::kEventSize), raw(tk::kEventMove),
                                         raw(tk::kEventActivate)}));
  EXPECT_EQ(tk::event_window(), 0);
  EXPECT_FALSE(hl::has_pending());
}

TEST_F(EventsTest, EqualWindowEventIsNotQueuedTwiceInARow) {
  settle();
  tk::common::queue_window_event(tk::kEventRepaint, 0);
  tk::common::queue_window_event(tk::kEventRepaint, 0);
  tk::common::queue_window_event(tk::kEventMove, 0);
  tk::common::queue_window_event(tk::kEventRepaint, 0);
  tk::common::queue_window_event(tk::kEventRepaint, 1);
  EXPECT_EQ(drain(), (std::vector<Event>{raw(tk::kEventRepaint), raw(tk::kEventMove),
                                         raw(tk::kEventRepaint), raw(tk::kEventRepaint)}));

  // Through the platform: the first repaint's event is returned before the
  // second paint message is handled, so each repaint is seen (the paint
  // message itself is a wait_event() return too, with the same number).
  hl::system_repaint();
  hl::system_repaint();
  EXPECT_EQ(drain(), std::vector<Event>(4, raw(tk::kEventRepaint)));
}

TEST_F(EventsTest, SetTextChangeIsReportedAfterTheNextMessageUnlessAWindowEventComesFirst) {
  create_gadgets();
  settle();

  // Reported by the next wait, after it handled one message.
  tk::set_gadget_text(kField, "238");
  EXPECT_TRUE(hl::has_pending());
  hl::move_mouse();
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kField, tk::kTypeEditChange)}));

  // With no message waiting, the wait reports it at once.
  tk::set_gadget_text(kField, "12");
  EXPECT_EQ(next_event(), gadget_event(kField, tk::kTypeEditChange));
  EXPECT_FALSE(hl::has_pending());

  // A queued window event is returned first and drops it.
  hl::close_box();
  EXPECT_EQ(next_event(), raw(0x00A1));
  tk::set_gadget_text(kField, "7");
  EXPECT_EQ(next_event(), raw(tk::kEventClose));
  EXPECT_FALSE(hl::has_pending());
  EXPECT_TRUE(hl::window_exists());
  EXPECT_EQ(tk::get_gadget_text(kField), "7");
}

TEST_F(EventsTest, ProgramSelectionsAndLabelTextsRaiseNothing) {
  create_gadgets();
  settle();
  tk::set_gadget_text(kCombo, "0.5");
  tk::set_gadget_text(kCombo, "");
  tk::set_gadget_text(kLabel, "640kbit/s");
  tk::set_gadget_text(kButton, "Quit");
  EXPECT_FALSE(hl::has_pending());
}

TEST_F(EventsTest, FocusMoveReportsTheGainingGadget) {
  create_gadgets();
  settle();
  hl::focus(kField);
  hl::focus(kOtherField);
  hl::focus(kCombo);
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kField, tk::kTypeFocusGained),
                                         gadget_event(kOtherField, tk::kTypeFocusGained),
                                         gadget_event(kCombo, tk::kTypeComboSetFocus)}));
  // Focus to the button: only the combo box's loss is left to report.
  hl::click(kButton);
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kCombo, tk::kTypeComboKillFocus),
                                         raw(tk::kMsgLButtonDown),
                                         gadget_event(kButton, tk::kTypeClicked)}));
  hl::focus(kField);
  hl::click(kButton);
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kField, tk::kTypeFocusGained),
                                         gadget_event(kField, tk::kTypeFocusLost),
                                         raw(tk::kMsgLButtonDown),
                                         gadget_event(kButton, tk::kTypeClicked)}));
  EXPECT_EQ(hl::focused_gadget(), kButton);
}

TEST_F(EventsTest, TypingIsThreeMessagesAKeyAndNumberFieldsRefuseNonDigits) {
  create_gadgets();
  settle();
  hl::focus(kField);
  hl::type_text("1a2");
  const Event change = gadget_event(kField, tk::kTypeEditChange);
  const Event down = raw(tk::kMsgKeyDown);
  const Event up = raw(tk::kMsgKeyUp);
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kField, tk::kTypeFocusGained),
                                         down, change, up,                 // 1
                                         down, raw(tk::kMsgChar), up,      // a refused
                                         down, change, up}));              // 2
  EXPECT_EQ(tk::get_gadget_text(kField), "12");

  // Pasting is not filtered, and is one message.
  hl::paste("-3x");
  EXPECT_EQ(drain(), (std::vector<Event>{change}));
  EXPECT_EQ(tk::get_gadget_text(kField), "12-3x");

  // Replacing the whole text; Backspace; deleting the selection.
  hl::select_all(kField);
  hl::type_text("5\b9");
  hl::select_all(kField);
  hl::delete_selection();
  EXPECT_EQ(drain(), (std::vector<Event>{raw(0x00B1), down, change, up, down, change, up, down,
                                         change, up, raw(0x00B1), change}));
  EXPECT_EQ(tk::get_gadget_text(kField), "");
  // Nothing to delete: no change.
  hl::delete_selection();
  hl::type_text("\b");
  EXPECT_EQ(drain(), (std::vector<Event>{raw(0x0303), down, raw(tk::kMsgChar), up}));
}

TEST_F(EventsTest, ComboPickIsOneMessagePerNotification) {
  create_gadgets();
  settle();
  hl::pick(kCombo, 2);
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kCombo, tk::kTypeComboSetFocus),
                                         gadget_event(kCombo, tk::kTypeComboDropDown),
                                         raw(tk::kMsgLButtonUp),
                                         gadget_event(kCombo, tk::kTypeComboSelChange),
                                         gadget_event(kCombo, tk::kTypeComboCloseUp)}));
  EXPECT_EQ(tk::get_gadget_state(kCombo), 2);
  EXPECT_EQ(tk::get_gadget_text(kCombo), "0.6");

  // The same item again changes nothing; opening and closing picks nothing.
  hl::pick(kCombo, 2);
  hl::open_close(kCombo);
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kCombo, tk::kTypeComboDropDown),
                                         raw(tk::kMsgLButtonUp), raw(tk::kMsgLButtonDown),
                                         gadget_event(kCombo, tk::kTypeComboCloseUp),
                                         gadget_event(kCombo, tk::kTypeComboDropDown),
                                         raw(tk::kMsgLButtonUp),
                                         gadget_event(kCombo, tk::kTypeComboCloseUp),
                                         raw(tk::kMsgLButtonUp)}));
  EXPECT_EQ(tk::get_gadget_state(kCombo), 2);

  hl::pick(kCombo, 3);  // out of range: nothing at all
  hl::pick(kField, 0);
  EXPECT_FALSE(hl::has_pending());
}

TEST_F(EventsTest, TabWalksTheFocusableGadgetsInCreationOrder) {
  create_gadgets();
  settle();
  std::vector<int> order;
  for (int i = 0; i < 5; ++i) {
    hl::tab();
    drain();
    order.push_back(hl::focused_gadget());
  }
  EXPECT_EQ(order, (std::vector<int>{kField, kCombo, kOtherField, kButton, kField}));
  hl::backtab();
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kField, tk::kTypeFocusLost),
                                         raw(tk::kMsgKeyUp)}));
  EXPECT_EQ(hl::focused_gadget(), kButton);
  hl::backtab();
  EXPECT_EQ(drain(), (std::vector<Event>{gadget_event(kOtherField, tk::kTypeFocusGained),
                                         raw(tk::kMsgKeyUp)}));
}

TEST_F(EventsTest, MenuMouseAndImageViewEvents) {
  tk::create_menu_bar(0, 0);
  tk::add_menu_title("Varnek");
  tk::add_menu_item(0, "Homepage");
  create_gadgets();
  settle();

  hl::choose_menu(0);
  hl::choose_menu(5);  // not in the menu
  EXPECT_EQ(tk::wait_event(), tk::kEventMenu);
  EXPECT_EQ(tk::event_menu_item(), 0);
  EXPECT_EQ(tk::event_type(), tk::kTypeNone);
  EXPECT_FALSE(hl::has_pending());

  hl::move_mouse(2);
  EXPECT_EQ(drain(), (std::vector<Event>{raw(tk::kMsgMouseMove), raw(tk::kMsgMouseMove)}));

  hl::click(kLogo);
  hl::double_click(kLogo);
  hl::right_click(kLogo);
  hl::right_double_click(kLogo);
  hl::drag(kLogo);
  const Event up = raw(tk::kMsgLButtonUp);
  const Event clicked = gadget_event(kLogo, tk::kTypeClicked);
  EXPECT_EQ(drain(),
            (std::vector<Event>{clicked, up,                                            //
                                clicked, up, gadget_event(kLogo, tk::kTypeDoubleClick), up,  //
                                gadget_event(kLogo, tk::kTypeRightClick), raw(tk::kMsgRButtonUp),
                                gadget_event(kLogo, tk::kTypeRightClick), raw(tk::kMsgRButtonUp),
                                gadget_event(kLogo, tk::kTypeRightDoubleClick),
                                raw(tk::kMsgRButtonUp),  //
                                clicked, gadget_event(kLogo, tk::kTypeDrag), up}));
}

TEST_F(EventsTest, WaitEventResetsTheTypeAndALaterRecordWins) {
  settle();
  tk::common::record_event(tk::kEventGadget, 4, tk::kTypeComboDropDown);
  tk::common::record_event(tk::kEventGadget, 3, tk::kTypeComboSelChange);
  EXPECT_EQ(next_event(), gadget_event(3, tk::kTypeComboSelChange));
  hl::move_mouse();
  EXPECT_EQ(tk::wait_event(), tk::kMsgMouseMove);
  EXPECT_EQ(tk::event_type(), tk::kTypeNone);
  EXPECT_EQ(tk::event_gadget(), 3);  // the item of the last gadget event stays
}

}  // namespace
