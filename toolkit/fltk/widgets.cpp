#include "toolkit/fltk/widgets.h"

#include <FL/Fl.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>

#include "base/utf8.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/common/typing.h"

namespace tk::fltk_backend {
namespace {

// Pixels the mouse must move with the left button held before an image view
// reports a drag (the platform's drag rectangle reaches 2 pixels each way).
constexpr int kDragDistance = 2;

// Left indent of a frame's caption, and the gap cleared around it in the
// frame's top edge.
constexpr int kCaptionIndent = 8;
constexpr int kCaptionGap = 2;

void set_gui_font(int size) { fl_font(FL_HELVETICA, size); }

// Distance from the top of a text cell to the baseline at this size.
int ascent_at(int size) {
  set_gui_font(size);
  return fl_height() - fl_descent();
}

// Baseline of a line of text whose cell starts at top: the full size's, also
// for texts set smaller.
int baseline_below(int top) { return top + ascent_at(gui_font_size()); }

// The largest size from the GUI font's size down to its smallest at which fits()
// holds with the GUI font set to that size; the smallest when none does.
// Leaves the GUI font set to some size.
template <class Fits>
int largest_fitting_size(const Fits& fits) {
  for (int size = gui_font_size(); size > min_gui_font_size(); --size) {
    set_gui_font(size);
    if (fits()) return size;
  }
  return min_gui_font_size();
}

// Whether the text, set from x 0 in the current font, leaves no word cut by
// the edge at x = room: every word (run of non-blanks) ends at or before it,
// or, when what lies beyond the edge is hidden anyway, starts at or after it.
// Trailing blanks draw nothing and may cross the edge.
bool words_fit(std::string_view text, int room, bool hidden_beyond_edge) {
  constexpr std::string_view kBlanks = " \t";
  const auto width_of_first = [&](std::size_t bytes) {
    return fl_width(text.data(), static_cast<int>(bytes));
  };
  for (std::size_t start = text.find_first_not_of(kBlanks); start != std::string_view::npos;) {
    const std::size_t end = std::min(text.find_first_of(kBlanks, start), text.size());
    if (width_of_first(end) > room && !(hidden_beyond_edge && width_of_first(start) >= room)) return false;
    start = text.find_first_not_of(kBlanks, end);
  }
  return true;
}

// The fitted size of a text in its room.
int fitted_text_size(std::string_view text, TextRoom room) {
  if (text.empty()) return gui_font_size();
  return largest_fitting_size([&] { return words_fit(text, room.width, room.hidden_beyond); });
}

std::string doubled(std::string_view text, std::string_view specials) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    if (specials.find(c) != std::string_view::npos) result.push_back(c);
    result.push_back(c);
  }
  return result;
}

}  // namespace

std::string literal_label(std::string_view text) { return doubled(text, "@&"); }

std::string menu_path(std::string_view text, bool ampersand_marks_mnemonic) {
  std::string result;
  for (const char c : ampersand_marks_mnemonic ? doubled(text, "@") : literal_label(text)) {
    if (c == '\\' || c == '/' || (c == '_' && result.empty())) result.push_back('\\');
    result.push_back(c);
  }
  return result;
}

// --- MainWindow ---------------------------------------------------------------

namespace {

void on_window_callback(Fl_Widget*, void*) {
  // The close box (WM_DELETE_WINDOW) asks the program; the window stays.
  // Escape, which FLTK also routes here, does nothing.
  if (Fl::event() == FL_CLOSE) note_window_event(kEventClose);
}

}  // namespace

MainWindow::MainWindow(int number, int x, int y, int client_width, int client_height,
                       const char* title)
    : Fl_Double_Window(x, y, device(client_width), device(client_height), title),
      number_(number),
      canvas_(client_width, client_height, kButtonFace),
      shown_(client_width, client_height, kButtonFace) {
  common::scale_picture(shown_, state().dpi, 0, 0, client_width, client_height, picture_);
  end();  // children are added explicitly, in creation order
  box(FL_FLAT_BOX);
  color(FL_BACKGROUND_COLOR);
  callback(on_window_callback);
  resizable(nullptr);  // resizing moves no gadget
}

