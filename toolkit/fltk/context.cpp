// The FLTK backend's context menu, clipboard and refused-character hint.
//
// What it does: the context menu is FLTK's pop-up menu of the shared items
// (toolkit/common/context_menu.h), opened from dispatch_event() for a right
// click off the image views, Shift+F10 and the Menu key; a shortcut that
// names an item is taken there too, before any gadget sees the key. The
// clipboard is X's CLIPBOARD and PRIMARY selections. The hint is a borderless
// pop-up under the field, like a tooltip, with the title in bold.
// Quirks: FLTK's pop-up runs its own loop inside the message that opened it;
// the choice is recorded with the message being handled when it returns.
// FLTK 1.3 has no accessibility interface, so describe_drawing() only keeps
// nothing here.
#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Menu_Window.H>
#include <FL/fl_draw.H>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"

namespace tk::fltk_backend {
namespace {

// The chord of the key FLTK is handling.
common::KeyChord chord_of_event() {
  const int key = Fl::event_key();
  const int held = Fl::event_state();
  common::KeyChord chord;
  chord.ctrl = (held & FL_CTRL) != 0;
  chord.shift = (held & FL_SHIFT) != 0;
  chord.alt = (held & FL_ALT) != 0;
  if (key == FL_F + 10) {
    chord.key = common::kKeyF10;
  } else if (key == FL_Menu) {
    chord.key = common::kKeyContextMenu;
  } else if ((key >= 'a' && key <= 'z') || (key >= '0' && key <= '9')) {
    chord.key = static_cast<char32_t>(key);
  }
  return chord;
}

// FLTK's shortcut value of a chord, so the menu shows it as FLTK spells it.
int fltk_shortcut(const common::KeyChord& chord) {
  if (chord.key == 0 || chord.key > 0x7F) return 0;
  const int letter = chord.key >= U'A' && chord.key <= U'Z' ? static_cast<int>(chord.key - U'A' + U'a')
                                                             : static_cast<int>(chord.key);
  return letter | (chord.ctrl ? FL_CTRL : 0) | (chord.shift ? FL_SHIFT : 0) | (chord.alt ? FL_ALT : 0);
}

// Shows the menu with its top-left corner at the window point and records
// the item chosen.
void pop_up_context_menu(int x, int y) {
  const std::vector<common::ContextMenuItem>& items = common::context_menu_items();
  if (items.empty()) return;
  std::vector<std::string> labels;
  labels.reserve(items.size());
  std::vector<Fl_Menu_Item> menu(items.size() + 1, Fl_Menu_Item{});
  for (std::size_t i = 0; i < items.size(); ++i) {
    labels.push_back(literal_label(items[i].name));
    menu[i].label(labels.back().c_str());
    menu[i].shortcut(items[i].chord ? fltk_shortcut(*items[i].chord) : 0);
    menu[i].argument(items[i].item);
  }
  for (Fl_Menu_Item& item : menu) item.labelsize(gui_font_size());
  if (const Fl_Menu_Item* chosen = menu.front().popup(x, y)) {
    note_menu_event(static_cast<int>(chosen->argument()));
  }
}

// The kind of a visible gadget under a window point, if any; an image view
// first, as it lies over whatever it shares the point with.
std::optional<GadgetKind> gadget_kind_at(int x, int y) {
  std::optional<GadgetKind> under;
  for (const auto& entry : state().gadgets.entries()) {
    const Fl_Widget& widget = *entry.gadget->widget();
    if (!widget.visible() || x < widget.x() || y < widget.y() || x >= widget.x() + widget.w() ||
        y >= widget.y() + widget.h()) {
      continue;
    }
    if (entry.kind == GadgetKind::ImageView) return entry.kind;
    under = entry.kind;
  }
  return under;
}

// The hint beside a field: a bordered pop-up with the title in bold over the
// text, and a small point towards the field.
class HintWindow final : public Fl_Menu_Window {
 public:
  HintWindow(int x, int y, std::string title, std::string text)
      : Fl_Menu_Window(x, y, 1, 1), title_(std::move(title)), text_(std::move(text)) {
    set_override();
    clear_border();
    end();
    const int pad = device(kPad);
    fl_font(FL_HELVETICA_BOLD, gui_font_size());
    const int title_width = static_cast<int>(fl_width(title_.c_str()));
    const int line = fl_height();
    fl_font(FL_HELVETICA, gui_font_size());
    const int text_width = static_cast<int>(fl_width(text_.c_str()));
    size(std::max(title_width, text_width) + 2 * pad, device(kPoint) + 2 * line + 3 * pad);
  }

