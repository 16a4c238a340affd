// The toolkit in the browser (WebAssembly, emscripten): the platform hooks of
// the shared core and the toolkit operations, on the page side in page.js.
//
// Implements:
//   - one window as HTML elements (page.js): caption strip, menu bar, client
//     area with one element per gadget, the drawing canvas over it
//   - pump_message(): waits (ASYNCIFY) for the next message page.js queued
//     from a browser event and hands its notifications to the shared event
//     record; a combo box's selection after a typed key or a pick is decided
//     here, with the shared list rules (combo.h)
//   - drawing into the shared canvas; ending a phase shows the touched area
//     on the page's canvas, so the pixels are the headless backend's
//   - the page's device pixel ratio: the drawing and the image views have
//     backing pixels at the whole scale at or above it (common::
//     scale_picture), shown at the window's size in CSS pixels, and are
//     shown again when the ratio changes
//   - image views: a loaded image's pixels at that scale; the files the
//     program reads (its logo) are the ones the page fetched beside it
//   - open_url(): a new browser tab
//   - the page address: the query of location, replaced in place
//     (history.replaceState), as name/value pairs page.js decodes and
//     encodes
//   - the context menu, drawn by the page: common::ContextMenuMode takes
//     its keys and clicks, the shortcuts of its items choose them
//   - the clipboard (the page writes it) and the refused-character hint,
//     a balloon the page shows beside the field
//   - the accessible tree: common::accessible_outline() of the gadgets and
//     the described parts of the drawing, handed to the page as names,
//     roles, hidden elements and group members, with each group's news for
//     its live region; recomputed once per handled message, and only what
//     changed goes to the page
// Quirks:
//   - there is no screen position: create_window() ignores x and y
#include <emscripten.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "toolkit/common/accessibility.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/canvas.h"
#include "toolkit/common/combo.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/common/display_scale.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/common/gadget_table.h"
#include "toolkit/common/menu_mode.h"
#include "toolkit/toolkit.h"

