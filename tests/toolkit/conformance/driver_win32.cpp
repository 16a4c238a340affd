// The conformance driver on the Win32 backend: the real window in-process,
// driven with the messages that a user's input posts to it (mouse buttons
// and moves to the control under the pointer, characters and keys to the
// control with the focus, commands from the menu, the system menu's close)
// and read back with GetWindowText and GetPixel. Runs under Wine in CI.
#include <cstring>
#include <cwchar>

#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/win32/platform.h"

namespace conformance {
namespace {

// The program's one top-level window (its class is WindowClass_<number>),
// nullptr when there is none.
HWND main_window() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM result) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(window, name, 32);
        const bool ours = std::wcsncmp(name, L"WindowClass_", 12) == 0;
        *reinterpret_cast<HWND*>(result) = ours ? window : nullptr;
        return !ours;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

using tk::win32::widen;

HWND control(int gadget) { return GetDlgItem(main_window(), gadget); }

LPARAM at(POINT point) { return MAKELPARAM(point.x, point.y); }

POINT centre_of(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return POINT{client.right / 2, client.bottom / 2};
}

// A left click at a point of the window's client area.
void post_click(HWND window, POINT point) {
  PostMessageW(window, WM_MOUSEMOVE, 0, at(point));
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(point));
  PostMessageW(window, WM_LBUTTONUP, 0, at(point));
}

// Shift as the keyboard state has it when the posted keys are handled; put
// back by settle() once they are.
void hold_shift(bool down) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

HWND focus_or_window() { return GetFocus() ? GetFocus() : main_window(); }

}  // namespace

const char* backend_name() { return "win32"; }
void window_ready() {}

// The click that an edit control takes the focus from.
void focus_field(int gadget) {
  HWND field = control(gadget);
  post_click(field, centre_of(field));
}

void type(std::string_view keys) {
  HWND target = focus_or_window();
  for (const wchar_t key : widen(keys)) {
    PostMessageW(target, WM_CHAR, key, 1);
  }
}

// The selection made with the mouse, then Paste from the edit control's
// menu, with the text on the clipboard.
void paste(std::string_view text) {
  const std::wstring wide = widen(text);
  if (OpenClipboard(main_window())) {
    EmptyClipboard();
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
      std::memcpy(GlobalLock(memory), wide.c_str(), bytes);
      GlobalUnlock(memory);
      if (!SetClipboardData(CF_UNICODETEXT, memory)) {
        GlobalFree(memory);
      }
    }
    CloseClipboard();
  }
  HWND field = focus_or_window();
  SendMessageW(field, EM_SETSEL, 0, -1);
  PostMessageW(field, WM_PASTE, 0, 0);
}

// A click on the box drops its list; a click on the item picks it and closes
// the list. The item lies where the list box places it (its list opens with
// every item in view).
void pick(int gadget, int index) {
  HWND combo = control(gadget);
  post_click(combo, centre_of(combo));
  COMBOBOXINFO pieces{};
  pieces.cbSize = sizeof(pieces);
  GetComboBoxInfo(combo, &pieces);
  RECT item{};
  SendMessageW(pieces.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  post_click(pieces.hwndList, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
}

// A click on the box drops its list, a second one closes it.
void open_close(int gadget) {
  HWND combo = control(gadget);
  post_click(combo, centre_of(combo));
  post_click(combo, centre_of(combo));
}

void click(int gadget) {
  HWND target = control(gadget);
  post_click(target, centre_of(target));
}

void tab(bool forward) {
  hold_shift(!forward);
  PostMessageW(focus_or_window(), WM_KEYDOWN, VK_TAB, 1);
  PostMessageW(focus_or_window(), WM_KEYUP, VK_TAB, 0xC0000001);
}

// The key down and up that the system posts to the control with the focus
// (the window when none has it): F10 and Alt as system keys, Alt's down with
// the Alt-down context bit. The program's pump, or the menu's own loop,
// translates them into characters as it does the user's keys.
void press_key(Key key) {
  struct Stroke {
    UINT virtual_key;
    LPARAM scan_code;
    bool system;
    bool extended;  // the arrow and paging keys of their own block
  };
  constexpr Stroke kStrokes[] = {
      {VK_F10, 0x44, true, false},    {VK_MENU, 0x38, true, false},   {VK_LEFT, 0x4B, false, true},
      {VK_RIGHT, 0x4D, false, true},  {VK_UP, 0x48, false, true},     {VK_DOWN, 0x50, false, true},
      {VK_RETURN, 0x1C, false, false}, {VK_ESCAPE, 0x01, false, false}, {VK_HOME, 0x47, false, true},
      {VK_END, 0x4F, false, true},    {VK_PRIOR, 0x49, false, true},  {VK_NEXT, 0x51, false, true}};
  const Stroke& stroke = kStrokes[static_cast<int>(key)];
  const LPARAM common = 1 | stroke.scan_code << 16 | (stroke.extended ? LPARAM{KF_EXTENDED} << 16 : 0);
  const LPARAM alt_down = key == Key::Alt ? LPARAM{KF_ALTDOWN} << 16 : 0;
  HWND target = focus_or_window();
  PostMessageW(target, stroke.system ? WM_SYSKEYDOWN : WM_KEYDOWN, stroke.virtual_key, common | alt_down);
  PostMessageW(target, stroke.system ? WM_SYSKEYUP : WM_KEYUP, stroke.virtual_key,
               common | LPARAM{KF_REPEAT | KF_UP} << 16);
}

// A menu item chosen from the menu bar arrives as a posted WM_COMMAND.
void choose_menu(int item) {
  PostMessageW(main_window(), WM_COMMAND, MAKEWPARAM(item, 0), 0);
}

void close_box() { PostMessageW(main_window(), WM_SYSCOMMAND, SC_CLOSE, 0); }

void system_repaint() {
  RedrawWindow(main_window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void move_mouse(int count) {
  for (int i = 0; i < count; ++i) {
    PostMessageW(main_window(), WM_MOUSEMOVE, 0, MAKELPARAM(300 + i, 330));
  }
}

// A gadget event recorded without a message (a program's write) is reported
// with the next message, as the program's next wait would be woken by one.
std::vector<Event> settle() {
  std::vector<Event> events;
  for (MSG waiting{};;) {
    if (!tk::common::has_queued_window_events() && !PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!tk::common::has_recorded_event()) {
        break;
      }
      PostMessageW(main_window(), WM_NULL, 0, 0);
    }
    const int code = tk::wait_event();
    events.push_back(Event{code, tk::event_gadget(), tk::event_type()});
  }
  hold_shift(false);
  return events;
}

int focused_gadget() {
  HWND focus = GetFocus();
  HWND window = main_window();
  if (!focus || !window || GetParent(focus) != window) {
    return -1;
  }
  return GetDlgCtrlID(focus);
}

// A combo box shows its selected item as its window text.
std::string shown_text(int gadget) { return tk::win32::narrow(tk::win32::window_text_wide(control(gadget))); }

bool window_shown() {
  HWND window = main_window();
  return window && IsWindowVisible(window);
}

tk::Colour pixel(int x, int y) {
  HWND window = main_window();
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return static_cast<tk::Colour>(colour);
}

// The context menu, the clipboard and the hint: not yet driven here.
void press_chord(char32_t, bool, bool, bool) {}
void right_click_window(int, int) {}
std::string clipboard_text() { return {}; }
Hint field_hint(int) { return {}; }

}  // namespace conformance
