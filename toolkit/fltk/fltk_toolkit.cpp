// The toolkit on FLTK 1.3 and X11: the platform hooks of the shared core,
// the window with its menu and the gadgets.
//
// Implements:
//   - open_platform(): the X display, opened once and kept for the process
//   - pump_message(): each X event for the program's window counted as one
//     message as it arrives, with the gadget or menu events its handling
//     recorded; reported one per call
//   - one window (a new one replaces the old with its gadgets), its menu
//     bar, the gadgets as FLTK widgets (widgets.cpp) and the program's icon
//   - pictures of loaded images as RGB(A) images over bytes kept beside them
//   - the shared canvas drawing's hooks in drawing.cpp (the window paints
//     its retained canvas over its controls), open_url in open_url.cpp
// Quirks:
//   - the menu bar from the keyboard (F10, Alt alone) and double-click
//     timing are done here, as the platform's defaults have them
//   - X reports of moves and sizes count only once the window is announced;
//     without a window manager the window's own corner goes where asked
//   - Enter that no gadget took does nothing (FLTK would move the focus)
#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Tooltip.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "assets/artwork.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/file_bytes.h"
#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"
#include "toolkit/toolkit.h"

namespace tk {
namespace fltk_backend {

State& state() {
  static State platform;
  return platform;
}

Gadget::~Gadget() {
  if (Fl_Group* parent = widget_->parent()) {
    parent->damage(FL_DAMAGE_ALL, widget_->x(), widget_->y(), widget_->w(), widget_->h());
    parent->remove(widget_);
  }
  delete widget_;
}

Gadget* find_gadget(int number) { return state().gadgets.find(number); }

// FLTK draws an RGB (or, with transparency, RGBA) image of bytes it does not
// own: they are kept beside it. Made for the window's scale when first shown
// at it.
Fl_RGB_Image* find_picture(Bitmap handle) {
  State& s = state();
  const auto found = s.pictures.find(handle);
  if (found == s.pictures.end()) return nullptr;
  Picture& picture = found->second;
  if (picture.image && picture.dpi == s.dpi) return picture.image.get();
  const common::DecodedImage scaled = common::scale_image(picture.decoded, s.dpi);
  const bool opaque = std::all_of(scaled.argb.begin(), scaled.argb.end(),
                                  [](std::uint32_t p) { return (p >> 24) == 0xFF; });
  const int depth = opaque ? 3 : 4;
  picture.pixels.clear();
  picture.pixels.reserve(scaled.argb.size() * static_cast<std::size_t>(depth));
  for (const std::uint32_t p : scaled.argb) {
    picture.pixels.push_back(static_cast<unsigned char>(p >> 16));
    picture.pixels.push_back(static_cast<unsigned char>(p >> 8));
    picture.pixels.push_back(static_cast<unsigned char>(p));
    if (!opaque) picture.pixels.push_back(static_cast<unsigned char>(p >> 24));
  }
  picture.image = std::make_unique<Fl_RGB_Image>(picture.pixels.data(), scaled.width, scaled.height, depth);
  picture.dpi = s.dpi;
  return picture.image.get();
}

ImageSize picture_layout_size(Bitmap handle) {
  const auto found = state().pictures.find(handle);
  if (found == state().pictures.end()) return {};
  return {found->second.decoded.width, found->second.decoded.height};
}

namespace {

// Attaches an event to the message being handled. An event recorded outside
// any X event (a timer of FLTK's own) gets a message of its own.
Message& current_message() {
  State& s = state();
  if (s.current == nullptr) {
    s.messages.push_back(Message{kMsgTimer});
    s.current = &s.messages.back();
  }
  return *s.current;
}

void note_event(Message& message, Message::Recorded recorded, int code, int item, int type) {
  message.recorded = recorded;
  message.event_code = code;
  message.item = item;
  message.type = type;
}

}  // namespace

void note_gadget_event(int gadget, int type) {
  note_event(current_message(), Message::Recorded::Event, kEventGadget, gadget, type);
}
void note_gadget_event_of(Message& message, int gadget, int type) {
  note_event(message, Message::Recorded::Event, kEventGadget, gadget, type);
}
void note_text_change(int gadget) {
  note_event(current_message(), Message::Recorded::TextChange, kEventGadget, gadget, kTypeEditChange);
}
void note_menu_event(int item) {
  note_event(current_message(), Message::Recorded::Event, kEventMenu, item, kTypeNone);
}
void note_window_event(int code) { common::queue_window_event(code, state().window_number); }

namespace {

// --- platform messages ---------------------------------------------------------

// Win32 numbers of the messages an X event stands for, beyond toolkit.h's.
constexpr int kMsgSetFocus = 0x0007;
constexpr int kMsgKillFocus = 0x0008;
// The close box arrives as a system command; the close request it leads to
// is the queued window event, never a raw message code of 16.
constexpr int kMsgSysCommand = 0x0112;
constexpr int kMsgShowWindow = 0x0018;
constexpr int kMsgWindowPosChanged = 0x0047;
constexpr int kMsgMButtonDown = 0x0207;
constexpr int kMsgMButtonUp = 0x0208;
constexpr int kMsgMouseWheel = 0x020A;
constexpr int kMsgMouseHWheel = 0x020E;
constexpr int kMsgMouseLeave = 0x02A3;
constexpr int kMsgPaste = 0x0302;
constexpr int kMsgRenderFormat = 0x0305;
constexpr int kMsgDestroyClipboard = 0x0307;
constexpr int kMsgDestroy = 0x0002;

// Two presses of a button this close in time (ms) and place (pixels each
// way) make a double click, as the platform's defaults.
constexpr unsigned long kDoubleClickTime = 500;
constexpr int kDoubleClickDistance = 2;

int button_message(const XButtonEvent& e, bool press) {
  switch (e.button) {
    case Button1: return press ? kMsgLButtonDown : kMsgLButtonUp;
    case Button2: return press ? kMsgMButtonDown : kMsgMButtonUp;
    case Button3: return press ? kMsgRButtonDown : kMsgRButtonUp;
    case 6:
    case 7: return kMsgMouseHWheel;
    default: return kMsgMouseWheel;
  }
}

int press_message(const XButtonEvent& e) {
  State::Press& last = state().last_press;
  const bool twice = last.can_start_double_click && last.button == e.button &&
                     e.time - last.time <= kDoubleClickTime &&
                     std::abs(e.x_root - last.x) <= kDoubleClickDistance &&
                     std::abs(e.y_root - last.y) <= kDoubleClickDistance;
  last = State::Press{e.button, e.time, e.x_root, e.y_root, !twice};
  if (twice && e.button == Button1) return kMsgLButtonDblClk;
  if (twice && e.button == Button3) return kMsgRButtonDblClk;
  return button_message(e, true);
}

bool is_wheel(unsigned int button) { return button >= Button4 && button <= 7; }

// The message an X event is, or -1 when it is none: events of other windows,
// and those the toolkit causes itself (exposure of its own copies, property
// changes, keymap and mapping notices) or that repeat one (a wheel notch's
// release).
int message_of(const XEvent& e) {
  if (e.type == NoExpose || e.type == GraphicsExpose || e.type == PropertyNotify ||
      e.type == KeymapNotify || e.type == MappingNotify) {
    return -1;
  }
  if (fl_find(e.xany.window) == nullptr) return -1;
  switch (e.type) {
    case KeyPress: return kMsgKeyDown;
    case KeyRelease: return kMsgKeyUp;
    case ButtonPress: return press_message(e.xbutton);
    case ButtonRelease: return is_wheel(e.xbutton.button) ? -1 : button_message(e.xbutton, false);
    case MotionNotify:
    case EnterNotify: return kMsgMouseMove;
    case LeaveNotify: return kMsgMouseLeave;
    case FocusIn: return kMsgSetFocus;
    case FocusOut: return kMsgKillFocus;
    case Expose: return kMsgPaint;
    case ConfigureNotify: return kMsgWindowPosChanged;
    case MapNotify:
    case UnmapNotify: return kMsgShowWindow;
    case DestroyNotify: return kMsgDestroy;
    case SelectionNotify: return kMsgPaste;
    case SelectionRequest: return kMsgRenderFormat;
    case SelectionClear: return kMsgDestroyClipboard;
    case ClientMessage: {
      static const Atom wm_protocols = XInternAtom(fl_display, "WM_PROTOCOLS", False);
      static const Atom wm_delete_window = XInternAtom(fl_display, "WM_DELETE_WINDOW", False);
      const bool close = e.xclient.message_type == wm_protocols &&
                         static_cast<Atom>(e.xclient.data.l[0]) == wm_delete_window;
      return close ? kMsgSysCommand : kMsgNull;
    }
    default: return kMsgNull;
  }
}

// Window events of the program's window that X reports directly: exposure
// (the system repaints), activation, minimising and restoring. Moves and
// sizes come through MainWindow::resize.
void queue_window_events_of(const XEvent& e) {
  State& s = state();
  if (!s.window || !s.window->shown() || e.xany.window != fl_xid(s.window.get())) return;
  switch (e.type) {
    case Expose:
      if (e.xexpose.count == 0) note_window_event(kEventRepaint);  // the last of a series
      break;
    case FocusIn:
      if (e.xfocus.mode != NotifyGrab && e.xfocus.mode != NotifyUngrab && !s.window_active) {
        s.window_active = true;
        note_window_event(kEventActivate);
      }
      break;
    case FocusOut:
      if (e.xfocus.mode != NotifyGrab && e.xfocus.mode != NotifyUngrab) s.window_active = false;
      break;
    case UnmapNotify:
      s.window_minimised = true;
      note_window_event(kEventMinimize);
      break;
    case MapNotify:
      if (s.window_minimised) {
        s.window_minimised = false;
        note_window_event(kEventRestore);
        note_window_event(kEventSize);
      }
      break;
    default:
      break;
  }
}

// Sees every X event before FLTK handles it and counts the messages.
int count_message(void* event, void*) {
  const XEvent& e = *static_cast<const XEvent*>(event);
  const int code = message_of(e);
  if (code < 0) return 0;
  State& s = state();
  s.messages.push_back(Message{code});
  s.current = &s.messages.back();
  if (e.type == ButtonPress) s.press_message = s.current;
  queue_window_events_of(e);
  return 0;  // FLTK handles it as usual
}

// --- keys the window handles itself ---------------------------------------------

// The keyboard's way into the menu bar, as on the platform: opens the first
// title's menu the way a click on the bar does, and FLTK's menu window takes
// the arrows, Enter and Escape from there. A chosen item reaches the menu's
// callback, as a mouse choice does.
void open_menu_bar_from_keyboard() {
  const State& s = state();
  Fl_Menu_Bar* bar = s.window ? s.window->menu_bar() : nullptr;
  if (bar == nullptr || bar->menu() == nullptr || bar->menu()->label() == nullptr) return;  // no titles
  bar->picked(bar->menu()->pulldown(bar->x(), bar->y(), bar->w(), bar->h(), bar->menu(), bar, nullptr, 1));
}

bool is_alt(int key) { return key == FL_Alt_L || key == FL_Alt_R; }

// Sees every event FLTK dispatches. In the program's window, while no list
// or menu is open: F10, or Alt pressed and released alone, opens the menu
// bar; Enter that no gadget took does nothing (FLTK's groups would take it
// as a shortcut for moving the focus to the next field).
int dispatch_event(int event, Fl_Window* window) {
  State& s = state();
  const bool ours = window != nullptr && window == s.window.get() && Fl::grab() == nullptr;
  const int key = Fl::event_key();
  const bool plain = (Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META)) == 0;
  if ((event == FL_PUSH || event == FL_KEYBOARD) && handle_context_keys(event, ours)) {
    s.alt_alone = false;
    return 1;
  }
  switch (event) {
    case FL_KEYBOARD:
      s.alt_alone = ours && is_alt(key);
      break;
    case FL_PUSH:
      s.alt_alone = false;
      break;
    case FL_KEYUP:
      if (ours && is_alt(key) && std::exchange(s.alt_alone, false)) {
        open_menu_bar_from_keyboard();
        return 1;
      }
      break;
    case FL_SHORTCUT:
      if (ours && key == FL_F + 10 && plain) {
        open_menu_bar_from_keyboard();
        return 1;
      }
      if (ours && (key == FL_Enter || key == FL_KP_Enter)) return 1;
      break;
    default:
      break;
  }
  return Fl::handle_(event, window);
}

}  // namespace

// The scale of a window with this client area (100 %): the one the user's
// settings ask for (FERRANT_SCALE, GDK_SCALE, Xft.dpi), or the largest that
// lets the window, its menu bar and a frame's allowance fit the screen's
// work area.
int window_dpi(int client_width, int client_height) {
  const auto setting = [](const char* value) {
    return value != nullptr ? std::optional<std::string_view>(value) : std::nullopt;
  };
  const int asked = common::choose_x_dpi(setting(std::getenv("FERRANT_SCALE")), setting(std::getenv("GDK_SCALE")),
                                         setting(XGetDefault(fl_display, "Xft", "dpi")));
  // A frame's border and title bar, at 100 %.
  constexpr int kFrameWidth = 16, kFrameHeight = 39;
  int x = 0, y = 0, w = 0, h = 0;
  Fl::screen_work_area(x, y, w, h);
  return common::fitting_dpi(asked, client_width + kFrameWidth, client_height + kMenuBarHeight + kFrameHeight, w, h);
}

namespace {

// The reason the X server cannot be reached, for the start-up message.
std::string display_failure() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return "no display (DISPLAY is not set)";
  return std::string("no display (cannot connect to the X server \"") + name + "\")";
}

void set_up_fltk() {
  Fl::scheme("none");
  Fl::background(static_cast<uchar>(kButtonFace & 0xFF), static_cast<uchar>((kButtonFace >> 8) & 0xFF),
                 static_cast<uchar>((kButtonFace >> 16) & 0xFF));
  Fl::background2(255, 255, 255);
  Fl::foreground(0, 0, 0);
  Fl::set_font(FL_HELVETICA, kGuiFontName);
  FL_NORMAL_SIZE = kGuiFontSize;
  Fl::visible_focus(1);
  Fl::dnd_text_ops(0);  // no dragging of text out of or into the fields
  Fl_Tooltip::disable();
  Fl::add_system_handler(count_message, nullptr);
  Fl::event_dispatch(dispatch_event);
}

}  // namespace

