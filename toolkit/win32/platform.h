// The Win32 backend's own state and the small RAII wrappers around the
// platform handles it owns. Internal to toolkit/win32.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/common/canvas.h"
#include "toolkit/common/combo.h"
#include "toolkit/common/display_scale.h"
#include "toolkit/common/gadget_table.h"
#include "toolkit/toolkit.h"

namespace tk::win32 {

// --- text at the platform border --------------------------------------------

// UTF-8 to UTF-16 for the W functions; invalid sequences become U+FFFD.
std::wstring widen(std::string_view utf8);
// UTF-16 to UTF-8.
std::string narrow(std::wstring_view utf16);
// A window's text, UTF-16 as the W functions give it.
std::wstring window_text_wide(HWND window);
// UTF-8 to the ANSI code page for the A functions (command lines).
std::string to_ansi(std::string_view utf8);

// --- RAII for platform handles ----------------------------------------------

template <class Handle, class Deleter>
class Unique {
 public:
  Unique() = default;
  explicit Unique(Handle handle) : handle_(handle) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : handle_(other.release()) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) {
      reset(other.release());
    }
    return *this;
  }
  ~Unique() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Handle{}; }
  Handle release() {
    const Handle handle = handle_;
    handle_ = Handle{};
    return handle;
  }
  void reset(Handle handle = Handle{}) {
    if (handle_ != Handle{}) {
      Deleter{}(handle_);
    }
    handle_ = handle;
  }

 private:
  Handle handle_{};
};

