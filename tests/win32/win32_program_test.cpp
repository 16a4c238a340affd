// The Windows program's real window, in-process: start-up and the event
// loop's passes run as in the program, the real controls are driven with the
// messages that a user's input sends, and what the window shows is read back
// with GetWindowText and GetPixel. Pixels are compared with the shared
// canvas's rules where they leave no doubt. Runs under Wine in CI.
//
// The tests share one program run (the program has one window) and build on
// each other in declaration order; the close request and Quit come last.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/window_layout.h"
#include "chart/psd.h"
#include "model/cable_catalogue.h"
#include "model/reach.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/canvas.h"
#include "toolkit/toolkit.h"

namespace {

constexpr tk::Colour kGreen = tk::rgb(0, 255, 0);
constexpr tk::Colour kWhite = tk::rgb(255, 255, 255);
constexpr int kLogoWidth = 40;
constexpr int kLogoHeight = 24;
constexpr tk::Colour kLogoColour = tk::rgb(200, 30, 40);

struct Event {
  int code;
  int item;
  int type;
};

// One run of the program for the whole test program.
struct ProgramRun {
  app::ProgramState state;
  std::vector<Event> events;  // what wait_event() returned in the passes run
  bool loop_ended = false;
  std::wstring work_directory;
};
ProgramRun* run = nullptr;

HWND main_window() { return FindWindowW(L"WindowClass_0", nullptr); }
HWND control(int gadget) { return GetDlgItem(main_window(), gadget); }

// Runs the program's passes while platform messages or window events wait,
// as the event loop would; stops early when a pass ends the loop.
void run_passes() {
  run->events.clear();
  for (int pass = 0; pass < 20000; ++pass) {
    MSG waiting{};
    if (!PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE) &&
        !tk::common::has_queued_window_events()) {
      return;
    }
    app::begin_pass(run->state);
    const int code = tk::wait_event();
    run->events.push_back({code, tk::event_gadget(), tk::event_type()});
    if (!app::finish_pass(run->state, code)) {
      run->loop_ended = true;
      return;
    }
  }
  FAIL() << "the message queue never ran empty";
}

// Whether the passes run saw the event (-2: any item or type); on failure
// the events seen are listed.
::testing::AssertionResult saw_event(int code, int item = -2, int type = -2) {
  std::string seen;
  for (const Event& event : run->events) {
    if (event.code == code && (item == -2 || event.item == item) && (type == -2 || event.type == type)) {
      return ::testing::AssertionSuccess();
    }
    char text[48];
    std::snprintf(text, sizeof(text), " %d/%d/%d", event.code, event.item, event.type);
    seen += text;
  }
  return ::testing::AssertionFailure() << "events seen (code/item/type):" << seen;
}

std::wstring window_text_w(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

// A label's text as the window shows it, in UTF-8.
std::string shown_text(int gadget) {
  const std::wstring wide = window_text_w(control(gadget));
  std::string utf8(wide.size() * 3, '\0');
  utf8.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                                           utf8.data(), static_cast<int>(utf8.size()), nullptr,
                                                           nullptr)));
  return utf8;
}

// The user types into a text field: it takes the focus, its text is
// selected, and each key arrives as a character message.
void type_into(int field, const std::string& keys) {
  HWND edit = control(field);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  for (char key : keys) {
    PostMessageW(edit, WM_CHAR, static_cast<WPARAM>(key), 1);
  }
  run_passes();
}

