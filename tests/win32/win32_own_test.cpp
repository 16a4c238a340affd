// What only the Win32 backend can get wrong, beyond the conformance suite and
// the end-to-end test: its owner-drawn labels under later ones, its hidden
// empty labels, the closed height of its combo boxes and the system keys
// they pass on, pictures with alpha on the button face, the window at the
// system's DPI and after WM_DPICHANGED, the context menu over the controls,
// the shortcuts beside the edit's own keys, the paths of a paste, the
// clipboard's line ends, and the names screen readers find. Runs under Wine
// (at 96 and at 144 DPI); the input is the conformance driver's.
#include <windows.h>

#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/toolkit/bmp_file.h"
#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/common/display_scale.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/toolkit.h"

namespace {

namespace fs = std::filesystem;
constexpr int kModel = 4, kCaption = 116, kFeet = 117, kCoveringLabel = 121;
constexpr tk::Colour kRed = tk::rgb(255, 0, 0);

HWND main_window() { return FindWindowW(L"WindowClass_0", nullptr); }
HWND control(int gadget) { return GetDlgItem(main_window(), gadget); }

// The DPI the system gives the window: Wine's LogPixels.
int system_dpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return tk::common::clamp_dpi(dpi);
}

// MinGW's import library gives no IID_IAccessible.
constexpr IID kAccessibleInterface = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

// The name a screen reader reads for the window (MSAA), "(none)" when it
// has no accessible object.
std::string accessible_name(HWND window) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleInterface,
                                        reinterpret_cast<void**>(&object))) ||
      !object) {
    return "(none)";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::string text;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) {
    text.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr)));
    WideCharToMultiByte(CP_UTF8, 0, name, -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    text.pop_back();  // the terminator
    SysFreeString(name);
  }
  object->Release();
  return text;
}

// The texts of the open context menu's items, empty when none is open.
std::vector<std::wstring> open_menu_items() {
  std::vector<std::wstring> items;
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup)) return items;
  constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, kGetMenu, 0, 0));
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    items.emplace_back(text);
  }
  return items;
}

bool has_event(const std::vector<conformance::Event>& events, const conformance::Event& wanted) {
  return std::find(events.begin(), events.end(), wanted) != events.end();
}

bool has_code(const std::vector<conformance::Event>& events, int code) {
  return std::any_of(events.begin(), events.end(), [code](const conformance::Event& e) { return e.code == code; });
}

// A 16 x 16 icon of 32 bits, every pixel red at half alpha, the AND mask
// showing all.
tk::Bitmap load_half_red_icon() {
  bmp::Bytes image = bmp::info_header(16, 32, 32);
  for (int i = 0; i < 16 * 16; ++i) image.insert(image.end(), {0x00, 0x00, 0xFF, 0x80});
  image.resize(image.size() + 16 * 4);
  const bmp::Bytes icon = bmp::ico_file({{16, 32, image}});
  const fs::path file = fs::temp_directory_path() / "win32-alpha.ico";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(icon.data()), std::ssize(icon));
  const tk::Bitmap picture = tk::load_bitmap(0, file.string());
  fs::remove(file);
  return picture;
}

// The client area's pixels of a layout rectangle, as the screen shows them.
std::vector<COLORREF> pixels_of(int x, int y, int w, int h) {
  using tk::common::to_device;
  const int dpi = system_dpi();
  const int left = to_device(x, dpi), top = to_device(y, dpi);
  const int width = to_device(x + w, dpi) - left, height = to_device(y + h, dpi) - top;
  HDC window = GetDC(main_window());
  HDC memory = CreateCompatibleDC(window);
  HGDIOBJ old = SelectObject(memory, CreateCompatibleBitmap(window, width, height));
  BitBlt(memory, 0, 0, width, height, window, left, top, SRCCOPY);
  std::vector<COLORREF> pixels;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) pixels.push_back(GetPixel(memory, column, row));
  }
  DeleteObject(SelectObject(memory, old));
  DeleteDC(memory);
  ReleaseDC(main_window(), window);
  return pixels;
}

// A gadget's rectangle in the main window's client area.
RECT client_rect_of(int gadget) {
  RECT area{};
  GetWindowRect(control(gadget), &area);
  MapWindowPoints(nullptr, main_window(), reinterpret_cast<POINT*>(&area), 2);
  return area;
}

