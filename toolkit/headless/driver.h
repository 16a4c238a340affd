// Driving the headless backend: a user's actions, and reading back what the
// window shows. For tests, ferrant-replay and the fuzz and soak drivers.
//
// The headless window has a platform message queue like a real one. Each
// action below only appends the messages the real action would send;
// nothing is handled until the program's wait_event() takes them, one
// message a return, with the events of the contract in toolkit/toolkit.h.
// The messages an action appends (raw identifiers, as wait_event() returns
// them when they record nothing, in brackets):
//
//   focus change   one [0x0007]: the old gadget loses the focus and the new
//                  one gains it in the same message, so only the gaining
//                  gadget's event is reported
//   key            key down [0x0100], character [0x0102], key up [0x0101];
//                  U+0008 is Backspace. In a combo box a character selects
//                  the next item starting with it
//   select all     [0x00B1]; paste [0x0302] (the text up to its first line
//                  break); delete the selection [0x0303]
//   click          (a focus change first for a gadget that takes the focus)
//                  button down [0x0201], button up [0x0202]
//   double click   down, up, double click [0x0203], up; right click: right
//                  down [0x0204], right up [0x0205]; right double click: right
//                  down, up, double [0x0206], up; drag: down, move [0x0200], up
//   pick           (focus change), down: the list opens, up, down on the
//                  item, up: the list closes; open and close without a pick:
//                  (focus change), down, up, down, up
//   menu item      one [0x0111]; mouse move one [0x0200] each
//   repaint        one [0x000F]; the canvas keeps what was drawn
//   close box      one [0x00A1] (a click on the frame)
//   tab, backtab   key down (the focus moves), key up
//   named key      key down, key up; Enter and Escape a character [0x0102]
//                  between them. F10 and Alt are system keys: down [0x0104],
//                  up [0x0105]
//
// The menu bar from the keyboard, as the platform's menu loop has it: F10
// (on key down) or Alt alone (on key up, with no other message since its
// key down) enters menu mode with the first title highlighted and its menu
// closed. In menu mode key downs go to the menu: Left and Right move to the
// previous / next title (an open menu opens there at its first item), Down
// and Up open the menu at its first item or walk its items (wrapping round),
// Enter opens the menu or chooses the highlighted item (kEventMenu, menu
// mode ends), Escape closes the open menu or, with none open, ends menu
// mode; F10 and Alt end it too. Any message other than a key ends it. The
// keyboard focus stays where it was throughout. (The state machine is
// toolkit/common/menu_mode.h, shared with the browser backend.)
//
// The context menu, as the platform's menu loop has it: a right click off
// an image view (on the button's release) and the chords Shift+F10 and the
// context-menu key open it with no item marked; while it is open key downs
// go to it (toolkit/common/context_menu.h), a click on an item chooses it
// (kEventMenu) and any other message closes it. A chord that is an item's
// shortcut chooses that item from anywhere. Chords append key down and key
// up, no character.
//
// The refused-character hint shows until dismissed (the headless platform
// has no clock, so it never times out by itself).
//
// pump_message() never blocks: with no message waiting it returns kMsgNull
// (0) at once. A program that is "idle" is blocked in wait_event() with
// nothing pending: has_pending() is false; a driver runs the program's
// passes while has_pending() is true.
//
// State between runs: reset() leaves everything fresh (no window, gadgets,
// images, messages, events, opened URLs, address or error text). close_toolkit()
// keeps opened_urls() and last_error() for reading after the program ended;
// init_toolkit() clears them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/common/accessibility.h"
#include "toolkit/common/gadget_table.h"

namespace tk::headless {

// Frame, Label, TextField, ComboBox, Button, ImageView.
using GadgetKind = tk::GadgetKind;

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

// Forgets everything: see "State between runs" above.
void reset();
// Painting on (the default) or off. A window created while painting is off
// has no canvas: drawing calls return at once, canvas_width() and
// canvas_height() are 0 and save_png() fails. For drivers that read only
// gadgets and state, such as the fuzz targets, where painting the 700 x 680
// canvas is most of the cost of a run. reset() keeps the setting.
void set_painting(bool on);

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
// The keys press_key() presses, beyond typing.
enum class Key { Tab, BackTab, F10, Alt, Left, Right, Up, Down, Enter, Escape, Home, End, PageUp, PageDown };
// Presses and releases the key; Key::Tab is tab(), Key::BackTab backtab().
void press_key(Key key);
// Presses a key with modifiers and releases it: an ASCII letter or digit,
// or common::kKeyF10 / common::kKeyContextMenu.
void press_chord(char32_t key, bool ctrl, bool shift, bool alt);
// A right click on the window where no gadget is.
void right_click_window();
// A click on the open context menu's item index; -1 a click off the menu.
void click_context_item(int index);
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
// Saves the canvas as an RGB PNG, as a screen at `dpi` shows it (96 is
// 100 %; see toolkit/common/display_scale.h). False with a reason in
// tk::last_error(). In ferrant_toolkit_headless_png, built where libpng is.
bool save_png(const std::string& path, int dpi = 96);

// The context menu: whether it is open, its marked item's index (-1 for
// none) and its items' names.
bool context_menu_open();
int context_menu_marked();
std::vector<std::string> context_menu_names();
// What set_clipboard_text() put on the clipboard last.
std::string clipboard();
// The hint that shows: its field (-1 for none), title and text.
struct FieldHint {
  int gadget = -1;
  std::string title;
  std::string text;
};
FieldHint field_hint();
// What screen readers are told (toolkit/common/accessibility.h), from the
// gadgets in creation order, then the described parts of the drawing.
struct DrawingDescription {
  Rect rect;
  std::string text;
};
std::vector<DrawingDescription> drawing_descriptions();
struct AccessibleEntry {
  int number;  // kAnonymous for frames and described parts of the drawing
  common::AccessibleRole role;
  std::string name;  // plain text: its text
};
std::vector<AccessibleEntry> accessible_tree();

// Every gadget as the window holds it, in creation order, the anonymous
// ones too: what a page showing the same window is made of.
struct GadgetView {
  int number = kAnonymous;
  GadgetKind kind = GadgetKind::Label;
  Rect rect;
  std::uint32_t flags = 0;
  std::string text;                // a text field's content, a combo box's none
  std::vector<std::string> items;  // a combo box's
  int selected = -1;               // a combo box's
  Bitmap bitmap = kNoBitmap;       // an image view's
};
std::vector<GadgetView> gadgets_in_creation_order();
// The canvas at a display scale as RGBA bytes, top-down: opaque where the
// program painted, transparent elsewhere (a page shows its controls there).
struct Picture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgba;
};
Picture drawing_picture(int dpi = 96);

// The locations open_url() was asked to start, in order.
std::vector<std::string> opened_urls();

// The page address's query (toolkit.h): set_address() opens the page with
// it, and every init_toolkit() starts from it again, as opening the link
// anew; address() reads it as the program last showed it, address_writes()
// counts the program's shows since the start.
void set_address(std::vector<AddressParameter> parameters);
std::vector<AddressParameter> address();
int address_writes();

}  // namespace tk::headless