  void draw() override {
    const int point = device(kPoint);
    const int pad = device(kPad);
    fl_color(FL_BACKGROUND_COLOR);
    fl_rectf(0, 0, w(), h());
    fl_color(fl_rgb_color(255, 255, 225));
    fl_rectf(0, point, w(), h() - point);
    fl_polygon(pad, point, pad + point, 0, pad + 2 * point, point);
    fl_color(FL_FOREGROUND_COLOR);
    fl_rect(0, point, w(), h() - point);
    fl_line(pad, point, pad + point, 0, pad + 2 * point, point);
    fl_font(FL_HELVETICA_BOLD, gui_font_size());
    const int line = fl_height();
    fl_draw(title_.c_str(), pad, point + pad + line - fl_descent());
    fl_font(FL_HELVETICA, gui_font_size());
    fl_draw(text_.c_str(), pad, point + 2 * pad + 2 * line - fl_descent());
  }

  const std::string& title() const { return title_; }
  const std::string& text() const { return text_; }

 private:
  static constexpr int kPoint = 6;  // the point's height, at 100 %
  static constexpr int kPad = 4;
  std::string title_;
  std::string text_;
};

// The hint that shows, if any.
struct Hint {
  std::unique_ptr<HintWindow> window;
  int gadget = kAnonymous;
};
Hint& hint() {
  static Hint shown;
  return shown;
}

void hint_timed_out(void*);

void end_hint() {
  Fl::remove_timeout(hint_timed_out);
  hint() = Hint{};
}

void hint_timed_out(void*) {
  end_hint();
  common::forget_field_hint();
}

}  // namespace

bool handle_context_keys(int event, bool ours) {
  if (!ours) return false;
  if (event == FL_PUSH || event == FL_KEYBOARD) common::dismiss_field_hint();
  if (event == FL_PUSH && Fl::event_button() == FL_RIGHT_MOUSE &&
      common::right_click_opens_context_menu(gadget_kind_at(Fl::event_x(), Fl::event_y()))) {
    pop_up_context_menu(Fl::event_x(), Fl::event_y());
    return true;
  }
  if (event != FL_KEYBOARD) return false;
  const common::KeyChord chord = chord_of_event();
  if (common::opens_context_menu(chord)) {
    const Fl_Widget* focus = Fl::focus();
    const bool in_window = focus != nullptr && state().window && focus->window() == state().window.get();
    pop_up_context_menu(in_window ? focus->x() : 0, in_window ? focus->y() + focus->h() : 0);
    return true;
  }
  if (const std::optional<int> item = common::shortcut_item(chord)) {
    note_menu_event(*item);
    return true;
  }
  return false;
}

HintShown shown_hint() {
  const HintWindow* window = hint().window.get();
  return window != nullptr ? HintShown{hint().gadget, window->title(), window->text()} : HintShown{};
}

void close_context_state() { end_hint(); }

}  // namespace tk::fltk_backend

namespace tk {

// Both selections: what Ctrl+V and what the middle button paste elsewhere.
void set_clipboard_text(std::string_view text) {
  Fl::copy(text.data(), static_cast<int>(text.size()), 1);
  Fl::copy(text.data(), static_cast<int>(text.size()), 0);
}

void describe_drawing(int /*window*/, int /*x*/, int /*y*/, int /*w*/, int /*h*/, std::string_view /*text*/) {}

void backend::show_field_hint(int gadget, std::string_view title, std::string_view text, int milliseconds) {
  using namespace fltk_backend;
  end_hint();
  const Gadget* field = find_gadget(gadget);
  if (field == nullptr || !state().window) return;
  const Fl_Widget& widget = *field->widget();
  const MainWindow& window = *state().window;
  Hint& shown = hint();
  shown.window = std::make_unique<HintWindow>(window.x_root() + widget.x() + widget.w() / 2 - device(6),
                                              window.y_root() + widget.y() + widget.h(), std::string(title),
                                              std::string(text));
  shown.gadget = gadget;
  shown.window->show();
  Fl::add_timeout(milliseconds / 1000.0, hint_timed_out);
}

void backend::hide_field_hint() { fltk_backend::end_hint(); }

}  // namespace tk
