// The Win32 backend's context menu: the platform's popup menu with the
// items the shared core keeps, opened by WM_CONTEXTMENU (a right click) or
// by the keys the shared core names, and the items' shortcuts. The menu's
// own modal loop takes the keys while it is open.
#include <optional>
#include <string>

#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/win32/platform.h"

namespace tk::win32 {
namespace {

// The chord of a key down, with the modifiers held when it was sent; none
// for a key the shared rules do not know.
std::optional<common::KeyChord> chord_of(const MSG& message) {
  const WPARAM key = message.wParam;
  common::KeyChord chord;
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    chord.key = static_cast<char32_t>(key);
  } else if (key == VK_F10) {
    chord.key = common::kKeyF10;
  } else if (key == VK_APPS) {
    chord.key = common::kKeyContextMenu;
  } else {
    return std::nullopt;
  }
  chord.ctrl = GetKeyState(VK_CONTROL) < 0;
  chord.shift = GetKeyState(VK_SHIFT) < 0;
  chord.alt = (HIWORD(message.lParam) & KF_ALTDOWN) != 0;
  return chord;
}

// Where a menu opened by a key appears: below the focused gadget's left
// end, or at the client area's corner when no gadget has the focus.
POINT menu_point_for_keys(HWND main) {
  HWND focus = GetFocus();
  if (focus && IsChild(main, focus)) {
    RECT area{};
    GetWindowRect(focus, &area);
    return POINT{area.left, area.bottom};
  }
  POINT corner{0, 0};
  ClientToScreen(main, &corner);
  return corner;
}

}  // namespace

void show_context_menu(LPARAM screen_point) {
  const auto& main = platform().window;
  const auto& items = common::context_menu_items();
  if (!main || items.empty()) {
    return;
  }
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) {
    return;
  }
  // Command n + 1 is item n: TrackPopupMenu answers 0 for no choice.
  for (std::size_t i = 0; i < items.size(); ++i) {
    const std::string text = items[i].shortcut.empty() ? items[i].name : items[i].name + '\t' + items[i].shortcut;
    AppendMenuW(menu.get(), MF_STRING, i + 1, widen(text).c_str());
  }
  HWND owner = main->handle.get();
  const POINT at = screen_point == -1 ? menu_point_for_keys(owner)
                                      : POINT{static_cast<short>(LOWORD(screen_point)),
                                              static_cast<short>(HIWORD(screen_point))};
  const auto chosen = static_cast<std::size_t>(
      TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                     at.x, at.y, 0, owner, nullptr));
  // The items are read again: the menu's loop ran the window procedures.
  const auto& now = common::context_menu_items();
  if (chosen >= 1 && chosen <= now.size()) {
    common::record_event(kEventMenu, now[chosen - 1].item, kTypeNone);
  }
}

bool take_menu_key(const MSG& message) {
  Platform& state = platform();
  if (message.message == WM_KEYUP || message.message == WM_SYSKEYUP) {
    if (state.taken_key == 0 || message.wParam != state.taken_key) {
      return false;
    }
    state.taken_key = 0;
    return true;
  }
  if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) {
    return false;
  }
  // A new key down: the up of a key taken before went by (an open menu's
  // loop takes it), or it is this key's own.
  state.taken_key = 0;
  const std::optional<common::KeyChord> chord = chord_of(message);
  if (!chord) {
    return false;
  }
  if (common::opens_context_menu(*chord)) {
    state.taken_key = message.wParam;
    show_context_menu(-1);
    return true;
  }
  if (const std::optional<int> item = common::shortcut_item(*chord)) {
    state.taken_key = message.wParam;
    common::record_event(kEventMenu, *item, kTypeNone);
    return true;
  }
  return false;
}

}  // namespace tk::win32
