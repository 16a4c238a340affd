// The conformance driver on the FLTK backend: real X input through XTEST on
// the X server in DISPLAY (tests/fltk/with_xvfb.sh starts one), and the pixels
// it shows. With no window manager the keyboard follows the pointer, so
// window_ready() parks the pointer on an empty part of the window.
#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <future>
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"

namespace conformance {
namespace {

using tk::fltk_backend::state;

Window window_id() { return fl_xid(state().window.get()); }

// Moves the pointer to a window point (the menu bar included).
void move_to(int x, int y) {
  int sx = 0, sy = 0;
  Window child = 0;
  XTranslateCoordinates(fl_display, window_id(), DefaultRootWindow(fl_display), x, y, &sx, &sy, &child);
  XTestFakeMotionEvent(fl_display, -1, sx, sy, CurrentTime);
}

void press_left_button() {
  XTestFakeButtonEvent(fl_display, Button1, True, CurrentTime);
  XTestFakeButtonEvent(fl_display, Button1, False, CurrentTime);
}

struct Press {
  KeySym sym;
  std::vector<KeySym> modifiers;
};

void key(const Press& press) {
  for (const KeySym modifier : press.modifiers) {
    XTestFakeKeyEvent(fl_display, XKeysymToKeycode(fl_display, modifier), True, CurrentTime);
  }
  const KeyCode code = XKeysymToKeycode(fl_display, press.sym);
  XTestFakeKeyEvent(fl_display, code, True, CurrentTime);
  XTestFakeKeyEvent(fl_display, code, False, CurrentTime);
  for (auto modifier = press.modifiers.rbegin(); modifier != press.modifiers.rend(); ++modifier) {
    XTestFakeKeyEvent(fl_display, XKeysymToKeycode(fl_display, *modifier), False, CurrentTime);
  }
}

void key(KeySym sym, KeySym modifier = NoSymbol) {
  key(Press{sym, modifier == NoSymbol ? std::vector<KeySym>{} : std::vector<KeySym>{modifier}});
}

// An open list or menu runs a loop of its own inside the program's wait,
// holding FLTK's grab; the action runs inside that loop once the grab is there.
std::function<void()> menu_action;

void poll_menu(void*) {
  if (Fl::grab() == nullptr) return Fl::repeat_timeout(0.02, poll_menu);
  menu_action();
  XFlush(fl_display);
}

void when_menu_open(std::function<void()> action) {
  menu_action = std::move(action);
  Fl::add_timeout(0.02, poll_menu);
}

// Keys press_key() has not pressed yet; the pace of asking whether FLTK has
// handled the last one.
std::deque<Press> keys_to_press;
constexpr double kKeyPace = 0.02;

void press_next_key(void*) {
  XSync(fl_display, False);
  if (XQLength(fl_display) == 0 && !keys_to_press.empty()) {
    key(keys_to_press.front());
    keys_to_press.pop_front();
    XFlush(fl_display);
  }
  if (!keys_to_press.empty()) Fl::repeat_timeout(kKeyPace, press_next_key);
}

// The parking point of the pointer, away from every gadget.
int park_x = 0, park_y = 0;
int moves = 0;

// The window's pixels, read at the first pixel() after each settle() (one
// request a pixel would take seconds for an area).
struct ImageFree {
  void operator()(XImage* image) const { XDestroyImage(image); }
};
std::unique_ptr<XImage, ImageFree> screen;

}  // namespace

const char* backend_name() { return "fltk"; }

void window_ready() {
  screen.reset();
  XWindowAttributes attributes{};
  while (XGetWindowAttributes(fl_display, window_id(), &attributes) != 0 && attributes.map_state != IsViewable) {
    XSync(fl_display, False);
    Fl::check();
  }
  park_x = state().window->w() - 10;
  park_y = state().window->h() / 2;
  move_to(park_x, park_y);
  XSync(fl_display, False);
}

void click(int gadget) {
  const Fl_Widget& widget = *tk::fltk_backend::find_gadget(gadget)->widget();
  move_to(widget.x() + widget.w() / 2, widget.y() + widget.h() / 2);
  press_left_button();
}

void focus_field(int gadget) { click(gadget); }

void type(std::string_view keys) {
  for (const char c : keys) key(static_cast<KeySym>(static_cast<unsigned char>(c)));
}

void paste(std::string_view text) {
  Fl::copy(text.data(), static_cast<int>(text.size()), 1);
  key(XK_a, XK_Control_L);
  key(XK_v, XK_Control_L);
}

// The list opens over the box, its items sharing its height equally.
void pick(int gadget, int index) {
  const auto count = static_cast<int>(tk::fltk_backend::find_gadget(gadget)->as<Fl_Choice>()->size()) - 1;
  when_menu_open([index, count] {
    const Fl_Window& list = *Fl::grab();
    XTestFakeMotionEvent(fl_display, -1, list.x() + list.w() / 2, list.y() + list.h() * (2 * index + 1) / (2 * count),
                         CurrentTime);
    press_left_button();
  });
  click(gadget);
}

void open_close(int gadget) {
  when_menu_open([] { key(XK_Escape); });
  click(gadget);
}

void tab(bool forward) { key(XK_Tab, forward ? NoSymbol : XK_Shift_L); }

// A key only once FLTK has handled all input before it (inside the menu's
// own loop too), as a user presses them: FLTK's menu handles every queued key
// before it updates its windows.
void press_key(Key pressed) {
  constexpr KeySym kKeySyms[] = {XK_F10,    XK_Alt_L, XK_Left,  XK_Right, XK_Up,    XK_Down,
                                 XK_Return, XK_Escape, XK_Home, XK_End,   XK_Prior, XK_Next};
  keys_to_press.push_back(Press{kKeySyms[static_cast<int>(pressed)], {}});
  if (!Fl::has_timeout(press_next_key)) Fl::add_timeout(0, press_next_key);
}

void press_chord(char32_t pressed, bool ctrl, bool shift, bool alt) {
  Press press{pressed == tk::common::kKeyF10           ? static_cast<KeySym>(XK_F10)
              : pressed == tk::common::kKeyContextMenu ? static_cast<KeySym>(XK_Menu)
                                                       : static_cast<KeySym>(std::tolower(static_cast<int>(pressed))),
              {}};
  if (ctrl) press.modifiers.push_back(XK_Control_L);
  if (shift) press.modifiers.push_back(XK_Shift_L);
  if (alt) press.modifiers.push_back(XK_Alt_L);
  keys_to_press.push_back(std::move(press));
  if (!Fl::has_timeout(press_next_key)) Fl::add_timeout(0, press_next_key);
}

void right_click_window(int x, int y) {
  move_to(x, state().window->client_top() + y);
  XTestFakeButtonEvent(fl_display, Button3, True, CurrentTime);
  XTestFakeButtonEvent(fl_display, Button3, False, CurrentTime);
}

// Clicks the item's title (Fl_Menu_Bar's layout: from x 6, each title its
// measured width and 16 more), then walks down to the item and takes it.
void choose_menu(int item) {
  const Fl_Menu_Bar& bar = *state().window->menu_bar();
  int title_x = bar.x() + 6;
  for (const Fl_Menu_Item* title = bar.menu(); title != nullptr && title->label() != nullptr; title = title->next()) {
    const int width = title->measure(nullptr, &bar) + 16;
    for (int k = 0; title[k + 1].label() != nullptr; ++k) {
      if (title[k + 1].argument() != item) continue;
      when_menu_open([k] {
        for (int step = 0; step <= k; ++step) key(XK_Down);
        key(XK_Return);
      });
      move_to(title_x + width / 2, bar.y() + bar.h() / 2);
      press_left_button();
      return;
    }
    title_x += width;
  }
}

// As the window manager's close box: WM_DELETE_WINDOW.
void close_box() {
  XEvent close{};
  close.xclient = {ClientMessage, 0, False, fl_display, window_id(), XInternAtom(fl_display, "WM_PROTOCOLS", False),
                   32, {}};
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(fl_display, "WM_DELETE_WINDOW", False));
  XSendEvent(fl_display, window_id(), False, NoEventMask, &close);
}