// The user picks an item from a combo box's list.
void pick(int box, int index) {
  HWND combo = control(box);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(main_window(), WM_COMMAND, MAKEWPARAM(box, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  run_passes();
}

tk::Colour pixel(int x, int y) {
  HDC dc = GetDC(main_window());
  const COLORREF colour = GetPixel(dc, x, y);
  ReleaseDC(main_window(), dc);
  return static_cast<tk::Colour>(colour);
}

RECT client_rect_of(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, main_window(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The system repaints the whole window, the main window first, then every
// child control, as after the window was uncovered.
void system_repaint() {
  RedrawWindow(main_window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The cable sketch of a panel, on the shared canvas (the pixel rules every
// backend follows).
tk::common::Canvas expected_sketch(int y_offset) {
  tk::common::Canvas canvas(700, 680, static_cast<tk::Colour>(GetSysColor(COLOR_BTNFACE)));
  for (int y : {288, 300}) canvas.box(20, y + y_offset, 200, 2, kGreen);
  for (int y : {285, 297}) canvas.box(100, y + y_offset, 20, 8, kGreen);
  for (int x : {22, 222}) {
    for (int y : {289, 301}) {
      canvas.circle(x, y + y_offset, 4, kGreen);
      canvas.circle(x, y + y_offset, 2, kWhite);
    }
  }
  return canvas;
}

// Every pixel that the sketch paints, compared; returns the mismatches.
std::vector<std::string> sketch_mismatches(int y_offset) {
  const tk::common::Canvas canvas = expected_sketch(y_offset);
  std::vector<std::string> wrong;
  for (int y = 280 + y_offset; y < 310 + y_offset; ++y) {
    for (int x = 14; x < 230; ++x) {
      if (canvas.painted(x, y) && pixel(x, y) != canvas.pixel(x, y)) {
        char where[32];
        std::snprintf(where, sizeof(where), "(%d,%d)", x, y);
        wrong.emplace_back(where);
      }
    }
  }
  return wrong;
}

// Pixel checks on the chart of a line rate: the panel's interior, and the
// end points of every segment of the constellation traced last.
void expect_chart(float line_rate_kbps) {
  EXPECT_EQ(pixel(chart::kPanelX + 2, chart::kPanelY + chart::kPanelHeight - 2), chart::kPanelColour);
  EXPECT_EQ(pixel(chart::kPanelX + chart::kPanelWidth - 3, chart::kPanelY + chart::kPanelHeight - 3),
            chart::kPanelColour);
  const chart::Constellation* last = nullptr;
  for (const auto& constellation : chart::kConstellations) {
    if (chart::is_traced(constellation, line_rate_kbps)) last = &constellation;
  }
  ASSERT_NE(last, nullptr);
  const int scale = chart::chart_scale(line_rate_kbps);
  int checked = 0;
  for (const chart::Segment& s : chart::trace_segments(line_rate_kbps, last->bits_per_symbol, scale)) {
    for (auto [x, y] : {std::pair{s.x1, s.y1}, std::pair{s.x2, s.y2}}) {
      if (x >= chart::kLegendX) continue;  // the legends are drawn over the curves there
      ASSERT_EQ(pixel(x, y), last->colour) << last->legend << " at " << x << "," << y;
      ++checked;
    }
  }
  EXPECT_GT(checked, 100);
}

// What a control paints by itself, rendered into a memory bitmap.
std::vector<COLORREF> own_rendering(HWND child) {
  RECT client{};
  GetClientRect(child, &client);
  HDC screen = GetDC(main_window());
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(child, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT | PRF_ERASEBKGND);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(memory, x, y));
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(main_window(), screen);
  return pixels;
}

// What the window shows where the control is.
std::vector<COLORREF> on_screen(HWND child) {
  const RECT rect = client_rect_of(child);
  std::vector<COLORREF> pixels;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) pixels.push_back(static_cast<COLORREF>(pixel(x, y)));
  }
  return pixels;
}

void write_file(const std::wstring& name, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(name.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

// A 24-bit Windows bitmap of one colour.
std::vector<std::uint8_t> bmp_file(int width, int height, tk::Colour colour) {
  const int row = (width * 3 + 3) / 4 * 4;
  std::vector<std::uint8_t> out{'B', 'M'};
  put32(out, static_cast<std::uint32_t>(54 + row * height));
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(width));
  put32(out, static_cast<std::uint32_t>(height));
  put16(out, 1);
  put16(out, 24);
  for (int i = 0; i < 6; ++i) put32(out, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      out.push_back(static_cast<std::uint8_t>(colour >> 16));
      out.push_back(static_cast<std::uint8_t>(colour >> 8));
      out.push_back(static_cast<std::uint8_t>(colour));
    }
    for (int pad = width * 3; pad < row; ++pad) out.push_back(0);
  }
  return out;
}

// A 16 x 16 icon file, 32 bits per pixel.
std::vector<std::uint8_t> ico_file() {
  std::vector<std::uint8_t> image;
  put32(image, 40);
  put32(image, 16);
  put32(image, 32);
  put16(image, 1);
  put16(image, 32);
  for (int i = 0; i < 6; ++i) put32(image, 0);
  for (int i = 0; i < 16 * 16; ++i) put32(image, 0xFF2040C0u);
  for (int i = 0; i < 16; ++i) put32(image, 0);  // AND mask
  std::vector<std::uint8_t> out;
  put16(out, 0);
  put16(out, 1);
  put16(out, 1);
  out.insert(out.end(), {16, 16, 0, 0});
  put16(out, 1);
  put16(out, 32);
  put32(out, static_cast<std::uint32_t>(image.size()));
  put32(out, 22);
  out.insert(out.end(), image.begin(), image.end());
  return out;
}

// What shows of a label that a later label covers from the right: exactly
// the whole characters of its text that end left of the covering label, as
// drawn on their own in the label's font; no column of the next one. The
// label's window text stays whole. (In Wine's GUI font "Meter = " is exactly
// the 40 pixels before the feet labels, and the "0" after it reaches one
// column left of its cell; in Windows' own font "Meter = " is wider.)
void expect_whole_characters_before(int covered, int covering, const std::wstring& text) {
  char trace[48];
  std::snprintf(trace, sizeof(trace), "label %d under label %d", covered, covering);
  SCOPED_TRACE(trace);
  HWND label = control(covered);
  EXPECT_EQ(window_text_w(label), text);
  ASSERT_TRUE(IsWindowVisible(control(covering)));
  const RECT own = client_rect_of(label);
  const RECT front = client_rect_of(control(covering));
  ASSERT_GT(front.left, own.left);
  const int room = front.left - own.left;
  const int height = own.bottom - own.top;

  // The whole characters alone, black on the button face.
  HDC screen = GetDC(label);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, room, height);
  HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
  HGDIOBJ old_font = SelectObject(memory, reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
  int whole = 0;
  for (int count = 1; count <= static_cast<int>(text.size()); ++count) {
    SIZE size{};
    GetTextExtentPoint32W(memory, text.c_str(), count, &size);
    if (size.cx > room) break;
    whole = count;
  }
  RECT cell{0, 0, room, height};
  FillRect(memory, &cell, GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(memory, TRANSPARENT);
  SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
  TextOutW(memory, 0, 0, text.c_str(), whole);
  std::vector<std::string> wrong;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < room; ++x) {
      if (static_cast<COLORREF>(pixel(own.left + x, own.top + y)) != GetPixel(memory, x, y)) {
        char where[32];
        std::snprintf(where, sizeof(where), "(%ld,%ld)", own.left + x, own.top + y);
        wrong.emplace_back(where);
      }
    }
  }
  SelectObject(memory, old_font);
  SelectObject(memory, old_bitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(label, screen);
  EXPECT_GT(whole, 0);
  EXPECT_EQ(wrong, std::vector<std::string>{}) << "the label does not show exactly its first " << whole
                                               << " characters before x " << front.left;
}

class ProgramWindow : public ::testing::Test {
 protected:
  // Starts the program in a fresh working directory holding a logo.
  static void SetUpTestSuite() {
    run = new ProgramRun;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    run->work_directory = std::wstring(temp) + L"ferrant-win32-test-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(run->work_directory.c_str(), nullptr);
    SetCurrentDirectoryW(run->work_directory.c_str());
    write_file(L"Varnek.bmp", bmp_file(kLogoWidth, kLogoHeight, kLogoColour));

    ASSERT_TRUE(tk::init_toolkit());
    ASSERT_TRUE(app::start_up(run->state));
    run_passes();
  }

  static void TearDownTestSuite() {
    app::end_program();
    SetCurrentDirectoryW(L"C:\\");
    DeleteFileW((run->work_directory + L"\\Varnek.bmp").c_str());
    RemoveDirectoryW(run->work_directory.c_str());
    delete run;
    run = nullptr;
  }
};

TEST_F(ProgramWindow, MainWindowClassStyleSizeAndMenu) {
  HWND window = main_window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window_text_w(window), L"Ferrant Transmission Calculation");

  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), L"WindowClass_0", &window_class));
  EXPECT_EQ(window_class.style, static_cast<UINT>(CS_DBLCLKS));
  EXPECT_EQ(window_class.hbrBackground, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  EXPECT_EQ(window_class.hCursor, LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
  EXPECT_NE(window_class.hIcon, nullptr);  // icon resource 1

  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME), 0xCC0000u);
  EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN), 0u);
  EXPECT_TRUE(IsWindowVisible(window));

  // 700 x 680 without the menu bar, whose height comes off the client area.
  RECT client{};
  GetClientRect(window, &client);
  MENUBARINFO bar{};
  bar.cbSize = sizeof(bar);
  ASSERT_TRUE(GetMenuBarInfo(window, OBJID_MENU, 0, &bar));
  EXPECT_EQ(client.right, 700);
  EXPECT_EQ(client.bottom + (bar.rcBar.bottom - bar.rcBar.top), 680);
  RECT outer{};
  GetWindowRect(window, &outer);
  EXPECT_EQ(outer.left, 10);
  EXPECT_EQ(outer.top, 0);

  HMENU menu = GetMenu(window);
  ASSERT_EQ(GetMenuItemCount(menu), 2);
  const auto item_text = [](HMENU m, UINT position) {
    wchar_t text[64] = {};
    GetMenuStringW(m, position, text, 64, MF_BYPOSITION);
    return std::wstring(text);
  };
  EXPECT_EQ(item_text(menu, 0), L"Varnek");
  EXPECT_EQ(item_text(menu, 1), L"Info");
  EXPECT_EQ(item_text(GetSubMenu(menu, 0), 0), L"Homepage");
  EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 0), 0u);
  EXPECT_EQ(item_text(GetSubMenu(menu, 1), 0), L"Version " FERRANT_VERSION);
  EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 1), 0), 3u);
}

