// The conformance driver on the Win32 backend: the real window in-process,
// driven with the messages that a user's input posts to it (mouse buttons
// and moves to the control under the pointer, characters and keys to the
// control with the focus, commands from the menu, the system menu's close)
// and read back with GetWindowText and GetPixel. Runs under Wine in CI.
//
// The program's waits run on a fiber of their own: a context menu's modal
// loop (TrackPopupMenu) keeps that fiber inside wait_event() while the menu
// is open, and the test goes on on its own fiber as the user would, looking
// at the open menu and pressing its keys.
#include <cwchar>
#include <utility>

#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
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

// The modifiers as the keyboard state has them when the posted keys are
// handled; released by settle() once they are.
void hold_modifiers(bool ctrl, bool shift, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  keys[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
}
void hold_shift(bool down) { hold_modifiers(false, down, false); }

// --- the fibers -------------------------------------------------------------

struct Fibers {
  LPVOID test = nullptr;
  LPVOID pump = nullptr;
  bool pumping = false;  // the pump fiber runs
  std::vector<Event> events;
};

Fibers& fibers() {
  static Fibers both;
  return both;
}

void to_test_fiber() {
  fibers().pumping = false;
  SwitchToFiber(fibers().test);
}

// A gadget event recorded without a message (a program's write) is reported
// with the next message, as the program's next wait would be woken by one.
void run_waits() {
  for (MSG waiting{};;) {
    if (!tk::common::has_queued_window_events() && !PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!tk::common::has_recorded_event()) {
        break;
      }
      PostMessageW(main_window(), WM_NULL, 0, 0);
    }
    const int code = tk::wait_event();
    fibers().events.push_back(Event{code, tk::event_gadget(), tk::event_type()});
  }
}

void CALLBACK pump_fiber(void*) {
  for (;;) {
    run_waits();
    to_test_fiber();
  }
}

// An open menu with nothing more to handle waits for the user: the test's
// turn.
LRESULT CALLBACK on_menu_idle(int code, WPARAM wparam, LPARAM lparam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && sent->message == WM_ENTERIDLE && sent->wParam == MSGF_MENU && fibers().pumping) {
    to_test_fiber();
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
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
  tk::set_clipboard_text(text);
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

std::vector<Event> settle() {
  Fibers& both = fibers();
  if (!both.pump) {
    both.test = ConvertThreadToFiber(nullptr);
    both.pump = CreateFiber(0, pump_fiber, nullptr);
    SetWindowsHookExW(WH_CALLWNDPROC, on_menu_idle, nullptr, GetCurrentThreadId());
  }
  both.events.clear();
  both.pumping = true;
  SwitchToFiber(both.pump);
  hold_modifiers(false, false, false);
  return std::exchange(both.events, {});
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

// The key with the modifiers held: system keys (F10, and any key with Alt)
// as the system posts them.
void press_chord(char32_t key, bool ctrl, bool shift, bool alt) {
  const UINT virtual_key = key == tk::common::kKeyF10           ? VK_F10
                           : key == tk::common::kKeyContextMenu ? VK_APPS
                           : key >= U'a' && key <= U'z'         ? static_cast<UINT>(key - U'a' + U'A')
                                                                : static_cast<UINT>(key);
  const bool system = alt || virtual_key == VK_F10;
  const LPARAM common = 1 | LPARAM{MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC)} << 16 |
                        (virtual_key == VK_APPS ? LPARAM{KF_EXTENDED} << 16 : 0) |
                        (alt ? LPARAM{KF_ALTDOWN} << 16 : 0);
  hold_modifiers(ctrl, shift, alt);
  HWND target = focus_or_window();
  PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, virtual_key, common);
  PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, virtual_key, common | LPARAM{KF_REPEAT | KF_UP} << 16);
}

// To the window the system would give the click: the child under the point
// unless it lets clicks through (HTTRANSPARENT), at the point in its client.
void right_click_window(int x, int y) {
  HWND target = ChildWindowFromPointEx(main_window(), POINT{x, y}, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
  POINT point{x, y};
  ClientToScreen(main_window(), &point);
  if (!target || SendMessageW(target, WM_NCHITTEST, 0, at(point)) == HTTRANSPARENT) target = main_window();
  ScreenToClient(target, &point);
  PostMessageW(target, WM_MOUSEMOVE, 0, at(point));
  PostMessageW(target, WM_RBUTTONDOWN, MK_RBUTTON, at(point));
  PostMessageW(target, WM_RBUTTONUP, 0, at(point));
}

std::string clipboard_text() {
  std::wstring text;
  if (OpenClipboard(nullptr)) {
    if (HGLOBAL memory = GetClipboardData(CF_UNICODETEXT)) {
      text = static_cast<const wchar_t*>(GlobalLock(memory));
      GlobalUnlock(memory);
    }
    CloseClipboard();
  }
  for (std::size_t crlf; (crlf = text.find(L"\r\n")) != std::wstring::npos;) text.erase(crlf, 1);
  return tk::win32::narrow(text);
}

// The balloon the backend shows for the field, with the text the balloon
// gives; Wine's tooltip cannot be asked for its title (no TTM_GETTITLE), so
// that is the one the backend set.
Hint field_hint(int gadget) {
  const auto& main = tk::win32::platform().window;
  HWND balloon = main ? main->hint.balloon.get() : nullptr;
  if (!balloon || main->hint.field != control(gadget) || !IsWindowVisible(balloon)) return {};
  return Hint{tk::win32::narrow(main->hint.title), tk::win32::narrow(tk::win32::window_text_wide(balloon))};
}

}  // namespace conformance