// --- page.js, the page side ------------------------------------------------
// clang-format off
EM_JS(void, page_open_window, (const char* title, int width, int height, int picture_width, int picture_height), {
  ferrantPage.openWindow(UTF8ToString(title), width, height, picture_width, picture_height);
});
EM_JS(double, page_device_pixel_ratio, (), { return ferrantPage.devicePixelRatio(); });
EM_JS(void, page_close_window, (), { ferrantPage.closeWindow(); });
EM_JS(void, page_add_menu_title, (const char* text), { ferrantPage.addMenuTitle(UTF8ToString(text)); });
EM_JS(void, page_add_menu_item, (int item, const char* text), {
  ferrantPage.addMenuItem(item, UTF8ToString(text));
});
EM_JS(void, page_show_menu, (int title, int item, int shown), { ferrantPage.showMenu(title, item, shown !== 0); });
EM_JS(int, page_create_gadget,
      (int kind, int number, int x, int y, int w, int h, const char* text, int flags, int takes_focus), {
  return ferrantPage.createGadget(kind, number, x, y, w, h, UTF8ToString(text), flags, takes_focus !== 0);
});
EM_JS(void, page_remove_gadget, (int element), { ferrantPage.removeGadget(element); });
EM_JS(void, page_set_text, (int element, const char* text), { ferrantPage.setText(element, UTF8ToString(text)); });
EM_JS(char*, page_field_text, (int element), {
  const text = ferrantPage.fieldText(element);
  const size = lengthBytesUTF8(text) + 1;
  const buffer = _malloc(size);
  stringToUTF8(text, buffer, size);
  return buffer;
});
EM_JS(void, page_insert_combo_item, (int element, int position, const char* text), {
  ferrantPage.insertComboItem(element, position, UTF8ToString(text));
});
EM_JS(void, page_select_combo_item, (int element, int index), { ferrantPage.selectComboItem(element, index); });
EM_JS(void, page_show_image,
      (int element, const std::uint32_t* rgba, int width, int height, int shown_width, int shown_height), {
  ferrantPage.showImage(element, rgba, width, height, shown_width, shown_height);
});
EM_JS(void, page_show_drawing, (const std::uint32_t* rgba, int width, int height, int x0, int y0, int x1, int y1), {
  ferrantPage.showDrawing(rgba, width, height, x0, y0, x1, y1);
});
EM_JS(int, page_create_part, (int x, int y, int w, int h), { return ferrantPage.createPart(x, y, w, h); });
EM_JS(void, page_set_access, (int element, int role, int hidden, const char* name), {
  ferrantPage.setAccess(element, role, hidden !== 0, UTF8ToString(name));
});
EM_JS(void, page_set_members, (int element, const int* members, int count), {
  ferrantPage.setMembers(element, Array.from(HEAP32.subarray(members >> 2, (members >> 2) + count)));
});
EM_JS(void, page_announce, (int element, const char* news), { ferrantPage.announce(element, UTF8ToString(news)); });
EM_JS(void, page_context_menu_item, (int index, const char* name, const char* shortcut), {
  ferrantPage.contextMenuItem(index, UTF8ToString(name), UTF8ToString(shortcut));
});
EM_JS(void, page_show_context_menu, (int shown, int marked), { ferrantPage.showContextMenu(shown !== 0, marked); });
EM_JS(void, page_show_hint, (int element, const char* title, const char* text, int milliseconds), {
  ferrantPage.showHint(element, UTF8ToString(title), UTF8ToString(text), milliseconds);
});
EM_JS(void, page_hide_hint, (), { ferrantPage.hideHint(); });
EM_JS(void, page_set_clipboard, (const char* text), { ferrantPage.setClipboard(UTF8ToString(text)); });
EM_JS(int, page_file_size, (const char* name), { return ferrantPage.fileSize(UTF8ToString(name)); });
EM_JS(void, page_copy_file, (const char* name, std::uint8_t* bytes), {
  ferrantPage.copyFile(UTF8ToString(name), bytes);
});
EM_JS(int, page_open_url, (const char* url), { return ferrantPage.openUrl(UTF8ToString(url)); });
// The address's query pairs in a buffer the caller frees, its size at
// `size`: names and values in turn, each a 4-byte little-endian length and
// its UTF-8 bytes (NUL bytes included). page_show_address takes the same.
EM_JS(char*, page_address, (int* size), {
  const encoder = new TextEncoder();
  const texts = ferrantPage.addressParameters().flat().map((text) => encoder.encode(text));
  const buffer = _malloc(texts.reduce((sum, bytes) => sum + 4 + bytes.length, 1));
  let at = buffer;
  for (const bytes of texts) {
    for (let i = 0; i < 4; ++i) HEAPU8[at + i] = (bytes.length >>> (8 * i)) & 255;
    HEAPU8.set(bytes, at + 4);
    at += 4 + bytes.length;
  }
  HEAP32[size >> 2] = at - buffer;
  return buffer;
});
EM_JS(void, page_show_address, (const char* data, int size), {
  const decoder = new TextDecoder();
  const texts = [];
  for (let at = data; at < data + size;) {
    const length = (HEAPU8[at] | HEAPU8[at + 1] << 8 | HEAPU8[at + 2] << 16 | HEAPU8[at + 3] << 24) >>> 0;
    texts.push(decoder.decode(HEAPU8.subarray(at + 4, at + 4 + length)));
    at += 4 + length;
  }
  const pairs = [];
  for (let i = 0; i + 1 < texts.length; i += 2) pairs.push([texts[i], texts[i + 1]]);
  ferrantPage.showAddressParameters(pairs);
});
EM_ASYNC_JS(int, page_next_message, (int* out, int capacity), {
  return await ferrantPage.nextMessage(out, capacity);
});
// clang-format on

namespace tk {
namespace {

using tk::GadgetKind;

// What a message carries (page.js, REC): four ints, the kind first.
enum class Record : int {
  Gadget = 1, TextChange = 2, Window = 3, Menu = 4, ComboChoose = 5, ComboKey = 6, DeviceRatio = 7
};
// A combo key record carries a character's code point, or for a key that
// is none -1 - its common::ComboKey (page.js, COMBO_KEYS).
constexpr int kComboKeyCount = static_cast<int>(common::ComboKey::PageDown) + 1;
// ferrant_menu_key()'s flags and answers (page.js, KEY_UP, KEY_REPEAT, MENU),
// the answers of the context menu's calls too.
constexpr int kKeyUp = 1;
constexpr int kKeyRepeat = 2;
constexpr int kMenuNotTaken = 0;
constexpr int kMenuTaken = 1;
constexpr int kMenuChose = 2;
// ferrant_context_key()'s modifiers (page.js, MODIFIER).
constexpr int kModifierCtrl = 1;
constexpr int kModifierShift = 2;
constexpr int kModifierAlt = 4;
constexpr int kMaxRecords = 8;

// What the page was last told of an element's place in the accessible tree
// (page.js, setAccess(), setMembers(), announce()), so that only changes
// reach it.
struct AccessShown {
  int role = -1;  // a common::AccessibleRole, -1 before the first
  bool hidden = false;
  std::string name;
  std::vector<int> members;  // a frame's, in reading order
  std::string news;          // a frame's
};

// A gadget owns its element: destroying it removes the element.
struct Gadget {
  Gadget(GadgetKind gadget_kind, int number, int gx, int gy, int gw, int gh, std::string_view text,
         std::uint32_t gadget_flags)
      : kind(gadget_kind),
        element(page_create_gadget(static_cast<int>(gadget_kind), number, gx, gy, gw, gh, std::string(text).c_str(),
                                   static_cast<int>(gadget_flags), common::takes_focus(gadget_kind) ? 1 : 0)),
        x(gx), y(gy), w(gw), h(gh),
        flags(gadget_flags),
        text(text) {}
  ~Gadget() { page_remove_gadget(element); }
  Gadget(const Gadget&) = delete;
  Gadget& operator=(const Gadget&) = delete;