TEST_F(ProgramWindow, GadgetsHaveTheirClassesFlagsFontAndPlaces) {
  HGDIOBJ gui_font = GetStockObject(DEFAULT_GUI_FONT);
  for (const app::GadgetRow& row : app::kGadgetTable) {
    if (row.number == tk::kAnonymous) continue;
    SCOPED_TRACE("gadget " + std::to_string(row.number));
    HWND child = control(row.number);
    ASSERT_NE(child, nullptr);
    wchar_t class_name[32] = {};
    GetClassNameW(child, class_name, 32);
    const auto style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE));
    const RECT rect = client_rect_of(child);
    EXPECT_EQ(rect.left, row.x);
    EXPECT_EQ(rect.top, row.y);
    if (row.kind != app::GadgetKind::ImageView) {  // a picture has no font and its own size
      EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)), gui_font);
      EXPECT_TRUE(style & WS_GROUP);
      EXPECT_EQ(rect.right - rect.left, row.w);
      EXPECT_EQ(rect.bottom - rect.top, row.h);  // a closed combo box exactly so
    }
    switch (row.kind) {
      case app::GadgetKind::Label:
        EXPECT_EQ(_wcsicmp(class_name, L"Static"), 0);
        EXPECT_EQ((ex_style & WS_EX_CLIENTEDGE) != 0, row.flags == tk::kFlagSunken);
        break;
      case app::GadgetKind::TextField:
        EXPECT_EQ(_wcsicmp(class_name, L"Edit"), 0);
        EXPECT_EQ(style & (ES_AUTOHSCROLL | ES_NUMBER | WS_TABSTOP),
                  static_cast<DWORD>(ES_AUTOHSCROLL | ES_NUMBER | WS_TABSTOP));
        EXPECT_TRUE(ex_style & WS_EX_CLIENTEDGE);
        break;
      case app::GadgetKind::ComboBox: {
        EXPECT_EQ(_wcsicmp(class_name, L"ComboBox"), 0);
        EXPECT_EQ(style & 0xF, static_cast<DWORD>(CBS_DROPDOWNLIST));
        EXPECT_TRUE(style & CBS_HASSTRINGS);
        EXPECT_TRUE(style & WS_TABSTOP);
        // (The control draws its own sunken edge and drops WS_EX_CLIENTEDGE.)
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof(parts);
        ASSERT_TRUE(GetComboBoxInfo(child, &parts));
        SendMessageW(child, CB_SHOWDROPDOWN, TRUE, 0);
        RECT box{};
        RECT list{};
        GetWindowRect(child, &box);
        GetWindowRect(parts.hwndList, &list);
        SendMessageW(child, CB_SHOWDROPDOWN, FALSE, 0);
        // The open list holds every item and ends at most 350 pixels below
        // the box's top (the height the box was created with).
        const auto item_height = static_cast<int>(SendMessageW(child, CB_GETITEMHEIGHT, 0, 0));
        EXPECT_GE(list.bottom - list.top, item_height * static_cast<int>(row.items.size()));
        EXPECT_LE(list.bottom - box.top, 350);
        EXPECT_EQ(SendMessageW(child, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(row.items.size()));
        break;
      }
      case app::GadgetKind::Button:
        EXPECT_EQ(_wcsicmp(class_name, L"Button"), 0);
        EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
        EXPECT_TRUE(style & WS_TABSTOP);
        break;
      case app::GadgetKind::ImageView:
        EXPECT_EQ(_wcsicmp(class_name, L"Static"), 0);
        EXPECT_TRUE(style & SS_NOTIFY);
        EXPECT_EQ(rect.right - rect.left, kLogoWidth);  // the bitmap's own size
        EXPECT_EQ(rect.bottom - rect.top, kLogoHeight);
        break;
      case app::GadgetKind::Frame:
        break;
    }
  }
  EXPECT_NE(tk::get_gadget_state(app::kLogoView), 0);
  EXPECT_EQ(pixel(440, 532), kLogoColour);
}

