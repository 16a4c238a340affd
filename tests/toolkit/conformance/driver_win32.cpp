// The conformance driver on the Win32 backend: the real window in-process,
// driven with the messages a user's input posts to it and read back with
// GetWindowText and GetPixel; under Wine in CI. The program's waits run on a
// fiber of their own: a context menu's modal loop (TrackPopupMenu) keeps that
// fiber inside wait_event() while the test goes on, as the user would.
#include <utility>

#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/win32/platform.h"

namespace conformance {
namespace {

// The suite's window (number 0), if any.
HWND main_window() { return FindWindowW(L"WindowClass_0", nullptr); }

using tk::win32::widen;

HWND control(int gadget) { return GetDlgItem(main_window(), gadget); }

LPARAM at(POINT point) { return MAKELPARAM(point.x, point.y); }

POINT centre_of(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return POINT{client.right / 2, client.bottom / 2};
}

void post_click(HWND window, POINT point) {
  PostMessageW(window, WM_MOUSEMOVE, 0, at(point));
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at(point));
  PostMessageW(window, WM_LBUTTONUP, 0, at(point));
}

// The modifiers for the posted keys; settle() releases them once handled.
void hold_modifiers(bool ctrl, bool shift, bool alt) {
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  keys[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(keys);
}

// --- the fibers -------------------------------------------------------------

struct Fibers {
  LPVOID test = nullptr;
  LPVOID pump = nullptr;
  bool pumping = false;
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
// with a posted one, as the program's next wait would be woken.
void run_waits() {
  for (MSG waiting{};;) {
    if (!tk::common::has_queued_window_events() && !PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!tk::common::has_recorded_event()) break;
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

// An open menu with nothing more to handle waits for the user: the test's turn.
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

void focus_field(int gadget) {
  HWND field = control(gadget);
  post_click(field, centre_of(field));
}

void type(std::string_view keys) {
  HWND target = focus_or_window();
  for (const wchar_t key : widen(keys)) PostMessageW(target, WM_CHAR, key, 1);
}

// The text selected, then Paste from the edit control's menu.
void paste(std::string_view text) {
  tk::set_clipboard_text(text);
  HWND field = focus_or_window();
  SendMessageW(field, EM_SETSEL, 0, -1);
  PostMessageW(field, WM_PASTE, 0, 0);
}

// A click on the box drops its list (every item in view); a click on the
// item picks it and closes the list.
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
  hold_modifiers(false, !forward, false);
  PostMessageW(focus_or_window(), WM_KEYDOWN, VK_TAB, 1);
  PostMessageW(focus_or_window(), WM_KEYUP, VK_TAB, 0xC0000001);
}

// The key down and up the system posts to the control with the focus (else
// the window): F10 and Alt as system keys, Alt's down with the Alt-down bit.
void press_key(Key key) {
  struct Stroke {
    UINT virtual_key;
    LPARAM scan_code;
    bool system;
    bool extended;
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

void choose_menu(int item) {
  PostMessageW(main_window(), WM_COMMAND, MAKEWPARAM(item, 0), 0);
}

void close_box() { PostMessageW(main_window(), WM_SYSCOMMAND, SC_CLOSE, 0); }

void system_repaint() {
  RedrawWindow(main_window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void move_mouse(int count) {
  for (int i = 0; i < count; ++i) PostMessageW(main_window(), WM_MOUSEMOVE, 0, MAKELPARAM(300 + i, 330));
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
  return focus && main_window() && GetParent(focus) == main_window() ? GetDlgCtrlID(focus) : -1;
}

std::string shown_text(int gadget) { return tk::win32::narrow(tk::win32::window_text_wide(control(gadget))); }

bool window_shown() { return IsWindowVisible(main_window()); }
bool has_address() { return false; }

tk::Colour pixel(int x, int y) {
  HWND window = main_window();
  HDC dc = GetDC(window);
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return static_cast<tk::Colour>(colour);
}

// System keys (F10, and any key with Alt) as the system posts them.
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

std::string clipboard_text() { return tk::win32::clipboard_text(); }
// The balloon's text; the title is the one the backend set (Wine's tooltip
// has no TTM_GETTITLE).
Hint field_hint(int gadget) {
  const auto& main = tk::win32::platform().window;
  HWND balloon = main ? main->hint.balloon.get() : nullptr;
  if (!balloon || main->hint.field != control(gadget) || !IsWindowVisible(balloon)) return {};
  return Hint{tk::win32::narrow(main->hint.title), tk::win32::narrow(tk::win32::window_text_wide(balloon))};
}

}  // namespace conformance
