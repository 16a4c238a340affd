// The Win32 backend: the main window, its menu bar, the numbered gadgets, the
// pictures of loaded images and the message pump (the platform side of
// toolkit/common/backend.h), on USER32, COMCTL32, SHELL32 and KERNEL32.
//
// Implements:
//   - pump_message(): GetMessage / DispatchMessage, the window procedures
//     recording what the controls notify
//   - one window with its menu bar and the gadgets as native controls;
//     labels owner-drawn (labels.cpp)
//   - pictures of loaded images as bitmaps the image views show
//   - the drawing operations through the shared canvas, shown at the
//     window's DPI (drawing.cpp); WM_PAINT paints that picture again, over
//     the window and the controls under the drawing
//   - per-monitor DPI awareness: the layout's 96-DPI units placed at the
//     window's DPI, the controls' font of that DPI, both renewed on
//     WM_DPICHANGED (dpi.cpp asks the platform)
//   - the context menu and its shortcuts (context_menu.cpp), the clipboard
//     (clipboard.cpp), the refused-character balloon (field_hint.cpp) and
//     the names screen readers find for described parts of the drawing and
//     for image views (accessible.cpp); the keys, clicks and pastes they
//     need are picked out here, in pump_message() and the gadgets' procedure
// Quirks:
//   - no page address: none to read, showing one does nothing
//   - overlapping gadgets, below
//
// Overlapping gadgets. Some labels overlap other gadgets on purpose: a feet
// label (from x 115) sits inside the "Meter = " caption label before it, and
// the never-written label 121 covers the right end of the model box. Every
// gadget is made WS_CLIPSIBLINGS and placed in front of the gadgets created
// before it, so a later gadget is painted over an earlier one and never the
// other way round. A borderless label whose text is empty is hidden: it would
// show nothing, and hidden it neither blanks the text under it (the "0 Feet"
// of "Meter = 0 Feet" before a distance is entered) nor takes the clicks meant
// for the model box's arrow. Labels are owner-drawn (labels.cpp): one covered
// from the right by a later label with text shows only the whole characters
// before it, so no part of a glyph peeks out from under the later label.
#include "toolkit/win32/platform.h"

#include <commctrl.h>
#include <shellapi.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <utility>

#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/common/file_bytes.h"
#include "toolkit/common/gadget_table.h"
#include "toolkit/toolkit.h"

