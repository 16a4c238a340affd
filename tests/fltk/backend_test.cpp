// The FLTK backend against a real X server (run under tests/fltk/with_xvfb.sh),
// driven with real X input through the XTEST extension.
// GoogleTest before the X headers, whose macros (None, Bool) it would trip on.
#include <gtest/gtest.h>
// clang-format off
#include <FL/Fl.H>
#include <FL/x.H>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "toolkit/common/backend.h"
#include "toolkit/common/canvas.h"
#include "toolkit/fltk/artwork.h"
#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"
#include "toolkit/toolkit.h"

namespace {

namespace fs = std::filesystem;
using tk::fltk_backend::state;

struct Event {
  int code;
  int item;
  int type;
};

bool has_event(const std::vector<Event>& events, int code, int item, int type) {
  for (const Event& e : events) {
    if (e.code == code && e.item == item && e.type == type) return true;
  }
  return false;
}

int count_code(const std::vector<Event>& events, int code) {
  int count = 0;
  for (const Event& e : events) count += e.code == code ? 1 : 0;
  return count;
}

// A scratch directory removed at the end of the test.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "ferrant-fltk-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void write_script(const fs::path& path, const std::string& body) {
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  fs::permissions(path, fs::perms::owner_all);
}

bool wait_for_file(const fs::path& path) {
  for (int i = 0; i < 100 && !fs::exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  return fs::exists(path);
}

class FltkBackend : public ::testing::Test {
 public:
  void SetUp() override {
    ASSERT_TRUE(tk::init_toolkit()) << tk::last_error();
    ASSERT_TRUE(tk::create_window(0, 10, 0, 700, 680, "Ferrant Transmission Calculation", tk::kStyleMainWindow));
    tk::create_menu_bar(0, 0);
    tk::add_menu_title("Varnek");
    tk::add_menu_item(0, "Homepage");
    tk::add_menu_title("Info");
    tk::add_menu_item(3, "Version 1.0");
    tk::create_frame(tk::kAnonymous, 10, 20, 680, 300, "Baserate/Cable ---> Distance ...");
    tk::create_text_field(0, 20, 66, 30, 20, "", tk::kFlagNumber);
    tk::create_combo_box(1, 20, 116, 50, 20);
    for (const char* item : {"0.4", "0.5", "0.6", "0.7"}) tk::add_combo_item(1, -1, item);
    tk::create_text_field(2, 20, 396, 50, 20, "", tk::kFlagNumber);
    tk::create_label(116, 75, 398, 150, 16, "Meter = 0 Feet");
    tk::create_label(117, 115, 398, 100, 16, "");
    tk::create_combo_box(4, 20, 496, 85, 20);
    for (const char* item : {"Pellion", "Ferrant_II", "Ferrant_III", "Ferrant_IV"}) tk::add_combo_item(4, -1, item);
    tk::create_label(121, 75, 498, 150, 16, "");
    tk::create_label(108, 20, 166, 50, 20, "", tk::kFlagSunken);
    tk::create_button(9, 605, 625, 72, 24, "Quit");
    display_ = fl_display;
    window_ = fl_xid(state().window.get());
    settle();
    // Everything below starts with the pointer inside the window.
    move_to(650, 400);
    settle();
  }

  void TearDown() override { tk::close_toolkit(); }

  // Lets the X server deliver what it has and reports every wait_event()
  // return until nothing is left.
  std::vector<Event> settle() {
    std::vector<Event> events;
    for (int quiet_rounds = 0; quiet_rounds < 2;) {
      XSync(display_, False);
      Fl::check();
      bool any = false;
      while (!state().messages.empty() || tk::common::has_queued_window_events()) {
        const int code = tk::wait_event();
        events.push_back(Event{code, tk::event_gadget(), tk::event_type()});
        any = true;
      }
      quiet_rounds = any ? 0 : quiet_rounds + 1;
    }
    return events;
  }

  // Client coordinates to the screen.
  void screen_point(int x, int y, int& sx, int& sy) const {
    Window child = 0;
    XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x,
                          y + state().window->client_top(), &sx, &sy, &child);
  }
  void move_to(int x, int y) {
    int sx = 0, sy = 0;
    screen_point(x, y, sx, sy);
    XTestFakeMotionEvent(display_, -1, sx, sy, CurrentTime);
  }
  void click(int x, int y, unsigned int button = 1) {
    move_to(x, y);
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
  }
  void key(KeySym sym, KeySym modifier = NoSymbol) {
    if (modifier != NoSymbol) XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, modifier), True, CurrentTime);
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, sym), True, CurrentTime);
    XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, sym), False, CurrentTime);
    if (modifier != NoSymbol) XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, modifier), False, CurrentTime);
  }
  void type(const std::string& text) {
    for (const char c : text) key(static_cast<KeySym>(c));
  }

  // The window's pixel at a client point, as a Colour.
  tk::Colour screen_pixel(int x, int y) const {
    XImage* image = XGetImage(display_, window_, x, y + state().window->client_top(), 1, 1, AllPlanes, ZPixmap);
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return tk::rgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
                   static_cast<int>(p & 0xFF));
  }
  // The client rows y..y+h-1, columns x..x+w-1, row by row.
  std::vector<unsigned long> screen_area(int x, int y, int w, int h) const {
    XImage* image = XGetImage(display_, window_, x, y + state().window->client_top(), static_cast<unsigned>(w),
                              static_cast<unsigned>(h), AllPlanes, ZPixmap);
    std::vector<unsigned long> pixels;
    for (int row = 0; row < h; ++row) {
      for (int column = 0; column < w; ++column) pixels.push_back(XGetPixel(image, column, row) & 0xFFFFFF);
    }
    XDestroyImage(image);
    return pixels;
  }

  // Runs the action from inside the loop that an open list or menu runs, as
  // soon as it is open (it holds FLTK's grab then).
  void when_menu_open(void (*action)(FltkBackend&)) {
    pending_action_ = action;
    Fl::add_timeout(0.05, poll_menu, this);
  }
  static void poll_menu(void* self) {
    auto* test = static_cast<FltkBackend*>(self);
    if (Fl::grab() == nullptr) {
      Fl::repeat_timeout(0.05, poll_menu, self);
      return;
    }
    test->pending_action_(*test);
    XFlush(test->display_);
  }

  Display* display_ = nullptr;
  Window window_ = 0;
  void (*pending_action_)(FltkBackend&) = nullptr;
};

