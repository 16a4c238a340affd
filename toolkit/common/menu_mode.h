// The menu bar from the keyboard, decided once for the backends whose menu
// is not the platform's own (headless, browser): F10, or Alt pressed and
// released with nothing in between, enters menu mode with the first title
// marked and its menu closed. In menu mode every key down goes to the menu:
// Left and Right move to the previous / next title (a menu with an item
// marked opens there at its first item), Down and Up open the menu at its
// first item or walk its items (wrapping round), Enter opens the menu or
// chooses the marked item (menu mode ends), Escape closes the shown menu or,
// with none shown, ends menu mode; F10 and Alt end it. A click on a title
// shows its menu with no item marked, or, on the title whose menu is shown,
// ends menu mode; a click elsewhere or any other action ends it.
//
// A pure state machine: the backend feeds it the menu's shape and the input,
// presents the state (marked title, marked item, whether a menu is shown)
// and records the chosen item as the menu event.
#pragma once

#include <optional>
#include <vector>

namespace tk::common {

enum class MenuKey { F10, Alt, Left, Right, Up, Down, Enter, Escape, Other };

class MenuMode {
 public:
  // The menu bar: per title, its items' numbers in order.
  using Shape = std::vector<std::vector<int>>;

  // What a key down did: whether the menu took it (it then does nothing
  // else), and the item it chose.
  struct Outcome {
    bool taken = false;
    std::optional<int> chosen;
  };

  // `repeat`: the key is held down (an Alt held down stays alone only if it
  // was).
  Outcome key_down(MenuKey key, bool repeat, const Shape& menu);
  void key_up(MenuKey key, const Shape& menu);
  // A click on the title with this index.
  void click_title(int title, const Shape& menu);
  // Any other action (a click elsewhere, a menu item chosen with the mouse).
  void leave();
  // Input that is not a key down or up: a pending Alt is no longer alone.
  void interrupt() { alt_alone_ = false; }

  bool active() const { return title_ >= 0; }
  // The marked title, -1 outside menu mode.
  int title() const { return title_; }
  // The marked item of the shown menu, -1 for none.
  int item() const { return item_; }
  // Whether the marked title's menu is shown.
  bool shown() const { return active() && (shown_ || item_ >= 0); }

 private:
  void enter(int title, bool shown, const Shape& menu);

  int title_ = -1;
  int item_ = -1;
  bool shown_ = false;      // shown by a click, with no item marked yet
  bool alt_alone_ = false;  // Alt went down and nothing else came since
};

}  // namespace tk::common
