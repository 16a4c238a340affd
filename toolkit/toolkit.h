// The window toolkit: the program's only door to the windowing system.
//
// One top-level window with a menu bar, numbered gadgets (child controls),
// one blocking event source, immediate drawing into the window's client area
// and the text/integer conversions. The shared core (toolkit/common) defines
// the life cycle, the image table and wait_event(); every backend (headless,
// FLTK, Win32, web) the rest, and the program links against any one of them
// without seeing a platform type. The event contract below is what they all
// keep.
//
// Texts are UTF-8 throughout; a backend converts at its own border.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/colour.h"
#include "base/text_conv.h"

namespace tk {

// ---------------------------------------------------------------------------
// The event contract. Every backend keeps it, the shared core in
// toolkit/common decides most of it, and tests/toolkit/conformance checks it
// on each backend.
//
// wait_event() returns once for every platform message for the program's
// thread (mouse movements, key releases and repaints included), or for a
// queued window event:
//   1. event_type() becomes kTypeNone;
//   2. a queued window event, oldest first, is returned before any message
//      is handled; it drops a gadget or menu event recorded and not yet
//      reported;
//   3. otherwise one platform message is handled (waiting until one comes);
//      if handling it recorded gadget or menu events, the last recorded is
//      returned (of several notifications of one message, the last counts),
//      else the message's own identifier (Win32 numbering,
//      toolkit/common/messages.h; the program ignores these, and they
//      differ between platforms).
//
// Window events are queued, an event equal to the newest queued one (same
// code and window) not twice:
//   create_window()       kEventSize, kEventMove, kEventActivate, in this
//                         order, and no others of its own
//   the close box         kEventClose; the window stays open
//   a system repaint      kEventRepaint; the backend shows the drawing again
//                         by itself
//   move, size            kEventMove, kEventSize; minimising kEventMinimize,
//                         maximising kEventMaximize then kEventSize, restoring
//                         kEventRestore then kEventSize; kEventActivate
//
// Gadget events (code kEventGadget, item the gadget number, type the
// notification) of each user action:
//   typing into a text field   kTypeEditChange for each key that changed the
//                              text; a digits-only field (kFlagNumber)
//                              refuses other characters: no change, no event
//   pasting into a text field  kTypeEditChange; pasting is not filtered
//   a focus move (click, Tab)  the gaining gadget's event comes last:
//                              kTypeFocusGained for a text field,
//                              kTypeComboSetFocus for a combo box, none for a
//                              button. The losing gadget's (kTypeFocusLost,
//                              kTypeComboKillFocus) may come before it: Win32
//                              posts a text field's focus notifications as
//                              messages of their own, the other backends
//                              record them with the click or key
//   Tab, Shift+Tab             the focus goes to the next / previous gadget
//                              that can take it (text fields, combo boxes,
//                              buttons) in creation order, wrapping round; a
//                              gadget replacing a number counts as created
//                              last. No event beyond the focus events
//   Enter in a text field      nothing: the text and the focus stay, no event
//   picking from a list        events of that combo box only (and of the
//                              gadget losing the focus), among them
//                              kTypeComboSelChange when the selection changed;
//                              opening and closing (kTypeComboDropDown,
//                              kTypeComboCloseUp) are reported too
//   opening and closing a list events of that combo box, no selection change
//   a key in a closed combo    Up and Down (Left and Right alike) step one
//   box                        item, Home and End go to the first and the
//                              last, PageUp and PageDown 26 items; none
//                              wraps round, and with no selection each key
//                              selects the first item. A character selects
//                              the next item starting with it (ASCII
//                              letters in either case), wrapping round.
//                              kTypeComboSelChange whenever the key selects
//                              an item, even the one already selected; a
//                              character no item starts with, or an empty
//                              list, raises nothing. No other gadget event
//   clicking a button          kTypeClicked
//   clicking an image view     kTypeClicked; a right click kTypeRightClick,
//                              double clicks kTypeDoubleClick and
//                              kTypeRightDoubleClick, a drag kTypeDrag
//   choosing a menu item       kEventMenu, item the menu item's number
//   F10, or Alt pressed and    the menu bar opens at its first title and
//   released with no other     takes the keys while open: Left and Right go
//   key or click between       from title to title, Down and Up open the
//                              title's menu and walk its items, Enter
//                              chooses the item (as choosing it with the
//                              mouse), Escape backs out without a choice;
//                              F10, Alt, a click or any other action leave
//                              it. The focus stays where it was; the keys
//                              raise no gadget event
//   moving the mouse           one return per movement, a raw message code
//   a right click in the       the context menu (add_context_menu_item)
//   window, Shift+F10, the     opens: at the mouse, or for a key at the
//   context-menu key           focused gadget. It takes the keys while open:
//                              Up and Down walk its items (wrapping round),
//                              Enter or a click chooses one (kEventMenu, item
//                              its number), Escape or a click elsewhere
//                              closes it with no event. A right click on an
//                              image view is the view's (kTypeRightClick)
//                              and opens no menu. Over text fields the
//                              window's menu replaces the platform's own
//   a context menu item's      kEventMenu, item its number, from anywhere in
//   shortcut (Ctrl+Shift+C)    the window; no other event, and a text
//                              field's text and selection stay
//   a character a digits-only  no change and no event, and the field shows
//   field refuses              the hint kRefusedHintTitle / kRefusedHintText
//                              beside it until the next key, a click or a
//                              focus move, or kHintMilliseconds have passed
//   a paste holding characters the change as above, and the same hint
//   a digits-only field
//   refuses when typed
//
// The program's own calls raise no event, with one exception: set_gadget_text
// on a text field is a change, recorded at once (kTypeEditChange). The next
// wait_event() reports it after handling one message, unless that call
// returns a queued window event, which drops it; so the start-up writes that
// precede the first wait are never reported. Texts of labels, frames and
// buttons, a combo box's selection by text, create_*, add_* and drawing raise
// nothing.
//
// Life cycle: init_toolkit() on a toolkit in use closes it first, so no
// window, gadget, image or event survives a second one; close_toolkit()
// destroys the window, gadgets and images and forgets every event;
// last_error() keeps its text across close_toolkit() and is cleared by
// init_toolkit(); create_window() before init_toolkit() fails with a reason.
// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// Event codes returned by wait_event().
// ---------------------------------------------------------------------------
inline constexpr int kEventGadget = 13100;      // recorded; event_gadget() names it
inline constexpr int kEventMenu = 13101;        // recorded; event_menu_item() names it
inline constexpr int kEventClose = 16;          // queued: close box, system menu, Alt+F4
inline constexpr int kEventRepaint = 15;        // queued: content lost and erased
inline constexpr int kEventMove = 3;            // queued
inline constexpr int kEventSize = 5;            // queued
inline constexpr int kEventActivate = 13104;    // queued
inline constexpr int kEventMinimize = 13107;    // queued
inline constexpr int kEventMaximize = 13108;    // queued, followed by kEventSize
inline constexpr int kEventRestore = 13109;     // queued, followed by kEventSize

// Event types (event_type()): the notification code of a gadget event,
// -1 when there is none.
inline constexpr int kTypeNone = -1;
// Text field.
inline constexpr int kTypeEditSetFocus = 0x0100;   // EN_SETFOCUS
inline constexpr int kTypeEditKillFocus = 0x0200;  // EN_KILLFOCUS
inline constexpr int kTypeEditChange = 0x0300;     // EN_CHANGE
inline constexpr int kTypeEditUpdate = 0x0400;     // EN_UPDATE
inline constexpr int kTypeFocusGained = 14000;     // posted by a text field
inline constexpr int kTypeFocusLost = 14001;       // posted by a text field
// Combo box.
inline constexpr int kTypeComboSelChange = 1;      // CBN_SELCHANGE
inline constexpr int kTypeComboDblClk = 2;         // CBN_DBLCLK
inline constexpr int kTypeComboSetFocus = 3;       // CBN_SETFOCUS
inline constexpr int kTypeComboKillFocus = 4;      // CBN_KILLFOCUS
inline constexpr int kTypeComboDropDown = 7;       // CBN_DROPDOWN
inline constexpr int kTypeComboCloseUp = 8;        // CBN_CLOSEUP
inline constexpr int kTypeComboSelEndOk = 9;       // CBN_SELENDOK
inline constexpr int kTypeComboSelEndCancel = 10;  // CBN_SELENDCANCEL
// Button and image view.
inline constexpr int kTypeClicked = 0;             // BN_CLICKED, STN_CLICKED
inline constexpr int kTypeRightClick = 1;
inline constexpr int kTypeDoubleClick = 2;
inline constexpr int kTypeRightDoubleClick = 3;
inline constexpr int kTypeDrag = 14002;

// ---------------------------------------------------------------------------
// Style and flag words, in the platform's (Win32) values.
// ---------------------------------------------------------------------------
inline constexpr std::uint32_t kStyleCaption = 0x00C00000;   // WS_CAPTION
inline constexpr std::uint32_t kStyleSysMenu = 0x00080000;   // WS_SYSMENU
inline constexpr std::uint32_t kStyleThickFrame = 0x00040000;// WS_THICKFRAME
inline constexpr std::uint32_t kStyleMainWindow =
    kStyleCaption | kStyleSysMenu | kStyleThickFrame;        // 0xCC0000
inline constexpr std::uint32_t kFlagNumber = 0x2000;         // ES_NUMBER
inline constexpr std::uint32_t kFlagSunken = 0x20000;        // sunken edge

// ---------------------------------------------------------------------------
// Values.
// ---------------------------------------------------------------------------

// Colour: r + 256 g + 65536 b (the platform's COLORREF layout). In draw_line,
// kFrontColour means the drawing phase's front colour (black).
using base::Colour;
using base::rgb;
inline constexpr Colour kFrontColour = -1;

// The text conversions of the number fields and labels.
using base::format_int;
using base::parse_int;
using base::parse_int_prefix;
using base::ParsedInt;

// A loaded image. kNoBitmap is "none".
using Bitmap = std::intptr_t;
inline constexpr Bitmap kNoBitmap = 0;

// Gadget number -1 makes an anonymous gadget that cannot be referred to.
inline constexpr int kAnonymous = -1;

// The kinds of gadget, one per create_* operation: the key of the toolkit's
// gadget table beside the number, and of the program's table of the window.
enum class GadgetKind { Frame, Label, TextField, ComboBox, Button, ImageView };

// ---------------------------------------------------------------------------
// Lifecycle.
// ---------------------------------------------------------------------------

// Prepares the toolkit (closing it first when in use). Returns false, with a
// reason in last_error(), when the windowing system cannot be reached.
bool init_toolkit();
// Frees the loaded images and destroys the window with its gadgets.
void close_toolkit();
// Why the last failing operation failed, for the one-line start-up message.
std::string last_error();

// ---------------------------------------------------------------------------
// Window and menu.
// ---------------------------------------------------------------------------

// width x height is the client area without a menu bar; x, y the outer
// top-left corner on the screen. Shown at once. Returns false for none.
bool create_window(int window, int x, int y, int width, int height,
                   std::string_view title, std::uint32_t style);
void create_menu_bar(int menu, int window);
void add_menu_title(std::string_view text);
void add_menu_item(int item, std::string_view text);

// ---------------------------------------------------------------------------
// Gadgets. Creating a number in use first destroys the gadget that had it.
// Operations on a number without gadget do nothing, give "" or 0.
// ---------------------------------------------------------------------------
void create_frame(int number, int x, int y, int w, int h, std::string_view caption);
void create_label(int number, int x, int y, int w, int h, std::string_view text,
                  std::uint32_t flags = 0);
void create_text_field(int number, int x, int y, int w, int h, std::string_view text,
                       std::uint32_t flags);
// The most characters a text field holds: typing and pasting stop there.
inline constexpr std::size_t kTextFieldLimit = 32767;
void create_combo_box(int number, int x, int y, int w, int h);
// position -1 appends.
void add_combo_item(int number, int position, std::string_view text);
void create_button(int number, int x, int y, int w, int h, std::string_view text);
// With a bitmap the view takes the bitmap's size; with none it keeps w x h.
void create_image_view(int number, int x, int y, int w, int h, Bitmap bitmap);

Bitmap load_bitmap(int image, std::string_view file_name);

void set_gadget_text(int number, std::string_view text);
std::string get_gadget_text(int number);
// Combo box: selected index or -1. Button: check state. Image view: the
// bitmap it shows. Others: 0.
std::int64_t get_gadget_state(int number);

// ---------------------------------------------------------------------------
// Events.
// ---------------------------------------------------------------------------

// Returns once for every platform message, or a queued window event (see
// the event contract above).
int wait_event();
int event_gadget();     // the item of the last event: gadget number ...
int event_menu_item();  // ... or menu item number (one shared field)
int event_type();       // notification code of the last event, -1 for none
int event_window();     // window of the last window event

// Adds an item to the window's context menu (see the event contract). The
// text may end in a tab and a shortcut, "Copy results\tCtrl+Shift+C": Ctrl,
// Shift and Alt joined by "+" before one letter or digit. The shortcut
// chooses the item from anywhere in the window, and the menu shows it
// beside the item's name.
void add_context_menu_item(int item, std::string_view text);

// Puts plain text on the system's clipboard, on X11 as the primary selection
// too. Lines end in "\n"; a backend whose platform ends them otherwise
// converts. Raises no event.
void set_clipboard_text(std::string_view text);

// For screen readers: what the part x, y, w, h of the window's drawing shows
// (the chart), in words. Replaces the earlier text of the same part.
// set_gadget_text on an image view names it the same way.
void describe_drawing(int window, int x, int y, int w, int h, std::string_view text);

// The hint a digits-only field shows for a refused character, and for how
// long.
inline constexpr std::string_view kRefusedHintTitle = "Unacceptable Character";
inline constexpr std::string_view kRefusedHintText = "You can only type a number here.";
inline constexpr int kHintMilliseconds = 5000;

// Starts the location as a program, else hands it to the system's default
// handler. Never waits. Nonzero if something was started.
bool open_url(std::string_view location);

// ---------------------------------------------------------------------------
// The page address. In the browser the window lives at an address whose
// query ("?name=value&...") can carry the program's inputs; the desktop has
// no address. Which names and values mean something is the program's rule.
// ---------------------------------------------------------------------------

// One name=value pair of the query, decoded (escapes and "+" undone), UTF-8.
struct AddressParameter {
  std::string name;
  std::string value;
  bool operator==(const AddressParameter&) const = default;
};

// The pairs the address's query holds now, in its order, a name given twice
// twice. Without an address: none.
std::vector<AddressParameter> address_parameters();
// Makes the query hold exactly these pairs in this order (none: no query),
// in place of the current address: the history gets no new entry, and a
// reload opens the page with them. address_parameters() gives them back.
// Raises no event. Without an address: nothing.
void show_address_parameters(std::span<const AddressParameter> parameters);

// ---------------------------------------------------------------------------
// Drawing. Outside a drawing phase, or in one on a missing window, every
// drawing call does nothing.
// ---------------------------------------------------------------------------
void begin_window_drawing(int window);
void end_drawing();
// Columns x..x+w-1, rows y..y+h-1, border and fill in the colour. If w and h
// are each 1 or -1: the single pixel x (x-1 if w = -1), y (y-1 if h = -1).
void draw_box(int x, int y, int w, int h, Colour colour);
// r = 1: a 2 x 2 box at x, y. Otherwise the disc inscribed in x-r..x+r-1,
// y-r..y+r-1 (2r pixels across).
void draw_circle(int x, int y, int r, Colour colour);
// One-pixel line, both end pixels set.
void draw_line(int x1, int y1, int x2, int y2, Colour colour);
// Black text on an opaque cell of the text background colour, top-left at
// x, y. Returns the x after the text.
int draw_text(int x, int y, std::string_view text);
void set_text_background(Colour colour);

}  // namespace tk