TEST_F(FltkBackend, WindowGeometryMenuAndGadgetPlacement) {
  // No window manager: the outer corner is where it was asked.
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, window_, &attributes);
  int sx = 0, sy = 0;
  Window child = 0;
  XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &sx, &sy, &child);
  EXPECT_EQ(sx, 10);
  EXPECT_EQ(sy, 0);
  // The menu bar takes its height from the 700 x 680 client area.
  EXPECT_EQ(attributes.width, 700);
  EXPECT_EQ(attributes.height, 680);
  EXPECT_EQ(state().window->client_top(), tk::fltk_backend::kMenuBarHeight);
  const Fl_Menu_Item* menu = state().window->menu_bar()->menu();
  ASSERT_NE(menu, nullptr);
  EXPECT_STREQ(menu[0].label(), "Varnek");
  EXPECT_STREQ(menu[1].label(), "Homepage");
  EXPECT_STREQ(menu[3].label(), "Info");
  EXPECT_STREQ(menu[4].label(), "Version 1.0");
  // Gadgets sit at their client coordinates below the menu bar; a combo box
  // is exactly its given height.
  const Fl_Widget* combo = tk::fltk_backend::find_gadget(1)->widget();
  EXPECT_EQ(combo->x(), 20);
  EXPECT_EQ(combo->y(), 116 + tk::fltk_backend::kMenuBarHeight);
  EXPECT_EQ(combo->h(), 20);
  EXPECT_EQ(combo->w(), 50);
  // Resizing moves no gadget.
  state().window->size(500, 400);
  settle();
  EXPECT_EQ(combo->x(), 20);
  EXPECT_EQ(combo->y(), 116 + tk::fltk_backend::kMenuBarHeight);
}

