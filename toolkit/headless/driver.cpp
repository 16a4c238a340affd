// The driver: user actions become platform messages in the headless queue
// (see the message model in driver.h); readers look at the simulated window.
#include <algorithm>
#include <utility>

#include "toolkit/common/backend.h"
#include "toolkit/common/display_scale.h"
#include "base/utf8.h"
#include "toolkit/headless/state.h"

namespace tk::headless {
namespace {

using detail::Gadget;
using detail::Message;
using detail::MessageKind;
using detail::state;

Message message_of(MessageKind kind) {
  Message message;
  message.kind = kind;
  return message;
}

void post(Message message) { state().messages.push_back(std::move(message)); }

void post(MessageKind kind, int gadget = kAnonymous) {
  Message message = message_of(kind);
  message.gadget = gadget;
  post(std::move(message));
}

// A click-like action on a gadget that takes the focus moves it first.
void focus_before_click(const Gadget& gadget) {
  if (common::takes_focus(gadget.kind) && detail::focus_after_queue() != &gadget) {
    post(MessageKind::Focus, gadget.number);
  }
}

// Key down, the character Enter and Escape type, key up.
void post_key(Key key) {
  Message down = message_of(MessageKind::KeyDown);
  down.key = key;
  post(std::move(down));
  if (key == Key::Enter || key == Key::Escape) {
    Message typed = message_of(MessageKind::Char);
    typed.character = key == Key::Enter ? U'\r' : U'\x1B';
    post(std::move(typed));
  }
  Message up = message_of(MessageKind::KeyUp);
  up.key = key;
  post(std::move(up));
}

// Open, optionally choose, close: the list's message sequence.
void post_list_sequence(const Gadget& combo, int index, bool choose) {
  focus_before_click(combo);
  post(MessageKind::ComboOpen, combo.number);
  post(MessageKind::ButtonUp, combo.number);
  if (choose) {
    Message pick = message_of(MessageKind::ComboChoose);
    pick.gadget = combo.number;
    pick.index = index;
    post(std::move(pick));
    post(MessageKind::ComboClose, combo.number);
  } else {
    post(MessageKind::ComboClose, combo.number);
    post(MessageKind::ButtonUp, combo.number);
  }
}

const Gadget* gadget_of_kind(int number, GadgetKind kind) {
  const Gadget* gadget = detail::find_gadget(number);
  return (gadget != nullptr && gadget->kind == kind) ? gadget : nullptr;
}

}  // namespace

// --- the user's actions ---------------------------------------------------------

void focus(int gadget) {
  const Gadget* target = detail::find_gadget(gadget);
  if (target != nullptr && common::takes_focus(target->kind) &&
      detail::focus_after_queue() != target) {
    post(MessageKind::Focus, gadget);
  }
}

void select_all(int gadget) {
  if (gadget_of_kind(gadget, GadgetKind::TextField) != nullptr) {
    post(MessageKind::SelectAll, gadget);
  }
}

void type_text(std::string_view text) {
  for (const char32_t character : base::decode_utf8(text)) {
    post(MessageKind::KeyDown);
    Message typed = message_of(MessageKind::Char);
    typed.character = character;
    post(std::move(typed));
    post(MessageKind::KeyUp);
  }
}

void paste(std::string_view text) {
  Message message = message_of(MessageKind::Paste);
  message.text = base::decode_utf8(text);
  post(std::move(message));
}

void delete_selection() { post(MessageKind::Clear); }

void pick(int gadget, int index) {
  const Gadget* combo = gadget_of_kind(gadget, GadgetKind::ComboBox);
  if (combo == nullptr || index < 0 || index >= combo->items.size()) {
    return;
  }
  post_list_sequence(*combo, index, true);
}

void open_close(int gadget) {
  if (const Gadget* combo = gadget_of_kind(gadget, GadgetKind::ComboBox)) {
    post_list_sequence(*combo, 0, false);
  }
}

void click(int gadget) {
  const Gadget* target = detail::find_gadget(gadget);
  if (target == nullptr) {
    return;
  }
  if (target->kind == GadgetKind::ComboBox) {
    open_close(gadget);
    return;
  }
  focus_before_click(*target);
  post(MessageKind::ButtonDown, gadget);
  post(MessageKind::ButtonUp, gadget);
}

void double_click(int gadget) {
  const Gadget* target = detail::find_gadget(gadget);
  if (target == nullptr) {
    return;
  }
  focus_before_click(*target);
  post(MessageKind::ButtonDown, gadget);
  post(MessageKind::ButtonUp, gadget);
  post(MessageKind::DoubleClick, gadget);
  post(MessageKind::ButtonUp, gadget);
}

void right_click(int gadget) {
  if (detail::find_gadget(gadget) != nullptr) {
    post(MessageKind::RightDown, gadget);
    post(MessageKind::RightUp, gadget);
  }
}

void right_double_click(int gadget) {
  if (detail::find_gadget(gadget) != nullptr) {
    post(MessageKind::RightDown, gadget);
    post(MessageKind::RightUp, gadget);
    post(MessageKind::RightDoubleClick, gadget);
    post(MessageKind::RightUp, gadget);
  }
}

void drag(int gadget) {
  const Gadget* target = detail::find_gadget(gadget);
  if (target == nullptr) {
    return;
  }
  focus_before_click(*target);
  post(MessageKind::ButtonDown, gadget);
  post(MessageKind::DragMove, gadget);
  post(MessageKind::ButtonUp, gadget);
}

void tab() { post_key(Key::Tab); }
void backtab() { post_key(Key::BackTab); }
void press_key(Key key) { post_key(key); }

void press_chord(char32_t key, bool ctrl, bool shift, bool alt) {
  for (const MessageKind kind : {MessageKind::KeyDown, MessageKind::KeyUp}) {
    Message message = message_of(kind);
    message.chord = common::KeyChord{key, ctrl, shift, alt};
    post(std::move(message));
  }
}

void right_click_window() {
  if (state().window) {
    post(MessageKind::RightDown);
    post(MessageKind::RightUp);
  }
}

void click_context_item(int index) {
  Message message = message_of(MessageKind::ContextClick);
  message.index = index;
  post(std::move(message));
}

void choose_menu(int item) {
  const auto& window = state().window;
  if (!window) {
    return;
  }
  for (const MenuTitle& title : window->menu) {
    for (const MenuItem& entry : title.items) {
      if (entry.item == item) {
        Message message = message_of(MessageKind::Menu);
        message.index = item;
        post(std::move(message));
        return;
      }
    }
  }
}

void move_mouse(int count) {
  for (int i = 0; i < count; ++i) {
    post(MessageKind::MouseMove);
  }
}

void system_repaint() {
  if (state().window) {
    post(MessageKind::Paint);
  }
}

void close_box() {
  if (state().window) {
    post(MessageKind::Close);
  }
}

bool has_pending() {
  return !state().messages.empty() || common::has_queued_window_events() ||
         common::has_recorded_event();
}

// --- reading what the window shows ------------------------------------------

bool exists(int gadget) { return detail::find_gadget(gadget) != nullptr; }

GadgetKind kind(int gadget) {
  const Gadget* found = detail::find_gadget(gadget);
  return found != nullptr ? found->kind : GadgetKind::Label;
}

Rect rect(int gadget) {
  const Gadget* found = detail::find_gadget(gadget);
  return found != nullptr ? found->rect : Rect{};
}

std::string text(int gadget) { return get_gadget_text(gadget); }
std::int64_t state(int gadget) { return get_gadget_state(gadget); }

std::vector<int> gadget_numbers() {
  std::vector<int> numbers;
  for (const auto& entry : detail::state().gadgets.entries()) {
    if (entry.number != kAnonymous) {
      numbers.push_back(entry.number);
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

int focused_gadget() {
  const Gadget* focused = detail::state().focused;
  return focused != nullptr ? focused->number : -1;
}

std::vector<std::string> combo_items(int gadget) {
  const Gadget* combo = gadget_of_kind(gadget, GadgetKind::ComboBox);
  return combo != nullptr ? combo->items.items() : std::vector<std::string>{};
}

Rect image_size(int gadget) {
  const Gadget* view = gadget_of_kind(gadget, GadgetKind::ImageView);
  const common::DecodedImage* image = view != nullptr ? common::find_image(view->bitmap) : nullptr;
  return image != nullptr ? Rect{0, 0, image->width, image->height} : Rect{};
}

Selection selection(int gadget) {
  const Gadget* field = gadget_of_kind(gadget, GadgetKind::TextField);
  if (field == nullptr) {
    return {};
  }
  return Selection{static_cast<int>(std::min(field->selection_anchor, field->caret)),
                   static_cast<int>(std::max(field->selection_anchor, field->caret))};
}

std::string window_title() {
  const auto& window = detail::state().window;
  return window ? window->title : std::string();
}

std::vector<MenuTitle> menu() {
  const auto& window = detail::state().window;
  return window ? window->menu : std::vector<MenuTitle>{};
}

bool window_exists() { return detail::state().window.has_value(); }

int canvas_width() {
  const auto& window = detail::state().window;
  return window ? window->canvas.width() : 0;
}

int canvas_height() {
  const auto& window = detail::state().window;
  return window ? window->canvas.height() : 0;
}

std::int32_t pixel(int x, int y) {
  const auto& window = detail::state().window;
  return window ? window->canvas.pixel(x, y) : 0;
}

bool context_menu_open() { return detail::state().context_menu.is_open(); }
int context_menu_marked() { return detail::state().context_menu.marked(); }

std::vector<std::string> context_menu_names() {
  std::vector<std::string> names;
  for (const common::ContextMenuItem& item : common::context_menu_items()) names.push_back(item.name);
  return names;
}

std::string clipboard() { return detail::state().clipboard; }
FieldHint field_hint() { return detail::state().hint; }
std::vector<DrawingDescription> drawing_descriptions() { return detail::state().descriptions; }

std::vector<AccessibleEntry> accessible_tree() {
  const detail::State& s = detail::state();
  std::vector<common::AccessibleGadget> gadgets;
  std::vector<std::string> texts;  // kept alive for the views below
  texts.reserve(s.gadgets.entries().size());
  for (const auto& entry : s.gadgets.entries()) {
    const Gadget& g = *entry.gadget;
    texts.push_back(g.kind == GadgetKind::TextField ? base::encode_utf8(g.content)
                    : g.kind == GadgetKind::ComboBox  ? std::string()
                                                      : g.text);
    gadgets.push_back({g.number, g.kind, g.rect.x, g.rect.y, g.rect.w, g.rect.h, {}, g.flags});
  }
  for (const DrawingDescription& part : s.descriptions) {
    texts.push_back(part.text);
    gadgets.push_back({kAnonymous, GadgetKind::ImageView, part.rect.x, part.rect.y, part.rect.w, part.rect.h, {}, 0});
  }
  for (std::size_t i = 0; i < gadgets.size(); ++i) gadgets[i].text = texts[i];
  std::vector<AccessibleEntry> tree;
  for (const common::AccessibleNode& node : common::accessible_outline(gadgets).nodes) {
    const common::AccessibleGadget& g = gadgets[node.gadget];
    tree.push_back({g.number, node.role, node.name.empty() ? std::string(g.text) : node.name});
  }
  return tree;
}

std::vector<GadgetView> gadgets_in_creation_order() {
  std::vector<GadgetView> views;
  for (const auto& entry : detail::state().gadgets.entries()) {
    const Gadget& g = *entry.gadget;
    const bool field = g.kind == GadgetKind::TextField;
    views.push_back({g.number, g.kind, g.rect, g.flags, field ? base::encode_utf8(g.content) : g.text, g.items.items(),
                     g.selected, g.bitmap});
  }
  return views;
}

Picture drawing_picture(int dpi) {
  const auto& window = detail::state().window;
  if (!window) return {};
  common::ScaledPicture scaled;
  common::scale_picture(window->canvas, dpi, 0, 0, window->canvas.width(), window->canvas.height(), scaled);
  Picture picture{scaled.width, scaled.height, {}};
  picture.rgba.reserve(scaled.pixels.size() * 4);
  for (std::size_t i = 0; i < scaled.pixels.size(); ++i) {
    const auto colour = static_cast<std::uint32_t>(scaled.pixels[i]);
    picture.rgba.insert(picture.rgba.end(), {static_cast<std::uint8_t>(colour & 0xFF),
                                             static_cast<std::uint8_t>(colour >> 8 & 0xFF),
                                             static_cast<std::uint8_t>(colour >> 16 & 0xFF),
                                             static_cast<std::uint8_t>(scaled.painted[i] != 0 ? 0xFF : 0)});
  }
  return picture;
}

std::vector<std::string> opened_urls() { return detail::state().opened_urls; }

void set_address(std::vector<AddressParameter> parameters) {
  detail::state().address = parameters;
  detail::state().opened_address = std::move(parameters);
  detail::state().address_writes = 0;
}
std::vector<AddressParameter> address() { return detail::state().address; }
int address_writes() { return detail::state().address_writes; }

}  // namespace tk::headless