// A window manager owns the WM_Sn selection of the screen it manages.
bool window_manager_running() {
  const std::string name = "WM_S" + std::to_string(fl_screen);
  const Atom selection = XInternAtom(fl_display, name.c_str(), False);
  return XGetSelectionOwner(fl_display, selection) != None;
}

namespace {

// Win32 style bits beyond toolkit.h's.
constexpr std::uint32_t kStyleBorder = 0x00800000;       // WS_BORDER, part of WS_CAPTION
constexpr std::uint32_t kStyleMinimizeBox = 0x00020000;  // WS_MINIMIZEBOX
constexpr std::uint32_t kStyleMaximizeBox = 0x00010000;  // WS_MAXIMIZEBOX

// The Motif window manager hints' bits.
constexpr long kMwmHintsFunctions = 1L << 0;
constexpr long kMwmHintsDecorations = 1L << 1;
constexpr long kMwmFuncResize = 1L << 1;
constexpr long kMwmFuncMove = 1L << 2;
constexpr long kMwmFuncMinimize = 1L << 3;
constexpr long kMwmFuncMaximize = 1L << 4;
constexpr long kMwmFuncClose = 1L << 5;
constexpr long kMwmDecorBorder = 1L << 1;
constexpr long kMwmDecorResizeHandle = 1L << 2;
constexpr long kMwmDecorTitle = 1L << 3;
constexpr long kMwmDecorMenu = 1L << 4;
constexpr long kMwmDecorMinimize = 1L << 5;
constexpr long kMwmDecorMaximize = 1L << 6;

}  // namespace