TEST_F(FltkBackend, WindowAsksTheWindowManagerForWhatItsStyleAllows) {
  // Motif hints: functions move, resize, close; decorations border, resize
  // handles, title, window menu. No minimise or maximise.
  const Atom motif = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  ASSERT_EQ(XGetWindowProperty(display_, window_, motif, 0, 5, False, motif, &type, &format, &count, &after, &data),
            Success);
  ASSERT_EQ(format, 32);
  ASSERT_EQ(count, 5U);
  const long* words = reinterpret_cast<const long*>(data);
  EXPECT_EQ(words[0], 0x3);
  EXPECT_EQ(words[1], 0x4 | 0x2 | 0x20);
  EXPECT_EQ(words[2], 0x2 | 0x4 | 0x8 | 0x10);
  XFree(data);
  // Without a thick frame nothing resizes.
  const auto fixed = tk::fltk_backend::motif_hints(tk::kStyleCaption | tk::kStyleSysMenu);
  EXPECT_EQ(fixed[1], 0x4 | 0x20);
  EXPECT_EQ(fixed[2], 0x2 | 0x8 | 0x10);
}

TEST_F(FltkBackend, ShowingQueuesSizeMoveActivateWhichDropAPendingFieldChange) {
  tk::close_toolkit();
  ASSERT_TRUE(tk::init_toolkit());
  ASSERT_TRUE(tk::create_window(0, 10, 0, 300, 200, "Start", tk::kStyleMainWindow));
  tk::create_text_field(0, 20, 20, 40, 20, "", tk::kFlagNumber);
  tk::set_gadget_text(0, "0");  // records a change at once
  EXPECT_EQ(tk::wait_event(), tk::kEventSize);
  EXPECT_EQ(tk::wait_event(), tk::kEventMove);
  EXPECT_EQ(tk::wait_event(), tk::kEventActivate);
  // The change was dropped with the first window event: no gadget event follows.
  for (const Event& e : settle()) EXPECT_NE(e.code, tk::kEventGadget) << e.item;
}

TEST_F(FltkBackend, EveryMouseMovementIsOneWaitAndOwnRepaintsNone) {
  for (int i = 0; i < 25; ++i) move_to(300 + i * 3, 400 + i);
  const std::vector<Event> events = settle();
  EXPECT_EQ(count_code(events, tk::kMsgMouseMove), 25);
  EXPECT_EQ(events.size(), 25U);
  for (int i = 0; i < 5; ++i) {
    tk::set_gadget_text(116, i % 2 ? "Meter = 1 Feet" : "Meter = 0 Feet");
    tk::begin_window_drawing(0);
    tk::draw_box(20, 288 + i, 200, 2, tk::rgb(0, 255, 0));
    tk::draw_text(305, 35, "PSD (dBm/Hz)");
    tk::end_drawing();
  }
  EXPECT_TRUE(settle().empty());
}

TEST_F(FltkBackend, DigitsOnlyFieldRefusesTypedLettersButNotPaste) {
  click(35, 76);
  std::vector<Event> events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 0, tk::kTypeFocusGained));
  type("1a2");
  events = settle();
  EXPECT_EQ(tk::get_gadget_text(0), "12");
  EXPECT_EQ(count_code(events, tk::kEventGadget), 2);  // '1' and '2'; 'a' changed nothing
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 0, tk::kTypeEditChange));
  EXPECT_EQ(count_code(events, tk::kMsgKeyUp), 3);     // every key release is a wait too
  // Pasting is not filtered.
  Fl::copy("-5x", 3, 1);
  key(XK_a, XK_Control_L);
  key(XK_v, XK_Control_L);
  events = settle();
  EXPECT_EQ(tk::get_gadget_text(0), "-5x");
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 0, tk::kTypeEditChange));
}

