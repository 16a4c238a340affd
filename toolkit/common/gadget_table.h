// The table of numbered gadgets, shared by the backends. Each backend keeps
// its own gadget type (owning its platform control, destroyed with it) in a
// GadgetTable<Gadget>.
//
//   - number -> {kind, gadget}; lookup of a missing number gives nullptr
//   - kAnonymous (-1) gadgets are kept (and destroyed at clear()) but can
//     never be looked up
//   - inserting a number in use destroys the old gadget first
//   - entries() is in creation order, the order of Tab navigation; a
//     replacing gadget counts as created last (tab_target())
#pragma once

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "toolkit/toolkit.h"

namespace tk::common {

// Whether the kind takes the keyboard focus (and so is a Tab stop).
constexpr bool takes_focus(GadgetKind kind) {
  return kind == GadgetKind::TextField || kind == GadgetKind::ComboBox ||
         kind == GadgetKind::Button;
}

template <class Gadget>
class GadgetTable {
 public:
  struct Entry {
    int number;
    GadgetKind kind;
    std::unique_ptr<Gadget> gadget;  // never null
  };

  // Destroys the gadget that had the number (unless it is kAnonymous), then
  // takes the new one. Returns it. A backend that must have the old control
  // gone before it creates the new one calls erase() first.
  Gadget& insert(int number, GadgetKind kind, std::unique_ptr<Gadget> gadget) {
    erase(number);
    entries_.push_back(Entry{number, kind, std::move(gadget)});
    return *entries_.back().gadget;
  }

  // Destroys the numbered gadget. False when there is none.
  bool erase(int number) {
    const auto it = position(number);
    if (it == entries_.end()) {
      return false;
    }
    entries_.erase(it);
    return true;
  }

  Gadget* find(int number) {
    const Entry* found = entry(number);
    return found ? found->gadget.get() : nullptr;
  }
  const Gadget* find(int number) const {
    const Entry* found = entry(number);
    return found ? found->gadget.get() : nullptr;
  }

  const Entry* entry(int number) const {
    if (number == kAnonymous) {
      return nullptr;
    }
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [number](const Entry& e) { return e.number == number; });
    return it == entries_.end() ? nullptr : &*it;
  }

  bool contains(int number) const { return entry(number) != nullptr; }

  // Tab (forward) and Shift+Tab: among the gadgets that can take the focus
  // now, in creation order, the one after (before) `current`, wrapping
  // round; the first (last) one when `current` is none of them. nullptr when
  // no gadget can take the focus. can_take_focus(const Entry&) is the
  // backend's test (kind, and where the platform has them, visible and
  // enabled).
  template <class CanTakeFocus>
  Gadget* tab_target(const Gadget* current, bool forward, CanTakeFocus can_take_focus) const {
    std::vector<Gadget*> stops;
    for (const Entry& e : entries_) {
      if (can_take_focus(e)) {
        stops.push_back(e.gadget.get());
      }
    }
    if (stops.empty()) {
      return nullptr;
    }
    const auto at = std::find(stops.begin(), stops.end(), current);
    if (at == stops.end()) {
      return forward ? stops.front() : stops.back();
    }
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    const std::ptrdiff_t next = ((at - stops.begin()) + (forward ? 1 : count - 1)) % count;
    return stops[static_cast<std::size_t>(next)];
  }

  // Creation order, anonymous gadgets included.
  const std::vector<Entry>& entries() const { return entries_; }

  // Destroys every gadget, newest first (children before what they sit on).
  void clear() {
    while (!entries_.empty()) {
      entries_.pop_back();
    }
  }

  GadgetTable() = default;
  GadgetTable(const GadgetTable&) = delete;
  GadgetTable& operator=(const GadgetTable&) = delete;
  ~GadgetTable() { clear(); }

 private:
  typename std::vector<Entry>::iterator position(int number) {
    if (number == kAnonymous) {
      return entries_.end();
    }
    return std::find_if(entries_.begin(), entries_.end(),
                        [number](const Entry& e) { return e.number == number; });
  }

  std::vector<Entry> entries_;
};

}  // namespace tk::common
