// Every text of the program's window fits its gadget in the font fontconfig
// gives for the GUI font: the real window (app::start_up on the FLTK
// backend), its start texts and the widest texts the handlers write, each
// gadget's text measured in the size it is drawn in against the room its
// gadget leaves it. CTest runs this once per font configuration
// (FONTCONFIG_FILE offering only DejaVu Sans or only Liberation Sans), with
// FERRANT_FIT_FAMILY naming the family fontconfig must then give; under
// tests/fltk/with_xvfb.sh.

// gtest before FLTK's drawing header, which brings X11's None macro.
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/fl_draw.H>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "app/app.h"
#include "app/window_layout.h"
#include "toolkit/fltk/platform.h"
#include "toolkit/fltk/widgets.h"
#include "toolkit/toolkit.h"

namespace {

namespace fb = tk::fltk_backend;
using fb::GadgetKind;

std::string expected_family() {
  const char* family = std::getenv("FERRANT_FIT_FAMILY");
  return family != nullptr ? family : "";
}

// The family fontconfig gives for the GUI font, as Xft asks for it.
std::string matched_family() {
  using Pattern = std::unique_ptr<FcPattern, decltype(&FcPatternDestroy)>;
  // The name starts with FLTK's style character (a blank: regular).
  const std::string name = std::string(fb::kGuiFontName).substr(1);
  const Pattern wanted(FcNameParse(reinterpret_cast<const FcChar8*>(name.c_str())), FcPatternDestroy);
  FcConfigSubstitute(nullptr, wanted.get(), FcMatchPattern);
  FcDefaultSubstitute(wanted.get());
  FcResult result = FcResultNoMatch;
  const Pattern match(FcFontMatch(nullptr, wanted.get(), &result), FcPatternDestroy);
  FcChar8* family = nullptr;
  if (match == nullptr || FcPatternGetString(match.get(), FC_FAMILY, 0, &family) != FcResultMatch) return "";
  return reinterpret_cast<const char*>(family);
}

// A gadget's text and where it must stay: from x 0 (its start) to room;
// beyond the room a later gadget paints over it when `tail_hidden`.
struct TextRoom {
  std::string text;
  int size;
  int room;
  bool tail_hidden;
};

// Whether a control paints its box over what an earlier gadget shows there.
bool paints_over(const fb::Gadget& gadget) {
  switch (gadget.kind()) {
    case GadgetKind::Label: return gadget.as<fb::Label>()->sunken() || !gadget.as<fb::Label>()->text().empty();
    case GadgetKind::Frame: return false;
    case GadgetKind::ImageView: return gadget.as<fb::ImageView>()->bitmap() != tk::kNoBitmap;
    default: return true;
  }
}

// The room of each kind as FLTK and the backend draw it: a label's text
// from its left side (in a sunken border 1 pixel clear of it) to the right
// side or the first later gadget over its text line; a caption's between
// its 8-pixel indents; a field's text from 1 pixel in to 3 pixels short of
// the right side, where FLTK starts scrolling; a combo box's item from 3
// pixels into the field left of the arrow to 1 pixel short of it; a button's
// caption on the face inside its border.
TextRoom text_room(const fb::Gadget& gadget, std::size_t index) {
  const Fl_Widget& w = *gadget.widget();
  switch (gadget.kind()) {
    case GadgetKind::Label: {
      const auto& label = *gadget.as<fb::Label>();
      const int border = label.sunken() ? Fl::box_dx(FL_DOWN_FRAME) : 0;
      const int text_x = w.x() + (label.sunken() ? border + 1 : 0);
      TextRoom room{label.text(), label.text_size(), w.x() + w.w() - border - text_x, false};
      const auto& entries = fb::state().gadgets.entries();
      for (std::size_t later = index + 1; later < entries.size(); ++later) {
        const Fl_Widget& over = *entries[later].gadget->widget();
        const bool same_line = over.y() < w.y() + w.h() && w.y() < over.y() + over.h();
        if (!same_line || !paints_over(*entries[later].gadget)) continue;
        const int edge = over.x() - text_x;
        if (edge > 0 && edge < room.room) room = {room.text, room.size, edge, true};
      }
      return room;
    }
    case GadgetKind::Frame: {
      const auto& frame = *gadget.as<fb::Frame>();
      return {frame.text(), frame.text_size(), w.w() - 16, false};
    }
    case GadgetKind::TextField: {
      const auto& field = *gadget.as<fb::TextField>();
      return {field.value(), field.text_size(), w.w() - Fl::box_dw(field.box()) - 4, false};
    }
    case GadgetKind::ComboBox: {
      const auto& combo = *gadget.as<fb::ComboBox>();
      const int arrow = std::min(w.h() - Fl::box_dh(FL_DOWN_BOX), 20);
      return {combo.items().text(combo.selected()), combo.text_size(), w.w() - Fl::box_dw(FL_DOWN_BOX) - arrow - 4,
              false};
    }
    case GadgetKind::Button: {
      const auto& button = *gadget.as<fb::PushButton>();
      return {button.text(), button.text_size(), w.w() - Fl::box_dw(button.box()), false};
    }
    case GadgetKind::ImageView: break;
  }
  return {};
}

// What is wrong with the text in its room, empty when nothing: a word that
// runs past the room's end (unless it starts there or later, under a later
// gadget), or a size out of range.
std::string misfit(const TextRoom& room) {
  std::ostringstream why;
  if (room.size < fb::kMinGuiFontSize || room.size > fb::kGuiFontSize) why << "size " << room.size << " out of range";
  fl_font(FL_HELVETICA, room.size);
  const auto width_of_first = [&](std::size_t bytes) { return fl_width(room.text.data(), static_cast<int>(bytes)); };
  std::size_t start = room.text.find_first_not_of(' ');
  while (start != std::string::npos) {
    const std::size_t end = std::min(room.text.find(' ', start), room.text.size());
    const bool hidden = room.tail_hidden && width_of_first(start) >= room.room;
    if (!hidden && width_of_first(end) > room.room) {
      why << "\"" << room.text.substr(start, end - start) << "\" ends at " << width_of_first(end) << " of "
          << room.room;
    }
    start = room.text.find_first_not_of(' ', end);
  }
  return why.str();
}

class FittedTexts : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tk::init_toolkit()) << tk::last_error();
    ASSERT_TRUE(app::start_up(state_)) << tk::last_error();
  }
  void TearDown() override { app::end_program(); }

  // The user enters a text into a field or picks an item, and the program
  // handles it as its loop does, up to the next pass's resistance labels.
  void enter(int gadget, std::string_view text) {
    tk::set_gadget_text(gadget, text);
    app::handle_gadget_event(state_, gadget);
    app::compute_results(state_);
    app::begin_pass(state_);
  }

  // Every gadget's text fits. Returns the texts set smaller, with their size.
  std::map<std::string, int> expect_all_fit(const std::string& after) {
    std::map<std::string, int> shrunk;
    const auto& entries = fb::state().gadgets.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const TextRoom room = text_room(*entries[i].gadget, i);
      if (room.text.empty()) continue;
      EXPECT_EQ(misfit(room), "") << "gadget " << entries[i].number << " \"" << room.text << "\" after " << after;
      if (room.size < fb::kGuiFontSize) shrunk[room.text] = room.size;
    }
    return shrunk;
  }

  app::ProgramState state_;
};