struct DeleteGdiObject {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyWindowHandle {
  void operator()(HWND window) const { DestroyWindow(window); }
};
struct DestroyAccelerators {
  void operator()(HACCEL table) const { DestroyAcceleratorTable(table); }
};
struct DeleteMemoryDc {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct DestroyMenuHandle {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
struct FreeGlobalMemory {
  void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};

using UniqueBitmap = Unique<HBITMAP, DeleteGdiObject>;
using UniqueFont = Unique<HFONT, DeleteGdiObject>;
using UniqueWindow = Unique<HWND, DestroyWindowHandle>;
using UniqueAccelerators = Unique<HACCEL, DestroyAccelerators>;
using UniqueMemoryDc = Unique<HDC, DeleteMemoryDc>;
using UniqueMenu = Unique<HMENU, DestroyMenuHandle>;
using UniqueGlobalMemory = Unique<HGLOBAL, FreeGlobalMemory>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(window ? GetDC(window) : nullptr) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) {
      ReleaseDC(window_, dc_);
    }
  }
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a context and selects the previous one back.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() { SelectObject(dc_, previous_); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// Saves a context's state (selected objects, colours, modes) and restores it
// when this goes.
class SavedDcState {
 public:
  explicit SavedDcState(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  SavedDcState(const SavedDcState&) = delete;
  SavedDcState& operator=(const SavedDcState&) = delete;
  ~SavedDcState() {
    if (saved_ != 0) {
      RestoreDC(dc_, saved_);
    }
  }

 private:
  HDC dc_;
  int saved_;
};

// A canvas colour (r + 256 g + 65536 b) as a 32-bit DIB pixel (0x00RRGGBB),
// and back: the same swap of red and blue.
constexpr std::uint32_t dib_pixel(Colour colour) {
  return (colour & 0xFFu) << 16 | (colour & 0xFF00u) | (colour >> 16 & 0xFFu);
}

// --- the window's picture ------------------------------------------------------

// A 32-bit top-down DIB section selected into a memory context of its own;
// selected back and deleted with the context when this goes.
class DibSurface {
 public:
  DibSurface(int width, int height);
  DibSurface(const DibSurface&) = delete;
  DibSurface& operator=(const DibSurface&) = delete;
  ~DibSurface();

  bool valid() const { return bits_ != nullptr; }
  HDC dc() const { return dc_.get(); }
  // Rows of width pixels, 0x00RRGGBB. Write only after GdiFlush().
  std::uint32_t* bits() const { return bits_; }

 private:
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;  // deleted before the context, once selected back
  HGDIOBJ original_bitmap_ = nullptr;
  std::uint32_t* bits_ = nullptr;
};

// What the program has drawn into the main window: the shared canvas in
// layout units (what the drawing operations paint), the same in device
// pixels at the window's DPI, and two surfaces of device size that GDI
// paints from, the colours (black where nothing was drawn) and a mask (white
// where something was drawn), so that the drawn pixels can be painted over
// the client area and the controls and the undrawn ones leave them visible.
class WindowPicture {
 public:
  WindowPicture(int width, int height);  // the client area in layout units
  WindowPicture(const WindowPicture&) = delete;
  WindowPicture& operator=(const WindowPicture&) = delete;

  common::Canvas& canvas() { return canvas_; }

  // Brings the device pixels of the canvas area [x0, x1) x [y0, y1) up to
  // date at `dpi` (all of them when the DPI changed) and returns the client
  // area, in device pixels, that they cover.
  RECT update(int dpi, int x0, int y0, int x1, int y1);

  // Paints the drawn pixels inside `area` (client coordinates of the main
  // window, device pixels) onto `target`, whose origin lies at
  // `target_origin` in those coordinates. Pixels never drawn are left as
  // they are.
  void paint_over(HDC target, const RECT& area, POINT target_origin) const;

 private:
  common::Canvas canvas_;
  common::ScaledPicture scaled_;
  std::unique_ptr<DibSurface> colours_;
  std::unique_ptr<DibSurface> mask_;
};

// Paints the main window's picture over a child control (or the main window
// itself) through a fresh device context of that window.
void repaint_retained(HWND target);

// --- labels (labels.cpp) ----------------------------------------------------

// Whether the window is a label gadget's control (numbered or anonymous).
bool is_label(HWND window);
// Paints an owner-drawn label: its whole text, or when a later label covers
// it from the right, the whole characters that end left of that label.
void paint_label(const DRAWITEMSTRUCT& item);
// Has every label but `except` that overlaps the area (screen coordinates)
// painted again: what a label shows depends on the labels in front of it.
void invalidate_labels_overlapping(const RECT& screen_area, HWND except);

// --- gadgets, the window --------------------------------------------------------

// One child control. Destroying it destroys the control.
struct Gadget {
  Gadget(int gadget_number, tk::GadgetKind gadget_kind)
      : number(gadget_number), kind(gadget_kind) {}
  Gadget(const Gadget&) = delete;
  Gadget& operator=(const Gadget&) = delete;
  ~Gadget();

  int number;
  tk::GadgetKind kind;
  UniqueWindow window;
  // Where the program put it, in layout units (a combo box: its closed
  // height); placed at the window's DPI from this.
  struct Layout {
    int x = 0, y = 0, w = 0, h = 0;
  } layout;
  bool sunken = false;               // label with a sunken edge
  std::uint32_t flags = 0;           // text field: the flags it was made with (kFlagNumber)
  bool pasting = false;              // text field: a paste already reported is under way
  Bitmap shown_image = kNoBitmap;    // image view: the bitmap it was given
  UniqueBitmap scaled_image;         // image view: that bitmap at the DPI, above 100 %
  common::ComboItems items;          // combo box: its items, as the list has them
  // Image view: where the left button went down, for drag detection.
  bool left_button_down = false;
  bool dragging = false;
  POINT press_point{};
};

enum class ShowState { Normal, Minimized, Maximized };

// A registered window class, unregistered when this goes.
class WindowClassRegistration {
 public:
  WindowClassRegistration() = default;
  WindowClassRegistration(const WindowClassRegistration&) = delete;
  WindowClassRegistration& operator=(const WindowClassRegistration&) = delete;
  ~WindowClassRegistration() { unregister(); }
  void reset(const std::wstring& name, HINSTANCE instance);
  const std::wstring& name() const { return name_; }

 private:
  void unregister();
  std::wstring name_;
  HINSTANCE instance_ = nullptr;
};

struct MainWindow {
  int number = 0;
  WindowClassRegistration class_registration;  // outlives the window
  WindowClassRegistration part_class;          // of the described parts, too
  UniqueWindow handle;
  std::unique_ptr<WindowPicture> picture;
  ShowState show_state = ShowState::Normal;
  HWND saved_focus = nullptr;  // child with the focus when the window was deactivated
  // While the window is created and shown: the system's size, move, activate
  // and paint messages of that time queue no window events (the shared code
  // queues the start-up events once the window is up).
  bool opening = false;
  // The parts of the drawing that describe_drawing() named: a child window
  // each, seen by screen readers only (accessible.cpp).
  struct DescribedPart {
    Gadget::Layout layout;
    UniqueWindow window;
  };
  std::vector<DescribedPart> described_parts;
  // The refused-character hint that shows: a balloon pointing at the field
  // (field_hint.cpp). Its title is kept because the balloon of some systems
  // (Wine) cannot be asked for it.
  struct ShownHint {
    HWND field = nullptr;
    UniqueWindow balloon;
    std::wstring title;
  } hint;
};

// The backend's whole platform state. One program thread touches it. The
// pictures of loaded images belong to the shared image table (make_image,
// free_image).
struct Platform {
  HINSTANCE instance = nullptr;
  int dpi = common::kBaseDpi;  // the main window's scale
  UniqueFont gui_font;         // the controls' font at that scale
  UniqueAccelerators navigation_keys;
  std::optional<MainWindow> window;
  HMENU menu_bar = nullptr;       // owned by the window once attached
  HMENU current_menu = nullptr;   // the drop-down that receives items
  // A key whose key down opened the context menu or chose an item by its
  // shortcut: its key up is not dispatched either (0 for none).
  WPARAM taken_key = 0;
  common::GadgetTable<Gadget> gadgets;
};

Platform& platform();

// The main window's handle if `window` names it, else nullptr.
HWND window_handle(int window);

// --- the clipboard (clipboard.cpp) ---------------------------------------------

// The clipboard's text as UTF-8 with "\n" line ends; empty when it holds none.
std::string clipboard_text();

// --- the context menu and the shortcuts (context_menu.cpp) -----------------------

// A key message of the main window: a key down that opens the context menu
// (which it does, the choice recorded) or is an item's shortcut (recorded),
// or the key up of such a key. True when the message is taken so and must
// be neither translated nor dispatched.
bool take_menu_key(const MSG& message);
// Opens the context menu at the screen point of a WM_CONTEXTMENU (-1 for a
// key: at the focused gadget) and records the item chosen, if any.
void show_context_menu(LPARAM screen_point);

// --- the refused-character hint (field_hint.cpp) ---------------------------------

// The main window's timer that ends the hint.
constexpr UINT_PTR kHintTimer = 1;
// That timer went off: the hint ends.
void hint_timer_elapsed();
// A text field's paste is about to happen: the shared rule sees the text.
void report_paste(Gadget& field);

// --- accessible names (accessible.cpp) ---------------------------------------

// Places the described parts' windows at the DPI.
void place_described_parts(int dpi);
// Names an image view for screen readers without touching its picture.
void name_image_view(const Gadget& view, std::string_view name);

// --- display scale (dpi.cpp) ----------------------------------------------------

// Asks the system for per-monitor DPI awareness (the manifest asks too);
// a system that refuses treats the process as it will.
void declare_dpi_awareness();
// The DPI of the monitor the window is on, clamped to 100 % .. 300 %.
int window_dpi(HWND window);
// The work area of the monitor that holds the point, in device pixels.
RECT work_area(POINT point);
// The outer rectangle, top left at 0, 0, of a window of that style whose
// client area (without a menu bar) is width x height device pixels at `dpi`.
RECT outer_rect(int width, int height, DWORD style, int dpi);
// The controls' font at `dpi`: the system's message font for that scale.
UniqueFont make_gui_font(int dpi);

}  // namespace tk::win32