TEST_F(FltkBackend, TabMovesFocusInCreationOrderAndArrowsDoNot) {
  click(35, 76);  // field 0
  settle();
  key(XK_Tab);
  std::vector<Event> events = settle();
  // Field 0 loses the focus and box 1 gains it in the same message: the
  // gaining gadget's event is the one reported for the key press.
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front().item, 1);
  EXPECT_EQ(events.front().type, tk::kTypeComboSetFocus);
  key(XK_Tab);
  events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 2, tk::kTypeFocusGained));
  key(XK_Tab, XK_Shift_L);
  events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 1, tk::kTypeComboSetFocus));
  // Down in a closed list changes its selection, not the focus.
  key(XK_Down);
  events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 1, tk::kTypeComboSelChange));
  EXPECT_EQ(tk::get_gadget_state(1), 0);
  EXPECT_EQ(Fl::focus(), tk::fltk_backend::find_gadget(1)->widget());
  // Shift+Tab from the first stop wraps round to the button.
  key(XK_Tab, XK_Shift_L);
  key(XK_Tab, XK_Shift_L);
  events = settle();
  EXPECT_EQ(Fl::focus(), tk::fltk_backend::find_gadget(9)->widget());
}

TEST_F(FltkBackend, SetGadgetTextOnAFieldIsReportedAfterTheNextMessage) {
  tk::set_gadget_text(2, "45000");
  move_to(400, 300);
  const std::vector<Event> events = settle();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.front().code, tk::kEventGadget);
  EXPECT_EQ(events.front().item, 2);
  EXPECT_EQ(events.front().type, tk::kTypeEditChange);
  EXPECT_EQ(tk::get_gadget_text(2), "45000");
}

TEST_F(FltkBackend, ComboTextsAndSelections) {
  EXPECT_EQ(tk::get_gadget_state(1), -1);
  EXPECT_EQ(tk::get_gadget_text(1), "");
  tk::set_gadget_text(4, "ferrant_iii");  // ignoring case
  EXPECT_EQ(tk::get_gadget_state(4), 2);
  EXPECT_EQ(tk::get_gadget_text(4), "Ferrant_III");
  tk::set_gadget_text(4, "Tamsel2+");  // no such item: unchanged
  EXPECT_EQ(tk::get_gadget_state(4), 2);
  tk::set_gadget_text(4, "");
  EXPECT_EQ(tk::get_gadget_state(4), -1);
  tk::add_combo_item(4, 0, "First");  // the selection stays on its item
  tk::set_gadget_text(4, "Pellion");
  tk::add_combo_item(4, 0, "Zeroth");
  EXPECT_EQ(tk::get_gadget_text(4), "Pellion");
  tk::add_combo_item(4, 99, "Beyond");  // refused
  // Texts FLTK's menus would read as paths, dividers or symbols stay items.
  tk::add_combo_item(4, -1, "_1/2 & @3");
  const auto* combo = tk::fltk_backend::find_gadget(4)->as<tk::fltk_backend::ComboBox>();
  EXPECT_EQ(combo->items().size(), 7U);
  EXPECT_EQ(combo->size(), 8);  // seven items and the end mark, no submenu
  tk::set_gadget_text(4, "_1/2 & @3");
  EXPECT_EQ(tk::get_gadget_state(4), 6);
  EXPECT_FALSE(combo->menu()[6].submenu());
  // Programmatic selection raises no event.
  EXPECT_TRUE(settle().empty());
}

TEST_F(FltkBackend, PickingFromTheOpenListReportsOpenSelectionAndClose) {
  tk::set_gadget_text(1, "0.4");
  // The list runs its own loop: keys arrive from inside it.
  when_menu_open([](FltkBackend& test) {
    test.key(XK_Down);
    test.key(XK_Down);
    test.key(XK_Return);
  });
  click(45, 126);
  const std::vector<Event> events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 1, tk::kTypeComboDropDown));
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 1, tk::kTypeComboCloseUp));
  EXPECT_EQ(tk::get_gadget_state(1), 2);
  EXPECT_EQ(tk::get_gadget_text(1), "0.6");
}