namespace tk::win32 {

using tk::GadgetKind;

namespace {

void apply_dpi(int dpi);

// Posted by a text field to its window when it gains or loses the focus:
// wParam the gadget number, lParam kTypeFocusGained or kTypeFocusLost.
constexpr UINT kMsgTextFieldFocus = WM_APP + 1;
// Commands of the navigation accelerator table.
constexpr WORD kCommandTabForward = 0xFFF0;
constexpr WORD kCommandTabBackward = 0xFFF1;
constexpr UINT_PTR kGadgetSubclassId = 1;

// A combo box is created this high: the height with its list open.
constexpr int kComboOpenHeight = 350;
// Selection-field height used to measure what the closed box adds around it.
constexpr int kComboProbeFieldHeight = 15;

int clamp_to_int(std::size_t size) {
  return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

std::string window_text(HWND window) { return narrow(window_text_wide(window)); }

void queue(int code) {
  const auto& main = platform().window;
  if (main && !main->opening) {
    common::queue_window_event(code, main->number);
  }
}

Gadget* gadget_for_window(HWND window) {
  for (const auto& entry : platform().gadgets.entries()) {
    if (entry.number != kAnonymous && entry.gadget->window.get() == window) {
      return entry.gadget.get();
    }
  }
  return nullptr;
}

// The gadget whose control has the keyboard focus (or holds the control
// that has it), numbered or not.
const Gadget* gadget_with_focus() {
  HWND focus = GetFocus();
  for (const auto& entry : platform().gadgets.entries()) {
    HWND control = entry.gadget->window.get();
    if (control && focus && (control == focus || IsChild(control, focus))) {
      return entry.gadget.get();
    }
  }
  return nullptr;
}

// Tab and Shift+Tab: the shared tab order over the controls that are tab
// stops, visible and enabled. A text field reached this way has its text
// selected, as in a dialog box.
void move_focus(bool forward) {
  const Gadget* target =
      platform().gadgets.tab_target(gadget_with_focus(), forward, [](const auto& entry) {
        HWND control = entry.gadget->window.get();
        return control && (GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) &&
               IsWindowVisible(control) && IsWindowEnabled(control);
      });
  if (!target) {
    return;
  }
  HWND control = target->window.get();
  SetFocus(control);
  if (target->kind == GadgetKind::TextField) {
    SendMessageW(control, EM_SETSEL, 0, -1);
  }
}

void on_command(WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  const int code = HIWORD(wparam);
  if (lparam != 0) {
    const Gadget* gadget = gadget_for_window(reinterpret_cast<HWND>(lparam));
    if (!gadget) {
      return;
    }
    int type = code;
    if (gadget->kind == GadgetKind::ImageView && code == STN_DBLCLK) {
      type = kTypeDoubleClick;
    }
    common::record_event(kEventGadget, gadget->number, type);
    return;
  }
  if (code == 1) {  // from the accelerator table
    if (id == kCommandTabForward || id == kCommandTabBackward) {
      move_focus(id == kCommandTabForward);
    }
    return;
  }
  common::record_event(kEventMenu, id, kTypeNone);
}

// Whether a WM_CONTEXTMENU's screen point lies in the window's client area.
bool point_in_client_area(HWND window, LPARAM screen_point) {
  POINT point{static_cast<short>(LOWORD(screen_point)), static_cast<short>(HIWORD(screen_point))};
  ScreenToClient(window, &point);
  RECT client{};
  GetClientRect(window, &client);
  return PtInRect(&client, point) != FALSE;
}

// The input that ends a hint that shows: a key or a mouse button going
// down in the window.
bool ends_field_hint(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
      return true;
    default:
      return false;
  }
}

void on_size(WPARAM kind) {
  ShowState& state = platform().window->show_state;
  switch (kind) {
    case SIZE_MINIMIZED:
      queue(kEventMinimize);
      state = ShowState::Minimized;
      return;
    case SIZE_MAXIMIZED:
      queue(kEventMaximize);
      queue(kEventSize);
      state = ShowState::Maximized;
      return;
    case SIZE_RESTORED:
      if (state != ShowState::Normal) {
        queue(kEventRestore);
      }
      queue(kEventSize);
      state = ShowState::Normal;
      return;
    default:
      queue(kEventSize);
  }
}

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto& main = platform().window;
  if (!main) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  switch (message) {
    case WM_COMMAND:
      on_command(wparam, lparam);
      return 0;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item && item->CtlType == ODT_STATIC && is_label(item->hwndItem)) {
        paint_label(*item);
        return TRUE;
      }
      break;
    }
    case kMsgTextFieldFocus:
      common::record_event(kEventGadget, static_cast<int>(wparam), static_cast<int>(lparam));
      return 0;
    case WM_CLOSE:
      queue(kEventClose);  // the program decides; the window stays
      return 0;
    // A right click in the client area or a key (-1); on the frame the
    // system menu stays the system's.
    case WM_CONTEXTMENU:
      if (lparam == -1 || point_in_client_area(window, lparam)) {
        show_context_menu(lparam);
        return 0;
      }
      break;
    case WM_TIMER:
      if (wparam == kHintTimer) {
        hint_timer_elapsed();
        return 0;
      }
      break;
    case WM_ERASEBKGND: {
      const LRESULT erased = DefWindowProcW(window, message, wparam, lparam);
      queue(kEventRepaint);
      return erased;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = BeginPaint(window, &paint);
      if (main->picture) {
        main->picture->paint_over(dc, paint.rcPaint, POINT{0, 0});
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      apply_dpi(common::clamp_dpi(LOWORD(wparam)));
      return 0;
    }
    case WM_MOVE:
      queue(kEventMove);
      break;
    case WM_SIZE:
      on_size(wparam);
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        main->saved_focus = IsChild(window, focus) ? focus : nullptr;
        break;
      }
      queue(kEventActivate);
      // Give the focus back to the gadget that had it, as a dialog does.
      if (!HIWORD(wparam) && main->saved_focus && IsChild(window, main->saved_focus)) {
        SetFocus(main->saved_focus);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Every gadget's window procedure runs through here first.
LRESULT CALLBACK gadget_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                             UINT_PTR subclass_id, DWORD_PTR reference) {
  Gadget& gadget = *reinterpret_cast<Gadget*>(reference);
  const bool numbered = gadget.number != kAnonymous;
  const bool image_view = gadget.kind == GadgetKind::ImageView && numbered;
  switch (message) {
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, gadget_proc, subclass_id);
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
      if (gadget.kind == GadgetKind::TextField && numbered) {
        PostMessageW(GetParent(window), kMsgTextFieldFocus, static_cast<WPARAM>(gadget.number),
                     message == WM_SETFOCUS ? kTypeFocusGained : kTypeFocusLost);
      }
      return result;
    }
    // Whatever the control paints over the program's drawing (the group box
    // around the chart, the labels under the sketches) is painted over again.
    case WM_PAINT:
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
    case STM_SETIMAGE: {
      const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
      repaint_retained(window);
      return result;
    }
    // A combo box keeps every system key down to itself, using only Alt+Up
    // and Alt+Down (its list), so the default handling never learns of the
    // F10 or Alt whose key up enters the menu bar, nor of Alt+F4. Those go on
    // to it as from every other control.
    case WM_SYSKEYDOWN:
      if (gadget.kind == GadgetKind::ComboBox && wparam != VK_UP && wparam != VK_DOWN) {
        return DefWindowProcW(window, message, wparam, lparam);
      }
      break;
    // The window's context menu over every gadget (in place of a text
    // field's own), except an image view, whose right click is its own.
    case WM_CONTEXTMENU:
      if (common::right_click_opens_context_menu(gadget.kind)) {
        show_context_menu(lparam);
      }
      return 0;
    // A character for a text field passes the shared rule first; one it
    // refuses (and that shows the hint) never reaches the edit. Control
    // characters are the edit's commands (Backspace, Ctrl+V ...).
    case WM_CHAR:
      if (gadget.kind == GadgetKind::TextField && numbered && wparam >= 0x20 && wparam != 0x7F &&
          !common::typed_into_field(gadget.number, gadget.flags, static_cast<char32_t>(wparam))) {
        return 0;
      }
      break;
    case WM_PASTE:
      if (gadget.kind == GadgetKind::TextField && numbered) {
        report_paste(gadget);
      }
      break;
    // Shift+Insert pastes too, and not every edit sends itself WM_PASTE for it.
    case WM_KEYDOWN:
      if (gadget.kind == GadgetKind::TextField && numbered && wparam == VK_INSERT && GetKeyState(VK_SHIFT) < 0 &&
          GetKeyState(VK_CONTROL) >= 0) {
        report_paste(gadget);
        gadget.pasting = true;
        const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
        gadget.pasting = false;
        return result;
      }
      break;
    case WM_RBUTTONDOWN:
      if (image_view) {
        common::record_event(kEventGadget, gadget.number, kTypeRightClick);
      }
      break;
    case WM_RBUTTONDBLCLK:
      if (image_view) {
        common::record_event(kEventGadget, gadget.number, kTypeRightDoubleClick);
      }
      break;
    case WM_LBUTTONDOWN:
      gadget.left_button_down = true;
      gadget.dragging = false;
      gadget.press_point = POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
      break;
    case WM_LBUTTONUP:
      gadget.left_button_down = false;
      break;
    case WM_MOUSEMOVE:
      if (image_view && gadget.left_button_down && !gadget.dragging && (wparam & MK_LBUTTON)) {
        const int dx = static_cast<short>(LOWORD(lparam)) - gadget.press_point.x;
        const int dy = static_cast<short>(HIWORD(lparam)) - gadget.press_point.y;
        if (std::abs(dx) > GetSystemMetrics(SM_CXDRAG) || std::abs(dy) > GetSystemMetrics(SM_CYDRAG)) {
          gadget.dragging = true;
          common::record_event(kEventGadget, gadget.number, kTypeDrag);
        }
      }
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

// The control's rectangle in device pixels at the window's DPI: a combo box
// as high as with its list open.
RECT device_rect(const Gadget& gadget) {
  const int dpi = platform().dpi;
  const Gadget::Layout& at = gadget.layout;
  const int height = gadget.kind == GadgetKind::ComboBox ? kComboOpenHeight : at.h;
  return RECT{common::to_device(at.x, dpi), common::to_device(at.y, dpi), common::to_device(at.w, dpi),
              common::to_device(height, dpi)};  // right and bottom: width and height
}

// A combo box's closed part is exactly its layout height at the DPI: measure
// what the box adds around a selection field of known height, then size the
// field to leave that height.
void fit_closed_combo_box(const Gadget& box) {
  HWND control = box.window.get();
  SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kComboProbeFieldHeight);
  RECT closed{};
  GetWindowRect(control, &closed);
  const int surplus = (closed.bottom - closed.top) - kComboProbeFieldHeight;
  SendMessageW(control, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
               common::to_device(box.layout.h, platform().dpi) - surplus);
}

