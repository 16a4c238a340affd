// The FLTK backend's platform state, internal to the backend: the window with
// its retained drawing, the gadgets, the pictures of the loaded images, the
// platform messages handled but not yet reported.
//
// Messages. A platform message is one X event for one of the program's
// windows (input, focus, exposure, structure, client messages, selections),
// leaving out the events that the toolkit's own drawing and property changes
// cause. FLTK handles all queued X events in one Fl::wait() and runs nested
// loops inside some of them (an open combo list, the menu), so the backend
// counts each X event as it arrives (a system handler), attaches to it the
// gadget or menu events its handling records, and pump_message() then reports
// the counted messages one per call.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/canvas.h"
#include "toolkit/common/display_scale.h"
#include "toolkit/common/gadget_table.h"
#include "toolkit/common/messages.h"
#include "toolkit/toolkit.h"

class Fl_Widget;
class Fl_RGB_Image;

namespace tk::fltk_backend {

using tk::GadgetKind;

using common::kButtonFace;
// Height the menu bar takes from the client area once it has titles, at
// 100 %. Every length here is at 100 %; the window applies the display scale
// (State::dpi) through device() and the font functions below.
inline constexpr int kMenuBarHeight = 20;
// The one GUI font (Liberation Sans, Arial's metrics) and its pixel size: the
// longest texts of the 16-pixel labels fit their boxes at this size. Where
// fontconfig offers a wider sans font instead, a text that would not fit its
// gadget is set in the largest smaller size that fits, down to
// kMinGuiFontSize (fitted_text_size).
inline constexpr const char* kGuiFontName = " Liberation Sans";
inline constexpr int kGuiFontSize = 11;
inline constexpr int kMinGuiFontSize = 8;
// Window and canvas sides are cut to this (no absurd allocation).
inline constexpr int kMaxSide = 8192;
// The smallest size the user can shrink the window to.
inline constexpr int kMinWindowWidth = 120;
inline constexpr int kMinWindowHeight = 80;

class MainWindow;

// One handled platform message waiting to be reported, with the last gadget
// or menu event its handling recorded (a text change stands for EN_UPDATE
// then EN_CHANGE).
struct Message {
  enum class Recorded { Nothing, Event, TextChange };
  int code = kMsgNull;  // the platform's (Win32-numbered) identifier
  Recorded recorded = Recorded::Nothing;
  int event_code = 0;
  int item = 0;
  int type = kTypeNone;
};

// A gadget's control. Destroying the gadget removes the control from the
// window (repainting what it covered) and deletes it.
class Gadget {
 public:
  Gadget(GadgetKind kind, Fl_Widget* widget) : kind_(kind), widget_(widget) {}
  ~Gadget();
  Gadget(const Gadget&) = delete;
  Gadget& operator=(const Gadget&) = delete;

  GadgetKind kind() const { return kind_; }
  Fl_Widget* widget() const { return widget_; }
  template <class Control>
  Control* as() const {
    return static_cast<Control*>(widget_);
  }

 private:
  GadgetKind kind_;
  Fl_Widget* widget_;
};

// The picture of a loaded image (make_image) at the display scale it was last
// shown at; FLTK's image keeps a pointer to the bytes.
struct Picture {
  common::DecodedImage decoded;       // at 100 %, the image view's layout size
  int dpi = 0;                        // the scale `image` is made for
  std::vector<unsigned char> pixels;  // RGB, or RGBA when not opaque
  std::unique_ptr<Fl_RGB_Image> image;
};

struct State {
  // Declared in this order so that the gadgets go before the window that
  // holds them, and the window before the pictures its gadgets show.
  std::map<Bitmap, Picture> pictures;  // by handle, freed by free_image()
  Bitmap last_picture = kNoBitmap;     // handles count up per process
  std::unique_ptr<MainWindow> window;
  int window_number = 0;
  // The window's display scale (dots per inch, 96 = 100 %), decided when it
  // is made: FERRANT_SCALE, GDK_SCALE or Xft.dpi, cut to what fits the screen.
  int dpi = common::kBaseDpi;
  common::GadgetTable<Gadget> gadgets;
  int current_menu_title = -1;      // index into the menu bar's titles
  int last_focused_gadget = kAnonymous;  // restored when the window is activated
  std::deque<Message> messages;     // handled, not yet reported
  Message* current = nullptr;       // the message being handled, if any
  Message* press_message = nullptr; // the newest button press among them
  // The program's window as X last reported it.
  bool window_active = false;
  bool window_minimised = false;
  // The last button press, to tell double clicks.
  struct Press {
    unsigned int button = 0;
    unsigned long time = 0;
    int x = 0, y = 0;
    bool can_start_double_click = false;
  } last_press;
  // Alt went down in the program's window and no other key or click came
  // since: its release opens the menu bar.
  bool alt_alone = false;
};

State& state();

// --- reports from the controls (while a message is handled) ----------------

// A gadget event (kEventGadget) of the message being handled.
void note_gadget_event(int gadget, int type);
// A gadget event of an earlier message not yet reported.
void note_gadget_event_of(Message& message, int gadget, int type);
// A text field's content change of the message being handled.
void note_text_change(int gadget);
// A menu event (kEventMenu) of the message being handled.
void note_menu_event(int item);
// A window event of the program's window, queued at once.
void note_window_event(int code);

// --- helpers shared by the backend's files ----------------------------------

// The gadget with this number, or nullptr.
Gadget* find_gadget(int number);
// The picture a bitmap handle names at the window's scale, or nullptr.
Fl_RGB_Image* find_picture(Bitmap handle);
// The size at 100 % of the image a bitmap handle names; 0 x 0 for none.
struct ImageSize {
  int width = 0, height = 0;
};
ImageSize picture_layout_size(Bitmap handle);

// The display scale of a window of this client size at 100 %.
int window_dpi(int client_width, int client_height);

// A length at 100 % in the window's device pixels, and the GUI font's sizes
// at the window's scale.
inline int device(int length) { return common::to_device(length, state().dpi); }
inline int gui_font_size() { return common::scaled_font_size(kGuiFontSize, state().dpi); }
inline int min_gui_font_size() { return common::scaled_font_size(kMinGuiFontSize, state().dpi); }
// The context menu and shortcuts (context.cpp), for dispatch_event(): a
// right click or key in the program's window that opens the menu or
// chooses an item is taken (true); a click or key ends the hint first.
bool handle_context_keys(int event, bool ours);
// The refused-character hint that shows (gadget kAnonymous: none).
struct HintShown {
  int gadget = kAnonymous;
  std::string title;
  std::string text;
};
HintShown shown_hint();
// Closes the hint with the window.
void close_context_state();

// Whether a window manager frames the program's windows.
bool window_manager_running();

// The _MOTIF_WM_HINTS words (flags, functions, decorations, input mode,
// status) that ask a window manager for what a window style allows: a title
// bar with the window menu and close for a caption with the system menu, a
// sizing border for a thick frame, minimise and maximise only with their
// boxes.
using MotifHints = std::array<long, 5>;
MotifHints motif_hints(std::uint32_t style);

}  // namespace tk::fltk_backend
