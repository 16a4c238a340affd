// The conformance suite's driver: a user's actions and what the window shows,
// for one backend. suite.cpp states the toolkit contract as tests against
// these calls; each backend has one driver_<backend>.cpp, and the suite is
// compiled once per backend with it.
//
// The actions act as the user does, through the platform's own input path
// where that is practical (real X input on X11, the messages the system
// sends or posts on Windows, the simulated messages of the headless
// platform). None of them waits for the program: settle() runs the
// wait_event() returns that follow.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/toolkit.h"

namespace conformance {

// One wait_event() return with the item and type it left.
struct Event {
  int code;
  int item;
  int type;
  bool operator==(const Event&) const = default;
};

// The backend's name, for test names and skip messages.
const char* backend_name();

// Called after the suite has created the window and its gadgets, before the
// first action (a driver may need the window's platform handles).
void window_ready();

// --- the user's actions ------------------------------------------------------

// Clicks into a text field: it takes the keyboard focus.
void focus_field(int gadget);
// Types the keys into the gadget that has the focus, one key a character.
void type(std::string_view keys);
// Selects the whole text of the focused text field and pastes text over it.
void paste(std::string_view text);
// Opens the combo box's list with the mouse, picks item index, and the list
// closes.
void pick(int gadget, int index);
// Opens the combo box's list with the mouse and closes it without a pick.
void open_close(int gadget);
// Left click in the middle of a button or image view.
void click(int gadget);
// Tab (forward) or Shift+Tab.
void tab(bool forward);
// The keys press_key() knows.
enum class Key { F10, Alt, Left, Right, Up, Down, Enter, Escape, Home, End, PageUp, PageDown };
// Presses and releases the key where the keyboard is (Alt: alone, nothing
// pressed in between). Keys pressed after one that opens the menu bar go to
// the menu, as they would while the user waits for it.
void press_key(Key key);
// Presses a chord and releases it: an ASCII letter with modifiers
// (Ctrl+Shift+C), or Shift+F10 and the context-menu key
// (tk::common::kKeyF10, kKeyContextMenu in toolkit/common/context_menu.h).
void press_chord(char32_t key, bool ctrl, bool shift, bool alt);
// A right click on the window at a client point where no gadget is.
void right_click_window(int x, int y);
// Chooses a menu item with the mouse.
void choose_menu(int item);
// The window's close box.
void close_box();
// The system repaints the whole window (as when a window covering it goes).
void system_repaint();
// Moves the mouse over the window: count separate movements.
void move_mouse(int count);

// Every wait_event() return until the platform has delivered everything it
// has and nothing more arrives.
std::vector<Event> settle();

// --- what the window shows ---------------------------------------------------

// The gadget with the keyboard focus, -1 for none.
int focused_gadget();
// The text the platform's control shows (a combo box: the selected item).
std::string shown_text(int gadget);
// Whether the window is still open on the screen.
bool window_shown();
// The text on the system's clipboard, lines ended by "\n".
std::string clipboard_text();
// The refused-character hint the text field shows: title and text, both
// empty when none shows.
struct Hint {
  std::string title;
  std::string text;
  bool operator==(const Hint&) const = default;
};
Hint field_hint(int gadget);
// The client-area pixel as the screen shows it, r + 256 g + 65536 b.
tk::Colour pixel(int x, int y);

}  // namespace conformance