// A picture as a 32-bit top-down DIB section whose pixels `fill` writes
// (0x00RRGGBB, rows of width); nullptr when it cannot be made.
template <class Fill>
HBITMAP make_dib(int width, int height, Fill fill) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) {
    fill(static_cast<std::uint32_t*>(bits));
    GdiFlush();
  }
  return bitmap;
}

// The colour a pixel with alpha shows on the button face: a static control
// shows a plain bitmap, with nothing behind it to blend with.
std::uint32_t over_button_face(std::uint32_t argb, COLORREF face) {
  const std::uint32_t alpha = argb >> 24;
  const auto blend = [alpha](std::uint32_t picture, std::uint32_t background) {
    return (picture * alpha + background * (255 - alpha) + 127) / 255;
  };
  const std::uint32_t red = blend((argb >> 16) & 0xFF, GetRValue(face));
  const std::uint32_t green = blend((argb >> 8) & 0xFF, GetGValue(face));
  const std::uint32_t blue = blend(argb & 0xFF, GetBValue(face));
  // Alpha 0: a control drawn with visual styles shows the picture as it is
  // and makes no copy of its own (it copies pictures with alpha).
  return (red << 16) | (green << 8) | blue;
}

// Shows an image view's picture at the window's DPI: above 100 % a copy
// scaled by the shared picture rule (whole scales repeat pixels, fractional
// ones average them), so a logo looks as the window's drawing does.
void show_image(Gadget& view) {
  const common::DecodedImage* image = common::find_image(view.shown_image);
  if (!image) {
    return;
  }
  const int dpi = platform().dpi;
  UniqueBitmap scaled;
  if (dpi != common::kBaseDpi) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    common::Canvas canvas(image->width, image->height, common::kButtonFace);
    for (int y = 0; y < image->height; ++y) {
      for (int x = 0; x < image->width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(image->width) +
                              static_cast<std::size_t>(x);
        canvas.box(x, y, 1, 1, dib_pixel(over_button_face(image->argb[i], face)));
      }
    }
    common::ScaledPicture picture;
    common::scale_picture(canvas, dpi, 0, 0, image->width, image->height, picture);
    scaled.reset(make_dib(picture.width, picture.height, [&picture](std::uint32_t* pixels) {
      std::transform(picture.pixels.begin(), picture.pixels.end(), pixels, dib_pixel);
    }));
  }
  const auto shown = scaled ? scaled.get() : reinterpret_cast<HBITMAP>(view.shown_image);
  SendMessageW(view.window.get(), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown));
  view.scaled_image = std::move(scaled);  // the one shown before goes once replaced
}