Fl_Menu_Bar& MainWindow::attach_menu_bar() {
  if (menu_bar_ == nullptr) {
    menu_bar_ = new Fl_Menu_Bar(0, 0, w(), device(kMenuBarHeight));
    menu_bar_->box(FL_FLAT_BOX);
    menu_bar_->textfont(FL_HELVETICA);
    menu_bar_->textsize(gui_font_size());
    menu_bar_->hide();  // an empty menu bar takes no room
    insert(*menu_bar_, 0);
  }
  return *menu_bar_;
}

void MainWindow::menu_bar_has_titles() {
  const int bar_height = device(kMenuBarHeight);
  if (menu_bar_ == nullptr || client_top_ == bar_height) return;
  client_top_ = bar_height;
  for (int n = 0; n < children(); ++n) {
    Fl_Widget* c = child(n);
    if (c != menu_bar_) c->position(c->x(), c->y() + bar_height);
  }
  menu_bar_->show();
  redraw();
}

void MainWindow::commit_drawing(int x0, int y0, int x1, int y1) {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, canvas_.width());
  y1 = std::min(y1, canvas_.height());
  int cx0 = INT_MAX, cy0 = INT_MAX, cx1 = INT_MIN, cy1 = INT_MIN;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      if (canvas_.pixel(x, y) != shown_.pixel(x, y) || canvas_.painted(x, y) != shown_.painted(x, y)) {
        cx0 = std::min(cx0, x);
        cx1 = std::max(cx1, x + 1);
        cy0 = std::min(cy0, y);
        cy1 = std::max(cy1, y + 1);
      }
    }
  }
  if (cx0 >= cx1) return;  // the same pixels again: nothing to repaint
  shown_ = canvas_;
  const common::DeviceArea area = common::scale_picture(shown_, state().dpi, cx0, cy0, cx1, cy1, picture_);
  damage(FL_DAMAGE_ALL, area.x0, area.y0 + client_top_, area.x1 - area.x0, area.y1 - area.y0);
}

int MainWindow::handle(int event) {
  switch (event) {
    case FL_FOCUS:
      // Activation gives the focus back to the gadget that had it; the
      // window never hands it to a gadget by itself.
      if (Gadget* last = find_gadget(state().last_focused_gadget)) {
        if (last->widget()->take_focus()) return 1;
      }
      return 1;
    case FL_KEYBOARD:
      // Tab and Shift+Tab, which no gadget uses, move the focus in the shared
      // order instead of FLTK's navigation; arrow keys stay with the gadgets.
      if (Fl::event_key() == FL_Tab && (Fl::event_state() & (FL_CTRL | FL_ALT | FL_META)) == 0) {
        tab_focus((Fl::event_state() & FL_SHIFT) == 0);
        return 1;
      }
      return 0;
    default:
      return Fl_Double_Window::handle(event);
  }
}

bool give_focus(Fl_Widget& widget) {
  // The gadget losing the focus hears of it first, as on the platform, so
  // that the gaining gadget's notification is the message's last one.
  if (Fl::focus() != nullptr && !widget.contains(Fl::focus())) Fl::focus(nullptr);
  return widget.take_focus() != 0;
}

void tab_focus(bool forward) {
  const auto& gadgets = state().gadgets;
  const Gadget* current = nullptr;
  for (const auto& entry : gadgets.entries()) {
    if (entry.gadget->widget()->contains(Fl::focus())) current = entry.gadget.get();
  }
  const Gadget* target = gadgets.tab_target(current, forward, [](const auto& entry) {
    const Fl_Widget& widget = *entry.gadget->widget();
    return common::takes_focus(entry.kind) && widget.visible() && widget.active();
  });
  if (target != nullptr) give_focus(*target->widget());
}

void MainWindow::draw() {
  if (damage() & ~FL_DAMAGE_CHILD) {
    Fl_Double_Window::draw();
    int x = 0, y = 0, w = 0, h = 0;
    fl_clip_box(0, 0, this->w(), this->h(), x, y, w, h);
    paint_canvas(x, y, w, h);
    return;
  }
  // Only some gadgets changed. Everything they cover is drawn again in
  // creation order, so overlapping gadgets keep their layering and the
  // drawing stays on top.
  int x0 = INT_MAX, y0 = INT_MAX, x1 = INT_MIN, y1 = INT_MIN;
  for (int n = 0; n < children(); ++n) {
    const Fl_Widget* c = child(n);
    if (c->damage() == 0 || !c->visible()) continue;
    x0 = std::min(x0, c->x());
    y0 = std::min(y0, c->y());
    x1 = std::max(x1, c->x() + c->w());
    y1 = std::max(y1, c->y() + c->h());
  }
  if (x0 < x1 && y0 < y1) {
    fl_push_clip(x0, y0, x1 - x0, y1 - y0);
    draw_box();
    for (int n = 0; n < children(); ++n) draw_child(*child(n));
    paint_canvas(x0, y0, x1 - x0, y1 - y0);
    fl_pop_clip();
  }
  for (int n = 0; n < children(); ++n) child(n)->clear_damage();
}