TEST_F(FltkBackend, EmptyLabelLeavesTheArrowBelowItVisibleAndClickable) {
  // Label 121 (from x 75) covers the model box's arrow (the box ends at 105).
  const std::vector<unsigned long> arrow = screen_area(88, 498, 16, 16);
  const bool dark = std::any_of(arrow.begin(), arrow.end(), [](unsigned long p) { return p == 0; });
  EXPECT_TRUE(dark) << "the arrow is hidden";
  when_menu_open([](FltkBackend& test) { test.key(XK_Escape); });
  click(97, 506);
  const std::vector<Event> events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 4, tk::kTypeComboDropDown));
}

TEST_F(FltkBackend, TextsOfFieldsAndBoxesLineUpWithTheLabelsBesideThem) {
  // The first and last client row with dark pixels in the area.
  const auto ink_rows = [this](int x, int y, int w, int h) {
    const std::vector<unsigned long> pixels = screen_area(x, y, w, h);
    int first = -1, last = -1;
    for (int row = 0; row < h; ++row) {
      for (int column = 0; column < w; ++column) {
        const unsigned long p = pixels[static_cast<std::size_t>(row * w + column)];
        if ((p >> 16 & 0xFF) < 0x60 && (p >> 8 & 0xFF) < 0x60 && (p & 0xFF) < 0x60) {
          if (first < 0) first = y + row;
          last = y + row;
        }
      }
    }
    return std::pair{first, last};
  };
  // Labels stand 2 pixels below the field or box they follow.
  tk::set_gadget_text(0, "10");
  tk::create_label(101, 55, 68, 40, 16, "10");
  tk::set_gadget_text(1, "0.4");
  tk::create_label(106, 75, 118, 40, 16, "0.4");
  settle();
  const auto field = ink_rows(23, 68, 22, 17);  // inside the field's border
  EXPECT_NE(field.first, -1);
  EXPECT_EQ(field, ink_rows(55, 68, 40, 17));
  const auto box = ink_rows(23, 118, 26, 17);  // left of the arrow
  EXPECT_NE(box.first, -1);
  EXPECT_EQ(box, ink_rows(75, 118, 40, 17));
}

TEST_F(FltkBackend, FocusShowsOnAComboBoxWithoutSelection) {
  // Model box 4 has no selection: its field is white until it has the focus.
  const auto white_in_field = [this] {
    const std::vector<unsigned long> field = screen_area(24, 500, 50, 12);
    return std::count(field.begin(), field.end(), 0xFFFFFFUL);
  };
  EXPECT_EQ(white_in_field(), 50 * 12);
  click(35, 406);  // field 2; box 4 is the next stop
  settle();
  key(XK_Tab);
  settle();
  ASSERT_EQ(Fl::focus(), tk::fltk_backend::find_gadget(4)->widget());
  EXPECT_EQ(white_in_field(), 0);
  key(XK_Tab);
  settle();
  EXPECT_EQ(white_in_field(), 50 * 12);
}

TEST_F(FltkBackend, LaterOverlappingLabelHidesTheRestOfTheEarlierOne) {
  // 117 starts inside 116 ("Meter = 0 Feet"). Once it has text, the area it
  // covers shows its text only, exactly as if 116 ended after "Meter = ".
  tk::set_gadget_text(117, "3281 Feet");
  settle();
  const std::vector<unsigned long> over = screen_area(75, 398, 150, 16);
  tk::set_gadget_text(116, "Meter = ");
  settle();
  EXPECT_EQ(screen_area(75, 398, 150, 16), over);
  // While 117 is empty, 116's whole text shows.
  tk::set_gadget_text(116, "Meter = 0 Feet");
  tk::set_gadget_text(117, "");
  settle();
  const std::vector<unsigned long> alone = screen_area(115, 398, 100, 16);
  tk::set_gadget_text(116, "Meter = ");
  settle();
  EXPECT_NE(screen_area(115, 398, 100, 16), alone);
}