// Places every control at the window's DPI in the font of that DPI, the
// old font deleted once no control has it, and the picture drawn again.
void apply_dpi(int dpi) {
  Platform& state = platform();
  state.dpi = dpi;
  UniqueFont font = make_gui_font(dpi);
  for (const auto& entry : state.gadgets.entries()) {
    Gadget& gadget = *entry.gadget;
    HWND control = gadget.window.get();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    const RECT at = device_rect(gadget);
    SetWindowPos(control, nullptr, at.left, at.top, at.right, at.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    if (gadget.kind == GadgetKind::ComboBox) {
      fit_closed_combo_box(gadget);
    } else if (gadget.kind == GadgetKind::ImageView) {
      show_image(gadget);
    }
  }
  state.gui_font = std::move(font);
  place_described_parts(dpi);
  if (MainWindow* main = state.window ? &*state.window : nullptr; main && main->picture) {
    main->picture->update(dpi, 0, 0, main->picture->canvas().width(), main->picture->canvas().height());
    RedrawWindow(main->handle.get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

// Creates the control for a gadget (the old one under the number is gone
// first), with the GUI font, in front of the gadgets made before it, at the
// window's DPI.
Gadget* create_gadget(int number, GadgetKind kind, const wchar_t* control_class, std::string_view text,
                      DWORD style, DWORD ex_style, int x, int y, int w, int h) {
  Platform& state = platform();
  HWND parent = state.window ? state.window->handle.get() : nullptr;
  if (!parent) {
    return nullptr;
  }
  // A label going away uncovers the labels under it.
  std::optional<RECT> removed_label;
  if (const auto* old = state.gadgets.entry(number); old && old->kind == GadgetKind::Label) {
    RECT area{};
    GetWindowRect(old->gadget->window.get(), &area);
    removed_label = area;
  }
  state.gadgets.erase(number);
  if (removed_label) {
    invalidate_labels_overlapping(*removed_label, nullptr);
  }
  auto gadget = std::make_unique<Gadget>(number, kind);
  gadget->layout = Gadget::Layout{x, y, w, h};
  const RECT at = device_rect(*gadget);
  const auto id = static_cast<UINT_PTR>(static_cast<unsigned>(number) & 0xFFFFu);
  HWND control = CreateWindowExW(ex_style, control_class, widen(text).c_str(),
                                 WS_CHILD | WS_CLIPSIBLINGS | style, at.left, at.top, at.right, at.bottom,
                                 parent, reinterpret_cast<HMENU>(id), state.instance, nullptr);
  if (!control) {
    return nullptr;  // absent: later operations on the number do nothing
  }
  gadget->window.reset(control);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.gui_font.get()), FALSE);
  SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowSubclass(control, gadget_proc, kGadgetSubclassId, reinterpret_cast<DWORD_PTR>(gadget.get()));
  return &state.gadgets.insert(number, kind, std::move(gadget));
}

// Takes the picture back from an image view, which shows nothing from then on.
void take_image_back(const Gadget& view) {
  SendMessageW(view.window.get(), STM_SETIMAGE, IMAGE_BITMAP, 0);
}

// Destroys the gadgets and the window (with its menu bar) while the state the
// window procedure reads is still whole, then forgets the window.
void destroy_main_window() {
  auto& state = platform();
  common::forget_drawing_phase();
  state.gadgets.clear();
  state.gui_font.reset();  // no control has it any more
  if (state.window) {
    state.window->hint = {};
    state.window->described_parts.clear();
    state.window->handle.reset();
  }
  state.taken_key = 0;
  state.window.reset();
  state.menu_bar = nullptr;
  state.current_menu = nullptr;
}

// Registers the window class "WindowClass_<number>"; unregistered with the
// window.
bool register_window_class(MainWindow& main, HINSTANCE instance) {
  wchar_t name[32];
  std::swprintf(name, std::size(name), L"WindowClass_%d", main.number);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = CS_DBLCLKS;
  window_class.lpfnWndProc = main_window_proc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  window_class.lpszClassName = name;
  if (!RegisterClassExW(&window_class)) {
    return false;
  }
  main.class_registration.reset(name, instance);
  return true;
}

}  // namespace

// --- text at the platform border ------------------------------------------------

std::wstring window_text_wide(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) {
    return {};
  }
  const int size = clamp_to_int(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  if (length <= 0) {
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

namespace {
std::string from_wide(UINT code_page, std::wstring_view wide) {
  if (wide.empty()) {
    return {};
  }
  const int size = clamp_to_int(wide.size());
  const int length = WideCharToMultiByte(code_page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) {
    return {};
  }
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}
}  // namespace

std::string narrow(std::wstring_view utf16) { return from_wide(CP_UTF8, utf16); }

std::string to_ansi(std::string_view utf8) { return from_wide(CP_ACP, widen(utf8)); }

// --- state ------------------------------------------------------------------------

Platform& platform() {
  static Platform state;
  return state;
}

HWND window_handle(int window) {
  const auto& main = platform().window;
  return main && main->number == window ? main->handle.get() : nullptr;
}

void WindowClassRegistration::reset(const std::wstring& name, HINSTANCE instance) {
  unregister();
  name_ = name;
  instance_ = instance;
}

void WindowClassRegistration::unregister() {
  if (!name_.empty()) {
    UnregisterClassW(name_.c_str(), instance_);
    name_.clear();
  }
}

Gadget::~Gadget() {
  if (kind == GadgetKind::ImageView && window) {
    take_image_back(*this);
  }
}

}  // namespace tk::win32

// --- the toolkit's operations ------------------------------------------------------

namespace tk {

using win32::Gadget;
using win32::platform;
using win32::widen;
using tk::GadgetKind;

bool create_window(int window, int x, int y, int width, int height, std::string_view title,
                   std::uint32_t style) {
  auto& state = platform();
  if (!common::window_may_open()) {
    return false;
  }
  // One window: a new one replaces the old.
  win32::destroy_main_window();

  auto& main = state.window.emplace();
  main.number = window;
  if (!win32::register_window_class(main, state.instance)) {
    common::set_last_error("the window class could not be registered (error " +
                           std::to_string(GetLastError()) + ")");
    state.window.reset();
    return false;
  }
  // The given size is the client area without a menu bar, in layout units;
  // a menu bar added later takes its height from the client area.
  main.picture = std::make_unique<win32::WindowPicture>(width, height);
  main.opening = true;
  const RECT outer_at_100 = win32::outer_rect(width, height, style, common::kBaseDpi);
  HWND handle = CreateWindowExW(0, main.class_registration.name().c_str(), widen(title).c_str(), style,
                                x, y, outer_at_100.right, outer_at_100.bottom, nullptr, nullptr,
                                state.instance, nullptr);
  if (!handle) {
    common::set_last_error("the window could not be created (error " + std::to_string(GetLastError()) +
                           ")");
    state.window.reset();
    return false;
  }
  main.handle.reset(handle);
  // Sized at its monitor's scale, or at the largest that fits the monitor's
  // work area, before it is shown; its top left corner stays where it was
  // asked for.
  const RECT work = win32::work_area(POINT{x, y});
  state.dpi = common::fitting_dpi(win32::window_dpi(handle), outer_at_100.right, outer_at_100.bottom,
                                  work.right - work.left, work.bottom - work.top);
  state.gui_font = win32::make_gui_font(state.dpi);
  const RECT outer = win32::outer_rect(common::to_device(width, state.dpi), common::to_device(height, state.dpi),
                                       style, state.dpi);
  SetWindowPos(handle, nullptr, 0, 0, outer.right, outer.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(handle, SW_SHOWNORMAL);
  UpdateWindow(handle);
  main.opening = false;
  common::queue_window_opened(window);
  return true;
}

void create_menu_bar(int /*menu*/, int window) {
  auto& state = platform();
  HWND handle = win32::window_handle(window);
  if (!handle) {
    return;
  }
  HMENU bar = CreateMenu();
  if (!bar) {
    return;
  }
  HMENU old = GetMenu(handle);
  SetMenu(handle, bar);
  if (old) {
    DestroyMenu(old);
  }
  state.menu_bar = bar;
  state.current_menu = nullptr;
}

void add_menu_title(std::string_view text) {
  auto& state = platform();
  if (!state.menu_bar) {
    return;
  }
  HMENU drop_down = CreatePopupMenu();
  if (!drop_down) {
    return;
  }
  if (!AppendMenuW(state.menu_bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(drop_down),
                   widen(text).c_str())) {
    DestroyMenu(drop_down);
    return;
  }
  state.current_menu = drop_down;
  DrawMenuBar(state.window->handle.get());
}

void add_menu_item(int item, std::string_view text) {
  auto& state = platform();
  if (!state.current_menu) {
    return;
  }
  AppendMenuW(state.current_menu, MF_STRING, static_cast<UINT_PTR>(static_cast<unsigned>(item) & 0xFFFFu),
              widen(text).c_str());
}

void create_frame(int number, int x, int y, int w, int h, std::string_view caption) {
  win32::create_gadget(number, GadgetKind::Frame, L"Button", caption,
                       WS_VISIBLE | WS_GROUP | BS_GROUPBOX, 0, x, y, w, h);
}

void create_label(int number, int x, int y, int w, int h, std::string_view text, std::uint32_t flags) {
  const bool sunken = (flags & kFlagSunken) != 0;
  const DWORD visible = sunken || !text.empty() ? WS_VISIBLE : 0;
  // Owner-drawn, left-aligned text (see labels.cpp).
  Gadget* gadget = win32::create_gadget(number, GadgetKind::Label, L"Static", text,
                                        visible | WS_GROUP | SS_OWNERDRAW | (flags & ~DWORD{SS_TYPEMASK}),
                                        sunken ? WS_EX_CLIENTEDGE : 0, x, y, w, h);
  if (!gadget) {
    return;
  }
  gadget->sunken = sunken;
  if (visible) {
    HWND control = gadget->window.get();
    RECT area{};
    GetWindowRect(control, &area);
    win32::invalidate_labels_overlapping(area, control);
  }
}

void create_text_field(int number, int x, int y, int w, int h, std::string_view text,
                       std::uint32_t flags) {
  if (Gadget* gadget = win32::create_gadget(number, GadgetKind::TextField, L"Edit", text,
                                            WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL | flags,
                                            WS_EX_CLIENTEDGE, x, y, w, h)) {
    gadget->flags = flags;
  }
}

void create_combo_box(int number, int x, int y, int w, int h) {
  // Made as high as with its list open; the closed box is h high.
  if (const Gadget* gadget = win32::create_gadget(
          number, GadgetKind::ComboBox, L"ComboBox", "",
          WS_VISIBLE | CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL | WS_BORDER | WS_GROUP | WS_TABSTOP,
          WS_EX_CLIENTEDGE, x, y, w, h)) {
    win32::fit_closed_combo_box(*gadget);
  }
}

void add_combo_item(int number, int position, std::string_view text) {
  const auto* entry = platform().gadgets.entry(number);
  if (!entry || entry->kind != GadgetKind::ComboBox) {
    return;
  }
  // The mirror decides what the list takes, so both always hold the same
  // items; the list itself keeps its selection on the selected item.
  const auto index = entry->gadget->items.insert(position, text);
  if (!index) {
    return;
  }
  SendMessageW(entry->gadget->window.get(), CB_INSERTSTRING, static_cast<WPARAM>(*index),
               reinterpret_cast<LPARAM>(widen(text).c_str()));
}

void create_button(int number, int x, int y, int w, int h, std::string_view text) {
  win32::create_gadget(number, GadgetKind::Button, L"Button", text,
                       WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON, 0, x, y, w, h);
}

void create_image_view(int number, int x, int y, int w, int h, Bitmap bitmap) {
  // With a picture the view takes its size, its top left corner staying put.
  const common::DecodedImage* image = common::find_image(bitmap);
  if (image) {
    w = image->width;
    h = image->height;
  }
  Gadget* gadget = win32::create_gadget(number, GadgetKind::ImageView, L"STATIC", "",
                                        WS_VISIBLE | SS_NOTIFY | SS_BITMAP, 0, x, y, w, h);
  if (!gadget || !image) {
    return;
  }
  gadget->shown_image = bitmap;
  win32::show_image(*gadget);
}

void set_gadget_text(int number, std::string_view text) {
  Gadget* gadget = platform().gadgets.find(number);
  if (!gadget) {
    return;
  }
  HWND control = gadget->window.get();
  switch (gadget->kind) {
    case GadgetKind::ComboBox: {
      const auto current = static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0));
      SendMessageW(control, CB_SETCURSEL,
                   static_cast<WPARAM>(gadget->items.selection_for_text(text, current)), 0);
      return;
    }
    case GadgetKind::ImageView:
      win32::name_image_view(*gadget, text);
      return;
    case GadgetKind::Label: {
      const bool had_text = GetWindowTextLengthW(control) > 0;
      SetWindowTextW(control, widen(text).c_str());
      if (!gadget->sunken) {
        ShowWindow(control, text.empty() ? SW_HIDE : SW_SHOWNA);
      }
      // Labels under this one show more or less of their text now.
      if (had_text != !text.empty()) {
        RECT area{};
        GetWindowRect(control, &area);
        win32::invalidate_labels_overlapping(area, control);
      }
      return;
    }
    default:
      SetWindowTextW(control, widen(text).c_str());
      return;
  }
}

std::string get_gadget_text(int number) {
  const Gadget* gadget = platform().gadgets.find(number);
  if (!gadget) {
    return {};
  }
  HWND control = gadget->window.get();
  if (gadget->kind != GadgetKind::ComboBox) {
    return win32::window_text(control);
  }
  return gadget->items.text(static_cast<int>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
}

std::int64_t get_gadget_state(int number) {
  const Gadget* gadget = platform().gadgets.find(number);
  if (!gadget) {
    return 0;
  }
  switch (gadget->kind) {
    case GadgetKind::ComboBox:
      return SendMessageW(gadget->window.get(), CB_GETCURSEL, 0, 0);  // CB_ERR is -1
    case GadgetKind::Button:
      return SendMessageW(gadget->window.get(), BM_GETCHECK, 0, 0);
    case GadgetKind::ImageView:
      return gadget->shown_image;
    default:
      return 0;
  }
}

bool open_url(std::string_view location) {
  const std::string target = win32::to_ansi(location);
  // As a program first: the location in double quotes is the command line.
  std::string command_line = "\"" + target + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                     &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
  // Else the shell's default action for it (a URL opens in the browser).
  const std::size_t last_backslash = target.rfind('\\');
  const std::string directory =
      last_backslash == std::string::npos ? std::string() : target.substr(0, last_backslash + 1);
  SHELLEXECUTEINFOA execute{};
  execute.cbSize = sizeof(execute);
  execute.fMask = SEE_MASK_NOCLOSEPROCESS;
  execute.hwnd = win32::window_handle(0);
  execute.lpVerb = nullptr;
  execute.lpFile = target.c_str();
  execute.lpParameters = nullptr;
  execute.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  execute.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&execute)) {
    return false;
  }
  if (execute.hProcess) {
    CloseHandle(execute.hProcess);  // never waited for
  }
  return true;
}

// A desktop window has no page address.
std::vector<AddressParameter> address_parameters() { return {}; }
void show_address_parameters(std::span<const AddressParameter> /*parameters*/) {}

namespace backend {

bool open_platform(std::string& /*error*/) {
  auto& state = platform();
  // Version 6 of the common controls (asked for by the manifest) knows the
  // standard classes; an older one does not, and needs nothing more.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  if (!InitCommonControlsEx(&controls)) {
    controls.dwICC = ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
  }
  state.instance = GetModuleHandleW(nullptr);
  win32::declare_dpi_awareness();
  ACCEL keys[] = {
      {FVIRTKEY, VK_TAB, win32::kCommandTabForward},
      {FVIRTKEY | FSHIFT, VK_TAB, win32::kCommandTabBackward},
  };
  state.navigation_keys.reset(CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
  return true;
}

void close_platform() {
  win32::destroy_main_window();
  platform().navigation_keys.reset();
  // What the destroyed window and its controls had posted is not handled.
  MSG forgotten{};
  while (PeekMessageW(&forgotten, nullptr, 0, 0, PM_REMOVE)) {
  }
}

std::optional<std::vector<std::uint8_t>> file_bytes(const std::string& name) {
  return common::read_file_bytes(name, common::kMaxImageFileBytes);
}

// A 32-bit top-down DIB section of the decoded pixels, composited over the
// button face.
Bitmap make_image(const common::DecodedImage& image) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  HBITMAP bitmap = win32::make_dib(image.width, image.height, [&image, face](std::uint32_t* pixels) {
    for (std::size_t i = 0; i < image.argb.size(); ++i) {
      pixels[i] = win32::over_button_face(image.argb[i], face);
    }
  });
  return bitmap ? reinterpret_cast<Bitmap>(bitmap) : kNoBitmap;
}

void free_image(Bitmap image) {
  for (const auto& entry : platform().gadgets.entries()) {
    if (entry.kind == GadgetKind::ImageView && entry.gadget->shown_image == image) {
      win32::take_image_back(*entry.gadget);
      entry.gadget->scaled_image.reset();
    }
  }
  DeleteObject(reinterpret_cast<HBITMAP>(image));
}

int pump_message() {
  MSG message{};
  const BOOL got = GetMessageW(&message, nullptr, 0, 0);
  if (got == -1) {
    return kMsgNull;
  }
  if (got == 0) {
    return WM_QUIT;
  }
  auto& state = platform();
  HWND main = state.window ? state.window->handle.get() : nullptr;
  const bool ours = main && (message.hwnd == main || IsChild(main, message.hwnd));
  if (ours && win32::ends_field_hint(message.message)) {
    common::dismiss_field_hint();
  }
  if (ours && win32::take_menu_key(message)) {
    return static_cast<int>(message.message);
  }
  if (ours && state.navigation_keys && TranslateAcceleratorW(main, state.navigation_keys.get(), &message)) {
    return static_cast<int>(message.message);
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return static_cast<int>(message.message);
}

}  // namespace backend
}  // namespace tk