MotifHints motif_hints(std::uint32_t style) {
  const auto has = [style](std::uint32_t bits) { return (style & bits) == bits; };
  const bool caption = has(kStyleCaption);
  const bool window_menu = caption && has(kStyleSysMenu);
  long functions = 0;
  long decorations = 0;
  if (caption) {
    functions |= kMwmFuncMove;
    decorations |= kMwmDecorTitle;
  }
  if (has(kStyleBorder) || has(kStyleThickFrame)) decorations |= kMwmDecorBorder;
  if (has(kStyleThickFrame)) {
    functions |= kMwmFuncResize;
    decorations |= kMwmDecorResizeHandle;
  }
  if (window_menu) {
    functions |= kMwmFuncClose;
    decorations |= kMwmDecorMenu;
  }
  // On the platform the boxes show only on a title bar with the window menu.
  if (window_menu && has(kStyleMinimizeBox)) {
    functions |= kMwmFuncMinimize;
    decorations |= kMwmDecorMinimize;
  }
  if (window_menu && has(kStyleMaximizeBox)) {
    functions |= kMwmFuncMaximize;
    decorations |= kMwmDecorMaximize;
  }
  return MotifHints{kMwmHintsFunctions | kMwmHintsDecorations, functions, decorations, 0, 0};
}