TEST_F(FltkBackend, DrawingShowsTheCanvasPixelsAndSurvivesASystemRepaint) {
  tk::common::Canvas expected(700, 680, tk::common::kButtonFace);
  const auto both = [&](auto draw_on_window, auto draw_on_canvas) {
    draw_on_window();
    draw_on_canvas();
  };
  tk::begin_window_drawing(0);
  both([] { tk::draw_box(300, 30, 385, 285, tk::rgb(220, 220, 220)); },
       [&] { expected.box(300, 30, 385, 285, tk::rgb(220, 220, 220)); });
  both([] { tk::draw_line(337, 270, 670, 270, tk::kFrontColour); },
       [&] { expected.line(337, 270, 670, 270, tk::kFrontColour); });
  both([] { tk::draw_circle(22, 289, 4, tk::rgb(0, 255, 0)); }, [&] { expected.circle(22, 289, 4, tk::rgb(0, 255, 0)); });
  tk::set_text_background(tk::rgb(220, 220, 220));
  int end = 0;
  both([&] { end = tk::draw_text(305, 35, "PSD (dBm/Hz)"); },
       [&] { EXPECT_EQ(end, expected.text(305, 35, "PSD (dBm/Hz)", tk::rgb(220, 220, 220))); });
  tk::end_drawing();
  settle();
  const auto matches = [&] {
    int wrong = 0;
    const std::vector<unsigned long> shown = screen_area(0, 0, 700, 660);
    for (int y = 0; y < 660; ++y) {
      for (int x = 0; x < 700; ++x) {
        if (!expected.painted(x, y)) continue;
        const tk::Colour c = expected.pixel(x, y);
        const unsigned long want = static_cast<unsigned long>((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF));
        wrong += shown[static_cast<std::size_t>(y * 700 + x)] != want ? 1 : 0;
      }
    }
    return wrong;
  };
  EXPECT_EQ(matches(), 0);
  // Cover the drawing with another window and take it away: the system
  // repaint queues event 15 and brings the drawing back without a redraw.
  Window cover = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 300, 40, 300, 200, 0, 0, 0xFFFFFF);
  XMapRaised(display_, cover);
  XSync(display_, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  XDestroyWindow(display_, cover);
  const std::vector<Event> events = settle();
  EXPECT_GE(count_code(events, tk::kEventRepaint), 1);
  EXPECT_EQ(matches(), 0);
}

TEST_F(FltkBackend, DrawingOutsideAPhaseOrOnAnotherWindowDoesNothing) {
  const tk::Colour before = screen_pixel(50, 600);
  tk::draw_box(40, 590, 20, 20, tk::rgb(255, 0, 0));
  EXPECT_EQ(tk::draw_text(40, 590, "x"), 40);
  tk::begin_window_drawing(7);
  tk::draw_box(40, 590, 20, 20, tk::rgb(255, 0, 0));
  tk::end_drawing();
  settle();
  EXPECT_EQ(screen_pixel(50, 600), before);
  EXPECT_FALSE(state().window->canvas().painted(50, 600));
}

TEST_F(FltkBackend, CloseBoxQueuesCloseAndTheWindowStays) {
  XEvent close{};
  close.xclient.type = ClientMessage;
  close.xclient.window = window_;
  close.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(display_, window_, False, NoEventMask, &close);
  const std::vector<Event> events = settle();
  EXPECT_EQ(count_code(events, tk::kEventClose), 1);
  EXPECT_TRUE(state().window->shown());
  // Escape does not close it either.
  click(35, 76);
  key(XK_Escape);
  EXPECT_EQ(count_code(settle(), tk::kEventClose), 0);
}

TEST_F(FltkBackend, MenuItemAndButtonClick) {
  when_menu_open([](FltkBackend& test) {
    test.key(XK_Down);
    test.key(XK_Return);
  });
  click(15, -10);  // "Varnek" in the menu bar
  std::vector<Event> events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventMenu, 0, tk::kTypeNone));
  click(640, 636);
  events = settle();
  EXPECT_TRUE(has_event(events, tk::kEventGadget, 9, tk::kTypeClicked));
}

