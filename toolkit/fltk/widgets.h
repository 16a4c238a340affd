// The FLTK controls behind the gadgets, and the main window that holds them
// and paints the retained drawing over them.
#pragma once

#include <FL/Fl_Choice.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Widget.H>

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/common/canvas.h"
#include "toolkit/common/combo.h"
#include "toolkit/fltk/platform.h"

class Fl_RGB_Image;

namespace tk::fltk_backend {

// Texts handed to FLTK's label and menu parsers: "@" starts a symbol and
// "&" marks a shortcut there, so both are doubled to stand for themselves.
std::string literal_label(std::string_view text);
// An item text for Fl_Menu_::add and insert, which also split at "/" and
// read "\" and a leading "_": those are escaped as well. In the menu bar "&"
// marks the mnemonic as on the platform; in a list it is literal.
std::string menu_path(std::string_view text, bool ampersand_marks_mnemonic);

// Moves the keyboard focus to the widget: the old focus is told first.
bool give_focus(Fl_Widget& widget);

// Tab (forward) or Shift+Tab: moves the focus to the next gadget that can
// take it, in the shared tab order (GadgetTable::tab_target).
void tab_focus(bool forward);

// The top-level window. Its client area starts below the menu bar; every
// gadget and drawing coordinate is relative to that. The program's layout
// and the canvas are at 100 %; the window, its controls and the picture on
// screen are in device pixels at the window's scale (State::dpi). Children are never moved
// by resizing. Tab and Shift+Tab move the focus (tab_focus); arrow keys never
// do.
class MainWindow final : public Fl_Double_Window {
 public:
  // client_width x client_height at 100 %.
  MainWindow(int number, int x, int y, int client_width, int client_height, const char* title);

  int number() const { return number_; }
  // Window y of client row 0 in device pixels: the menu bar's height once it
  // has titles.
  int client_top() const { return client_top_; }
  // Adds the menu bar (empty, taking no height yet).
  Fl_Menu_Bar& attach_menu_bar();
  Fl_Menu_Bar* menu_bar() const { return menu_bar_; }
  // The menu bar got its first title: it now takes its height from the client
  // area, and the gadgets keep their client coordinates.
  void menu_bar_has_titles();

  // The retained drawing (client coordinates at 100 %).
  common::Canvas& canvas() { return canvas_; }
  // Brings the screen up to date with the canvas within [x0, x1) x [y0, y1).
  void commit_drawing(int x0, int y0, int x1, int y1);

  // Size and move events are queued only once the window has been announced.
  void set_announced() { announced_ = true; }

  int handle(int event) override;
  void draw() override;
  void resize(int x, int y, int w, int h) override;

 private:
  // Paints the picture's painted pixels within the window rectangle.
  void paint_canvas(int x, int y, int w, int h) const;

  int number_;
  int client_top_ = 0;
  bool announced_ = false;
  Fl_Menu_Bar* menu_bar_ = nullptr;
  common::Canvas canvas_;
  common::Canvas shown_;  // the canvas as last committed to the screen
  common::ScaledPicture picture_;  // shown_ in device pixels
  mutable std::vector<unsigned char> run_;  // RGB bytes on their way to the server, kept for reuse
};

// Texts are set in the GUI font at its size (kGuiFontSize at the window's
// scale), or smaller where the text
// would not fit its room at that size with the font fontconfig gives (another
// sans font than the one asked for may be wider): each gadget's text_size()
// is then the largest size down to the smallest (kMinGuiFontSize, scaled) at
// which it fits, measured
// afresh with the current text and font whenever the gadget is drawn. A
// smaller text keeps the baseline of the full size, in line with its
// neighbours.

// The room a gadget leaves its text, from where the text starts: its width,
// and whether what lies beyond it is hidden under a later gadget (a word may
// then start there; one that starts before it must end before it).
struct TextRoom {
  int width = 0;
  bool hidden_beyond = false;
};

// Left-aligned text at the top of its box, clipped to it; optionally in a
// sunken border. A label with text paints its whole box, hiding what an
// earlier, overlapping gadget shows there; an empty borderless label paints
// nothing. Labels take no events.
//
// The program lets a later label hide the tail of an earlier one ("Meter = "
// continued by the feet figure). A label's room therefore ends where a later
// gadget that paints over it begins, and its text fits when no word is cut
// there: each word ends before that edge or starts at or after it (hidden).
class Label final : public Fl_Widget {
 public:
  Label(int x, int y, int w, int h, bool sunken);
  void set_text(std::string_view text);
  const std::string& text() const { return text_; }
  bool sunken() const { return sunken_; }
  // Whether the label hides what lies under its box (it has text or a border).
  bool paints_box() const { return sunken_ || !text_.empty(); }
  TextRoom text_room() const;
  int text_size() const;
  void draw() override;