void MainWindow::paint_canvas(int x, int y, int w, int h) const {
  const int row_begin = std::max(y, client_top_) - client_top_;
  const int row_end = std::min(y + h, client_top_ + picture_.height) - client_top_;
  const int column_begin = std::max(x, 0);
  const int column_end = std::min(x + w, picture_.width);
  if (row_begin >= row_end || column_begin >= column_end) return;
  const auto at = [&](int px, int py) {
    return static_cast<std::size_t>(py) * static_cast<std::size_t>(picture_.width) + static_cast<std::size_t>(px);
  };
  const auto columns = static_cast<std::size_t>(column_end - column_begin);
  const auto same_mask = [&](int a, int b) {
    return std::equal(picture_.painted.begin() + static_cast<std::ptrdiff_t>(at(column_begin, a)),
                      picture_.painted.begin() + static_cast<std::ptrdiff_t>(at(column_begin, a) + columns),
                      picture_.painted.begin() + static_cast<std::ptrdiff_t>(at(column_begin, b)));
  };
  // Rows whose painted pixels lie in the same columns go to the server
  // together, one image per run of painted columns: a whole scale repeats
  // every row, and most of the drawing is rectangles.
  for (int top = row_begin; top < row_end;) {
    int bottom = top + 1;
    while (bottom < row_end && same_mask(top, bottom)) ++bottom;
    for (int cx = column_begin; cx < column_end;) {
      if (picture_.painted[at(cx, top)] == 0) {
        ++cx;
        continue;
      }
      const int start = cx;
      while (cx < column_end && picture_.painted[at(cx, top)] != 0) ++cx;
      run_.clear();
      for (int cy = top; cy < bottom; ++cy) {
        for (int px = start; px < cx; ++px) {
          const Colour c = picture_.pixels[at(px, cy)];
          run_.push_back(static_cast<uchar>(c & 0xFF));
          run_.push_back(static_cast<uchar>((c >> 8) & 0xFF));
          run_.push_back(static_cast<uchar>((c >> 16) & 0xFF));
        }
      }
      fl_draw_image(run_.data(), start, top + client_top_, cx - start, bottom - top, 3);
    }
    top = bottom;
  }
}

void MainWindow::resize(int x, int y, int w, int h) {
  const bool sized = w != this->w() || h != this->h();
  const bool moved = x != this->x() || y != this->y();
  Fl_Double_Window::resize(x, y, w, h);
  if (menu_bar_ != nullptr) menu_bar_->size(w, menu_bar_->h());
  if (announced_ && sized) note_window_event(kEventSize);
  if (announced_ && moved) note_window_event(kEventMove);
}

// --- Label ----------------------------------------------------------------------

Label::Label(int x, int y, int w, int h, bool sunken) : Fl_Widget(x, y, w, h), sunken_(sunken) {
  box(sunken ? FL_DOWN_FRAME : FL_NO_BOX);
  color(FL_BACKGROUND_COLOR);
}

namespace {

// Whether a gadget's control hides what lies under its box. Frames are
// transparent inside and an image view shows only its picture.
bool paints_over(const Fl_Widget& widget) {
  if (const auto* label = dynamic_cast<const Label*>(&widget)) return label->paints_box();
  if (dynamic_cast<const Frame*>(&widget) != nullptr) return false;
  if (const auto* view = dynamic_cast<const ImageView*>(&widget)) return view->bitmap() != kNoBitmap;
  return true;
}

bool rows_overlap(const Fl_Widget& a, const Fl_Widget& b) {
  return a.y() < b.y() + b.h() && b.y() < a.y() + a.h();
}

}  // namespace

void Label::set_text(std::string_view text) {
  if (text == text_) return;
  const bool painted = paints_box();
  text_ = text;
  redraw();
  // Whether this label paints over earlier ones decides their room: they
  // are drawn again whole, at the size that now fits.
  const Fl_Group* group = parent();
  if (painted == paints_box() || group == nullptr) return;
  for (int n = 0, self = group->find(this); n < self; ++n) {
    Fl_Widget* earlier = group->child(n);
    if (dynamic_cast<Label*>(earlier) != nullptr && rows_overlap(*earlier, *this)) earlier->redraw();
  }
}