namespace {

// Tells the window manager what the style allows. FLTK writes its own Motif
// hints (all functions for a resizable window) when it shows the window or
// its size range changes, which nothing here does afterwards; these replace
// them, and a window manager reads them again when they change.
void advertise_window_style(const Fl_Window& window, std::uint32_t style) {
  static const Atom motif_wm_hints = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
  const MotifHints hints = motif_hints(style);
  XChangeProperty(fl_display, fl_xid(&window), motif_wm_hints, motif_wm_hints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints.data()), static_cast<int>(hints.size()));
}

// Gives the window the program's icon (the window keeps a copy).
void set_program_icon(Fl_Window& window) {
  const artwork::Picture picture = artwork::program_icon();
  const std::vector<unsigned char> rgba = artwork::to_rgba(picture);
  const Fl_RGB_Image icon(rgba.data(), picture.width, picture.height, 4);
  window.icon(&icon);
}

void reset_platform() {
  State& s = state();
  common::forget_drawing_phase();
  s.gadgets.clear();
  s.window.reset();
  s.current_menu_title = -1;
  s.last_focused_gadget = kAnonymous;
  s.messages.clear();
  s.current = nullptr;
  s.press_message = nullptr;
  s.window_active = false;
  s.window_minimised = false;
  s.last_press = State::Press{};
  s.alt_alone = false;
  close_context_state();
}

}  // namespace
}  // namespace fltk_backend