 private:
  int inset() const;   // the border's width, if any
  int text_x() const;  // where the text starts
  std::string text_;
  bool sunken_;
};

// A group box: an etched rectangle with the caption set into its top edge.
// Transparent inside; no events.
class Frame final : public Fl_Widget {
 public:
  Frame(int x, int y, int w, int h);
  void set_text(std::string_view text);
  const std::string& text() const { return text_; }
  // The caption's room: the top edge less an indent at either end.
  TextRoom text_room() const;
  int text_size() const;
  void draw() override;

 private:
  std::string text_;
};

// Single-line edit field, scrolling horizontally. With the digits-only flag
// typed characters other than digits are refused; pasted text is not
// filtered. Reports focus gain and loss and every change of its content.
// Its text stands at the top of the field, in line with the labels beside it.
class TextField final : public Fl_Input {
 public:
  TextField(int number, int x, int y, int w, int h, std::uint32_t flags);
  // The content's room: what FLTK shows without scrolling.
  TextRoom text_room() const;
  int text_size() const;
  int handle(int event) override;
  void draw() override;

 private:
  static void changed(Fl_Widget* widget, void*);
  bool takes_typed(std::string_view typed) const;

  int number_;
  std::uint32_t flags_;  // the digits-only flag decides what typing inserts
};

// Pick-only drop-down list, exactly its given height. Reports focus gain and
// loss, the list opening and closing, and selections by the user. The
// selected item's text stands in line with the labels beside the box; with
// the focus the field is highlighted, empty or not.
class ComboBox final : public Fl_Choice {
 public:
  ComboBox(int number, int x, int y, int w, int h);
  // position -1 appends; a position past the end adds nothing.
  void insert_item(int position, std::string_view text);
  // Selects index (-1: none) without an event.
  void select(int index);
  int selected() const { return value(); }
  const common::ComboItems& items() const { return items_; }
  // The selected item's room: the field left of the arrow. The open list
  // keeps the full size (FLTK sizes it to its widest item).
  TextRoom text_room() const;
  int text_size() const;
  int handle(int event) override;
  void draw() override;

 private:
  void open_list();
  void select_by_user(std::optional<int> index);
  int number_;
  common::ComboItems items_;
};

// Push button: reports clicks.
class PushButton final : public Fl_Button {
 public:
  PushButton(int number, int x, int y, int w, int h);
  void set_text(std::string_view text);
  const std::string& text() const { return text_; }
  // The caption's room: the face inside the raised border.
  TextRoom text_room() const;
  int text_size() const;
  int handle(int event) override;
  void draw() override;

 private:
  static void clicked(Fl_Widget* widget, void*);
  int number_;
  std::string text_;
};

// Shows a bitmap at its own size (nothing without one). Reports left and
// right clicks, double clicks and drags with the left button.
class ImageView final : public Fl_Widget {
 public:
  ImageView(int number, int x, int y, int w, int h, Fl_RGB_Image* image, Bitmap bitmap);
  Bitmap bitmap() const { return bitmap_; }
  void forget_image();  // the bitmap was freed
  void set_text(std::string_view text) { text_ = text; }
  const std::string& text() const { return text_; }
  void draw() override;
  int handle(int event) override;

 private:
  int number_;
  Fl_RGB_Image* image_;
  Bitmap bitmap_;
  std::string text_;
  int press_x_ = 0, press_y_ = 0;
};

}  // namespace tk::fltk_backend