int Label::inset() const { return sunken_ ? Fl::box_dx(FL_DOWN_FRAME) : 0; }

// In a sunken box the text keeps one pixel clear of the border's left side.
int Label::text_x() const { return x() + (sunken_ ? inset() + 1 : 0); }

TextRoom Label::text_room() const {
  const int text_left = text_x();
  TextRoom room{x() + w() - inset() - text_left, false};
  // A later gadget over the text line hides the text from its left side on.
  if (const Fl_Group* group = parent()) {
    for (int n = group->find(this) + 1; n < group->children(); ++n) {
      const Fl_Widget& later = *group->child(n);
      if (!later.visible() || !paints_over(later) || !rows_overlap(later, *this)) continue;
      const int edge = later.x() - text_left;
      if (edge > 0 && edge < room.width) room = {edge, true};
    }
  }
  return room;
}

int Label::text_size() const { return fitted_text_size(text_, text_room()); }

void Label::draw() {
  if (!sunken_ && text_.empty()) return;  // hides nothing, blocks nothing
  fl_color(color());
  fl_rectf(x(), y(), w(), h());
  if (sunken_) draw_box(FL_DOWN_FRAME, color());
  if (text_.empty()) return;
  const int inner_w = w() - 2 * inset();
  const int inner_h = h() - 2 * inset();
  if (inner_w <= 0 || inner_h <= 0) return;
  const int size = text_size();
  const int baseline = baseline_below(y() + inset());
  fl_push_clip(x() + inset(), y() + inset(), inner_w, inner_h);
  set_gui_font(size);
  fl_color(FL_FOREGROUND_COLOR);
  fl_draw(text_.data(), static_cast<int>(text_.size()), text_x(), baseline);
  fl_pop_clip();
}

// --- Frame ----------------------------------------------------------------------

Frame::Frame(int x, int y, int w, int h) : Fl_Widget(x, y, w, h) {
  box(FL_NO_BOX);
  color(FL_BACKGROUND_COLOR);
}

void Frame::set_text(std::string_view text) {
  if (text == text_) return;
  text_ = text;
  redraw();
}

TextRoom Frame::text_room() const { return {w() - 2 * device(kCaptionIndent)}; }

int Frame::text_size() const { return fitted_text_size(text_, text_room()); }

void Frame::draw() {
  const int size = text_size();
  const int baseline = baseline_below(y());
  const int text_height = fl_height();  // at the full size, as the baseline
  const int line_y = y() + text_height / 2;
  const int line_h = h() - (line_y - y());
  if (w() > 0 && line_h > 0) fl_draw_box(FL_ENGRAVED_FRAME, x(), line_y, w(), line_h, color());
  if (text_.empty()) return;
  const int indent = device(kCaptionIndent);
  const int gap = device(kCaptionGap);
  const int space = w() - 2 * indent;
  if (space <= 0) return;
  set_gui_font(size);
  const int text_width = static_cast<int>(fl_width(text_.data(), static_cast<int>(text_.size())));
  fl_push_clip(x() + indent - gap, y(), space + 2 * gap, text_height);
  fl_color(color());
  fl_rectf(x() + indent - gap, y(), text_width + 2 * gap, text_height);
  fl_color(FL_FOREGROUND_COLOR);
  fl_draw(text_.data(), static_cast<int>(text_.size()), x() + indent, baseline);
  fl_pop_clip();
}

// --- TextField ------------------------------------------------------------------

// Whether the field takes every character of a typed text (UTF-8), by the
// shared typing rule; a refused one shows the hint.
bool TextField::takes_typed(std::string_view typed) const {
  const std::u32string characters = base::decode_utf8(typed);
  return std::all_of(characters.begin(), characters.end(),
                     [this](char32_t c) { return common::typed_into_field(number_, flags_, c); });
}

TextField::TextField(int number, int x, int y, int w, int h, std::uint32_t flags)
    : Fl_Input(x, y, w, h), number_(number), flags_(flags) {
  box(FL_DOWN_BOX);
  textfont(FL_HELVETICA);
  textsize(gui_font_size());
  when(FL_WHEN_CHANGED);
  callback(changed);
}

