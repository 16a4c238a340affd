#include "toolkit/common/accessibility.h"

#include <optional>

namespace tk::common {
namespace {

bool inside(const AccessibleGadget& inner, const AccessibleGadget& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

bool share_rows(const AccessibleGadget& a, const AccessibleGadget& b) {
  return a.y < b.y + b.h && b.y < a.y + a.h;
}

bool is_label(const AccessibleGadget& g) { return g.kind == GadgetKind::Label; }
bool is_result(const AccessibleGadget& g) { return is_label(g) && (g.flags & kFlagSunken) != 0; }
bool is_input(const AccessibleGadget& g) {
  return g.kind == GadgetKind::TextField || g.kind == GadgetKind::ComboBox;
}

// Texts joined by single blanks, blanks inside them run together: "Meter = "
// and "19713 Feet" read "Meter = 19713 Feet".
void append_words(std::string& out, std::string_view text) {
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\t' || c == '\n' || c == '\r';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  if (!out.empty() && out.back() != ' ') out += ' ';
}

std::string trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The innermost frame whose rectangle holds the gadget's.
int group_of(std::span<const AccessibleGadget> gadgets, std::size_t index) {
  int group = -1;
  long long group_area = 0;
  for (std::size_t f = 0; f < gadgets.size(); ++f) {
    const AccessibleGadget& frame = gadgets[f];
    if (f == index || frame.kind != GadgetKind::Frame || !inside(gadgets[index], frame)) continue;
    const long long area = static_cast<long long>(frame.w) * frame.h;
    if (group < 0 || area < group_area) {
      group = static_cast<int>(f);
      group_area = area;
    }
  }
  return group;
}

// The label created last before the gadget.
std::optional<std::size_t> caption_of(std::span<const AccessibleGadget> gadgets, std::size_t index) {
  for (std::size_t i = index; i-- > 0;) {
    if (is_label(gadgets[i])) return i;
  }
  return std::nullopt;
}

// Whether a label made later covers the label from the right.
bool covered(std::span<const AccessibleGadget> gadgets, std::size_t index) {
  const AccessibleGadget& label = gadgets[index];
  for (std::size_t i = index + 1; i < gadgets.size(); ++i) {
    const AccessibleGadget& later = gadgets[i];
    if (is_label(later) && later.x > label.x && later.x < label.x + label.w && share_rows(later, label)) {
      return true;
    }
  }
  return false;
}

}  // namespace

AccessibleOutline accessible_outline(std::span<const AccessibleGadget> gadgets) {
  const std::size_t count = gadgets.size();
  std::vector<AccessibleNode> nodes(count);
  std::vector<bool> hidden(count, false);

  for (std::size_t i = 0; i < count; ++i) {
    const AccessibleGadget& g = gadgets[i];
    AccessibleNode& node = nodes[i];
    node.gadget = i;
    node.group = group_of(gadgets, i);
    switch (g.kind) {
      case GadgetKind::Frame: node.role = AccessibleRole::Group; node.name = std::string(g.text); break;
      case GadgetKind::Label: node.role = AccessibleRole::Text; break;
      case GadgetKind::TextField: node.role = AccessibleRole::TextField; break;
      case GadgetKind::ComboBox: node.role = AccessibleRole::ComboBox; break;
      case GadgetKind::Button: node.role = AccessibleRole::Button; node.name = std::string(g.text); break;
      case GadgetKind::ImageView: node.role = AccessibleRole::Image; node.name = std::string(g.text); break;
    }
    if ((is_label(g) && (g.text.empty() || covered(gadgets, i))) ||
        (g.kind == GadgetKind::ImageView && g.text.empty())) {
      hidden[i] = true;
    }
  }

  for (std::size_t i = 0; i < count; ++i) {
    const AccessibleGadget& g = gadgets[i];
    if (!is_result(g) && !is_input(g)) continue;
    const auto caption = caption_of(gadgets, i);
    std::string name = caption ? std::string(gadgets[*caption].text) : std::string();
    if (is_input(g)) {
      nodes[i].name = name;
      continue;
    }
    // A result: its caption, then its value and the units on its line.
    if (caption) hidden[*caption] = true;
    std::string value;
    append_words(value, g.text);
    for (std::size_t u = i + 1; u < count; ++u) {
      const AccessibleGadget& unit = gadgets[u];
      if (!is_label(unit) || is_result(unit) || !share_rows(unit, g) || unit.x < g.x + g.w) break;
      append_words(value, unit.text);
      hidden[u] = true;
    }
    value = trimmed(value);
    if (!name.empty() && !value.empty()) name += ", ";
    nodes[i].role = AccessibleRole::Result;
    nodes[i].name = name + value;
    hidden[i] = false;
  }

  // Inputs that share a name are told apart by their groups' captions; which
  // names are shared is decided before any is changed, so every input of a
  // shared name gets its caption.
  std::vector<bool> shared(count, false);
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j = 0; j < count; ++j) {
      shared[i] = shared[i] || (j != i && is_input(gadgets[i]) && is_input(gadgets[j]) && nodes[j].name == nodes[i].name);
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (shared[i] && nodes[i].group >= 0) {
      nodes[i].name += ", " + std::string(gadgets[static_cast<std::size_t>(nodes[i].group)].text);
    }
  }

  AccessibleOutline outline;
  const auto emit = [&](auto& self, std::size_t i) -> void {
    if (hidden[i]) return;
    outline.nodes.push_back(nodes[i]);
    if (gadgets[i].kind != GadgetKind::Frame) return;
    for (std::size_t member = 0; member < count; ++member) {
      if (nodes[member].group == static_cast<int>(i)) self(self, member);
    }
  };
  for (std::size_t i = 0; i < count; ++i) {
    if (nodes[i].group < 0) emit(emit, i);
  }

  for (std::size_t f = 0; f < count; ++f) {
    if (gadgets[f].kind != GadgetKind::Frame) continue;
    std::string news;
    for (std::size_t i = 0; i < count; ++i) {
      if (nodes[i].group != static_cast<int>(f) || nodes[i].role != AccessibleRole::Result) continue;
      if (!news.empty()) news += "; ";
      news += nodes[i].name;
    }
    outline.news.emplace_back(f, std::move(news));
  }
  return outline;
}

}  // namespace tk::common
