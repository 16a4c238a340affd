// What a screen reader is told about the window, decided once from the
// gadgets as the program made them, for a backend that builds the window's
// accessible tree itself (the browser). Where the platform names its
// controls itself (Win32 standard controls) its own rule stands.
//
//   groups   a gadget whose rectangle lies inside a frame's belongs to that
//            frame's group, named by the frame's caption (the innermost
//            frame when frames nest)
//   names    a text field or combo box is named by the label created just
//            before it; when another input has that name too, the group's
//            caption follows after a comma. A result (a sunken label) is
//            named by that label, a comma, its own text and the texts of
//            the labels after it on its line: "Possible Distance for
//            Pellion, 6009 Meter = 19713 Feet". A button by its text, an
//            image view or a described part of the drawing by its text
//   hidden   labels a result's name holds, labels with no text, and a label
//            that a later one covers (its left edge inside the label, on
//            rows they share) are left out of the tree
//   order    creation order, except that a group's members follow its frame
//            (the sketches' values made last are read within their panel)
//   news     a group's results, their names joined by "; ": what is
//            announced when it changes, once per change
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/toolkit.h"

namespace tk::common {

struct AccessibleGadget {
  int number = kAnonymous;
  GadgetKind kind = GadgetKind::Label;
  int x = 0, y = 0, w = 0, h = 0;
  std::string_view text;  // a combo box's: empty
  std::uint32_t flags = 0;
};

enum class AccessibleRole { Group, Text, Result, TextField, ComboBox, Button, Image };

struct AccessibleNode {
  std::size_t gadget = 0;  // index into the gadgets given
  AccessibleRole role = AccessibleRole::Text;
  int group = -1;          // index into the gadgets of its frame, -1 for none
  std::string name;        // empty for plain text (read as it stands)
};

struct AccessibleOutline {
  // The tree in reading order; hidden gadgets are not in it.
  std::vector<AccessibleNode> nodes;
  // Per frame (by gadget index, in creation order): what it announces.
  std::vector<std::pair<std::size_t, std::string>> news;
};

AccessibleOutline accessible_outline(std::span<const AccessibleGadget> gadgets);

}  // namespace tk::common