using fltk_backend::Gadget;
using fltk_backend::State;
using fltk_backend::state;

// --- platform hooks of the shared core ---------------------------------------------

// The display is opened once and stays open for the process: FLTK keeps fonts
// and other resources of it, so a later session goes on with the same one.
bool backend::open_platform(std::string& error) {
  if (fl_display != nullptr) return true;
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    error = fltk_backend::display_failure();
    return false;
  }
  fl_open_display(display);
  fltk_backend::set_up_fltk();
  return true;
}

void backend::close_platform() {
  fltk_backend::reset_platform();
  if (fl_display != nullptr) XFlush(fl_display);
}

std::optional<std::vector<std::uint8_t>> backend::file_bytes(const std::string& name) {
  return common::read_file_bytes(name, common::kMaxImageFileBytes);
}

// The decoded pixels are kept; find_picture() makes FLTK's image of them at
// the window's scale.
Bitmap backend::make_image(const common::DecodedImage& decoded) {
  State& s = state();
  fltk_backend::Picture picture;
  picture.decoded = decoded;
  const Bitmap handle = ++s.last_picture;
  s.pictures.emplace(handle, std::move(picture));
  return handle;
}

void backend::free_image(Bitmap image) {
  State& s = state();
  for (const auto& entry : s.gadgets.entries()) {
    if (entry.kind != fltk_backend::GadgetKind::ImageView) continue;
    auto* view = entry.gadget->as<fltk_backend::ImageView>();
    if (view->bitmap() == image) view->forget_image();
  }
  s.pictures.erase(image);
}