void TextField::changed(Fl_Widget* widget, void*) {
  note_text_change(static_cast<TextField*>(widget)->number_);
}

int TextField::handle(int event) {
  switch (event) {
    case FL_KEYBOARD: {
      // Digits only: a typed character that is not a digit is refused.
      // Control keys and shortcuts (Ctrl+V pastes unfiltered) pass.
      const char* text = Fl::event_text();
      const int length = Fl::event_length();
      const bool command = (Fl::event_state() & (FL_CTRL | FL_ALT | FL_META)) != 0;
      if (!command && length > 0 && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F &&
          !takes_typed(std::string_view(text, static_cast<std::size_t>(length)))) {
        return 1;  // refused: the field shows the hint instead
      }
      return Fl_Input::handle(event);
    }
    case FL_PASTE:
      common::pasted_into_field(number_, flags_,
                                std::string_view(Fl::event_text(), static_cast<std::size_t>(Fl::event_length())));
      return Fl_Input::handle(event);
    case FL_FOCUS: {
      const int result = Fl_Input::handle(event);
      state().last_focused_gadget = number_;
      note_gadget_event(number_, kTypeEditSetFocus);
      note_gadget_event(number_, kTypeFocusGained);
      return result;
    }
    case FL_UNFOCUS: {
      const int result = Fl_Input::handle(event);
      note_gadget_event(number_, kTypeEditKillFocus);
      note_gadget_event(number_, kTypeFocusLost);
      return result;
    }
    default:
      return Fl_Input::handle(event);
  }
}

// FLTK's field sets its text 1 pixel in and scrolls it once it comes
// within 3 pixels of the right side (room for the cursor).
TextRoom TextField::text_room() const { return {w() - Fl::box_dw(box()) - 4}; }

int TextField::text_size() const {
  return fitted_text_size(std::string_view(value(), static_cast<std::size_t>(size())), text_room());
}

void TextField::draw() {
  // Fl_Input centres the text cell in the field; the platform's fields put
  // it at the top of the inner area, so that the text lines up with the
  // labels that stand 2 pixels lower than the field beside it. The window
  // draws each control whole (draw_child), so the size may change here.
  const int size = text_size();
  textsize(size);
  const int drop = ascent_at(gui_font_size()) - ascent_at(size);
  const Fl_Boxtype frame = box();
  if (damage() & FL_DAMAGE_ALL) draw_box(frame, color());
  const int inner_h = h() - Fl::box_dh(frame) - drop;
  drawtext(x() + Fl::box_dx(frame), y() + Fl::box_dy(frame) + drop, w() - Fl::box_dw(frame),
           std::min(inner_h, fl_height()));
}

// --- ComboBox -------------------------------------------------------------------

ComboBox::ComboBox(int number, int x, int y, int w, int h) : Fl_Choice(x, y, w, h), number_(number) {
  textfont(FL_HELVETICA);
  textsize(gui_font_size());
  when(FL_WHEN_NEVER);
}

void ComboBox::insert_item(int position, std::string_view text) {
  const int kept = selected();
  const auto inserted = items_.insert(position, text);
  if (!inserted) return;
  Fl_Menu_::insert(*inserted, menu_path(text, false).c_str(), 0, nullptr);
  select(common::selection_after_insert(kept, *inserted));
}

void ComboBox::select(int index) {
  if (index < 0 || index >= items_.size()) {
    value(-1);
  } else {
    value(index);
  }
  redraw();
}

// A key that selects an item (the selected one, too) reports a selection
// change.
void ComboBox::select_by_user(std::optional<int> index) {
  if (!index) return;
  select(*index);
  note_gadget_event(number_, kTypeComboSelChange);
}

// As on the platform, a click into the open list selects with its press and
// closes the list with its release, each a message of its own: the press
// reports the selection change, the release the closing. A list closed by a
// key reports the change last, after the closing.
void ComboBox::open_list() {
  note_gadget_event(number_, kTypeComboDropDown);
  const Message* opening_press = state().press_message;
  // The open list is white, as the closed box's text area.
  const Fl_Color own = color();
  color(FL_BACKGROUND2_COLOR);
  const Fl_Menu_Item* picked = menu()->pulldown(x(), y(), w(), h(), mvalue(), this);
  color(own);
  const int index = picked != nullptr && !picked->submenu() ? static_cast<int>(picked - menu()) : -1;
  const bool changed = index >= 0 && index != selected();
  if (changed) select(index);
  note_gadget_event(number_, index >= 0 ? kTypeComboSelEndOk : kTypeComboSelEndCancel);
  note_gadget_event(number_, kTypeComboCloseUp);
  Message* press_in_list = state().press_message != opening_press ? state().press_message : nullptr;
  if (changed && press_in_list != nullptr && Fl::event() == FL_RELEASE) {
    note_gadget_event_of(*press_in_list, number_, kTypeComboSelChange);
  } else if (changed) {
    note_gadget_event(number_, kTypeComboSelChange);
  }
  redraw();
}

