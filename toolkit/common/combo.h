// A pick-only list's items as every backend keeps them: insertion by
// position and the exact whole-text search that selects by text.
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

  // A key typed into a closed list: the next item after `current`, wrapping
  // round, that starts with the key's character (UTF-8, ASCII letters
  // without case). `current` when none does.
  int next_starting_with(std::string_view key, int current) const {
    const int count = size();
    for (int step = 1; step <= count && !key.empty(); ++step) {
      const int index = (current + step + count) % count;
      const std::string_view item = items_[static_cast<std::size_t>(index)];
      if (equal_ignoring_case(item.substr(0, key.size()), key)) {
        return index;
      }
    }
    return current;
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

}  // namespace tk::common