TEST_F(FittedTexts, EveryTextFitsItsGadgetAtStartAndAfterTheWidestInputs) {
  ASSERT_EQ(matched_family(), expected_family()) << "FONTCONFIG_FILE does not give the font this run is for";
  // The window is laid out for Liberation Sans: at start and with the
  // typical input every text keeps the full size there.
  const bool laid_out_font = expected_family() == "Liberation Sans";
  std::map<std::string, int> shrunk = expect_all_fit("start");
  enter(app::kBaserateField, "10");
  enter(app::kDistanceField, "5000");
  enter(app::kModelBox, "Pellion");
  shrunk.merge(expect_all_fit("the typical input"));
  if (laid_out_font) {
    EXPECT_TRUE(shrunk.empty()) << shrunk.begin()->first;
  }
  // The widest texts: the extreme inputs with every cable and model.
  for (const std::string_view baserate : {"238", "3"}) {
    enter(app::kBaserateField, baserate);
    for (const std::string_view distance : {"30000", "1"}) {
      enter(app::kDistanceField, distance);
      for (const std::string_view diameter : app::kDiameterItems) {
        enter(app::kDiameterBox1, diameter);
        enter(app::kDiameterBox2, diameter);
        for (const std::string_view model : app::kModelItems) {
          enter(app::kModelBox, model);
          std::ostringstream after;
          after << "baserate " << baserate << ", distance " << distance << ", " << diameter << " mm, " << model;
          shrunk.merge(expect_all_fit(after.str()));
        }
      }
    }
  }
  for (const auto& [text, size] : shrunk) std::cout << "set in " << size << " px: \"" << text << "\"\n";
}

}  // namespace