  GadgetKind kind;
  int element;
  int x, y, w, h;
  std::uint32_t flags;
  std::string text;             // labels, frames, buttons; an image view's name
  common::ComboItems items;     // combo boxes
  int selected = -1;
  Bitmap bitmap = kNoBitmap;    // image views
  AccessShown access;
};

// A part of the drawing described in words (describe_drawing()): an
// element of its own over that area, the image a screen reader finds there.
struct DescribedPart {
  DescribedPart(int px, int py, int pw, int ph)
      : x(px), y(py), w(pw), h(ph), element(page_create_part(px, py, pw, ph)) {}
  ~DescribedPart() { page_remove_gadget(element); }
  DescribedPart(const DescribedPart&) = delete;
  DescribedPart& operator=(const DescribedPart&) = delete;

  int x, y, w, h;
  int element;
  std::string text;
  AccessShown access;
};

struct State {
  bool open = false;
  int window = -1;  // the window's number, -1 for none
  std::optional<common::Canvas> canvas;
  int picture_dpi = common::kBaseDpi;  // the scale of the page's backing pixels
  common::ScaledPicture picture;       // the canvas at that scale
  std::vector<std::uint32_t> rgba;     // the picture as the page's ImageData wants it
  Bitmap last_image = kNoBitmap;       // make_image()'s handles count up
  common::GadgetTable<Gadget> gadgets;
  std::vector<std::unique_ptr<DescribedPart>> parts;  // in the order first described
  common::MenuMode::Shape menu;  // per title its items' numbers, as the page shows them
  common::MenuMode menu_mode;
  int menu_chosen = 0;  // the item the last key or click chose (menu bar or context menu)
  std::array<int, 3> menu_shown{-1, -1, 0};  // what the page shows: title, item, menu shown
  common::ContextMenuMode context_menu;
  std::array<int, 2> context_shown{0, -1};  // what the page shows: open, marked item
  // The accessible tree: whether a gadget, a text or a described part
  // changed since the page was last given it, and the window's top-level
  // members as the page has them.
  bool outline_stale = false;
  std::vector<int> top_level;
};

State& state() {
  static State platform;
  return platform;
}

Gadget* find(int number) { return state().gadgets.find(number); }

void select_item(Gadget& combo, int index) {
  combo.selected = index;
  page_select_combo_item(combo.element, index);
}

// The item a key typed into a closed list selects (the shared rules), or
// nothing.
std::optional<int> combo_selection_after_key(const Gadget& combo, int key) {
  if (key < 0) {
    if (-key > kComboKeyCount) return std::nullopt;
    return common::selection_after_key(static_cast<common::ComboKey>(-key - 1), combo.selected, combo.items.size());
  }
  const std::u32string character(1, static_cast<char32_t>(key));
  return combo.items.next_starting_with(base::encode_utf8(character), combo.selected);
}

// Has the page show the menu bar as menu mode has it.
void show_menu_mode() {
  State& s = state();
  const std::array<int, 3> shown{s.menu_mode.title(), s.menu_mode.item(), s.menu_mode.shown() ? 1 : 0};
  if (shown != s.menu_shown) {
    s.menu_shown = shown;
    page_show_menu(shown[0], shown[1], shown[2]);
  }
}

// --- the context menu ------------------------------------------------------------

// Has the page show the context menu as its mode has it; an opening menu
// gets its items first.
void show_context_menu() {
  State& s = state();
  const std::array<int, 2> shown{s.context_menu.is_open() ? 1 : 0, s.context_menu.marked()};
  if (shown == s.context_shown) return;
  if (shown[0] != 0 && s.context_shown[0] == 0) {
    const auto& items = common::context_menu_items();
    for (std::size_t i = 0; i < items.size(); ++i) {
      page_context_menu_item(static_cast<int>(i), items[i].name.c_str(), items[i].shortcut.c_str());
    }
  }
  s.context_shown = shown;
  page_show_context_menu(shown[0], shown[1]);
}

// Opening the context menu ends menu mode.
void open_context_menu() {
  State& s = state();
  s.menu_mode.leave();
  show_menu_mode();
  s.context_menu.open(common::context_menu_items().size());
  show_context_menu();
}

int context_menu_answer(const common::ContextMenuMode::Outcome& outcome) {
  show_context_menu();
  if (outcome.chosen) state().menu_chosen = *outcome.chosen;
  return outcome.chosen ? kMenuChose : outcome.taken ? kMenuTaken : kMenuNotTaken;
}

// --- the accessible tree ---------------------------------------------------------

// Tells the page an element's role, name and whether it is hidden, when any
// of them changed.
void show_access(int element, AccessShown& shown, int role, bool hidden, const std::string& name) {
  if (shown.role == role && shown.hidden == hidden && shown.name == name) return;
  shown.role = role;
  shown.hidden = hidden;
  shown.name = name;
  page_set_access(element, role, hidden ? 1 : 0, name.c_str());
}

void show_members(int element, std::vector<int>& shown, const std::vector<int>& members) {
  if (shown == members) return;
  shown = members;
  page_set_members(element, members.data(), static_cast<int>(members.size()));
}

// The outline of the gadgets (creation order) and the described parts, as
// the page's elements show it: roles, names, the hidden ones, each group's
// members and news, and the window's top-level members (element 0).
void update_accessible_tree() {
  State& s = state();
  if (!s.outline_stale || s.window < 0) return;
  s.outline_stale = false;
  struct Target {
    int element;
    AccessShown* shown;
  };
  std::vector<common::AccessibleGadget> gadgets;
  std::vector<Target> targets;
  for (const auto& entry : s.gadgets.entries()) {
    Gadget& g = *entry.gadget;
    // A field's content names nothing (its caption does), and the page
    // holds it: it is left out.
    const bool holds_text = g.kind != GadgetKind::TextField && g.kind != GadgetKind::ComboBox;
    gadgets.push_back({entry.number, g.kind, g.x, g.y, g.w, g.h, holds_text ? std::string_view(g.text) : "", g.flags});
    targets.push_back({g.element, &g.access});
  }
  for (const auto& part : s.parts) {
    gadgets.push_back({kAnonymous, GadgetKind::ImageView, part->x, part->y, part->w, part->h, part->text, 0});
    targets.push_back({part->element, &part->access});
  }
  const common::AccessibleOutline outline = common::accessible_outline(gadgets);

  std::vector<bool> in_tree(gadgets.size(), false);
  std::vector<std::vector<int>> members(gadgets.size());
  std::vector<int> top_level;
  for (const common::AccessibleNode& node : outline.nodes) {
    const Target& target = targets[node.gadget];
    in_tree[node.gadget] = true;
    (node.group < 0 ? top_level : members[static_cast<std::size_t>(node.group)]).push_back(target.element);
    show_access(target.element, *target.shown, static_cast<int>(node.role), false, node.name);
  }
  for (std::size_t i = 0; i < gadgets.size(); ++i) {
    AccessShown& shown = *targets[i].shown;
    if (!in_tree[i]) show_access(targets[i].element, shown, shown.role, true, shown.name);
    if (gadgets[i].kind == GadgetKind::Frame) show_members(targets[i].element, shown.members, members[i]);
  }
  show_members(0, s.top_level, top_level);
  for (const auto& [frame, news] : outline.news) {
    AccessShown& shown = *targets[frame].shown;
    if (shown.news == news) continue;
    shown.news = news;
    page_announce(targets[frame].element, news.c_str());
  }
}

// --- backing pixels at the device's scale ------------------------------------

// Shows the canvas's layout area [x0, x1) x [y0, y1) at the picture's
// scale: the device pixels it touches (all of them when the scale changed),
// opaque where painted and transparent elsewhere so the controls under the
// drawing show through.
void show_picture(int x0, int y0, int x1, int y1) {
  State& s = state();
  const common::DeviceArea area = common::scale_picture(*s.canvas, s.picture_dpi, x0, y0, x1, y1, s.picture);
  const common::ScaledPicture& picture = s.picture;
  s.rgba.resize(picture.pixels.size());
  if (area.empty()) return;
  const auto width = static_cast<std::size_t>(picture.width);
  for (int y = area.y0; y < area.y1; ++y) {
    for (int x = area.x0; x < area.x1; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x);
      // Colour is r + 256 g + 65536 b: the bytes R, G, B of ImageData in a
      // little-endian word; alpha goes on top.
      s.rgba[i] = (static_cast<std::uint32_t>(picture.pixels[i]) & 0xFFFFFFu) |
                  (picture.painted[i] != 0 ? 0xFF000000u : 0u);
    }
  }
  page_show_drawing(s.rgba.data(), picture.width, picture.height, area.x0, area.y0, area.x1, area.y1);
}

// Shows an image view's bitmap at the picture's scale and its own size in
// layout pixels, or nothing, scaled by the same rule as the drawing.
void show_image_view(const Gadget& view) {
  const common::DecodedImage* image = common::find_image(view.bitmap);
  if (image == nullptr) {
    page_show_image(view.element, nullptr, 0, 0, 0, 0);
    return;
  }
  const common::DecodedImage scaled = common::scale_image(*image, state().picture_dpi);
  std::vector<std::uint32_t> rgba(scaled.argb.size());
  for (std::size_t i = 0; i < rgba.size(); ++i) {
    // 0xAARRGGBB to the bytes R, G, B, A of ImageData in a little-endian word.
    const std::uint32_t argb = scaled.argb[i];
    rgba[i] = (argb & 0xFF000000u) | (argb >> 16 & 0xFFu) | (argb & 0xFF00u) | (argb & 0xFFu) << 16;
  }
  page_show_image(view.element, rgba.data(), scaled.width, scaled.height, image->width, image->height);
}

// The page said its device pixel ratio changed (browser zoom, another
// screen): the drawing and the image views are shown again at the new
// scale from what the backend keeps. The program need not draw and hears
// only of the paint message (a raw identifier it ignores): the window's
// content is not lost, so there is no kEventRepaint, and the event contract
// (toolkit.h) stays as on the desktop, where a new scale is the backend's
// business too.
void follow_device_ratio() {
  State& s = state();
  const int dpi = common::picture_dpi_for_pixel_ratio(page_device_pixel_ratio());
  if (dpi == s.picture_dpi) return;
  s.picture_dpi = dpi;
  if (s.canvas) show_picture(0, 0, s.canvas->width(), s.canvas->height());
  for (const auto& entry : s.gadgets.entries()) {
    if (entry.gadget->kind == GadgetKind::ImageView && entry.gadget->bitmap != kNoBitmap) {
      show_image_view(*entry.gadget);
    }
  }
}

// One notification of a message: its kind and two values (the fourth int
// is spare).
void handle_record(const int* record) {
  State& s = state();
  const int kind = record[0], a = record[1], b = record[2];
  switch (static_cast<Record>(kind)) {
    case Record::Gadget:
      common::record_event(kEventGadget, a, b);
      return;
    case Record::TextChange:
      common::record_text_change(a);
      return;
    case Record::Window:
      if (s.window >= 0) common::queue_window_event(a, s.window);
      return;
    case Record::Menu:
      common::record_event(kEventMenu, a, kTypeNone);
      return;
    case Record::ComboChoose:
    case Record::ComboKey: {
      Gadget* combo = find(a);
      if (combo == nullptr || combo->kind != GadgetKind::ComboBox) return;
      // A pick reports a changed selection; a key any item it selects, the
      // selected one too.
      const bool picked = static_cast<Record>(kind) == Record::ComboChoose;
      const std::optional<int> index = picked ? std::optional<int>(b) : combo_selection_after_key(*combo, b);
      if (!index || *index < 0 || *index >= combo->items.size() || (picked && *index == combo->selected)) return;
      select_item(*combo, *index);
      common::record_event(kEventGadget, a, kTypeComboSelChange);
      return;
    }
    case Record::DeviceRatio:
      follow_device_ratio();
      return;
  }
}

}  // namespace