class Win32Window : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tk::init_toolkit()) << tk::last_error();
    ASSERT_TRUE(tk::create_window(0, 10, 0, 700, 680, "Win32", tk::kStyleMainWindow));
    tk::create_label(kCaption, 75, 398, 150, 16, "Meter = 0 Feet");
    tk::create_label(kFeet, 115, 398, 100, 16, "");  // over the caption's end, from x 115
    tk::create_combo_box(kModel, 20, 496, 85, 20);
    for (const char* item : {"Pellion", "Ferrant_II", "Ferrant_III", "Ferrant_IV"}) tk::add_combo_item(kModel, -1, item);
    tk::create_label(kCoveringLabel, 20, 498, 150, 16, "");  // over the whole box
    conformance::window_ready();
    conformance::settle();
  }
  void TearDown() override { tk::close_toolkit(); }
};

// The caption shows exactly the whole characters of its text that end left
// of the feet label, as drawn alone in its font: no column of the next one.
void expect_whole_characters_before_feet_label(int dpi) {
  using tk::common::to_device;
  HWND caption = control(kCaption);
  const int kRoom = to_device(115, dpi) - to_device(75, dpi), kHeight = to_device(16, dpi);
  const std::wstring text = L"Meter = 0 Feet";
  HDC screen = GetDC(caption);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old_bitmap = SelectObject(memory, CreateCompatibleBitmap(screen, kRoom, kHeight));
  HGDIOBJ old_font = SelectObject(memory, reinterpret_cast<HGDIOBJ>(SendMessageW(caption, WM_GETFONT, 0, 0)));
  int whole = 0;
  for (SIZE size{}; whole < static_cast<int>(text.size()); ++whole) {
    GetTextExtentPoint32W(memory, text.c_str(), whole + 1, &size);
    if (size.cx > kRoom) break;
  }
  RECT cell{0, 0, kRoom, kHeight};
  FillRect(memory, &cell, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(memory, TRANSPARENT);
  SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
  TextOutW(memory, 0, 0, text.c_str(), whole);
  int wrong = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kRoom; ++x) {
      wrong += conformance::pixel(to_device(75, dpi) + x, to_device(398, dpi) + y) !=
               static_cast<tk::Colour>(GetPixel(memory, x, y));
    }
  }
  SelectObject(memory, old_font);
  DeleteObject(SelectObject(memory, old_bitmap));
  DeleteDC(memory);
  ReleaseDC(caption, screen);
  EXPECT_GT(whole, 0);
  EXPECT_EQ(wrong, 0) << "the caption does not show exactly its first " << whole << " characters";
}

TEST_F(Win32Window, ALabelCoveredFromTheRightShowsOnlyWholeCharacters) {
  tk::set_gadget_text(kFeet, "3281 Feet");
  conformance::settle();
  expect_whole_characters_before_feet_label(system_dpi());  // the GUI font
  // A font in which "Meter = " no longer fits, as Windows' own GUI font.
  LOGFONTW font{};
  GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfHeight = font.lfHeight < 0 ? font.lfHeight - 3 : font.lfHeight + 3;
  HFONT wider = CreateFontIndirectW(&font);
  SendMessageW(control(kCaption), WM_SETFONT, reinterpret_cast<WPARAM>(wider), TRUE);
  conformance::settle();
  expect_whole_characters_before_feet_label(system_dpi());
  conformance::system_repaint();
  conformance::settle();
  expect_whole_characters_before_feet_label(system_dpi());
  SendMessageW(control(kCaption), WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  DeleteObject(wider);
}

TEST_F(Win32Window, EmptyLabelsAreHiddenAndTheComboBoxIsClosedExactlyItsHeight) {
  HWND main = FindWindowW(L"WindowClass_0", nullptr), box = control(kModel);
  EXPECT_FALSE(IsWindowVisible(control(kFeet)));  // "Meter = 0 Feet" shows whole
  using tk::common::to_device;
  const int dpi = system_dpi();
  EXPECT_EQ(ChildWindowFromPointEx(main, POINT{to_device(98, dpi), to_device(506, dpi)}, CWP_SKIPINVISIBLE), box)
      << "the arrow is covered";
  RECT closed{}, list{};
  GetWindowRect(box, &closed);
  EXPECT_EQ(closed.bottom - closed.top, to_device(20, dpi));
  COMBOBOXINFO pieces{};
  pieces.cbSize = sizeof(pieces);
  ASSERT_TRUE(GetComboBoxInfo(box, &pieces));
  SendMessageW(box, CB_SHOWDROPDOWN, TRUE, 0);
  GetWindowRect(pieces.hwndList, &list);
  SendMessageW(box, CB_SHOWDROPDOWN, FALSE, 0);
  // The open list shows every item and ends within the box's 350 pixels.
  EXPECT_GE(list.bottom - list.top, 4 * static_cast<int>(SendMessageW(box, CB_GETITEMHEIGHT, 0, 0)));
  EXPECT_LE(list.bottom - closed.top, to_device(350, dpi));
}

// A combo box keeps the system keys to itself; those of the window go on from
// it as from any control: Alt+F4 asks to close (F10 and Alt alone are the
// conformance suite's).
TEST_F(Win32Window, AltF4FromAComboBoxAsksToClose) {
  SetFocus(control(kModel));
  conformance::settle();
  PostMessageW(control(kModel), WM_SYSKEYDOWN, VK_F4, 1 | LPARAM{0x3E | KF_ALTDOWN} << 16);
  const std::vector<conformance::Event> events = conformance::settle();
  EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                          [](const conformance::Event& e) { return e.code == tk::kEventClose; }));
}

