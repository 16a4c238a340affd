// What only the Win32 backend can get wrong beyond the conformance suite and
// the end-to-end test: labels under later ones, combo boxes' height and keys,
// alpha on the button face, DPI changes, the context menu and keys over the
// edit, the clipboard's line ends, the names screen readers get for a
// described part of the drawing and an image view. Runs under Wine at 96 and
// 144 DPI, with the conformance driver's input.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/artwork.h"
#include "tests/toolkit/bmp_file.h"
#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/common/display_scale.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/platform.h"

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

// The name a screen reader reads for a window (MSAA), "(none)" without an
// accessible object. COM is initialised.
std::string accessible_name(HWND window) {
  // MinGW's import library gives no IID_IAccessible.
  constexpr IID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                        reinterpret_cast<void**>(&object))) || !object) {
    return "(none)";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::string text;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) {
    text = tk::win32::narrow(name);
    SysFreeString(name);
  }
  object->Release();
  return text;
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
  tk::set_gadget_text(kFeet, "3281 Feet");  // in the GUI font: TheWindowFollowsItsDpi
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

TEST_F(Win32Window, EmptyLabelsAreHiddenAndTheComboBoxListShowsEveryItem) {
  HWND box = control(kModel);
  EXPECT_FALSE(IsWindowVisible(control(kFeet)));  // "Meter = 0 Feet" shows whole
  using tk::common::to_device;
  const int dpi = system_dpi();
  EXPECT_EQ(ChildWindowFromPointEx(main_window(), POINT{to_device(98, dpi), to_device(506, dpi)}, CWP_SKIPINVISIBLE), box)
      << "the arrow is covered";
  RECT closed{}, list{};  // its closed height: TheWindowFollowsItsDpi
  GetWindowRect(box, &closed);
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

// Alt+F4 goes on from a combo box, as from any control (F10 and Alt alone:
// the conformance suite).
TEST_F(Win32Window, AltF4FromAComboBoxAsksToClose) {
  SetFocus(control(kModel));
  conformance::settle();
  PostMessageW(control(kModel), WM_SYSKEYDOWN, VK_F4, 1 | LPARAM{0x3E | KF_ALTDOWN} << 16);
  const std::vector<conformance::Event> events = conformance::settle();
  EXPECT_TRUE(std::any_of(events.begin(), events.end(),
                          [](const conformance::Event& e) { return e.code == tk::kEventClose; }));
}

TEST_F(Win32Window, APictureWithAlphaIsShownOnTheButtonFace) {
  // A 16 x 16 icon of 32 bits, every pixel red at half alpha.
  const fs::path file = fs::temp_directory_path() / "win32-alpha.ico";
  bmp::write(file, artwork::encode_ico({16, 16, std::vector<std::uint32_t>(16 * 16, 0x80FF0000u)}));
  const tk::Bitmap picture = tk::load_bitmap(0, file.string());
  fs::remove(file);
  ASSERT_NE(picture, tk::kNoBitmap) << tk::last_error();
  tk::create_image_view(13, 330, 560, 60, 40, picture);
  conformance::settle();
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const auto half = [](int picture_part, int face_part) { return (picture_part * 128 + face_part * 127 + 127) / 255; };
  const int dpi = system_dpi();
  const int x = tk::common::to_device(337, dpi), y = tk::common::to_device(567, dpi);
  EXPECT_EQ(conformance::pixel(x, y), tk::rgb(half(255, GetRValue(face)), half(0, GetGValue(face)), half(0, GetBValue(face))));
}

// At the system's DPI, then told it is 192: client area, gadgets and drawing
// at the scale, the font bigger, labels still showing whole characters only.
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

// --- the context menu, the edit's keys, pasting, the clipboard, the drawing ----

constexpr int kField = 0, kCopyItem = 4, kHomepageItem = 0;

class Win32Input : public Win32Window {
 protected:
  void SetUp() override {
    Win32Window::SetUp();
    tk::create_menu_bar(0, 0);
    tk::add_menu_title("Varnek");
    tk::add_menu_item(kHomepageItem, "Homepage");
    tk::add_context_menu_item(kCopyItem, "Copy results\tCtrl+Shift+C");
    tk::create_text_field(kField, 20, 66, 60, 20, "12345", tk::kFlagNumber);
    conformance::focus_field(kField);
    conformance::settle();
  }
  static void right_click(int gadget) {
    PostMessageW(control(gadget), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageW(control(gadget), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    conformance::settle();
  }
  static bool has(const std::vector<conformance::Event>& events, const conformance::Event& wanted) {
    return std::ranges::count(events, wanted) > 0;
  }
};

// The open menu's first item, as the menu window shows it.
std::wstring open_menu_first_item() {
  constexpr UINT kGetMenu = 0x01E1;  // MN_GETHMENU
  wchar_t text[128] = {};
  if (HWND popup = FindWindowW(L"#32768", nullptr); popup && IsWindowVisible(popup)) {
    GetMenuStringW(reinterpret_cast<HMENU>(SendMessageW(popup, kGetMenu, 0, 0)), 0, text, 128, MF_BYPOSITION);
  }
  return text;
}

TEST_F(Win32Input, TheContextMenuReplacesTheEditsOwnAndLeavesF10ToTheMenuBar) {
  for (const int gadget : {kField, kCaption}) {
    right_click(gadget);
    EXPECT_EQ(open_menu_first_item(), L"Copy results\tCtrl+Shift+C") << "over gadget " << gadget;
    conformance::press_key(conformance::Key::Escape);
    conformance::settle();
  }
  // The Shift+F10 that opened the menu keeps no later F10 from the menu bar.
  conformance::press_chord(tk::common::kKeyF10, false, true, false);
  conformance::settle();
  conformance::press_key(conformance::Key::Escape);
  conformance::settle();
  for (const auto key : {conformance::Key::F10, conformance::Key::Down, conformance::Key::Enter}) conformance::press_key(key);
  EXPECT_TRUE(has(conformance::settle(), {tk::kEventMenu, kHomepageItem, tk::kTypeNone}));
}

TEST_F(Win32Input, TheEditKeepsCtrlCAndEveryPasteKeyShowsTheHintUntilItsTime) {
  SendMessageW(control(kField), EM_SETSEL, 1, 3);
  conformance::press_chord(U'C', true, false, false);
  conformance::settle();
  EXPECT_EQ(conformance::clipboard_text(), "23");
  conformance::press_chord(U'C', true, true, false);
  EXPECT_TRUE(has(conformance::settle(), {tk::kEventMenu, kCopyItem, tk::kTypeNone}));
  EXPECT_EQ(conformance::clipboard_text(), "23") << "the shortcut reached the edit";

  const conformance::Hint refused{std::string(tk::kRefusedHintTitle), std::string(tk::kRefusedHintText)};
  tk::set_clipboard_text("5 km");
  conformance::press_chord(U'V', true, false, false);
  conformance::settle();
  EXPECT_EQ(conformance::field_hint(kField), refused) << "Ctrl+V";
  conformance::press_key(conformance::Key::End);
  conformance::settle();
  EXPECT_EQ(conformance::field_hint(kField), conformance::Hint{});
  BYTE keys[256] = {};
  keys[VK_SHIFT] = 0x80;  // released by settle()
  SetKeyboardState(keys);
  PostMessageW(control(kField), WM_KEYDOWN, VK_INSERT, 1 | LPARAM{0x52 | KF_EXTENDED} << 16);
  conformance::settle();
  EXPECT_EQ(tk::get_gadget_text(kField), "15 km455 km") << "over the selection \"23\", then at the end";
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
  const std::wstring raw = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
  EXPECT_EQ(raw, L"a\r\nb\r\n");
}

// A part's window for screen readers lets the clicks through to the window
// (the wine tests compare its pixels in the program); an image view is named
// by its text.
TEST_F(Win32Input, ADescribedPartAndAnImageViewAreNamedAndThePartTakesNoClick) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  tk::create_image_view(13, 330, 560, 60, 40, tk::kNoBitmap);
  tk::set_gadget_text(13, "Varnek logo");
  EXPECT_EQ(accessible_name(control(13)), "Varnek logo");
  tk::describe_drawing(0, 400, 100, 200, 80, "Chart A");
  const int dpi = system_dpi();
  POINT inside{tk::common::to_device(500, dpi), tk::common::to_device(170, dpi)};
  HWND part = ChildWindowFromPointEx(main_window(), inside, CWP_SKIPINVISIBLE);
  ASSERT_NE(part, main_window());
  EXPECT_EQ(accessible_name(part), "Chart A");
  tk::describe_drawing(0, 400, 100, 200, 80, "Chart B");
  EXPECT_EQ(ChildWindowFromPointEx(main_window(), inside, CWP_SKIPINVISIBLE), part) << "one window a part";
  EXPECT_EQ(accessible_name(part), "Chart B");
  ClientToScreen(main_window(), &inside);
  EXPECT_EQ(WindowFromPoint(inside), main_window());
  CoUninitialize();
}