// --- asked by page.js while it dispatches a browser event ------------------
// Called while the program waits in page_next_message(): allowed, as it
// does not wait itself.

// A character typed into the text field `gadget` with these flags: whether
// the field takes it (page.js refuses the input otherwise); a refused one
// shows the hint.
extern "C" EMSCRIPTEN_KEEPALIVE int ferrant_field_typed(int gadget, int flags, int character) {
  return common::typed_into_field(gadget, static_cast<std::uint32_t>(flags), static_cast<char32_t>(character)) ? 1
                                                                                                               : 0;
}

// Text pasted into the field (it goes in unfiltered): the hint shows when a
// character of it would be refused typed.
extern "C" EMSCRIPTEN_KEEPALIVE void ferrant_field_pasted(int gadget, int flags, const char* text) {
  common::pasted_into_field(gadget, static_cast<std::uint32_t>(flags), text);
}

// Any other key down or button down ends the hint.
extern "C" EMSCRIPTEN_KEEPALIVE void ferrant_dismiss_field_hint() { common::dismiss_field_hint(); }

// The page's timer ended the hint.
extern "C" EMSCRIPTEN_KEEPALIVE void ferrant_forget_field_hint() { common::forget_field_hint(); }

// A key down goes to the context menu before menu mode: the open menu takes
// every key (`key` a ContextMenuMode::Key, page.js CONTEXT_KEYS); closed,
// the chord of `chord_key` (an ASCII letter or digit, kKeyF10,
// kKeyContextMenu, else 0) with the modifiers (kModifierCtrl ...) may open
// it or choose the item it is the shortcut of. Answers as
// ferrant_menu_key(), the item in ferrant_menu_chosen().
extern "C" EMSCRIPTEN_KEEPALIVE int ferrant_context_key(int key, int chord_key, int modifiers) {
  State& s = state();
  if (s.context_menu.is_open()) {
    using ContextKey = common::ContextMenuMode::Key;
    const auto menu_key = static_cast<ContextKey>(std::clamp(key, 0, static_cast<int>(ContextKey::Other)));
    return context_menu_answer(s.context_menu.key_down(menu_key, common::context_menu_items()));
  }
  const common::KeyChord chord{static_cast<char32_t>(chord_key), (modifiers & kModifierCtrl) != 0,
                               (modifiers & kModifierShift) != 0, (modifiers & kModifierAlt) != 0};
  if (common::opens_context_menu(chord)) {
    open_context_menu();
    return s.context_menu.is_open() ? kMenuTaken : kMenuNotTaken;
  }
  const std::optional<int> item = common::shortcut_item(chord);
  if (!item) return kMenuNotTaken;
  s.menu_mode.leave();
  show_menu_mode();
  s.menu_chosen = *item;
  return kMenuChose;
}