TEST_F(Win32Window, APictureWithAlphaIsShownOnTheButtonFace) {
  const tk::Bitmap picture = load_half_red_icon();
  ASSERT_NE(picture, tk::kNoBitmap) << tk::last_error();
  tk::create_image_view(13, 330, 560, 60, 40, picture);
  conformance::settle();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const auto half = [](int picture_part, int face_part) { return (picture_part * 128 + face_part * 127 + 127) / 255; };
  const int dpi = system_dpi();
  EXPECT_EQ(conformance::pixel(tk::common::to_device(337, dpi), tk::common::to_device(567, dpi)), tk::rgb(half(255, GetRValue(face)), half(0, GetGValue(face)),
                                                  half(0, GetBValue(face))));
}

// The window at the system's DPI, then told that its DPI is now 192: the
// client area, the gadgets and the drawing at the scale, the font bigger,
// the labels still showing whole characters only.
TEST_F(Win32Window, TheWindowFollowsItsDpi) {
  using tk::common::to_device;
  tk::set_gadget_text(kFeet, "3281 Feet");
  tk::begin_window_drawing(0);
  tk::draw_box(400, 100, 20, 10, kRed);
  tk::end_drawing();
  conformance::settle();
  const auto font_height = [] {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control(kCaption), WM_GETFONT, 0, 0)), sizeof(font), &font);
    return std::abs(font.lfHeight);
  };
  const auto expect_at = [](int dpi) {
    const RECT caption = client_rect_of(kCaption), box = client_rect_of(kModel);
    EXPECT_EQ(caption.left, to_device(75, dpi));
    EXPECT_EQ(caption.top, to_device(398, dpi));
    EXPECT_EQ(caption.right - caption.left, to_device(150, dpi));
    EXPECT_EQ(caption.bottom - caption.top, to_device(16, dpi));
    EXPECT_EQ(box.top, to_device(496, dpi));
    EXPECT_EQ(box.bottom - box.top, to_device(20, dpi)) << "the closed combo box";
    EXPECT_EQ(conformance::pixel(to_device(400, dpi), to_device(100, dpi)), kRed);
    EXPECT_EQ(conformance::pixel(to_device(420, dpi) - 1, to_device(110, dpi) - 1), kRed);
    EXPECT_NE(conformance::pixel(to_device(420, dpi) + 1, to_device(105, dpi)), kRed);
    expect_whole_characters_before_feet_label(dpi);
  };
  const int dpi = system_dpi();
  RECT client{};
  GetClientRect(main_window(), &client);
  EXPECT_EQ(client.right, to_device(700, dpi));
  EXPECT_EQ(client.bottom, to_device(680, dpi));
  expect_at(dpi);
  const int height_before = font_height();

  RECT suggested{};
  GetWindowRect(main_window(), &suggested);
  suggested.right = suggested.left + to_device(720, 192);
  suggested.bottom = suggested.top + to_device(720, 192);
  SendMessageW(main_window(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  conformance::settle();
  RECT moved{};
  GetWindowRect(main_window(), &moved);
  EXPECT_TRUE(EqualRect(&moved, &suggested)) << "not moved to the suggested rectangle";
  expect_at(192);
  if (dpi < 192) {
    EXPECT_GT(font_height(), height_before);
  }
}

}  // namespace

// --- the context menu, the shortcuts, the paste, the clipboard ----------------

constexpr int kField = 0, kLogo = 13, kCopyItem = 4, kResetItem = 5, kHomepageItem = 0;
const conformance::Event kCopy{tk::kEventMenu, kCopyItem, tk::kTypeNone};