// One handled X event per call. FLTK handles everything that is queued in one
// Fl::wait(), so messages may already wait here; otherwise it blocks until
// an X event for the program arrives. Repaints and timers of FLTK's own that
// are no message do not end the wait. Without a window nothing can arrive:
// kMsgNull at once.
int backend::pump_message() {
  State& s = state();
  while (s.messages.empty()) {
    if (!common::toolkit_ready() || !s.window) return kMsgNull;
    s.current = nullptr;
    Fl::wait();
  }
  s.current = nullptr;
  const fltk_backend::Message message = s.messages.front();
  if (s.press_message == &s.messages.front()) s.press_message = nullptr;
  s.messages.pop_front();
  switch (message.recorded) {
    case fltk_backend::Message::Recorded::Nothing: break;
    case fltk_backend::Message::Recorded::Event:
      common::record_event(message.event_code, message.item, message.type);
      break;
    case fltk_backend::Message::Recorded::TextChange: common::record_text_change(message.item); break;
  }
  return message.code;
}

// --- window and menu --------------------------------------------------------------

bool create_window(int window, int x, int y, int width, int height, std::string_view title,
                   std::uint32_t style) {
  State& s = state();
  if (!common::window_may_open()) return false;
  // One window: a new one replaces the old with its gadgets.
  s.gadgets.clear();
  s.window.reset();
  s.current_menu_title = -1;
  s.last_focused_gadget = kAnonymous;
  const int client_width = std::clamp(width, 1, fltk_backend::kMaxSide);
  const int client_height = std::clamp(height, 1, fltk_backend::kMaxSide);
  s.dpi = fltk_backend::window_dpi(client_width, client_height);
  FL_NORMAL_SIZE = fltk_backend::gui_font_size();
  const std::string title_text(title);
  s.window = std::make_unique<fltk_backend::MainWindow>(window, x, y, client_width, client_height,
                                                        title_text.c_str());
  s.window_number = window;
  fltk_backend::MainWindow& w = *s.window;
  w.copy_label(title_text.c_str());
  w.border((style & kStyleCaption) != 0 ? 1 : 0);
  if ((style & kStyleThickFrame) != 0) {
    w.size_range(fltk_backend::kMinWindowWidth, fltk_backend::kMinWindowHeight);
  } else {
    w.size_range(client_width, client_height, client_width, client_height);
  }
  fltk_backend::set_program_icon(w);
  w.xclass("ferrant-calc");
  w.show();
  fltk_backend::advertise_window_style(w, style);
  // FLTK keeps room for a title bar above a framed window. Without a window
  // manager there is no frame: the window's own corner goes where asked.
  if (!fltk_backend::window_manager_running()) XMoveWindow(fl_display, fl_xid(&w), x, y);
  // From here on X's reports of sizes and moves are the user's; start-up ends
  // on the same window events as on every backend.
  w.set_announced();
  common::queue_window_opened(window);
  return true;
}

void create_menu_bar(int /*menu*/, int window) {
  State& s = state();
  if (!s.window || s.window_number != window) return;
  Fl_Menu_Bar& bar = s.window->attach_menu_bar();
  bar.clear();
  s.current_menu_title = -1;
}

void add_menu_title(std::string_view text) {
  State& s = state();
  if (!s.window || s.window->menu_bar() == nullptr) return;
  Fl_Menu_Bar& bar = *s.window->menu_bar();
  // A title is a submenu at the end of the bar; an empty one still shows.
  const std::string path = fltk_backend::menu_path(text, true);
  s.current_menu_title = bar.add(path.c_str(), 0, nullptr, nullptr, FL_SUBMENU);
  s.window->menu_bar_has_titles();
}