// A right click on a gadget of this kind (-1: where no gadget is). Returns
// 1 when the context menu opened; an image view's right click is its own.
extern "C" EMSCRIPTEN_KEEPALIVE int ferrant_context_right_click(int kind) {
  const std::optional<GadgetKind> under =
      kind < 0 ? std::nullopt : std::optional<GadgetKind>(static_cast<GadgetKind>(kind));
  if (!common::right_click_opens_context_menu(under)) return 0;
  open_context_menu();
  return state().context_menu.is_open() ? 1 : 0;
}

// A click on the open context menu's item `index`, or elsewhere (-1).
// Answers as ferrant_context_key().
extern "C" EMSCRIPTEN_KEEPALIVE int ferrant_context_click(int index) {
  return context_menu_answer(state().context_menu.click(index, common::context_menu_items()));
}

// A key down or up (a MenuKey) goes to menu mode first, as the browser
// dispatches it, so page.js knows at once whether the key does anything
// else. Returns kMenuNotTaken, kMenuTaken, or kMenuChose with the item in
// ferrant_menu_chosen() (page.js posts it as the message's menu record).
extern "C" EMSCRIPTEN_KEEPALIVE int ferrant_menu_key(int key, int flags) {
  State& s = state();
  const auto menu_key = static_cast<common::MenuKey>(std::clamp(key, 0, static_cast<int>(common::MenuKey::Other)));
  int answer = kMenuNotTaken;
  if ((flags & kKeyUp) != 0) {
    s.menu_mode.key_up(menu_key, s.menu);
  } else {
    const common::MenuMode::Outcome outcome = s.menu_mode.key_down(menu_key, (flags & kKeyRepeat) != 0, s.menu);
    if (outcome.chosen) s.menu_chosen = *outcome.chosen;
    answer = outcome.chosen ? kMenuChose : outcome.taken ? kMenuTaken : kMenuNotTaken;
  }
  show_menu_mode();
  return answer;
}