TEST_F(ProgramWindow, StartsWithTheInitialTexts) {
  EXPECT_EQ(shown_text(app::kBaserateField), "0");
  EXPECT_EQ(shown_text(app::kLineSpeedLabel), "0kbit/s");
  EXPECT_EQ(tk::get_gadget_text(app::kDiameterBox1), "0.4");
  EXPECT_EQ(tk::get_gadget_text(app::kDiameterBox2), "0.4");
  EXPECT_EQ(tk::get_gadget_state(app::kModelBox), -1);
  EXPECT_EQ(shown_text(116), "Meter = 0 Feet");
  EXPECT_EQ(shown_text(app::kFerrantMetresLabel), "");
  // The bullet lines: U+2022 in the window, byte 0x95 in Windows-1252.
  EXPECT_EQ(shown_text(302), "\u2022 noisy environment");
  const std::wstring bullet_line = window_text_w(control(303));
  char ansi[80] = {};
  WideCharToMultiByte(1252, 0, bullet_line.c_str(), -1, ansi, sizeof(ansi), nullptr, nullptr);
  EXPECT_EQ(std::string(ansi), "\x95 differencies in cables with same diameter");
}

TEST_F(ProgramWindow, OverlappingLabelsNeverShowTwoTexts) {
  // Before a distance is entered the empty feet label is hidden, so the
  // caption's own "Meter = 0 Feet" shows whole; the empty label 121 is
  // hidden and the model box's arrow is visible and takes the click.
  EXPECT_FALSE(IsWindowVisible(control(app::kDistanceFeetLabel)));
  EXPECT_FALSE(IsWindowVisible(control(121)));
  system_repaint();
  EXPECT_EQ(on_screen(control(116)), own_rendering(control(116)));
  const RECT model_box = client_rect_of(control(app::kModelBox));
  POINT arrow{model_box.right - 6, (model_box.top + model_box.bottom) / 2};
  ClientToScreen(main_window(), &arrow);
  EXPECT_EQ(WindowFromPoint(arrow), control(app::kModelBox));

  type_into(app::kDistanceField, "1000");
  EXPECT_EQ(shown_text(app::kDistanceFeetLabel), "3281 Feet");
  // The feet label is in front of the caption: its text replaces "0 Feet",
  // and the caption shows only the whole characters before it, at once and
  // after a system repaint.
  expect_whole_characters_before(116, app::kDistanceFeetLabel, L"Meter = 0 Feet");
  system_repaint();
  EXPECT_EQ(ChildWindowFromPointEx(main_window(), POINT{200, 405}, CWP_SKIPINVISIBLE),
            control(app::kDistanceFeetLabel));
  EXPECT_EQ(on_screen(control(app::kDistanceFeetLabel)), own_rendering(control(app::kDistanceFeetLabel)));
  expect_whole_characters_before(116, app::kDistanceFeetLabel, L"Meter = 0 Feet");

  // In a GUI font where "Meter = " is wider than the 40 pixels before the
  // feet label, as in Windows' own, the characters reaching under the feet
  // label are left out whole.
  {
    LOGFONTW gui{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(gui), &gui);
    HWND caption = control(116);
    HDC dc = GetDC(caption);
    HFONT wider = nullptr;
    for (int grow = 1; grow <= 6 && !wider; ++grow) {
      LOGFONTW larger = gui;
      larger.lfHeight = gui.lfHeight < 0 ? gui.lfHeight - grow : gui.lfHeight + grow;
      HFONT candidate = CreateFontIndirectW(&larger);
      HGDIOBJ old = SelectObject(dc, candidate);
      SIZE size{};
      GetTextExtentPoint32W(dc, L"Meter = ", 8, &size);
      SelectObject(dc, old);
      if (size.cx > 40) {
        wider = candidate;
      } else {
        DeleteObject(candidate);
      }
    }
    ReleaseDC(caption, dc);
    ASSERT_NE(wider, nullptr);
    SendMessageW(caption, WM_SETFONT, reinterpret_cast<WPARAM>(wider), TRUE);
    run_passes();
    expect_whole_characters_before(116, app::kDistanceFeetLabel, L"Meter = 0 Feet");
    system_repaint();
    expect_whole_characters_before(116, app::kDistanceFeetLabel, L"Meter = 0 Feet");
    SendMessageW(caption, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    DeleteObject(wider);
    run_passes();
  }

  // The covering label emptied (hidden): the caption shows whole again.
  tk::set_gadget_text(app::kDistanceFeetLabel, "");
  run_passes();
  EXPECT_FALSE(IsWindowVisible(control(app::kDistanceFeetLabel)));
  EXPECT_EQ(on_screen(control(116)), own_rendering(control(116)));
  tk::set_gadget_text(app::kDistanceFeetLabel, "3281 Feet");
  run_passes();
  expect_whole_characters_before(116, app::kDistanceFeetLabel, L"Meter = 0 Feet");
}

TEST_F(ProgramWindow, TypingABaserateAnswersAndRedrawsTheChart) {
  type_into(app::kBaserateField, "10");
  EXPECT_TRUE(saw_event(tk::kEventGadget, app::kBaserateField, tk::kTypeEditChange));
  EXPECT_EQ(shown_text(app::kLineSpeedLabel), "640kbit/s");
  const model::Panel1Result expected = model::compute_panel1(10, 1.2f, 0.3f);
  EXPECT_EQ(shown_text(app::kFerrantMetresLabel), tk::format_int(expected.ferrant_m));
  EXPECT_EQ(shown_text(app::kFerrantFeetLabel), tk::format_int(expected.ferrant_ft) + " Feet");
  EXPECT_EQ(shown_text(app::kPellionMetresLabel), tk::format_int(expected.pellion_m));
  expect_whole_characters_before(109, app::kFerrantFeetLabel, L"Meter = ");
  expect_whole_characters_before(113, app::kPellionFeetLabel, L"Meter = ");
  expect_chart(640.0f);

  // Above the limit: 238 is written back into the field.
  type_into(app::kBaserateField, "999");
  EXPECT_EQ(shown_text(app::kBaserateField), "238");
  EXPECT_EQ(shown_text(app::kLineSpeedLabel), "15232kbit/s");
  expect_chart(15232.0f);

  // Letters are refused by the number field: nothing changes.
  type_into(app::kBaserateField, "x");
  EXPECT_EQ(shown_text(app::kBaserateField), "238");
}

TEST_F(ProgramWindow, DistanceFieldClampsAndDiameterAndModelBoxesApply) {
  type_into(app::kDistanceField, "99999");
  EXPECT_EQ(shown_text(app::kDistanceField), "30000");
  EXPECT_EQ(shown_text(app::kDistanceFeetLabel), "98424 Feet");

  type_into(app::kDistanceField, "2000");
  pick(app::kDiameterBox2, 6);  // 1.0 mm
  const model::CableEntry& cable = model::kCableCatalogue[6];
  EXPECT_EQ(shown_text(app::kCrossSectionLabel2), std::string(cable.cross_section_text));
  EXPECT_EQ(shown_text(app::kCableResistanceLabel2), std::string(cable.resistance_text));
  const int baserate = model::scan_possible_baserate(2000.0f, cable.reach_factor, cable.rate_coef, 238);
  EXPECT_EQ(shown_text(app::kPossibleBaserateLabel), tk::format_int(baserate));

  pick(app::kModelBox, 0);  // Pellion: at most baserate 36
  EXPECT_TRUE(saw_event(tk::kEventGadget, app::kModelBox, tk::kTypeComboSelChange));
  EXPECT_EQ(tk::get_gadget_text(app::kModelBox), "Pellion");
  const int pellion = model::scan_possible_baserate(2000.0f, cable.reach_factor, cable.rate_coef, 36);
  EXPECT_EQ(shown_text(app::kPossibleBaserateLabel), tk::format_int(pellion));
  EXPECT_EQ(shown_text(app::kPossibleLineSpeedLabel), app::line_speed_text(pellion));

  // Setting a combo box's text selects the item of that text, in any case,
  // raising no event; an unknown text changes nothing; an empty one clears.
  tk::set_gadget_text(app::kModelBox, "ferrant_ii");
  EXPECT_EQ(tk::get_gadget_state(app::kModelBox), 1);
  tk::set_gadget_text(app::kModelBox, "Tamsel2+");
  EXPECT_EQ(tk::get_gadget_text(app::kModelBox), "Ferrant_II");
  tk::set_gadget_text(app::kModelBox, "");
  EXPECT_EQ(tk::get_gadget_state(app::kModelBox), -1);
  EXPECT_EQ(tk::get_gadget_text(app::kModelBox), "");
  run_passes();
  EXPECT_FALSE(saw_event(tk::kEventGadget, app::kModelBox));

  pick(app::kDiameterBox1, 10);  // 1.4 mm
  EXPECT_EQ(shown_text(app::kCrossSectionLabel1), std::string(model::kCableCatalogue[10].cross_section_text));
}

TEST_F(ProgramWindow, SketchesFollowTheCanvasRules) {
  run_passes();  // the pass draws both sketches
  EXPECT_EQ(sketch_mismatches(0), std::vector<std::string>{});
  EXPECT_EQ(sketch_mismatches(330), std::vector<std::string>{});
  // A circle's centre (a white hole) and ring (green): the canvas drew too.
  EXPECT_EQ(pixel(22, 289), kWhite);
  EXPECT_EQ(pixel(18, 289), kGreen);
}

// The drawing operations on their own, in the free space between panel 1 and
// the disclaimer, compared pixel for pixel with the canvas doing the same.
TEST_F(ProgramWindow, DrawingOperationsFollowTheCanvasRules) {
  constexpr tk::Colour kRed = tk::rgb(255, 0, 0);
  constexpr tk::Colour kBlue = tk::rgb(0, 0, 255);
  tk::common::Canvas canvas(700, 680, 0);
  struct Line {
    int x1, y1, x2, y2;
  };
  constexpr std::array<Line, 8> kLines{{
      {330, 330, 340, 330}, {330, 335, 330, 345}, {345, 330, 360, 345}, {365, 330, 370, 350},
      {380, 350, 395, 333}, {400, 330, 420, 337}, {430, 345, 425, 330}, {440, 340, 440, 340},
  }};
  tk::begin_window_drawing(app::kMainWindow);
  for (const Line& l : kLines) {
    tk::draw_line(l.x1, l.y1, l.x2, l.y2, kRed);
    canvas.line(l.x1, l.y1, l.x2, l.y2, kRed);
  }
  const auto box = [&](int x, int y, int w, int h) {
    tk::draw_box(x, y, w, h, kBlue);
    canvas.box(x, y, w, h, kBlue);
  };
  box(460, 330, 1, 1);
  box(465, 331, -1, -1);
  box(470, 330, 7, 3);
  box(480, 330, 1, 9);
  // Discs: the program's radii 1, 2 and 4 are compared whole; for larger
  // ones GDI implementations differ on the rim (Wine leaves out a few
  // "shoulder" pixels that the canvas paints), so only their insides and
  // outsides count.
  struct Disc {
    int x, y, r;
  };
  std::vector<Disc> discs;
  int x = 500;
  for (int r : {1, 2, 3, 4, 5, 7, 10}) {
    tk::draw_circle(x + r, 345, r, kBlue);
    canvas.circle(x + r, 345, r, kBlue);
    discs.push_back({x + r, 345, r});
    x += 2 * r + 4;
  }
  const auto on_uncertain_rim = [&](int px, int py) {
    for (const Disc& d : discs) {
      if (d.r <= 2 || d.r == 4) continue;
      const double distance = std::hypot(px + 0.5 - d.x, py + 0.5 - d.y);
      if (distance > d.r - 1.5 && distance < d.r + 0.5) return true;
    }
    return false;
  };
  tk::set_text_background(kRed);
  const int after = tk::draw_text(330, 360, "Ab1");
  EXPECT_EQ(tk::draw_text(after, 360, ""), after);
  tk::end_drawing();
  tk::draw_box(330, 380, 5, 5, kRed);  // outside a drawing phase: nothing
  tk::begin_window_drawing(7);        // no such window: nothing
  tk::draw_box(330, 380, 5, 5, kRed);
  EXPECT_EQ(tk::draw_text(330, 380, "x"), 330);
  tk::end_drawing();

  std::vector<std::string> wrong;
  for (int py = 325; py < 358; ++py) {
    for (int px = 325; px < 600; ++px) {
      if (on_uncertain_rim(px, py)) continue;
      const bool painted = canvas.painted(px, py);
      const tk::Colour shown = pixel(px, py);
      if (painted ? shown != canvas.pixel(px, py) : (shown == kRed || shown == kBlue)) {
        char where[64];
        std::snprintf(where, sizeof(where), "(%d,%d) canvas %s", px, py, painted ? "painted" : "not");
        wrong.emplace_back(where);
      }
    }
  }
  EXPECT_EQ(wrong, std::vector<std::string>{});
  // The text: a cell of the background colour from x, y to the returned x.
  EXPECT_GT(after, 330);
  EXPECT_EQ(pixel(330, 360), kRed);
  EXPECT_EQ(pixel(after - 1, 360), kRed);
  EXPECT_NE(pixel(after, 360), kRed);
  EXPECT_NE(pixel(332, 382), kRed);
}

TEST_F(ProgramWindow, RepaintsBringTheDrawingBackAtOnce) {
  system_repaint();  // no pass in between
  EXPECT_TRUE(tk::common::has_queued_window_events());
  expect_chart(15232.0f);
  EXPECT_EQ(sketch_mismatches(0), std::vector<std::string>{});
  EXPECT_EQ(sketch_mismatches(330), std::vector<std::string>{});
  // The conductor runs under label 201: the label repainting alone keeps it.
  HWND upper_ohms = control(app::kUpperOhmLabel1);
  InvalidateRect(upper_ohms, nullptr, TRUE);
  UpdateWindow(upper_ohms);
  EXPECT_EQ(pixel(150, 288), kGreen);
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventRepaint));

  // A window that covered the chart goes away.
  RECT client{};
  GetClientRect(main_window(), &client);
  MapWindowPoints(main_window(), HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
  HWND cover = CreateWindowExW(WS_EX_TOPMOST, L"Static", L"", WS_POPUP | WS_VISIBLE, client.left, client.top,
                               client.right - client.left, client.bottom - client.top, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(cover, nullptr);
  UpdateWindow(cover);
  DestroyWindow(cover);
  run_passes();
  expect_chart(15232.0f);
  EXPECT_EQ(sketch_mismatches(0), std::vector<std::string>{});
}

TEST_F(ProgramWindow, TabAndShiftTabMoveTheFocusInCreationOrder) {
  SetFocus(control(app::kBaserateField));
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventGadget, app::kBaserateField, tk::kTypeFocusGained));
  const auto press_tab = [](bool shift) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    run_passes();
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  };
  const std::array<int, 6> order{app::kBaserateField, app::kDiameterBox1, app::kDistanceField,
                                 app::kDiameterBox2,  app::kModelBox,     app::kQuitButton};
  for (std::size_t i = 1; i <= order.size(); ++i) {
    press_tab(false);
    EXPECT_EQ(GetFocus(), control(order[i % order.size()])) << "tab " << i;
  }
  press_tab(true);
  EXPECT_EQ(GetFocus(), control(app::kQuitButton));
  press_tab(true);
  EXPECT_EQ(GetFocus(), control(app::kModelBox));
  // Leaving a text field posts its focus-lost event.
  SetFocus(control(app::kDistanceField));
  run_passes();
  press_tab(false);
  EXPECT_TRUE(saw_event(tk::kEventGadget, app::kDistanceField, tk::kTypeFocusLost));
}

