// Driving the headless backend: a user's actions, and reading back what the
// window shows. For tests, ferrant-replay and the fuzz and soak drivers.
//
// Message model. The headless window has a platform message queue like a
// real one. Each user action below only appends the messages that the real
// action would send to that queue; nothing is handled until the program's
// wait_event() pumps them, one message per wait_event() return:
//
//   focus change   one message (WM_SETFOCUS-like) that moves the focus: the
//                  old gadget loses it, the new one gains it (a text field
//                  records kTypeFocusLost / kTypeFocusGained events, a combo
//                  box kTypeComboKillFocus / kTypeComboSetFocus; the last
//                  recorded event counts, so the gaining gadget's is seen)
//   key            three messages: key down, character, key up; the character
//                  message edits a text field (ES_NUMBER refuses non-digits,
//                  which then change nothing and record nothing)
//   paste, delete  one message each (WM_PASTE, WM_CLEAR-like)
//   click          button down, button up; a click on a gadget that takes the
//                  focus and does not have it moves the focus first (one
//                  more message before them)
//   pick           the list opens (click), the item is chosen and the list
//                  closes (click): see pick() for the exact sequence
//   menu item      one message (WM_COMMAND)
//   mouse move     one message per movement
//   repaint        one message; queues kEventRepaint
//   close box      one message; queues kEventClose, the window stays
//   tab, backtab   key down, key up, handled by the dialog navigation (the
//                  focus moves on key down, no gadget or menu event of its own
//                  beyond the focus notifications of the gadgets involved)
//
// A program that is "idle" is blocked in wait_event() with nothing pending:
// has_pending() is false. A driver runs the program's passes while
// has_pending() is true.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tk::headless {

enum class GadgetKind { Frame, Label, TextField, ComboBox, Button, ImageView };

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
};

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
void click(int gadget);
// Tab and Shift+Tab: focus to the next / previous focusable gadget in
// creation order (wrapping round).
void tab();
void backtab();
// Chooses a menu item.
void choose_menu(int item);
// Moves the mouse over the window, count messages.
void move_mouse(int count = 1);
// The system repaints the window: kEventRepaint is queued; the canvas keeps
// what was drawn (retained drawing).
void system_repaint();
// The close box: kEventClose is queued; the window stays open.
void close_box();

// True while platform messages or queued window events wait.
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
// The window's title and its menu (titles and items, in order).
std::string window_title();
bool window_exists();

// The client-area canvas, 700 x 680 for the program's window.
int canvas_width();
int canvas_height();
// The pixel as a Colour (r + 256 g + 65536 b).
std::int32_t pixel(int x, int y);
// Saves the canvas as an RGB PNG. False with a reason in tk::last_error().
bool save_png(const std::string& path);

// The locations open_url() was asked to start, in order.
std::vector<std::string> opened_urls();

}  // namespace tk::headless