namespace {

void on_menu_item(Fl_Widget*, void* item) {
  fltk_backend::note_menu_event(static_cast<int>(reinterpret_cast<std::intptr_t>(item)));
}

}  // namespace

void add_menu_item(int item, std::string_view text) {
  State& s = state();
  if (!s.window || s.window->menu_bar() == nullptr || s.current_menu_title < 0) return;
  Fl_Menu_Bar& bar = *s.window->menu_bar();
  // The current title's items end at its terminating null item: insert there.
  const Fl_Menu_Item* items = bar.menu();
  int end = s.current_menu_title + 1;
  for (int depth = 1; depth > 0; ++end) {
    if (items[end].label() == nullptr) {
      --depth;
    } else if (items[end].submenu()) {
      ++depth;
    }
  }
  const std::string label = fltk_backend::menu_path(text, true);
  bar.insert(end - 1, label.c_str(), 0, on_menu_item,
             reinterpret_cast<void*>(static_cast<std::intptr_t>(item)));
}

// --- gadgets ----------------------------------------------------------------------

namespace {

// Adds a control to the window as the gadget of the number, after destroying
// the gadget that had it. Without a window the control is not made.
template <class Control, class Make>
Control* add_gadget(int number, fltk_backend::GadgetKind kind, int x, int y, int w, int h, Make make) {
  State& s = state();
  if (!s.window) return nullptr;
  s.gadgets.erase(number);
  const int top = s.window->client_top();
  using fltk_backend::device;
  Control* control = make(device(x), device(y) + top, device(std::clamp(w, 0, fltk_backend::kMaxSide)),
                          device(std::clamp(h, 0, fltk_backend::kMaxSide)));
  s.window->add(control);
  control->redraw();
  s.gadgets.insert(number, kind, std::make_unique<Gadget>(kind, control));
  return control;
}

}  // namespace

void create_frame(int number, int x, int y, int w, int h, std::string_view caption) {
  auto* frame = add_gadget<fltk_backend::Frame>(
      number, fltk_backend::GadgetKind::Frame, x, y, w, h,
      [](int X, int Y, int W, int H) { return new fltk_backend::Frame(X, Y, W, H); });
  if (frame != nullptr) frame->set_text(caption);
}

void create_label(int number, int x, int y, int w, int h, std::string_view text, std::uint32_t flags) {
  const bool sunken = (flags & kFlagSunken) != 0;
  auto* label = add_gadget<fltk_backend::Label>(
      number, fltk_backend::GadgetKind::Label, x, y, w, h,
      [sunken](int X, int Y, int W, int H) { return new fltk_backend::Label(X, Y, W, H, sunken); });
  if (label != nullptr) label->set_text(text);
}

void create_text_field(int number, int x, int y, int w, int h, std::string_view text,
                       std::uint32_t flags) {
  auto* field = add_gadget<fltk_backend::TextField>(
      number, fltk_backend::GadgetKind::TextField, x, y, w, h, [number, flags](int X, int Y, int W, int H) {
        return new fltk_backend::TextField(number, X, Y, W, H, flags);
      });
  if (field != nullptr) {
    const std::string content(text);
    field->value(content.c_str(), static_cast<int>(content.size()));  // creation raises no event
  }
}

void create_combo_box(int number, int x, int y, int w, int h) {
  add_gadget<fltk_backend::ComboBox>(number, fltk_backend::GadgetKind::ComboBox, x, y, w, h,
                                     [number](int X, int Y, int W, int H) {
                                       return new fltk_backend::ComboBox(number, X, Y, W, H);
                                     });
}

void add_combo_item(int number, int position, std::string_view text) {
  Gadget* gadget = fltk_backend::find_gadget(number);
  if (gadget == nullptr || gadget->kind() != fltk_backend::GadgetKind::ComboBox) return;
  gadget->as<fltk_backend::ComboBox>()->insert_item(position, text);
}

