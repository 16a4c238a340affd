// The Win32 backend's names for screen readers (MSAA) beyond the standard
// controls' own: a described part of the drawing is a child window over
// that part whose window text is the description, and an image view is
// named by its window text. A part's window changes no pixel: it is below
// every gadget, lets every click through to what lies under it and paints
// only the window's picture again.
#include <cwchar>
#include <iterator>

#include "toolkit/win32/platform.h"

namespace tk::win32 {
namespace {

LRESULT CALLBACK described_part_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      repaint_retained(window);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// Registers "DescribedPart_<number>" for the main window's parts once.
bool register_part_class(MainWindow& main) {
  if (!main.part_class.name().empty()) {
    return true;
  }
  wchar_t name[40];
  std::swprintf(name, std::size(name), L"DescribedPart_%d", main.number);
  WNDCLASSEXW part_class{};
  part_class.cbSize = sizeof(part_class);
  part_class.lpfnWndProc = described_part_proc;
  part_class.hInstance = platform().instance;
  part_class.lpszClassName = name;
  if (!RegisterClassExW(&part_class)) {
    return false;
  }
  main.part_class.reset(name, platform().instance);
  return true;
}

void place(const MainWindow::DescribedPart& part, int dpi, HWND insert_after, UINT flags) {
  using common::to_device;
  SetWindowPos(part.window.get(), insert_after, to_device(part.layout.x, dpi), to_device(part.layout.y, dpi),
               to_device(part.layout.w, dpi), to_device(part.layout.h, dpi), flags | SWP_NOACTIVATE);
}

void set_name(HWND window, std::string_view name) {
  const std::wstring wide = widen(name);
  if (window_text_wide(window) == wide) {
    return;
  }
  // The default handling only: a picture static would read the text as the
  // name of a bitmap resource to show.
  DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace

void place_described_parts(int dpi) {
  if (auto& main = platform().window) {
    for (const MainWindow::DescribedPart& part : main->described_parts) {
      place(part, dpi, nullptr, SWP_NOZORDER);
    }
  }
}

void name_image_view(const Gadget& view, std::string_view name) { set_name(view.window.get(), name); }

}  // namespace tk::win32

namespace tk {

void describe_drawing(int window, int x, int y, int w, int h, std::string_view text) {
  using win32::MainWindow;
  auto& main = win32::platform().window;
  if (!main || main->number != window) {
    return;
  }
  for (const MainWindow::DescribedPart& part : main->described_parts) {
    if (part.layout.x == x && part.layout.y == y && part.layout.w == w && part.layout.h == h) {
      win32::set_name(part.window.get(), text);
      return;
    }
  }
  if (!win32::register_part_class(*main)) {
    return;
  }
  MainWindow::DescribedPart part{{x, y, w, h},
                                 win32::UniqueWindow(CreateWindowExW(
                                     0, main->part_class.name().c_str(), win32::widen(text).c_str(),
                                     WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, main->handle.get(), nullptr,
                                     win32::platform().instance, nullptr))};
  if (!part.window) {
    return;
  }
  win32::place(part, win32::platform().dpi, HWND_BOTTOM, SWP_SHOWWINDOW);
  main->described_parts.push_back(std::move(part));
}

}  // namespace tk