namespace {

// FLTK's keys that move a closed combo box's selection.
std::optional<common::ComboKey> combo_key(int key) {
  switch (key) {
    case FL_Up: return common::ComboKey::Up;
    case FL_Down: return common::ComboKey::Down;
    case FL_Left: return common::ComboKey::Left;
    case FL_Right: return common::ComboKey::Right;
    case FL_Home: return common::ComboKey::Home;
    case FL_End: return common::ComboKey::End;
    case FL_Page_Up: return common::ComboKey::PageUp;
    case FL_Page_Down: return common::ComboKey::PageDown;
    default: return std::nullopt;
  }
}

}  // namespace

int ComboBox::handle(int event) {
  const int count = items_.size();
  switch (event) {
    case FL_PUSH:
      if (Fl::event_button() != FL_LEFT_MOUSE) return 1;
      if (Fl::focus() != this) give_focus(*this);
      open_list();
      return 1;
    case FL_KEYBOARD: {
      const int key = Fl::event_key();
      const int modifiers = Fl::event_state() & (FL_CTRL | FL_ALT | FL_META);
      if (key == ' ' || key == FL_F + 4 || (key == FL_Down && modifiers == FL_ALT)) {
        open_list();
        return 1;
      }
      if (modifiers != 0 || count == 0) return 0;
      if (const std::optional<common::ComboKey> moving = combo_key(key)) {
        select_by_user(common::selection_after_key(*moving, selected(), count));
        return 1;
      }
      // A character selects the next item that starts with it.
      const char* text = Fl::event_text();
      if (Fl::event_length() != 1 || static_cast<unsigned char>(text[0]) < 0x21) return 0;
      select_by_user(items_.next_starting_with(std::string_view(text, 1), selected()));
      return 1;
    }
    case FL_FOCUS:
      state().last_focused_gadget = number_;
      note_gadget_event(number_, kTypeComboSetFocus);
      return Fl_Choice::handle(event);
    case FL_UNFOCUS:
      note_gadget_event(number_, kTypeComboKillFocus);
      return Fl_Choice::handle(event);
    case FL_SHORTCUT:
      return 0;  // items have no shortcuts
    default:
      return Fl_Choice::handle(event);
  }
}

namespace {

// FLTK's closed choice: a white sunken field with a raised arrow button at
// its right end, as wide as the field is high (at most 20 pixels).
constexpr Fl_Boxtype kComboField = FL_DOWN_BOX;
// The selected item's text stands this far into the field left of the arrow
// and is clipped 1 pixel short of either end.
constexpr int kComboTextIndent = 3;

int combo_arrow_width(int h) { return std::min(h - 2 * Fl::box_dy(kComboField), device(20)); }

}  // namespace

TextRoom ComboBox::text_room() const {
  const int field_w = w() - Fl::box_dw(kComboField) - combo_arrow_width(h());
  return {field_w - device(kComboTextIndent) - 1};
}

int ComboBox::text_size() const {
  const int index = selected();
  return index < 0 ? gui_font_size() : fitted_text_size(items_.text(index), text_room());
}

