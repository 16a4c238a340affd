// Driving the headless backend: a user's actions, and reading back what the
// window shows. For tests, ferrant-replay and the fuzz and soak drivers.
//
// Message model. The headless window has a platform message queue like a
// real one. Each user action below only appends the messages that the real
// action would send to that queue; nothing is handled until the program's
// wait_event() pumps them, one message per wait_event() return. A message
// that records a gadget or menu event makes wait_event() return that event;
// otherwise it returns the message's raw identifier (in brackets below):
//
//   focus change   one message [0x0007] that moves the focus: the old gadget
//                  loses it, the new one gains it. A text field records
//                  EN_KILLFOCUS then kTypeFocusLost, or EN_SETFOCUS then
//                  kTypeFocusGained; a combo box CBN_KILLFOCUS or
//                  CBN_SETFOCUS; a button nothing. The last recorded event
//                  counts, so the gaining gadget's is seen. The focus keeps
//                  a text field's caret and selection.
//   select all     one message [0x00B1], no event
//   key            three messages: key down [0x0100], character [0x0102],
//                  key up [0x0101]. The character edits the focused text
//                  field at the caret, replacing the selection: EN_UPDATE then
//                  EN_CHANGE. ES_NUMBER refuses non-digits, which then change
//                  nothing and record nothing. U+0008 is Backspace; other
//                  control characters change nothing. In a focused combo box
//                  a character selects the next item starting with it
//                  (CBN_SELCHANGE).
//   paste          one message [0x0302]: the text up to its first line break
//                  replaces the selection (not filtered by ES_NUMBER)
//   delete         one message [0x0303]: the selection is deleted
//   click          button down [0x0201], button up [0x0202]; a click on a
//                  gadget that takes the focus and does not have it moves the
//                  focus first (one more message before them). A button
//                  records BN_CLICKED on button up, an image view
//                  kTypeClicked on button down.
//   double click   down, up, double click [0x0203] (image view:
//                  kTypeDoubleClick), up
//   right click    right down [0x0204] (image view: kTypeRightClick),
//                  right up [0x0205]
//   right double   right down, right up, right double click [0x0206] (image
//                  view: kTypeRightDoubleClick), right up
//   drag           down, one mouse move past the drag distance [0x0200]
//                  (image view: kTypeDrag), up
//   pick           (focus change if needed), button down on the box: the list
//                  opens, CBN_DROPDOWN; button up [0x0202]; button down on the
//                  item: CBN_SELCHANGE when the selection changes; button up:
//                  the list closes, CBN_CLOSEUP. Five messages at most.
//   open, close    (focus change if needed), button down: CBN_DROPDOWN;
//                  button up; button down: the list closes without a pick,
//                  CBN_CLOSEUP; button up [0x0202]
//   menu item      one message (WM_COMMAND): a menu event for the item
//   mouse move     one message [0x0200] per movement
//   repaint        one message [0x000F, the paint message, which equals
//                  kEventRepaint]; queues kEventRepaint, the canvas keeps
//                  what was drawn
//   close box      one message [0x00A1, a click on the frame]; queues
//                  kEventClose, the window stays
//   tab, backtab   key down, key up, handled by the dialog navigation (the
//                  focus moves on key down, no gadget or menu event of its own
//                  beyond the focus notifications of the gadgets involved)
//
// set_gadget_text on a text field records EN_UPDATE then EN_CHANGE at once,
// as the platform's synchronous WM_SETTEXT notification does: the next
// wait_event() reports it after pumping one message, unless it returns a
// queued window event, which drops it. pump_message() never blocks: with no
// message waiting it returns kMsgNull (0) at once, and wait_event() then
// reports a pending gadget event, if any.
//
// A program that is "idle" is blocked in wait_event() with nothing pending:
// has_pending() is false. A driver runs the program's passes while
// has_pending() is true.
//
// State between tests: reset() (or init_toolkit(), which calls it) leaves
// everything fresh: no window, gadgets, images, messages, events, opened
// URLs or error text. close_toolkit() destroys the window, gadgets and
// images and forgets messages and events, but keeps opened_urls() and
// last_error() for reading after the program ended.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/common/gadget_table.h"