void create_button(int number, int x, int y, int w, int h, std::string_view text) {
  auto* button = add_gadget<fltk_backend::PushButton>(
      number, fltk_backend::GadgetKind::Button, x, y, w, h,
      [number](int X, int Y, int W, int H) { return new fltk_backend::PushButton(number, X, Y, W, H); });
  if (button != nullptr) button->set_text(text);
}

void create_image_view(int number, int x, int y, int w, int h, Bitmap bitmap) {
  Fl_RGB_Image* image = fltk_backend::find_picture(bitmap);
  if (image != nullptr) {
    const fltk_backend::ImageSize size = fltk_backend::picture_layout_size(bitmap);
    w = size.width;
    h = size.height;
  }
  const Bitmap shown = image != nullptr ? bitmap : kNoBitmap;
  add_gadget<fltk_backend::ImageView>(number, fltk_backend::GadgetKind::ImageView, x, y, w, h,
                                      [number, image, shown](int X, int Y, int W, int H) {
                                        return new fltk_backend::ImageView(number, X, Y, W, H, image, shown);
                                      });
}

void set_gadget_text(int number, std::string_view text) {
  Gadget* gadget = fltk_backend::find_gadget(number);
  if (gadget == nullptr) return;
  switch (gadget->kind()) {
    case fltk_backend::GadgetKind::TextField: {
      const std::string content(text);
      gadget->as<fltk_backend::TextField>()->value(content.c_str(), static_cast<int>(content.size()));
      // The field notifies its change at once (synchronously), like typing.
      common::record_text_change(number);
      break;
    }
    case fltk_backend::GadgetKind::ComboBox: {
      auto* combo = gadget->as<fltk_backend::ComboBox>();
      combo->select(combo->items().selection_for_text(text, combo->selected()));
      break;
    }
    case fltk_backend::GadgetKind::Label:
      gadget->as<fltk_backend::Label>()->set_text(text);
      break;
    case fltk_backend::GadgetKind::Frame:
      gadget->as<fltk_backend::Frame>()->set_text(text);
      break;
    case fltk_backend::GadgetKind::Button:
      gadget->as<fltk_backend::PushButton>()->set_text(text);
      break;
    case fltk_backend::GadgetKind::ImageView:
      gadget->as<fltk_backend::ImageView>()->set_text(text);
      break;
  }
}

std::string get_gadget_text(int number) {
  const Gadget* gadget = fltk_backend::find_gadget(number);
  if (gadget == nullptr) return {};
  switch (gadget->kind()) {
    case fltk_backend::GadgetKind::TextField: {
      const auto* field = gadget->as<fltk_backend::TextField>();
      return std::string(field->value(), static_cast<std::size_t>(field->size()));
    }
    case fltk_backend::GadgetKind::ComboBox: {
      const auto* combo = gadget->as<fltk_backend::ComboBox>();
      return combo->items().text(combo->selected());
    }
    case fltk_backend::GadgetKind::Label: return gadget->as<fltk_backend::Label>()->text();
    case fltk_backend::GadgetKind::Frame: return gadget->as<fltk_backend::Frame>()->text();
    case fltk_backend::GadgetKind::Button: return gadget->as<fltk_backend::PushButton>()->text();
    case fltk_backend::GadgetKind::ImageView: return gadget->as<fltk_backend::ImageView>()->text();
  }
  return {};
}

std::int64_t get_gadget_state(int number) {
  const Gadget* gadget = fltk_backend::find_gadget(number);
  if (gadget == nullptr) return 0;
  switch (gadget->kind()) {
    case fltk_backend::GadgetKind::ComboBox: return gadget->as<fltk_backend::ComboBox>()->selected();
    case fltk_backend::GadgetKind::ImageView: return gadget->as<fltk_backend::ImageView>()->bitmap();
    default: return 0;  // a push button is never checked
  }
}

}  // namespace tk
