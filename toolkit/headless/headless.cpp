// The toolkit operations on the headless platform, and the handling of its
// platform messages (pump_message). Everything lives in memory.
//
// Implements:
//   - one window whose client area is a canvas (sides cut to 8192; none when
//     the driver turned painting off), with its menu bar and gadgets
//   - simulated controls: text fields (caret, selection, digits-only,
//     32767 characters at most), combo boxes with their lists, labels,
//     buttons, image views
//   - pump_message(): the messages the driver (driver.h) queued, one per
//     call, with the events the real platform's handling would record
//   - pictures of loaded images: only a handle; the shared image table keeps
//     the pixels
//   - the shared canvas drawing's hooks: the canvas is the window, so ending
//     a phase has nothing to bring to a screen
// Quirks:
//   - open_url() records the location and reports it started
//   - the page address is a list of pairs; every session starts with the
//     one the driver opened the page with (set_address())
//   - there is no screen: nothing is presented, a repaint only keeps the
//     canvas as it is
#include <algorithm>
#include <utility>

#include "base/utf8.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/common/file_bytes.h"
#include "toolkit/common/typing.h"
#include "toolkit/headless/state.h"

namespace tk {
namespace headless::detail {

State& state() {
  static State platform;
  return platform;
}

Gadget* find_gadget(int number) { return state().gadgets.find(number); }

Gadget* tab_target(const Gadget* from, bool forward) {
  return state().gadgets.tab_target(from, forward, [](const auto& entry) {
    return common::takes_focus(entry.kind);
  });
}

const Gadget* focus_after_queue() {
  const State& s = state();
  const Gadget* focus = s.focused;
  for (const Message& message : s.messages) {
    if (message.kind == MessageKind::Focus) {
      const Gadget* target = find_gadget(message.gadget);
      if (target != nullptr && common::takes_focus(target->kind)) {
        focus = target;
      }
    } else if (message.kind == MessageKind::KeyDown &&
               (message.key == Key::Tab || message.key == Key::BackTab)) {
      if (const Gadget* target = tab_target(focus, message.key == Key::Tab)) {
        focus = target;
      }
    }
  }
  return focus;
}

namespace {

void record(const Gadget& gadget, int type) {
  common::record_event(kEventGadget, gadget.number, type);
}

// --- text field editing ------------------------------------------------------

std::pair<std::size_t, std::size_t> selection_range(const Gadget& field) {
  return {std::min(field.selection_anchor, field.caret),
          std::max(field.selection_anchor, field.caret)};
}

void place_caret(Gadget& field, std::size_t position) {
  field.caret = std::min(position, field.content.size());
  field.selection_anchor = field.caret;
}

// Replaces the selection by the text, as typing and pasting do; a content
// change records EN_UPDATE then EN_CHANGE (the latter is reported).
void replace_selection(Gadget& field, std::u32string_view text) {
  const auto [begin, end] = selection_range(field);
  if (begin == end && text.empty()) {
    return;
  }
  field.content.replace(begin, end - begin, text);
  place_caret(field, begin + text.size());
  common::record_text_change(field.number);
}

void type_into_field(Gadget& field, char32_t character) {
  constexpr char32_t kBackspace = 0x08;
  if (character == kBackspace) {
    const auto [begin, end] = selection_range(field);
    if (begin == end) {
      if (begin == 0) {
        return;
      }
      field.selection_anchor = begin - 1;
      field.caret = begin;
    }
    replace_selection(field, {});
    return;
  }
  if (character < 0x20 || character == 0x7F) {
    return;  // Enter, Escape and other control keys change nothing here
  }
  if (!common::typed_into_field(field.number, field.flags, character)) {
    return;  // ES_NUMBER refuses the key, and the field shows the hint
  }
  const auto [begin, end] = selection_range(field);
  if (field.content.size() - (end - begin) >= kTextLimit) {
    return;
  }
  replace_selection(field, std::u32string_view(&character, 1));
}

void paste_into_field(Gadget& field, std::u32string text) {
  common::pasted_into_field(field.number, field.flags, base::encode_utf8(text));
  // A single-line field takes the text up to the first line break, as much
  // as fits under the limit.
  const auto line_end = text.find_first_of(U"\r\n");
  if (line_end != std::u32string::npos) {
    text.resize(line_end);
  }
  const auto [begin, end] = selection_range(field);
  const std::size_t room = kTextLimit - std::min(kTextLimit, field.content.size() - (end - begin));
  if (text.size() > room) {
    text.resize(room);
  }
  replace_selection(field, text);
}

// --- combo box -----------------------------------------------------------

// A key that selects an item of a closed pick-only list (the same one, too)
// reports a selection change.
void select_by_key(Gadget& combo, std::optional<int> index) {
  if (index) {
    combo.selected = *index;
    record(combo, kTypeComboSelChange);
  }
}

void type_into_combo(Gadget& combo, char32_t character) {
  const std::string key = base::encode_utf8(std::u32string_view(&character, 1));
  select_by_key(combo, combo.items.next_starting_with(key, combo.selected));
}

// The driver's keys that move a combo box's selection.
std::optional<common::ComboKey> combo_key(Key key) {
  switch (key) {
    case Key::Up: return common::ComboKey::Up;
    case Key::Down: return common::ComboKey::Down;
    case Key::Left: return common::ComboKey::Left;
    case Key::Right: return common::ComboKey::Right;
    case Key::Home: return common::ComboKey::Home;
    case Key::End: return common::ComboKey::End;
    case Key::PageUp: return common::ComboKey::PageUp;
    case Key::PageDown: return common::ComboKey::PageDown;
    default: return std::nullopt;
  }
}

void press_in_combo(Gadget& combo, Key key) {
  if (const std::optional<common::ComboKey> moving = combo_key(key)) {
    select_by_key(combo, common::selection_after_key(*moving, combo.selected, combo.items.size()));
  }
}

// --- focus ---------------------------------------------------------------

bool takes_focus(const Gadget& gadget) { return common::takes_focus(gadget.kind); }

// One focus change: the old gadget's loss, then the new one's gain, all in
// the same message (so the gaining gadget's event is the one reported).
void move_focus(Gadget* target) {
  State& s = state();
  if (target == s.focused) {
    return;
  }
  if (Gadget* old = s.focused) {
    if (old->kind == GadgetKind::TextField) {
      record(*old, kTypeEditKillFocus);
      record(*old, kTypeFocusLost);
    } else if (old->kind == GadgetKind::ComboBox) {
      old->list_open = false;
      record(*old, kTypeComboKillFocus);
    }
  }
  s.focused = target;
  if (target != nullptr) {
    if (target->kind == GadgetKind::TextField) {
      record(*target, kTypeEditSetFocus);
      record(*target, kTypeFocusGained);
    } else if (target->kind == GadgetKind::ComboBox) {
      record(*target, kTypeComboSetFocus);
    }
  }
}

// --- the menu bar from the keyboard ----------------------------------------

// Raw identifiers of the system keys' messages (F10, Alt).
constexpr int kMsgSysKeyDown = 0x0104;
constexpr int kMsgSysKeyUp = 0x0105;

bool is_system_key(const std::optional<Key>& key) { return key == Key::F10 || key == Key::Alt; }

common::MenuKey menu_key_of(const std::optional<Key>& key) {
  if (!key) return common::MenuKey::Other;
  switch (*key) {
    case Key::F10: return common::MenuKey::F10;
    case Key::Alt: return common::MenuKey::Alt;
    case Key::Left: return common::MenuKey::Left;
    case Key::Right: return common::MenuKey::Right;
    case Key::Up: return common::MenuKey::Up;
    case Key::Down: return common::MenuKey::Down;
    case Key::Enter: return common::MenuKey::Enter;
    case Key::Escape: return common::MenuKey::Escape;
    case Key::Tab:
    case Key::BackTab:
    case Key::Home:
    case Key::End:
    case Key::PageUp:
    case Key::PageDown: return common::MenuKey::Other;
  }
  return common::MenuKey::Other;
}

// The menu bar's shape for the menu-mode state machine.
common::MenuMode::Shape menu_shape() {
  common::MenuMode::Shape shape;
  if (const auto& window = state().window) {
    for (const MenuTitle& title : window->menu) {
      std::vector<int>& items = shape.emplace_back();
      for (const MenuItem& item : title.items) items.push_back(item.item);
    }
  }
  return shape;
}

// --- message handling ----------------------------------------------------

// The context menu's keys of the driver's named keys.
common::ContextMenuMode::Key context_key_of(const std::optional<Key>& key) {
  using ContextKey = common::ContextMenuMode::Key;
  if (key == Key::Up) return ContextKey::Up;
  if (key == Key::Down) return ContextKey::Down;
  if (key == Key::Home) return ContextKey::Home;
  if (key == Key::End) return ContextKey::End;
  if (key == Key::Enter) return ContextKey::Enter;
  if (key == Key::Escape) return ContextKey::Escape;
  return ContextKey::Other;
}

void record_menu_choice(const std::optional<int>& item) {
  if (item) common::record_event(kEventMenu, *item, kTypeNone);
}

// A chord: it opens the context menu or chooses the item it is the
// shortcut of; else it changes nothing here.
void handle_chord(const common::KeyChord& chord) {
  State& s = state();
  if (common::opens_context_menu(chord)) {
    s.context_menu.open(common::context_menu_items().size());
  } else {
    record_menu_choice(common::shortcut_item(chord));
  }
}

int handle_key_down(const Message& message) {
  State& s = state();
  const int code = is_system_key(message.key) ? kMsgSysKeyDown : kMsgKeyDown;
  common::dismiss_field_hint();
  if (s.context_menu.is_open()) {
    record_menu_choice(s.context_menu.key_down(context_key_of(message.key), common::context_menu_items()).chosen);
    return code;
  }
  if (message.chord) {
    s.menu_mode.leave();
    handle_chord(*message.chord);
    return code;
  }
  const common::MenuMode::Outcome menu = s.menu_mode.key_down(menu_key_of(message.key), false, menu_shape());
  if (menu.chosen) {
    common::record_event(kEventMenu, *menu.chosen, kTypeNone);
  }
  if (menu.taken) {
    return code;
  }
  if (message.key == Key::Tab || message.key == Key::BackTab) {
    if (Gadget* target = tab_target(s.focused, message.key == Key::Tab)) {
      move_focus(target);
    }
  } else if (message.key && s.focused != nullptr && s.focused->kind == GadgetKind::ComboBox) {
    press_in_combo(*s.focused, *message.key);
  }
  return code;
}

int handle_key_up(const Message& message) {
  state().menu_mode.key_up(menu_key_of(message.key), menu_shape());
  return is_system_key(message.key) ? kMsgSysKeyUp : kMsgKeyUp;
}

int handle(const Message& message) {
  State& s = state();
  Gadget* gadget = find_gadget(message.gadget);
  if (message.kind == MessageKind::Char) {
    s.menu_mode.interrupt();
  } else if (message.kind != MessageKind::KeyDown && message.kind != MessageKind::KeyUp) {
    s.menu_mode.leave();  // a click or any other action leaves menu mode
  }
  const bool context_menu_input = message.kind == MessageKind::KeyDown || message.kind == MessageKind::KeyUp ||
                                  message.kind == MessageKind::Char || message.kind == MessageKind::ContextClick;
  if (s.context_menu.is_open() && !context_menu_input) s.context_menu.close();
  if (s.context_menu.is_open() && message.kind == MessageKind::Char) return kMsgChar;  // the menu took the key
  const bool pointer = message.kind == MessageKind::ButtonDown || message.kind == MessageKind::RightDown ||
                       message.kind == MessageKind::ComboOpen;
  if (pointer) common::dismiss_field_hint();
  switch (message.kind) {
    case MessageKind::Focus:
      if (gadget != nullptr && takes_focus(*gadget)) {
        move_focus(gadget);
      }
      return kMsgSetFocus;
    case MessageKind::SelectAll:
      if (gadget != nullptr && gadget->kind == GadgetKind::TextField) {
        gadget->selection_anchor = 0;
        gadget->caret = gadget->content.size();
      }
      return kMsgSetSelection;
    case MessageKind::KeyDown:
      return handle_key_down(message);
    case MessageKind::Char:
      if (Gadget* focused = s.focused) {
        if (focused->kind == GadgetKind::TextField) {
          type_into_field(*focused, message.character);
        } else if (focused->kind == GadgetKind::ComboBox) {
          type_into_combo(*focused, message.character);
        }
      }
      return kMsgChar;
    case MessageKind::KeyUp:
      return handle_key_up(message);
    case MessageKind::Paste:
      if (s.focused != nullptr && s.focused->kind == GadgetKind::TextField) {
        paste_into_field(*s.focused, message.text);
      }
      return kMsgPaste;
    case MessageKind::Clear:
      if (s.focused != nullptr && s.focused->kind == GadgetKind::TextField) {
        replace_selection(*s.focused, {});
      }
      return kMsgClear;
    case MessageKind::ButtonDown:
      if (gadget != nullptr && gadget->kind == GadgetKind::ImageView) {
        record(*gadget, kTypeClicked);
      }
      return kMsgLButtonDown;
    case MessageKind::ButtonUp:
      if (gadget != nullptr && gadget->kind == GadgetKind::Button) {
        record(*gadget, kTypeClicked);
      }
      return kMsgLButtonUp;
    case MessageKind::DoubleClick:
      if (gadget != nullptr && gadget->kind == GadgetKind::ImageView) {
        record(*gadget, kTypeDoubleClick);
      } else if (gadget != nullptr && gadget->kind == GadgetKind::Button) {
        record(*gadget, kTypeClicked);  // a push button takes it as a click
      }
      return kMsgLButtonDblClk;
    case MessageKind::RightDown:
      if (gadget != nullptr && gadget->kind == GadgetKind::ImageView) {
        record(*gadget, kTypeRightClick);
      }
      return kMsgRButtonDown;
    case MessageKind::RightUp:
      // The platform's context-menu message follows a right click's release.
      if (common::right_click_opens_context_menu(gadget ? std::optional(gadget->kind) : std::nullopt)) {
        s.context_menu.open(common::context_menu_items().size());
      }
      return kMsgRButtonUp;
    case MessageKind::ContextClick:
      record_menu_choice(s.context_menu.click(message.index, common::context_menu_items()).chosen);
      return kMsgLButtonDown;
    case MessageKind::RightDoubleClick:
      if (gadget != nullptr && gadget->kind == GadgetKind::ImageView) {
        record(*gadget, kTypeRightDoubleClick);
      }
      return kMsgRButtonDblClk;
    case MessageKind::DragMove:
      if (gadget != nullptr && gadget->kind == GadgetKind::ImageView) {
        record(*gadget, kTypeDrag);
      }
      return kMsgMouseMove;
    case MessageKind::ComboOpen:
      if (gadget != nullptr && gadget->kind == GadgetKind::ComboBox && !gadget->list_open) {
        gadget->list_open = true;
        record(*gadget, kTypeComboDropDown);
      }
      return kMsgLButtonDown;
    case MessageKind::ComboChoose:
      if (gadget != nullptr && gadget->kind == GadgetKind::ComboBox && gadget->list_open &&
          message.index >= 0 && message.index < gadget->items.size() &&
          message.index != gadget->selected) {
        gadget->selected = message.index;
        record(*gadget, kTypeComboSelChange);
      }
      return kMsgLButtonDown;
    case MessageKind::ComboClose:
      if (gadget != nullptr && gadget->kind == GadgetKind::ComboBox && gadget->list_open) {
        gadget->list_open = false;
        record(*gadget, kTypeComboCloseUp);
      }
      return kMsgLButtonUp;
    case MessageKind::Menu:
      common::record_event(kEventMenu, message.index, kTypeNone);
      return kMsgCommand;
    case MessageKind::MouseMove:
      return kMsgMouseMove;
    case MessageKind::Paint:
      if (s.window) {
        // The backend paints its retained picture again at once; the
        // program only learns that the window was repainted.
        common::queue_window_event(kEventRepaint, s.window->number);
      }
      return kMsgPaint;
    case MessageKind::Close:
      if (s.window) {
        common::queue_window_event(kEventClose, s.window->number);
      }
      return kMsgNcLButtonDown;
  }
  return kMsgNull;
}

}  // namespace
}  // namespace headless::detail

using headless::GadgetKind;
using headless::detail::Gadget;
using headless::detail::state;

// The headless platform never blocks: with no message waiting it returns
// kMsgNull at once (a driver only runs passes while has_pending()).
int backend::pump_message() {
  auto& messages = state().messages;
  if (messages.empty()) {
    return kMsgNull;
  }
  const headless::detail::Message message = std::move(messages.front());
  messages.pop_front();
  return headless::detail::handle(message);
}

// The in-memory platform is always there. A session starts with no opened
// URLs, as a freshly started program has none, and at the address the
// driver opened the page with.
bool backend::open_platform(std::string& /*error*/) {
  state().opened_urls.clear();
  state().address = state().opened_address;
  state().address_writes = 0;
  return true;
}

void backend::close_platform() {
  headless::detail::State& s = state();
  s.focused = nullptr;
  s.gadgets.clear();
  s.last_image_handle = kNoBitmap;
  s.window.reset();
  s.current_menu_title = -1;
  s.messages.clear();
  s.menu_mode.leave();
  s.context_menu.close();
  s.clipboard.clear();
  s.hint = {};
  s.descriptions.clear();
  common::forget_drawing_phase();
}

std::optional<std::vector<std::uint8_t>> backend::file_bytes(const std::string& name) {
  return common::read_file_bytes(name, common::kMaxImageFileBytes);
}

// The picture is the decoded pixels the shared image table keeps; the
// handle only has to be unique within the session.
Bitmap backend::make_image(const common::DecodedImage& /*image*/) { return ++state().last_image_handle; }

void backend::free_image(Bitmap /*image*/) {}

void headless::set_painting(bool on) { headless::detail::state().painting = on; }

void headless::reset() {
  close_toolkit();
  headless::detail::state().opened_urls.clear();
  headless::set_address({});
  common::set_last_error({});
}

// --- window and menu ---------------------------------------------------------

bool create_window(int window, int x, int y, int width, int height, std::string_view title,
                   std::uint32_t style) {
  headless::detail::State& s = state();
  using headless::detail::kMaxCanvasSide;
  if (!common::window_may_open()) {
    return false;
  }
  if (s.window) {
    backend::close_platform();  // one window: a new one replaces the old with its gadgets
  }
  const int side_limit = s.painting ? kMaxCanvasSide : 0;
  const int canvas_width = std::clamp(width, 0, side_limit);
  const int canvas_height = std::clamp(height, 0, side_limit);
  s.window.emplace(headless::detail::Window{
      window, headless::Rect{x, y, width, height}, std::string(title), style,
      common::Canvas(canvas_width, canvas_height, headless::detail::kButtonFace), false, {}});
  common::queue_window_opened(window);
  return true;
}

void create_menu_bar(int /*menu*/, int window) {
  headless::detail::State& s = state();
  if (s.window && s.window->number == window) {
    s.window->has_menu_bar = true;
    s.window->menu.clear();
    s.current_menu_title = -1;
  }
}

void add_menu_title(std::string_view text) {
  headless::detail::State& s = state();
  if (s.window && s.window->has_menu_bar) {
    s.window->menu.push_back(headless::MenuTitle{std::string(text), {}});
    s.current_menu_title = static_cast<int>(s.window->menu.size()) - 1;
  }
}

void add_menu_item(int item, std::string_view text) {
  headless::detail::State& s = state();
  if (s.window && s.current_menu_title >= 0) {
    s.window->menu[static_cast<std::size_t>(s.current_menu_title)].items.push_back(
        headless::MenuItem{item, std::string(text)});
  }
}

// --- gadgets -------------------------------------------------------------------

namespace {

// Creates the gadget on the window (none without one), destroying a gadget
// that had the number first.
Gadget* create_gadget(int number, GadgetKind kind, int x, int y, int w, int h) {
  headless::detail::State& s = state();
  if (!s.window) {
    return nullptr;
  }
  if (Gadget* old = s.gadgets.find(number); old != nullptr && old == s.focused) {
    s.focused = nullptr;
  }
  auto gadget = std::make_unique<Gadget>();
  gadget->number = number;
  gadget->kind = kind;
  gadget->rect = headless::Rect{x, y, w, h};
  return &s.gadgets.insert(number, kind, std::move(gadget));
}

void set_field_content(Gadget& field, std::string_view text) {
  field.content = base::decode_utf8(text);
  headless::detail::place_caret(field, field.content.size());
}

}  // namespace

void create_frame(int number, int x, int y, int w, int h, std::string_view caption) {
  if (Gadget* gadget = create_gadget(number, GadgetKind::Frame, x, y, w, h)) {
    gadget->text = std::string(caption);
  }
}

void create_label(int number, int x, int y, int w, int h, std::string_view text,
                  std::uint32_t flags) {
  if (Gadget* gadget = create_gadget(number, GadgetKind::Label, x, y, w, h)) {
    gadget->text = std::string(text);
    gadget->flags = flags;
  }
}

void create_text_field(int number, int x, int y, int w, int h, std::string_view text,
                       std::uint32_t flags) {
  if (Gadget* gadget = create_gadget(number, GadgetKind::TextField, x, y, w, h)) {
    gadget->flags = flags;
    set_field_content(*gadget, text);  // creation text raises no event
  }
}

void create_combo_box(int number, int x, int y, int w, int h) {
  create_gadget(number, GadgetKind::ComboBox, x, y, w, h);
}

void add_combo_item(int number, int position, std::string_view text) {
  Gadget* combo = headless::detail::find_gadget(number);
  if (combo == nullptr || combo->kind != GadgetKind::ComboBox) {
    return;
  }
  if (const auto inserted = combo->items.insert(position, text)) {
    combo->selected = common::selection_after_insert(combo->selected, *inserted);
  }
}

void create_button(int number, int x, int y, int w, int h, std::string_view text) {
  if (Gadget* gadget = create_gadget(number, GadgetKind::Button, x, y, w, h)) {
    gadget->text = std::string(text);
  }
}

void create_image_view(int number, int x, int y, int w, int h, Bitmap bitmap) {
  const common::DecodedImage* image = common::find_image(bitmap);
  if (image != nullptr) {
    w = image->width;
    h = image->height;
  }
  if (Gadget* gadget = create_gadget(number, GadgetKind::ImageView, x, y, w, h)) {
    gadget->bitmap = image != nullptr ? bitmap : kNoBitmap;
  }
}

void set_gadget_text(int number, std::string_view text) {
  Gadget* gadget = headless::detail::find_gadget(number);
  if (gadget == nullptr) {
    return;
  }
  switch (gadget->kind) {
    case GadgetKind::TextField:
      // WM_SETTEXT: the field notifies its change at once, like typing.
      set_field_content(*gadget, text);
      common::record_text_change(number);
      break;
    case GadgetKind::ComboBox:
      gadget->selected = gadget->items.selection_for_text(text, gadget->selected);
      break;
    default:
      gadget->text = std::string(text);
      break;
  }
}

std::string get_gadget_text(int number) {
  const Gadget* gadget = headless::detail::find_gadget(number);
  if (gadget == nullptr) {
    return {};
  }
  switch (gadget->kind) {
    case GadgetKind::TextField:
      return base::encode_utf8(gadget->content);
    case GadgetKind::ComboBox:
      return gadget->items.text(gadget->selected);
    default:
      return gadget->text;
  }
}

std::int64_t get_gadget_state(int number) {
  const Gadget* gadget = headless::detail::find_gadget(number);
  if (gadget == nullptr) {
    return 0;
  }
  switch (gadget->kind) {
    case GadgetKind::ComboBox:
      return gadget->selected;
    case GadgetKind::ImageView:
      return gadget->bitmap;
    default:
      return 0;  // a push button is never checked
  }
}

// --- open_url ------------------------------------------------------------------

void set_clipboard_text(std::string_view text) { state().clipboard = std::string(text); }

void describe_drawing(int window, int x, int y, int w, int h, std::string_view text) {
  headless::detail::State& s = state();
  if (!s.window || s.window->number != window) return;
  const headless::Rect part{x, y, w, h};
  for (headless::DrawingDescription& known : s.descriptions) {
    if (known.rect.x == x && known.rect.y == y && known.rect.w == w && known.rect.h == h) {
      known.text = std::string(text);
      return;
    }
  }
  s.descriptions.push_back({part, std::string(text)});
}

void backend::show_field_hint(int gadget, std::string_view title, std::string_view text, int /*milliseconds*/) {
  state().hint = headless::FieldHint{gadget, std::string(title), std::string(text)};
}

void backend::hide_field_hint() { state().hint = {}; }

// Records the location instead of starting anything, and reports it started.
bool open_url(std::string_view location) {
  state().opened_urls.emplace_back(location);
  return true;
}

std::vector<AddressParameter> address_parameters() { return state().address; }

void show_address_parameters(std::span<const AddressParameter> parameters) {
  state().address.assign(parameters.begin(), parameters.end());
  ++state().address_writes;
}

// --- drawing -------------------------------------------------------------------

// The shared canvas drawing paints into the window's canvas; there is no
// screen to bring it to. A window without a canvas (painting off) has
// nothing to draw on.
common::Canvas* backend::window_canvas(int window) {
  headless::detail::State& s = state();
  const bool target = s.window && s.window->number == window && s.window->canvas.width() > 0;
  return target ? &s.window->canvas : nullptr;
}

void backend::present_drawing(int /*x0*/, int /*y0*/, int /*x1*/, int /*y1*/) {}
void backend::box_drawn(int /*x*/, int /*y*/, int /*w*/, int /*h*/) {}
void backend::text_drawn(int /*x*/, int /*y*/, int /*end*/, std::string_view /*text*/) {}

}  // namespace tk