extern "C" EMSCRIPTEN_KEEPALIVE int ferrant_menu_chosen() { return state().menu_chosen; }

// Tab (forward) or Shift+Tab from the gadget with this element (0: none):
// the element to focus, 0 for none. The order is the shared one
// (GadgetTable::tab_target()).
extern "C" EMSCRIPTEN_KEEPALIVE int ferrant_tab_target(int focused_element, int forward) {
  const auto& gadgets = state().gadgets;
  const Gadget* current = nullptr;
  for (const auto& entry : gadgets.entries()) {
    if (focused_element != 0 && entry.gadget->element == focused_element) current = entry.gadget.get();
  }
  const Gadget* target = gadgets.tab_target(current, forward != 0, [](const auto& entry) {
    return common::takes_focus(entry.kind);
  });
  return target ? target->element : 0;
}

// A click on the menu bar's title with this index, or anywhere else (-1,
// a menu item chosen included): menu mode ends.
extern "C" EMSCRIPTEN_KEEPALIVE void ferrant_menu_click(int title) {
  State& s = state();
  if (title >= 0) {
    s.menu_mode.click_title(title, s.menu);
  } else {
    s.menu_mode.leave();
  }
  show_menu_mode();
}

// --- the shared core's hooks ---------------------------------------------------

namespace backend {

bool open_platform(std::string& /*error*/) {
  state().open = true;
  return true;
}

void close_platform() {
  State& s = state();
  common::forget_drawing_phase();
  s.gadgets.clear();
  s.parts.clear();
  s.top_level.clear();
  s.outline_stale = false;
  s.context_menu.close();
  s.context_shown = {0, -1};
  s.canvas.reset();
  s.picture = {};
  s.rgba.clear();
  s.window = -1;
  s.open = false;
  s.menu.clear();
  s.menu_mode.leave();
  s.menu_shown = {-1, -1, 0};
  page_close_window();
}

// The files beside the page that it fetched before the program started
// (the logo): the page hands over their bytes; there is no file system.
std::optional<std::vector<std::uint8_t>> file_bytes(const std::string& name) {
  const int size = page_file_size(name.c_str());
  if (size <= 0 || size > common::kMaxImageFileBytes) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  page_copy_file(name.c_str(), bytes.data());
  return bytes;
}

// The page keeps no pictures of its own: an image view is given its image's
// pixels at the scale it is shown at (show_image_view()), from the decoded
// image the shared image table keeps under this handle.
Bitmap make_image(const common::DecodedImage& /*image*/) { return ++state().last_image; }

void free_image(Bitmap image) {
  for (const auto& entry : state().gadgets.entries()) {
    if (entry.gadget->bitmap != image) continue;
    entry.gadget->bitmap = kNoBitmap;
    show_image_view(*entry.gadget);
  }
}

int pump_message() {
  // The program has handled the last message: the page's accessible tree
  // follows what it changed, once.
  update_accessible_tree();
  std::array<int, 2 + 4 * kMaxRecords> message{};
  const int code = page_next_message(message.data(), static_cast<int>(message.size()));
  const int count = std::clamp(message[1], 0, kMaxRecords);
  for (int i = 0; i < count; ++i) {
    handle_record(&message[static_cast<std::size_t>(2 + 4 * i)]);
  }
  return code;
}

common::Canvas* window_canvas(int window) {
  State& s = state();
  return s.canvas && s.window == window ? &*s.canvas : nullptr;
}

void present_drawing(int x0, int y0, int x1, int y1) {
  State& s = state();
  if (!s.canvas) return;
  show_picture(x0, y0, x1, y1);
}

// The drawing is described by its parts (describe_drawing()), not by what
// it paints.
void box_drawn(int /*x*/, int /*y*/, int /*w*/, int /*h*/) {}
void text_drawn(int /*x*/, int /*y*/, int /*end*/, std::string_view /*text*/) {}

void show_field_hint(int gadget, std::string_view title, std::string_view text, int milliseconds) {
  const Gadget* field = find(gadget);
  if (field == nullptr) return;
  page_show_hint(field->element, std::string(title).c_str(), std::string(text).c_str(), milliseconds);
}

void hide_field_hint() { page_hide_hint(); }

}  // namespace backend

