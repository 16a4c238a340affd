// The accessible outline and the context menu's right-click rule, as the
// browser backend uses them.
#include "toolkit/common/accessibility.h"
#include "toolkit/common/context_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tk::GadgetKind;
using tk::common::AccessibleGadget;
using tk::common::AccessibleRole;

std::string name_of(const tk::common::AccessibleOutline& outline, std::size_t gadget) {
  for (const auto& node : outline.nodes) {
    if (node.gadget == gadget) return node.name;
  }
  return "(not in the tree)";
}

TEST(AccessibleOutline, InputsWithTheSameCaptionAreNamedByTheirGroupsToo) {
  const std::vector<AccessibleGadget> gadgets{
      {-1, GadgetKind::Frame, 0, 0, 300, 100, "Upper", 0},
      {-1, GadgetKind::Label, 10, 10, 100, 16, "Diameter", 0},
      {1, GadgetKind::ComboBox, 10, 30, 50, 20, "", 0},
      {-1, GadgetKind::Frame, 0, 200, 300, 100, "Lower", 0},
      {-1, GadgetKind::Label, 10, 210, 100, 16, "Diameter", 0},
      {3, GadgetKind::ComboBox, 10, 230, 50, 20, "", 0},
      {-1, GadgetKind::Label, 10, 260, 100, 16, "Model", 0},
      {4, GadgetKind::ComboBox, 10, 280, 50, 20, "", 0},
  };
  const auto outline = tk::common::accessible_outline(gadgets);
  EXPECT_EQ(name_of(outline, 2), "Diameter, Upper");
  EXPECT_EQ(name_of(outline, 5), "Diameter, Lower");
  EXPECT_EQ(name_of(outline, 7), "Model") << "a name of its own stays as it is";
}

TEST(ContextMenuRules, ARightClickOpensTheMenuExceptOnAnImageView) {
  using tk::common::right_click_opens_context_menu;
  EXPECT_TRUE(right_click_opens_context_menu(std::nullopt));
  EXPECT_TRUE(right_click_opens_context_menu(GadgetKind::TextField));
  EXPECT_TRUE(right_click_opens_context_menu(GadgetKind::Label));
  EXPECT_FALSE(right_click_opens_context_menu(GadgetKind::ImageView));
}

}  // namespace