// A window covering the screen comes and goes.
void system_repaint() {
  const Window cover =
      XCreateSimpleWindow(fl_display, DefaultRootWindow(fl_display), 0, 0, static_cast<unsigned>(Fl::w()),
                          static_cast<unsigned>(Fl::h()), 0, 0, 0xFFFFFF);
  XMapRaised(fl_display, cover);
  XSync(fl_display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  XDestroyWindow(fl_display, cover);
}

// Each movement to another point next to the parking point.
void move_mouse(int count) {
  for (int i = 0; i < count; ++i) move_to(park_x - 1 - (moves++ % 10), park_y);
}

std::vector<Event> settle() {
  screen.reset();
  std::vector<Event> events;
  for (int quiet_rounds = 0; quiet_rounds < 2 || !keys_to_press.empty();) {
    XSync(fl_display, False);
    if (keys_to_press.empty()) {
      Fl::check();
    } else {
      Fl::wait(kKeyPace);
    }
    const std::size_t before = events.size();
    while (!state().messages.empty() || tk::common::has_queued_window_events()) {
      const int code = tk::wait_event();
      events.push_back(Event{code, tk::event_gadget(), tk::event_type()});
    }
    quiet_rounds = events.size() > before ? 0 : quiet_rounds + 1;
  }
  return events;
}

int focused_gadget() {
  for (const auto& entry : state().gadgets.entries()) {
    if (entry.gadget->widget() == Fl::focus()) return entry.number;
  }
  return -1;
}

// What FLTK's control holds; the backend draws the rest from the gadget's text.
std::string shown_text(int gadget) {
  const tk::fltk_backend::Gadget* found = tk::fltk_backend::find_gadget(gadget);
  const char* text = nullptr;
  switch (found != nullptr ? found->kind() : tk::GadgetKind::Frame) {
    case tk::GadgetKind::TextField: text = found->as<Fl_Input>()->value(); break;
    case tk::GadgetKind::ComboBox: text = found->as<Fl_Choice>()->text(); break;
    case tk::GadgetKind::Button: text = found->widget()->label(); break;
    default: return tk::get_gadget_text(gadget);
  }
  return text != nullptr ? text : "";
}

bool window_shown() { return state().window != nullptr && state().window->shown() && state().window->visible(); }
bool has_address() { return false; }

tk::Colour pixel(int x, int y) {
  const Fl_Window& window = *state().window;
  if (!screen) {
    screen.reset(XGetImage(fl_display, window_id(), 0, 0, static_cast<unsigned>(window.w()),
                           static_cast<unsigned>(window.h()), AllPlanes, ZPixmap));
  }
  const int row = y + state().window->client_top();
  if (!screen || x < 0 || row < 0 || x >= window.w() || row >= window.h()) return 0;
  const unsigned long p = XGetPixel(screen.get(), x, row);
  return tk::rgb(static_cast<int>(p >> 16 & 0xFF), static_cast<int>(p >> 8 & 0xFF), static_cast<int>(p & 0xFF));
}

// The clipboard as xclip reads it, served meanwhile from FLTK's loop.
std::string clipboard_text() {
  auto reading = std::async(std::launch::async, [] {
    std::string text;
    if (FILE* pipe = popen("xclip -o -selection clipboard 2>/dev/null", "r")) {
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
      pclose(pipe);
    }
    return text;
  });
  while (reading.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) Fl::wait(0.01);
  return reading.get();
}

Hint field_hint(int gadget) {
  const tk::fltk_backend::HintShown shown = tk::fltk_backend::shown_hint();
  return shown.gadget == gadget ? Hint{shown.title, shown.text} : Hint{};
}

}  // namespace conformance