// --- window and menu -----------------------------------------------------------

bool create_window(int window, int /*x*/, int /*y*/, int width, int height, std::string_view title,
                   std::uint32_t /*style*/) {
  if (!common::window_may_open()) return false;
  State& s = state();
  s.gadgets.clear();
  s.parts.clear();
  s.top_level.clear();
  s.outline_stale = true;
  s.context_menu.close();
  s.context_shown = {0, -1};
  s.menu.clear();
  s.menu_mode.leave();
  s.menu_shown = {-1, -1, 0};
  s.picture_dpi = common::picture_dpi_for_pixel_ratio(page_device_pixel_ratio());
  page_open_window(std::string(title).c_str(), width, height, common::to_device(width, s.picture_dpi),
                   common::to_device(height, s.picture_dpi));
  s.window = window;
  s.canvas.emplace(width, height, common::kButtonFace);
  // The picture of the fresh canvas is what the page's fresh backing store
  // shows, nothing painted: the first drawing phase shows only its area.
  common::scale_picture(*s.canvas, s.picture_dpi, 0, 0, width, height, s.picture);
  s.rgba.assign(s.picture.pixels.size(), 0);
  common::queue_window_opened(window);
  return true;
}

void create_menu_bar(int /*menu*/, int /*window*/) {}

void add_menu_title(std::string_view text) {
  if (state().window < 0) return;
  state().menu.emplace_back();
  page_add_menu_title(std::string(text).c_str());
}

void add_menu_item(int item, std::string_view text) {
  if (state().menu.empty()) return;
  state().menu.back().push_back(item);
  page_add_menu_item(item, std::string(text).c_str());
}

// --- gadgets -----------------------------------------------------------------

namespace {

Gadget* create(GadgetKind kind, int number, int x, int y, int w, int h, std::string_view text,
               std::uint32_t flags = 0) {
  State& s = state();
  if (s.window < 0) return nullptr;
  s.gadgets.erase(number);  // the old element goes before the new one comes
  s.outline_stale = true;
  return &s.gadgets.insert(number, kind, std::make_unique<Gadget>(kind, number, x, y, w, h, text, flags));
}

}  // namespace

void create_frame(int number, int x, int y, int w, int h, std::string_view caption) {
  create(GadgetKind::Frame, number, x, y, w, h, caption);
}

void create_label(int number, int x, int y, int w, int h, std::string_view text, std::uint32_t flags) {
  create(GadgetKind::Label, number, x, y, w, h, text, flags);
}