namespace tk::headless {

// Frame, Label, TextField, ComboBox, Button, ImageView.
using GadgetKind = tk::common::GadgetKind;

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

struct MenuItem {
  int item = 0;
  std::string text;
};

struct MenuTitle {
  std::string text;
  std::vector<MenuItem> items;
};

// A text field's selection in code points, begin <= end; the caret is at
// one end. Both 0 for other gadgets.
struct Selection {
  int begin = 0, end = 0;
};

// Forgets everything: see "State between tests" above.
void reset();

// --- the user's actions (append platform messages; see the model above) ----

// Gives the gadget the keyboard focus (a click on a text field or combo box,
// without selecting anything else). Nothing happens for a missing gadget or
// one that takes no focus.
void focus(int gadget);
// Selects the whole text of a text field (does not move the focus; no event).
void select_all(int gadget);
// Types text key by key into the focused gadget at the caret, replacing the
// selection with the first key. UTF-8; one key per code point.
void type_text(std::string_view text);
// Pastes text at the caret of the focused text field, replacing the selection.
// Not filtered by ES_NUMBER.
void paste(std::string_view text);
// Deletes the selection of the focused text field.
void delete_selection();
// Opens the combo box's list, chooses item index, closes the list. Focus
// moves to the box first if needed. Index out of range: nothing.
void pick(int gadget, int index);
// Opens and closes the combo box's list without a pick.
void open_close(int gadget);
// Left click on a button or image view (or any gadget). Missing: nothing.
// A click on a combo box opens and closes its list (as open_close).
void click(int gadget);
// The image view's other mouse actions (any gadget accepted; only an image
// view records events). Missing: nothing.
void double_click(int gadget);
void right_click(int gadget);
void right_double_click(int gadget);
void drag(int gadget);
// Tab and Shift+Tab: focus to the next / previous focusable gadget in
// creation order (wrapping round).
void tab();
void backtab();
// Chooses a menu item. An item the menu lacks: nothing.
void choose_menu(int item);
// Moves the mouse over the window, count messages.
void move_mouse(int count = 1);
// The system repaints the window: kEventRepaint is queued; the canvas keeps
// what was drawn (retained drawing).
void system_repaint();
// The close box: kEventClose is queued; the window stays open.
void close_box();

// True while platform messages, queued window events or a recorded gadget
// or menu event wait.
bool has_pending();

// --- reading what the window shows -----------------------------------------

bool exists(int gadget);
GadgetKind kind(int gadget);
Rect rect(int gadget);
std::string text(int gadget);      // as get_gadget_text
std::int64_t state(int gadget);    // as get_gadget_state
// The numbered gadgets, ascending (anonymous ones left out).
std::vector<int> gadget_numbers();
// The gadget with the keyboard focus, -1 for none.
int focused_gadget();
// The items of a combo box, in order.
std::vector<std::string> combo_items(int gadget);
// Width and height of the bitmap an image view shows; 0, 0 without one.
Rect image_size(int gadget);
// The caret and selection of a text field.
Selection selection(int gadget);
// The window's title and its menu (titles and items, in order).
std::string window_title();
std::vector<MenuTitle> menu();
bool window_exists();

// The client-area canvas, 700 x 680 for the program's window.
int canvas_width();
int canvas_height();
// The pixel as a Colour (r + 256 g + 65536 b); 0 outside or without window.
std::int32_t pixel(int x, int y);
// Saves the canvas as an RGB PNG. False with a reason in tk::last_error().
bool save_png(const std::string& path);

// The locations open_url() was asked to start, in order.
std::vector<std::string> opened_urls();

}  // namespace tk::headless