TEST_F(ProgramWindow, WindowEventsAreQueuedWithTheirCodes) {
  HWND window = main_window();
  SetWindowPos(window, nullptr, 20, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventMove));

  ShowWindow(window, SW_MINIMIZE);
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventMinimize));
  ShowWindow(window, SW_RESTORE);
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventRestore));
  EXPECT_TRUE(saw_event(tk::kEventSize));
  ShowWindow(window, SW_MAXIMIZE);
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventMaximize));
  ShowWindow(window, SW_RESTORE);
  SetWindowPos(window, nullptr, 10, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  PostMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventActivate));

  // The version item does nothing but is reported with its number.
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(3, 0), 0);
  run_passes();
  EXPECT_TRUE(saw_event(tk::kEventMenu, 3));
}

TEST_F(ProgramWindow, ImagesLoadBySignature) {
  write_file(L"logo.ico", ico_file());
  write_file(L"garbage.bmp", {'G', 'I', 'F', '8', '9', 'a', 0, 0});
  write_file(L"truncated.bmp", {'B', 'M', 1, 2, 3});
  EXPECT_NE(tk::load_bitmap(1, "logo.ico"), tk::kNoBitmap);
  EXPECT_EQ(tk::load_bitmap(2, "garbage.bmp"), tk::kNoBitmap);
  EXPECT_EQ(tk::load_bitmap(3, "truncated.bmp"), tk::kNoBitmap);
  EXPECT_EQ(tk::load_bitmap(4, "missing.bmp"), tk::kNoBitmap);
  EXPECT_EQ(tk::load_bitmap(5, ""), tk::kNoBitmap);
  // An image view takes its picture's size; without one it keeps its own.
  // A second gadget under the same number replaces the first.
  const tk::Bitmap icon = tk::load_bitmap(1, "logo.ico");
  tk::create_image_view(98, 620, 340, 10, 30, icon);
  EXPECT_EQ(tk::get_gadget_state(98), icon);
  RECT view = client_rect_of(control(98));
  EXPECT_EQ(view.right - view.left, 16);
  EXPECT_EQ(view.bottom - view.top, 16);
  HWND first = control(98);
  tk::create_image_view(98, 620, 340, 10, 30, tk::kNoBitmap);
  EXPECT_FALSE(IsWindow(first));
  view = client_rect_of(control(98));
  EXPECT_EQ(view.right - view.left, 10);
  EXPECT_EQ(view.bottom - view.top, 30);
  EXPECT_EQ(tk::get_gadget_state(98), 0);
  for (const wchar_t* name : {L"logo.ico", L"garbage.bmp", L"truncated.bmp"}) DeleteFileW(name);
}

TEST_F(ProgramWindow, OpenUrlStartsProgramsAndNeverWaits) {
  // (A location that nothing can open makes the shell show its error box, so
  // the failing case is left to manual testing.)
  EXPECT_TRUE(tk::open_url("C:\\windows\\system32\\rundll32.exe"));
}

TEST_F(ProgramWindow, CloseBoxAndQuitEndTheLoopAndTheWindowStays) {
  PostMessageW(main_window(), WM_CLOSE, 0, 0);
  run_passes();
  EXPECT_TRUE(run->loop_ended);
  EXPECT_TRUE(saw_event(tk::kEventClose));
  EXPECT_TRUE(IsWindowVisible(main_window()));

  // WM_CLOSE's own identifier is 16 too, so the pass that handled it already
  // ended the loop; the queued close event is still waiting. Take it.
  EXPECT_EQ(tk::wait_event(), tk::kEventClose);

  run->loop_ended = false;
  run->state.quit_flag = 0;
  PostMessageW(control(app::kQuitButton), BM_CLICK, 0, 0);
  run_passes();
  EXPECT_TRUE(run->loop_ended);
  EXPECT_TRUE(saw_event(tk::kEventGadget, app::kQuitButton, tk::kTypeClicked));
}

}  // namespace
