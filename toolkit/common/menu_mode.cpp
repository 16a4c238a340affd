#include "toolkit/common/menu_mode.h"

namespace tk::common {
namespace {

int wrapped(int index, int count) { return count > 0 ? (index % count + count) % count : -1; }

}  // namespace

void MenuMode::enter(int title, bool shown, const Shape& menu) {
  alt_alone_ = false;
  if (menu.empty() || title < 0 || title >= static_cast<int>(menu.size())) {
    leave();
    return;
  }
  title_ = title;
  item_ = -1;
  shown_ = shown;
}

void MenuMode::leave() {
  title_ = -1;
  item_ = -1;
  shown_ = false;
  alt_alone_ = false;
}

MenuMode::Outcome MenuMode::key_down(MenuKey key, bool repeat, const Shape& menu) {
  if (!active()) {
    if (key == MenuKey::F10) {
      enter(0, false, menu);
      return {true, {}};
    }
    if (key == MenuKey::Alt) {
      alt_alone_ = !repeat || alt_alone_;
      return {true, {}};
    }
    alt_alone_ = false;
    return {};
  }
  alt_alone_ = false;
  if (title_ >= static_cast<int>(menu.size())) {
    leave();  // the program rebuilt the menu meanwhile
    return {true, {}};
  }
  const std::vector<int>& items = menu[static_cast<std::size_t>(title_)];
  const int count = static_cast<int>(items.size());
  switch (key) {
    case MenuKey::Left:
    case MenuKey::Right: {
      title_ = wrapped(title_ + (key == MenuKey::Right ? 1 : -1), static_cast<int>(menu.size()));
      item_ = item_ >= 0 ? wrapped(0, static_cast<int>(menu[static_cast<std::size_t>(title_)].size())) : -1;
      break;
    }
    case MenuKey::Down:
    case MenuKey::Up:
      item_ = wrapped(item_ < 0 ? 0 : item_ + (key == MenuKey::Down ? 1 : -1), count);
      break;
    case MenuKey::Enter:
      if (item_ < 0) {
        item_ = wrapped(0, count);
        break;
      }
      {
        const int chosen = items[static_cast<std::size_t>(item_)];
        leave();
        return {true, chosen};
      }
    case MenuKey::Escape:
      if (item_ >= 0 || shown_) {
        item_ = -1;
        shown_ = false;
      } else {
        leave();
      }
      break;
    case MenuKey::F10:
    case MenuKey::Alt:
      leave();
      break;
    case MenuKey::Other:
      break;
  }
  return {true, {}};
}

void MenuMode::key_up(MenuKey key, const Shape& menu) {
  if (key == MenuKey::Alt && alt_alone_ && !active()) {
    enter(0, false, menu);
  }
  alt_alone_ = false;
}

void MenuMode::click_title(int title, const Shape& menu) {
  if (title_ == title && shown()) {
    leave();
  } else {
    enter(title, true, menu);
  }
}

}  // namespace tk::common