void create_text_field(int number, int x, int y, int w, int h, std::string_view text, std::uint32_t flags) {
  create(GadgetKind::TextField, number, x, y, w, h, text, flags);
}

void create_combo_box(int number, int x, int y, int w, int h) {
  create(GadgetKind::ComboBox, number, x, y, w, h, {});
}

void add_combo_item(int number, int position, std::string_view text) {
  Gadget* combo = find(number);
  if (combo == nullptr || combo->kind != GadgetKind::ComboBox) return;
  const std::optional<int> inserted = combo->items.insert(position, text);
  if (!inserted) return;
  page_insert_combo_item(combo->element, *inserted, std::string(text).c_str());
  select_item(*combo, common::selection_after_insert(combo->selected, *inserted));
}

void create_button(int number, int x, int y, int w, int h, std::string_view text) {
  create(GadgetKind::Button, number, x, y, w, h, text);
}

void create_image_view(int number, int x, int y, int w, int h, Bitmap bitmap) {
  const common::DecodedImage* image = common::find_image(bitmap);
  Gadget* view = create(GadgetKind::ImageView, number, x, y, image ? image->width : w, image ? image->height : h, {});
  if (view != nullptr && image != nullptr) {
    view->bitmap = bitmap;
    show_image_view(*view);
  }
}

void set_gadget_text(int number, std::string_view text) {
  Gadget* gadget = find(number);
  if (gadget == nullptr) return;
  switch (gadget->kind) {
    case GadgetKind::ComboBox:
      select_item(*gadget, gadget->items.selection_for_text(text, gadget->selected));
      return;
    case GadgetKind::TextField:
      page_set_text(gadget->element, std::string(text).c_str());
      common::record_text_change(number);
      return;
    case GadgetKind::ImageView:
      // Its name, for screen readers.
      if (gadget->text != text) state().outline_stale = true;
      gadget->text = text;
      return;
    default:
      if (gadget->text == text) return;
      gadget->text = text;
      state().outline_stale = true;
      page_set_text(gadget->element, gadget->text.c_str());
      return;
  }
}

std::string get_gadget_text(int number) {
  const Gadget* gadget = find(number);
  if (gadget == nullptr) return {};
  switch (gadget->kind) {
    case GadgetKind::ComboBox:
      return gadget->items.text(gadget->selected);
    case GadgetKind::TextField: {
      const std::unique_ptr<char, decltype(&std::free)> text(page_field_text(gadget->element), &std::free);
      return text ? std::string(text.get()) : std::string();
    }
    default:
      return gadget->text;
  }
}

std::int64_t get_gadget_state(int number) {
  const Gadget* gadget = find(number);
  if (gadget == nullptr) return 0;
  if (gadget->kind == GadgetKind::ComboBox) return gadget->selected;
  if (gadget->kind == GadgetKind::ImageView) return gadget->bitmap;
  return 0;
}

bool open_url(std::string_view location) { return page_open_url(std::string(location).c_str()) != 0; }

// --- the page address ----------------------------------------------------------

std::vector<AddressParameter> address_parameters() {
  int size = 0;
  const std::unique_ptr<char, decltype(&std::free)> buffer(page_address(&size), &std::free);
  std::vector<std::string> texts;
  for (std::size_t at = 0; at + 4 <= static_cast<std::size_t>(size);) {
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(buffer.get()[at + i]);
    texts.emplace_back(buffer.get() + at + 4, length);
    at += 4 + length;
  }
  std::vector<AddressParameter> parameters;
  for (std::size_t i = 0; i + 1 < texts.size(); i += 2) parameters.push_back({texts[i], texts[i + 1]});
  return parameters;
}

void show_address_parameters(std::span<const AddressParameter> parameters) {
  std::string data;
  for (const AddressParameter& parameter : parameters) {
    for (const std::string* text : {&parameter.name, &parameter.value}) {
      for (int i = 0; i < 4; ++i) data += static_cast<char>((text->size() >> (8 * i)) & 0xFF);
      data += *text;
    }
  }
  page_show_address(data.data(), static_cast<int>(data.size()));
}

void set_clipboard_text(std::string_view text) { page_set_clipboard(std::string(text).c_str()); }

void describe_drawing(int window, int x, int y, int w, int h, std::string_view text) {
  State& s = state();
  if (window != s.window || s.window < 0) return;
  const auto same_area = [&](const auto& part) { return part->x == x && part->y == y && part->w == w && part->h == h; };
  auto found = std::find_if(s.parts.begin(), s.parts.end(), same_area);
  if (found == s.parts.end()) found = s.parts.insert(s.parts.end(), std::make_unique<DescribedPart>(x, y, w, h));
  if ((*found)->text == text) return;
  (*found)->text = text;
  s.outline_stale = true;
}

}  // namespace tk