class Win32Input : public Win32Window {
 protected:
  void SetUp() override {
    Win32Window::SetUp();
    tk::create_menu_bar(0, 0);
    tk::add_menu_title("Varnek");
    tk::add_menu_item(kHomepageItem, "Homepage");
    tk::add_context_menu_item(kCopyItem, "Copy results\tCtrl+Shift+C");
    tk::add_context_menu_item(kResetItem, "Reset\tAlt+R");
    tk::create_text_field(kField, 20, 66, 60, 20, "12345", tk::kFlagNumber);
    tk::create_image_view(kLogo, 330, 560, 60, 40, tk::kNoBitmap);
    conformance::focus_field(kField);
    conformance::settle();
  }
  static void right_click(int gadget) {
    HWND target = control(gadget);
    PostMessageW(target, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageW(target, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  static DWORD selection() { return static_cast<DWORD>(SendMessageW(control(kField), EM_GETSEL, 0, 0)); }
};

TEST_F(Win32Input, TheWindowsMenuOpensOverTextFieldsAndLabelsButNotOverAnImageView) {
  const std::vector<std::wstring> ours{L"Copy results\tCtrl+Shift+C", L"Reset\tAlt+R"};
  for (const int gadget : {kField, kCaption}) {
    right_click(gadget);
    conformance::settle();
    EXPECT_EQ(open_menu_items(), ours) << "over gadget " << gadget;
    conformance::press_key(conformance::Key::Escape);
    EXPECT_FALSE(has_code(conformance::settle(), tk::kEventMenu));
    EXPECT_FALSE(conformance::context_menu_shown());
  }
  EXPECT_EQ(tk::get_gadget_text(kField), "12345");

  right_click(kLogo);
  const std::vector<conformance::Event> events = conformance::settle();
  EXPECT_TRUE(has_event(events, {tk::kEventGadget, kLogo, tk::kTypeRightClick}));
  EXPECT_FALSE(conformance::context_menu_shown());

  // The key that opened the menu does not keep F10 from the menu bar after.
  conformance::press_chord(tk::common::kKeyF10, false, true, false);
  conformance::settle();
  conformance::press_key(conformance::Key::Escape);
  conformance::settle();
  conformance::press_key(conformance::Key::F10);
  conformance::press_key(conformance::Key::Down);
  conformance::press_key(conformance::Key::Enter);
  EXPECT_TRUE(has_event(conformance::settle(), {tk::kEventMenu, kHomepageItem, tk::kTypeNone}));
}

TEST_F(Win32Input, ShortcutsPassTheEditByWhileItsOwnCtrlCStillCopies) {
  SendMessageW(control(kField), EM_SETSEL, 1, 3);
  conformance::press_chord(U'C', true, false, false);
  conformance::settle();
  EXPECT_EQ(conformance::clipboard_text(), "23") << "Ctrl+C is the edit's";

  tk::set_clipboard_text("unchanged");
  conformance::press_chord(U'C', true, true, false);
  std::vector<conformance::Event> events = conformance::settle();
  EXPECT_TRUE(has_event(events, kCopy));
  EXPECT_EQ(conformance::clipboard_text(), "unchanged");
  EXPECT_EQ(selection(), static_cast<DWORD>(MAKELONG(1, 3)));
  EXPECT_EQ(tk::get_gadget_text(kField), "12345");

  conformance::press_chord(U'R', false, false, true);
  events = conformance::settle();
  EXPECT_TRUE(has_event(events, {tk::kEventMenu, kResetItem, tk::kTypeNone}));
  EXPECT_EQ(tk::get_gadget_text(kField), "12345");
  EXPECT_EQ(conformance::focused_gadget(), kField) << "Alt+R entered the menu bar";
}

TEST_F(Win32Input, EveryWayOfPastingShowsTheHintAndItsTimerEndsIt) {
  const conformance::Hint refused{std::string(tk::kRefusedHintTitle), std::string(tk::kRefusedHintText)};
  tk::set_clipboard_text("5 km");
  SendMessageW(control(kField), EM_SETSEL, 0, -1);
  conformance::press_chord(U'V', true, false, false);
  conformance::settle();
  EXPECT_EQ(tk::get_gadget_text(kField), "5 km");
  EXPECT_EQ(conformance::field_hint(kField), refused) << "Ctrl+V";
  conformance::press_key(conformance::Key::End);
  conformance::settle();
  EXPECT_EQ(conformance::field_hint(kField), conformance::Hint{}) << "a key ends it";

  SendMessageW(control(kField), EM_SETSEL, 0, -1);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;  // released by settle()
  SetKeyboardState(keys);
  PostMessageW(control(kField), WM_KEYDOWN, VK_INSERT, 1 | LPARAM{0x52 | KF_EXTENDED} << 16);
  conformance::settle();
  EXPECT_EQ(tk::get_gadget_text(kField), "5 km");
  EXPECT_EQ(conformance::field_hint(kField), refused) << "Shift+Insert";

  // The balloon goes by itself after its time, and the shared core knows.
  tk::backend::show_field_hint(kField, tk::kRefusedHintTitle, tk::kRefusedHintText, 50);
  Sleep(200);
  conformance::settle();
  EXPECT_EQ(conformance::field_hint(kField), conformance::Hint{});
  EXPECT_EQ(tk::common::field_hint_gadget(), -1);
}

TEST_F(Win32Input, TheClipboardHoldsWindowsLineEnds) {
  tk::set_clipboard_text("a\nb\n");
  ASSERT_TRUE(OpenClipboard(nullptr));
  HGLOBAL memory = GetClipboardData(CF_UNICODETEXT);
  const std::wstring raw = memory ? static_cast<const wchar_t*>(GlobalLock(memory)) : L"";
  if (memory) GlobalUnlock(memory);
  CloseClipboard();
  EXPECT_EQ(raw, L"a\r\nb\r\n");
  EXPECT_EQ(conformance::clipboard_text(), "a\nb\n");
}

// --- names for screen readers --------------------------------------------------

TEST_F(Win32Window, ADescribedPartIsNamedAndChangesNoPixelNorClick) {
  using tk::common::to_device;
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  tk::create_label(kCoveringLabel + 1, 420, 150, 150, 16, "under the chart");
  tk::begin_window_drawing(0);
  tk::draw_box(400, 100, 200, 40, kRed);
  tk::end_drawing();
  conformance::settle();
  const std::vector<COLORREF> before = pixels_of(390, 90, 220, 90);

  tk::describe_drawing(0, 400, 100, 200, 80, "Chart A");
  conformance::settle();
  conformance::system_repaint();
  conformance::settle();
  EXPECT_EQ(pixels_of(390, 90, 220, 90), before);

  const int dpi = system_dpi();
  const POINT inside{to_device(500, dpi), to_device(170, dpi)};
  HWND part = ChildWindowFromPointEx(main_window(), inside, CWP_SKIPINVISIBLE);
  ASSERT_NE(part, main_window());
  EXPECT_EQ(accessible_name(part), "Chart A");
  POINT on_screen = inside;
  ClientToScreen(main_window(), &on_screen);
  EXPECT_EQ(WindowFromPoint(on_screen), main_window()) << "the part takes the clicks";

  tk::describe_drawing(0, 400, 100, 200, 80, "Chart B");
  EXPECT_EQ(ChildWindowFromPointEx(main_window(), inside, CWP_SKIPINVISIBLE), part) << "one window a part";
  EXPECT_EQ(accessible_name(part), "Chart B");
  tk::describe_drawing(1, 0, 0, 10, 10, "no such window");
  EXPECT_EQ(ChildWindowFromPointEx(main_window(), POINT{5, 5}, CWP_SKIPINVISIBLE), main_window());

  RECT suggested{};
  GetWindowRect(main_window(), &suggested);
  SendMessageW(main_window(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  conformance::settle();
  RECT area{};
  GetWindowRect(part, &area);
  MapWindowPoints(nullptr, main_window(), reinterpret_cast<POINT*>(&area), 2);
  EXPECT_EQ(area.left, to_device(400, 192));
  EXPECT_EQ(area.bottom, to_device(180, 192));
  CoUninitialize();
}

TEST_F(Win32Window, AnImageViewIsNamedAndKeepsItsPicture) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  const tk::Bitmap picture = load_half_red_icon();
  ASSERT_NE(picture, tk::kNoBitmap) << tk::last_error();
  tk::create_image_view(kLogo, 330, 560, 60, 40, picture);
  conformance::settle();
  const std::vector<COLORREF> shown = pixels_of(330, 560, 16, 16);
  tk::set_gadget_text(kLogo, "Varnek logo");
  conformance::system_repaint();
  conformance::settle();
  EXPECT_EQ(accessible_name(control(kLogo)), "Varnek logo");
  EXPECT_EQ(tk::get_gadget_state(kLogo), picture);
  EXPECT_EQ(pixels_of(330, 560, 16, 16), shown);
  CoUninitialize();
}
