#include "toolkit/common/context_menu.h"

#include "toolkit/toolkit.h"

namespace tk::common {
namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

constexpr char32_t upper(char32_t c) { return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c; }

std::vector<ContextMenuItem>& items() {
  static std::vector<ContextMenuItem> menu;
  return menu;
}

}  // namespace

std::optional<KeyChord> parse_shortcut(std::string_view text) {
  KeyChord chord;
  while (true) {
    const auto plus = text.find('+');
    if (plus == std::string_view::npos) break;
    const std::string_view modifier = text.substr(0, plus);
    if (equal_ignoring_case(modifier, "Ctrl")) {
      chord.ctrl = true;
    } else if (equal_ignoring_case(modifier, "Shift")) {
      chord.shift = true;
    } else if (equal_ignoring_case(modifier, "Alt")) {
      chord.alt = true;
    } else {
      return std::nullopt;
    }
    text.remove_prefix(plus + 1);
  }
  if (text.size() != 1) return std::nullopt;
  const char key = text[0];
  const bool letter = (key >= 'A' && key <= 'Z') || (key >= 'a' && key <= 'z');
  if (!letter && !(key >= '0' && key <= '9')) return std::nullopt;
  if (!chord.ctrl && !chord.alt) return std::nullopt;
  chord.key = upper(static_cast<char32_t>(key));
  return chord;
}

ContextMenuItem context_menu_item(int item, std::string_view text) {
  ContextMenuItem entry;
  entry.item = item;
  const auto tab = text.find('\t');
  entry.name = std::string(text.substr(0, tab));
  if (tab != std::string_view::npos) {
    entry.shortcut = std::string(text.substr(tab + 1));
    entry.chord = parse_shortcut(entry.shortcut);
  }
  return entry;
}

const std::vector<ContextMenuItem>& context_menu_items() { return items(); }
void clear_context_menu() { items().clear(); }

std::optional<int> shortcut_item(const KeyChord& chord) {
  KeyChord pressed = chord;
  pressed.key = upper(pressed.key);
  for (const ContextMenuItem& entry : items()) {
    if (entry.chord == pressed) return entry.item;
  }
  return std::nullopt;
}

void ContextMenuMode::open(std::size_t item_count) {
  open_ = item_count > 0;
  marked_ = -1;
}

ContextMenuMode::Outcome ContextMenuMode::key_down(Key key, const std::vector<ContextMenuItem>& items) {
  if (!open_) return {};
  const int count = static_cast<int>(items.size());
  Outcome outcome{true, std::nullopt};
  switch (key) {
    case Key::Down: marked_ = marked_ < 0 ? 0 : (marked_ + 1) % count; break;
    case Key::Up: marked_ = marked_ <= 0 ? count - 1 : marked_ - 1; break;
    case Key::Home: marked_ = 0; break;
    case Key::End: marked_ = count - 1; break;
    case Key::Enter:
      if (marked_ >= 0 && marked_ < count) outcome.chosen = items[static_cast<std::size_t>(marked_)].item;
      open_ = false;
      break;
    case Key::Escape:
    case Key::Other: open_ = false; break;
  }
  return outcome;
}

ContextMenuMode::Outcome ContextMenuMode::click(int index, const std::vector<ContextMenuItem>& items) {
  if (!open_) return {};
  open_ = false;
  Outcome outcome{true, std::nullopt};
  if (index >= 0 && index < static_cast<int>(items.size())) {
    outcome.chosen = items[static_cast<std::size_t>(index)].item;
  }
  return outcome;
}

}  // namespace tk::common

namespace tk {

void add_context_menu_item(int item, std::string_view text) {
  common::items().push_back(common::context_menu_item(item, text));
}

}  // namespace tk
