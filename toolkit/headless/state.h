// The headless backend's in-memory platform: the window with its canvas,
// the gadgets with their simulated controls, the loaded images and the
// platform message queue that the driver fills and pump_message() drains.
// Internal to the backend.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/common/canvas.h"
#include "toolkit/common/combo.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/common/gadget_table.h"
#include "toolkit/common/menu_mode.h"
#include "toolkit/common/messages.h"
#include "toolkit/headless/driver.h"
#include "toolkit/toolkit.h"

namespace tk::headless::detail {

using common::kButtonFace;
// The most characters a user can type or paste into a text field.
inline constexpr std::size_t kTextLimit = kTextFieldLimit;
// Canvas sides beyond this are cut to it (no huge allocation).
inline constexpr int kMaxCanvasSide = 8192;

// Raw platform message identifiers the headless messages report when they
// record no event (the ones toolkit.h names are used from there).
inline constexpr int kMsgSetFocus = 0x0007;
inline constexpr int kMsgNcLButtonDown = 0x00A1;  // the close box is in the frame
inline constexpr int kMsgSetSelection = 0x00B1;
inline constexpr int kMsgCommand = 0x0111;
inline constexpr int kMsgPaste = 0x0302;
inline constexpr int kMsgClear = 0x0303;

struct Gadget {
  int number = kAnonymous;
  GadgetKind kind = GadgetKind::Label;
  Rect rect;
  std::uint32_t flags = 0;
  std::string text;             // window text (not used by text fields)
  // Text field.
  std::u32string content;
  std::size_t selection_anchor = 0;
  std::size_t caret = 0;        // selection is [min, max) of anchor and caret
  // Combo box.
  common::ComboItems items;
  int selected = -1;
  bool list_open = false;
  // Image view.
  Bitmap bitmap = kNoBitmap;
};

struct Window {
  int number = 0;
  Rect outer;
  std::string title;
  std::uint32_t style = 0;
  common::Canvas canvas;
  bool has_menu_bar = false;
  std::vector<MenuTitle> menu;
};

enum class MessageKind {
  Focus,          // moves the focus to gadget
  SelectAll,      // selects a text field's whole text
  KeyDown,        // key; Tab / Shift+Tab navigate on key down
  Char,           // character
  KeyUp,
  Paste,          // text
  Clear,          // deletes the selection
  ButtonDown,     // on gadget (left button)
  ButtonUp,
  DoubleClick,    // left double click on gadget
  RightDown,
  RightUp,
  RightDoubleClick,
  DragMove,       // mouse moved with the left button held, past drag distance
  ComboOpen,      // button down on a closed combo box: the list opens
  ComboChoose,    // button down on list item index
  ComboClose,     // button up ending a pick or a cancel: the list closes
  Menu,           // menu item chosen
  ContextClick,   // a click on the open context menu: item index, -1 off it
  MouseMove,
  Paint,          // the system repaints the window
  Close,          // the close box
};

struct Message {
  MessageKind kind = MessageKind::MouseMove;
  int gadget = kAnonymous;
  int index = 0;                // menu item, combo index
  std::optional<Key> key;       // of a key message; none for a character key
  std::optional<common::KeyChord> chord;  // of a key message pressed as a chord
  char32_t character = 0;
  std::u32string text;
};

struct State {
  std::optional<Window> window;
  common::GadgetTable<Gadget> gadgets;
  Gadget* focused = nullptr;
  int current_menu_title = -1;  // index into window->menu, -1 for none
  Bitmap last_image_handle = kNoBitmap;  // handles count up per session
  std::deque<Message> messages;
  common::MenuMode menu_mode;  // the menu bar from the keyboard (see driver.h)
  common::ContextMenuMode context_menu;
  std::string clipboard;
  FieldHint hint;  // gadget -1: none shows
  std::vector<DrawingDescription> descriptions;
  std::vector<std::string> opened_urls;
  std::vector<AddressParameter> opened_address;  // each session starts with it
  std::vector<AddressParameter> address;         // the query now
  int address_writes = 0;  // show_address_parameters() calls this session
  bool painting = true;  // a driver's setting: reset() keeps it
};

State& state();

// The gadget with this number, or nullptr.
Gadget* find_gadget(int number);
// Where Tab (forward) or Shift+Tab moves the focus from `from`.
Gadget* tab_target(const Gadget* from, bool forward);
// Where the focus will be once the queued messages are handled.
const Gadget* focus_after_queue();

}  // namespace tk::headless::detail
