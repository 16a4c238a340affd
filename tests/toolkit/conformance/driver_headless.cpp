// The conformance driver on the headless backend (toolkit/headless/driver.h).
// The window keeps only the drawing; pixel() shows image views over it.
#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/headless/driver.h"

namespace conformance {

namespace hl = tk::headless;

const char* backend_name() { return "headless"; }
void window_ready() {}

void focus_field(int gadget) { hl::focus(gadget); }
void type(std::string_view keys) { hl::type_text(keys); }
void paste(std::string_view text) {
  hl::select_all(hl::focused_gadget());
  hl::paste(text);
}
void pick(int gadget, int index) { hl::pick(gadget, index); }
void open_close(int gadget) { hl::open_close(gadget); }
void click(int gadget) { hl::click(gadget); }
void tab(bool forward) { forward ? hl::tab() : hl::backtab(); }

void press_key(Key key) {
  constexpr hl::Key kKeys[] = {hl::Key::F10,   hl::Key::Alt,    hl::Key::Left, hl::Key::Right,
                               hl::Key::Up,    hl::Key::Down,   hl::Key::Enter, hl::Key::Escape,
                               hl::Key::Home,  hl::Key::End,    hl::Key::PageUp, hl::Key::PageDown};
  hl::press_key(kKeys[static_cast<int>(key)]);
}
void press_chord(char32_t key, bool ctrl, bool shift, bool alt) { hl::press_chord(key, ctrl, shift, alt); }
// The right click goes to the topmost gadget under the point, if any.
void right_click_window(int x, int y) {
  const std::vector<int> numbers = hl::gadget_numbers();
  for (auto number = numbers.rbegin(); number != numbers.rend(); ++number) {
    const hl::Rect r = hl::rect(*number);
    if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return hl::right_click(*number);
  }
  hl::right_click_window();
}
void choose_menu(int item) { hl::choose_menu(item); }
void close_box() { hl::close_box(); }
void system_repaint() { hl::system_repaint(); }
void move_mouse(int count) { hl::move_mouse(count); }

std::vector<Event> settle() {
  std::vector<Event> events;
  while (hl::has_pending()) {
    const int code = tk::wait_event();
    events.push_back(Event{code, tk::event_gadget(), tk::event_type()});
  }
  return events;
}

int focused_gadget() { return hl::focused_gadget(); }
std::string shown_text(int gadget) { return hl::text(gadget); }
bool window_shown() { return hl::window_exists(); }
bool has_address() { return true; }
std::string clipboard_text() { return hl::clipboard(); }

Hint field_hint(int gadget) {
  const hl::FieldHint hint = hl::field_hint();
  return hint.gadget == gadget ? Hint{hint.title, hint.text} : Hint{};
}

tk::Colour pixel(int x, int y) {
  for (const int number : hl::gadget_numbers()) {
    const hl::Rect view = hl::rect(number);
    const tk::common::DecodedImage* image = tk::common::find_image(tk::get_gadget_state(number));
    if (hl::kind(number) == hl::GadgetKind::ImageView && image != nullptr && x >= view.x && y >= view.y &&
        x < view.x + view.w && y < view.y + view.h) {
      const std::uint32_t argb = image->argb[static_cast<std::size_t>((y - view.y) * image->width + (x - view.x))];
      return tk::rgb(static_cast<int>(argb >> 16 & 0xFF), static_cast<int>(argb >> 8 & 0xFF),
                     static_cast<int>(argb & 0xFF));
    }
  }
  return hl::pixel(x, y);
}

}  // namespace conformance
