// The window's context menu and its shortcuts, decided once for every
// backend: which keys open the menu, which key chord chooses which item,
// and, for the backends whose menu is not the platform's own (headless,
// browser), how the open menu takes the keys.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/toolkit.h"

namespace tk::common {

// A key as the rules here see it: an ASCII letter (either case) or digit,
// or one of the named keys below, with the modifiers held.
inline constexpr char32_t kKeyF10 = 0xF000 + 10;
inline constexpr char32_t kKeyContextMenu = 0xF100;  // the key beside the right Ctrl
struct KeyChord {
  char32_t key = 0;
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
  bool operator==(const KeyChord&) const = default;
};

// "Ctrl+Shift+C" as a chord (letters stored upper case); none for a text
// that is not modifiers joined by "+" before one letter or digit, or that
// has no Ctrl or Alt (a shortcut must not swallow typing).
std::optional<KeyChord> parse_shortcut(std::string_view text);

struct ContextMenuItem {
  int item = 0;
  std::string name;      // the text before the tab
  std::string shortcut;  // the text after it, as shown; empty for none
  std::optional<KeyChord> chord;
};

// An item's text split at its tab: name, shortcut and chord.
ContextMenuItem context_menu_item(int item, std::string_view text);

// Whether the chord opens the context menu: Shift+F10, or the context-menu
// key with or without Shift.
constexpr bool opens_context_menu(const KeyChord& chord) {
  if (chord.ctrl || chord.alt) return false;
  return (chord.key == kKeyF10 && chord.shift) || chord.key == kKeyContextMenu;
}

// Whether a right click on a gadget of this kind (none: where no gadget is)
// opens the context menu. An image view's right click is its own event.
constexpr bool right_click_opens_context_menu(std::optional<GadgetKind> under) {
  return under != GadgetKind::ImageView;
}

// The context menu's items, as add_context_menu_item() gave them; emptied
// by close_toolkit().
const std::vector<ContextMenuItem>& context_menu_items();
void clear_context_menu();

// The item whose shortcut the chord is, if any.
std::optional<int> shortcut_item(const KeyChord& chord);

// The open menu from the keyboard and the mouse, for a backend that draws
// the menu itself. Open, the menu takes every key down: Up and Down move the
// mark (wrapping round; the first key marks the first or the last item),
// Home and End mark the first and the last, Enter chooses the marked item
// (none marked: closes), Escape closes. Any other key closes it and is
// taken. A click on an item chooses it; a click elsewhere closes.
class ContextMenuMode {
 public:
  enum class Key { Up, Down, Home, End, Enter, Escape, Other };
  struct Outcome {
    bool taken = false;
    std::optional<int> chosen;  // the item's number
  };

  // Opens with no item marked, when there are items.
  void open(std::size_t item_count);
  Outcome key_down(Key key, const std::vector<ContextMenuItem>& items);
  // A click on the item with this index, or elsewhere (-1).
  Outcome click(int index, const std::vector<ContextMenuItem>& items);
  void close() { open_ = false; }

  bool is_open() const { return open_; }
  // The marked item's index, -1 for none.
  int marked() const { return open_ ? marked_ : -1; }

 private:
  bool open_ = false;
  int marked_ = -1;
};

}  // namespace tk::common
