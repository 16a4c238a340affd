// A pick-only list's items as every backend keeps them: insertion by
// position, the exact whole-text search that selects by text, and the keys
// that change the selection of a closed list.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tk::common {

// Equal length, ASCII letters compared without case, every other byte as it
// is (so "ferrant_iii" finds "Ferrant_III", and "Pellion " finds nothing).
inline bool equal_ignoring_case(std::string_view a, std::string_view b) {
  const auto fold = [](char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char x, char y) { return fold(x) == fold(y); });
}

class ComboItems {
 public:
  // Inserts the text at position (-1 appends). Returns the index it took, or
  // nothing when the position is past the end or below -1 (refused, as the
  // platform's list refuses it).
  std::optional<int> insert(int position, std::string_view text) {
    const int count = size();
    if (position == -1) {
      position = count;
    }
    if (position < 0 || position > count) {
      return std::nullopt;
    }
    items_.insert(items_.begin() + position, std::string(text));
    return position;
  }

  // The index of the first item equal to the whole text ignoring case, or -1.
  int find(std::string_view text) const {
    const auto match = std::find_if(items_.begin(), items_.end(), [text](const std::string& item) {
      return equal_ignoring_case(item, text);
    });
    return match == items_.end() ? -1 : static_cast<int>(match - items_.begin());
  }

  // The selection after the program sets the box's text: an empty text
  // clears it (-1); a text some item has selects that item; any other text
  // leaves `current` as it is.
  int selection_for_text(std::string_view text, int current) const {
    if (text.empty()) {
      return -1;
    }
    const int found = find(text);
    return found >= 0 ? found : current;
  }

  // A character typed into a closed list: the next item after `current`,
  // wrapping round, that starts with it (UTF-8, ASCII letters without
  // case); with no selection the first such item. Nothing when no item
  // starts with it (the selection stays and no change is reported).
  std::optional<int> next_starting_with(std::string_view key, int current) const {
    const int count = size();
    for (int step = 1; step <= count && !key.empty(); ++step) {
      const int index = (current + step + count) % count;
      const std::string_view item = items_[static_cast<std::size_t>(index)];
      if (equal_ignoring_case(item.substr(0, key.size()), key)) {
        return index;
      }
    }
    return std::nullopt;
  }

  // The item at index, "" for -1 or out of range.
  std::string text(int index) const {
    return index >= 0 && index < size() ? items_[static_cast<std::size_t>(index)] : std::string();
  }

  int size() const { return static_cast<int>(items_.size()); }
  const std::vector<std::string>& items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

// Where the selection goes when an item is inserted at `inserted`: it stays
// on its item.
constexpr int selection_after_insert(int selected, int inserted) {
  return selected >= inserted ? selected + 1 : selected;
}

// The keys other than characters that move a closed list's selection.
enum class ComboKey { Up, Down, Left, Right, Home, End, PageUp, PageDown };

// How far PageUp and PageDown move in a closed list: the 27 items a page of
// the open list holds (the height the Win32 box opens to), less the one that
// stays in view, as a list box pages.
inline constexpr int kComboPageStep = 26;

// The selection after a key in a closed list of `count` items holding
// `current` (-1: none). Nothing when the list is empty. Otherwise the key
// selects an item even when it is the one already selected, and the box
// reports that as a selection change, as the platform's box does.
constexpr std::optional<int> selection_after_key(ComboKey key, int current, int count) {
  if (count <= 0) {
    return std::nullopt;
  }
  const int last = count - 1;
  // With no selection every key selects the first item, End and PageDown
  // too: the list starts at its top.
  if (current < 0) {
    return 0;
  }
  const auto moved = [&](int step) { return std::clamp(current + step, 0, last); };
  switch (key) {
    // Left and Right act as Up and Down; neither wraps round at the ends.
    case ComboKey::Up:
    case ComboKey::Left:
      return moved(-1);
    case ComboKey::Down:
    case ComboKey::Right:
      return moved(1);
    case ComboKey::Home:
      return 0;
    case ComboKey::End:
      return last;
    // A page at a time, stopping at the first and the last item.
    case ComboKey::PageUp:
      return moved(-kComboPageStep);
    case ComboKey::PageDown:
      return moved(kComboPageStep);
  }
  return current;
}

}  // namespace tk::common
