// The conformance suite's driver: a user's actions and what the window shows,
// for one backend. suite.cpp states the toolkit contract as tests against
// these calls and is compiled once per backend with its driver_<backend>.cpp.
// The actions go through the platform's own input path where that is
// practical (real X input on X11, the messages the system sends or posts on
// Windows, the headless platform's simulated messages) and never wait for the
// program: settle() runs the wait_event() returns that follow.
#pragma once

#include <cstdint>
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

const char* backend_name();
// Called once the suite has created the window and its gadgets (a driver may
// need the window's platform handles).
void window_ready();

// --- the user's actions ------------------------------------------------------

void focus_field(int gadget);      // a click into a text field
void type(std::string_view keys);  // one key a character, where the focus is
// Selects the whole text of the focused text field and pastes text over it.
void paste(std::string_view text);
void pick(int gadget, int index);  // the list opened with the mouse, the item picked
void open_close(int gadget);       // the list opened with the mouse, closed without a pick
void click(int gadget);            // the middle of a button or image view
void tab(bool forward);            // Tab or Shift+Tab
enum class Key { F10, Alt, Left, Right, Up, Down, Enter, Escape, Home, End, PageUp, PageDown };
// Presses and releases the key where the keyboard is (Alt: alone). Keys
// pressed after one that opens the menu bar go to the menu, as they would
// while the user waits for it.
void press_key(Key key);
// An ASCII letter with modifiers (Ctrl+Shift+C), or Shift+F10 and the
// context-menu key (tk::common::kKeyF10, kKeyContextMenu).
void press_chord(char32_t key, bool ctrl, bool shift, bool alt);
void right_click_window(int x, int y);  // at a client point
void choose_menu(int item);             // with the mouse
void close_box();
void system_repaint();       // as when a window covering it goes
void move_mouse(int count);  // count separate movements over the window
// Every wait_event() return until the platform has delivered everything it
// has and nothing more arrives.
std::vector<Event> settle();

// A file the program can read (load_bitmap()) where the platform keeps the
// files beside a program: the returned name reaches it (a file in the
// temporary folder on the desktop, one the page fetched in the browser).
std::string place_file(std::string_view name, const std::vector<std::uint8_t>& bytes);
void remove_placed_file(const std::string& placed);

// --- what the window shows ---------------------------------------------------

int focused_gadget();                // -1 for none
std::string shown_text(int gadget);  // a combo box: the selected item
bool window_shown();
bool has_address();  // a page address (toolkit.h): the browser's, the headless list
std::string clipboard_text();  // lines ended by "\n"
// The refused-character hint the text field shows; both empty when none.
struct Hint {
  std::string title;
  std::string text;
  bool operator==(const Hint&) const = default;
};
Hint field_hint(int gadget);
tk::Colour pixel(int x, int y);  // the client-area pixel as the screen shows it

}  // namespace conformance
