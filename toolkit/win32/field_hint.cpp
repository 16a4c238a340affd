// The Win32 backend's refused-character hint: a balloon tooltip with the
// error icon pointing at the text field, as the system's own digits-only
// edit shows it, ended by the main window's timer. The shared core decides
// when it shows and ends (toolkit/common/field_hint.h).
#include "toolkit/win32/platform.h"

#include <commctrl.h>

#include <string>

#include "toolkit/common/backend.h"
#include "toolkit/common/field_hint.h"

namespace tk::win32 {

void report_paste(Gadget& field) {
  if (field.pasting) {
    return;  // a Shift+Insert that the edit passes on as WM_PASTE
  }
  common::pasted_into_field(field.number, field.flags, clipboard_text());
}

void hint_timer_elapsed() {
  backend::hide_field_hint();
  common::forget_field_hint();
}

}  // namespace tk::win32

namespace tk::backend {

using win32::platform;

void show_field_hint(int gadget, std::string_view title, std::string_view text, int milliseconds) {
  hide_field_hint();
  auto& main = platform().window;
  const win32::Gadget* field = platform().gadgets.find(gadget);
  if (!main || !field || !field->window) {
    return;
  }
  HWND owner = main->handle.get();
  HWND edit = field->window.get();
  win32::UniqueWindow balloon(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                              WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                              platform().instance, nullptr));
  if (!balloon) {
    return;
  }
  std::wstring wide_text = win32::widen(text);
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_TRACK | TTF_IDISHWND | TTF_ABSOLUTE;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(edit);
  tool.lpszText = wide_text.data();
  SendMessageW(balloon.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  const std::wstring wide_title = win32::widen(title);
  SendMessageW(balloon.get(), TTM_SETTITLEW, TTI_ERROR, reinterpret_cast<LPARAM>(wide_title.c_str()));
  // The stem points at the middle of the field's lower edge.
  RECT area{};
  GetWindowRect(edit, &area);
  SendMessageW(balloon.get(), TTM_TRACKPOSITION, 0, MAKELPARAM((area.left + area.right) / 2, area.bottom));
  SendMessageW(balloon.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  main->hint = win32::MainWindow::ShownHint{edit, std::move(balloon), wide_title};
  SetTimer(owner, win32::kHintTimer, static_cast<UINT>(milliseconds), nullptr);
}

void hide_field_hint() {
  auto& main = platform().window;
  if (!main) {
    return;
  }
  KillTimer(main->handle.get(), win32::kHintTimer);
  main->hint = {};
}

}  // namespace tk::backend