void ComboBox::draw() {
  constexpr Fl_Boxtype kField = kComboField;
  const int dx = Fl::box_dx(kField);
  const int dy = Fl::box_dy(kField);
  const int inner_h = h() - 2 * dy;
  const int arrow_w = combo_arrow_width(h());
  const int arrow_x = x() + w() - dx - arrow_w;
  draw_box(kField, FL_BACKGROUND2_COLOR);
  draw_box(FL_UP_BOX, arrow_x, y() + dy, arrow_w, inner_h, color());
  const int tip = std::max((arrow_w - 4) / 3, 1);
  const int tip_x = arrow_x + (arrow_w - 2 * tip - 1) / 2;
  const int tip_y = y() + dy + (inner_h - tip - 1) / 2;
  fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
  fl_polygon(tip_x, tip_y, tip_x + tip, tip_y + tip, tip_x + 2 * tip, tip_y);

  // The selection field left of the arrow. With the focus it is highlighted
  // even when empty (the model box starts so), else the focus would not show.
  const int field_x = x() + dx;
  const int field_y = y() + dy;
  const int field_w = arrow_x - field_x;
  if (field_w <= 2 || inner_h <= 2) return;
  const bool focused = Fl::focus() == this;
  if (focused) {
    fl_color(selection_color());
    fl_rectf(field_x + 1, field_y + 1, field_w - 2, inner_h - 2);
  }
  const int index = selected();
  if (index < 0) return;
  const std::string text = items_.text(index);
  // The text cell at the top of the field, in line with the labels beside
  // the box (they stand 2 pixels lower than it).
  const int size = text_size();
  const int baseline = baseline_below(field_y);
  fl_push_clip(field_x + 1, field_y, field_w - 2, inner_h);
  fl_font(textfont(), size);
  fl_color(focused ? fl_contrast(textcolor(), selection_color()) : textcolor());
  fl_draw(text.data(), static_cast<int>(text.size()), field_x + device(kComboTextIndent), baseline);
  fl_pop_clip();
}

// --- PushButton -----------------------------------------------------------------

PushButton::PushButton(int number, int x, int y, int w, int h) : Fl_Button(x, y, w, h), number_(number) {
  labelfont(FL_HELVETICA);
  labelsize(gui_font_size());
  callback(clicked);
}

void PushButton::clicked(Fl_Widget* widget, void*) {
  note_gadget_event(static_cast<PushButton*>(widget)->number_, kTypeClicked);
}

void PushButton::set_text(std::string_view text) {
  text_ = text;
  // "&" keeps its meaning (the mnemonic) as on the platform; "@" is literal.
  std::string label;
  for (const char c : text) {
    if (c == '@') label.push_back('@');
    label.push_back(c);
  }
  copy_label(label.c_str());
  redraw();
}

int PushButton::handle(int event) {
  if (event == FL_FOCUS) state().last_focused_gadget = number_;
  return Fl_Button::handle(event);
}

TextRoom PushButton::text_room() const { return {w() - Fl::box_dw(box())}; }

// FLTK centres the caption on the face and draws "&x" as an underlined x.
int PushButton::text_size() const {
  if (text_.empty()) return gui_font_size();
  const int room = text_room().width;
  return largest_fitting_size([&] {
    int width = 0, height = 0;
    const char saved = fl_draw_shortcut;
    fl_draw_shortcut = 1;
    fl_measure(label(), width, height, 1);
    fl_draw_shortcut = saved;
    return width <= room;
  });
}

void PushButton::draw() {
  labelsize(text_size());
  Fl_Button::draw();
}

// --- ImageView ------------------------------------------------------------------

ImageView::ImageView(int number, int x, int y, int w, int h, Fl_RGB_Image* image, Bitmap bitmap)
    : Fl_Widget(x, y, w, h), number_(number), image_(image), bitmap_(bitmap) {
  box(FL_NO_BOX);
}

void ImageView::forget_image() {
  image_ = nullptr;
  bitmap_ = kNoBitmap;
  redraw();
}

void ImageView::draw() {
  if (image_ != nullptr) image_->draw(x(), y());
}

int ImageView::handle(int event) {
  switch (event) {
    case FL_PUSH: {
      press_x_ = Fl::event_x();
      press_y_ = Fl::event_y();
      const bool twice = Fl::event_clicks() > 0;
      if (Fl::event_button() == FL_LEFT_MOUSE) {
        note_gadget_event(number_, twice ? kTypeDoubleClick : kTypeClicked);
      } else if (Fl::event_button() == FL_RIGHT_MOUSE) {
        note_gadget_event(number_, twice ? kTypeRightDoubleClick : kTypeRightClick);
      }
      return 1;
    }
    case FL_DRAG:
      if ((Fl::event_state() & FL_BUTTON1) != 0 &&
          (std::abs(Fl::event_x() - press_x_) > kDragDistance ||
           std::abs(Fl::event_y() - press_y_) > kDragDistance)) {
        note_gadget_event(number_, kTypeDrag);
      }
      return 1;
    case FL_RELEASE:
      return 1;
    default:
      return 0;
  }
}

}  // namespace tk::fltk_backend