TEST_F(FltkBackend, ImageViewTakesTheBitmapSizeAndReportsClicks) {
  const TempDir dir;
  const fs::path logo = dir.path() / "Varnek.bmp";
  const std::vector<std::uint8_t> bytes = tk::fltk_backend::artwork::encode_bmp(tk::fltk_backend::artwork::logo());
  std::ofstream(logo, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  const tk::Bitmap bitmap = tk::load_bitmap(0, logo.string());
  ASSERT_NE(bitmap, tk::kNoBitmap);
  tk::create_image_view(13, 438, 530, 10, 30, bitmap);
  const Fl_Widget* view = tk::fltk_backend::find_gadget(13)->widget();
  EXPECT_EQ(view->w(), tk::fltk_backend::artwork::kLogoWidth);
  EXPECT_EQ(view->h(), tk::fltk_backend::artwork::kLogoHeight);
  EXPECT_EQ(tk::get_gadget_state(13), bitmap);
  click(450, 540);
  EXPECT_TRUE(has_event(settle(), tk::kEventGadget, 13, tk::kTypeClicked));
  // A missing file gives no bitmap; the view keeps its own size.
  EXPECT_EQ(tk::load_bitmap(1, (dir.path() / "missing.bmp").string()), tk::kNoBitmap);
  EXPECT_NE(tk::last_error().find("missing.bmp"), std::string::npos);
  tk::create_image_view(14, 10, 600, 10, 30, tk::kNoBitmap);
  EXPECT_EQ(tk::fltk_backend::find_gadget(14)->widget()->w(), 10);
  EXPECT_EQ(tk::get_gadget_state(14), tk::kNoBitmap);
}

TEST_F(FltkBackend, ReplacingANumberDestroysTheOldGadget) {
  tk::create_label(2, 20, 396, 50, 20, "now a label");
  EXPECT_EQ(tk::get_gadget_text(2), "now a label");
  EXPECT_EQ(tk::fltk_backend::find_gadget(2)->kind(), tk::fltk_backend::GadgetKind::Label);
  int fields = 0;
  for (int n = 0; n < state().window->children(); ++n) {
    fields += dynamic_cast<tk::fltk_backend::TextField*>(state().window->child(n)) != nullptr ? 1 : 0;
  }
  EXPECT_EQ(fields, 1);  // only field 0 is left
  tk::set_gadget_text(555, "nothing");
  EXPECT_EQ(tk::get_gadget_text(555), "");
  EXPECT_EQ(tk::get_gadget_state(555), 0);
}

TEST(FltkOpenUrl, StartsAProgramOrHandsTheLocationToXdgOpenAndLeavesNoZombie) {
  const TempDir dir;
  const fs::path marker = dir.path() / "started";
  const fs::path program = dir.path() / "program";
  write_script(program, "touch '" + marker.string() + "'");
  EXPECT_TRUE(tk::open_url(program.string()));
  EXPECT_TRUE(wait_for_file(marker));

  const char* old_path = std::getenv("PATH");
  const std::string saved = old_path != nullptr ? old_path : "";
  const fs::path handled = dir.path() / "handled";
  write_script(dir.path() / "xdg-open", "printf '%s' \"$1\" > '" + handled.string() + "'");
  setenv("PATH", dir.path().c_str(), 1);
  EXPECT_TRUE(tk::open_url("https://www.varnek.example/"));
  EXPECT_TRUE(wait_for_file(handled));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::ifstream in(handled);
  std::string argument;
  std::getline(in, argument);
  EXPECT_EQ(argument, "https://www.varnek.example/");
  // Nothing to start at all.
  setenv("PATH", (dir.path() / "empty").c_str(), 1);
  EXPECT_FALSE(tk::open_url("https://www.varnek.example/"));
  EXPECT_FALSE(tk::open_url(""));
  setenv("PATH", saved.c_str(), 1);
  // Whatever was started belongs to init: no child of ours is left to reap.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

}  // namespace
