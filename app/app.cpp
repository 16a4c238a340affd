#include "app/app.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "app/address.h"
#include "app/program_files.h"
#include "app/window_layout.h"
#include "chart/psd.h"
#include "model/cable_catalogue.h"
#include "model/reach.h"
#include "model/reach_table.h"
#include "model/result_text.h"
#include "toolkit/toolkit.h"

namespace app {
namespace {

// The entry both panels start with (0.4 mm); also what a diameter box
// without selection falls back to for the resistance per metre.
constexpr const model::CableEntry& kStartCable = model::kCableCatalogue[0];

constexpr std::string_view kFeetUnit = " Feet";
constexpr std::string_view kKbpsUnit = "kbit/s";
constexpr std::string_view kOhmUnit = " Ohm";
constexpr std::string_view kCableResistancePrefix = "Cable Resistance = ";
constexpr std::string_view kOhmPerKmUnit = " Ohm/km";

// The gadgets and variables of one panel's cable.
struct PanelCable {
  int diameter_box;
  int cross_section_label;
  int resistance_label;
  float ProgramState::*reach_factor;
  float ProgramState::*ohm_per_m;
  float ProgramState::*rate_coef;
};

constexpr PanelCable kPanelCables[] = {
    {kDiameterBox1, kCrossSectionLabel1, kCableResistanceLabel1, &ProgramState::reach_factor,
     &ProgramState::ohm_per_m, &ProgramState::rate_coef},
    {kDiameterBox2, kCrossSectionLabel2, kCableResistanceLabel2, &ProgramState::reach_factor_2,
     &ProgramState::ohm_per_m_2, &ProgramState::rate_coef_2},
};

// --- the cable sketch ---------------------------------------------------------
// Two conductors with a resistor block each between terminal rings; panel 2's
// sketch is the same, 330 pixels lower.
constexpr int kPanel2SketchOffset = 330;
constexpr tk::Colour kGreen = tk::rgb(0, 255, 0);
constexpr tk::Colour kWhite = tk::rgb(255, 255, 255);

struct SketchShape {
  bool is_circle;
  int x, y;
  int w_or_radius;
  int h;  // boxes only
  tk::Colour colour;
};

constexpr std::array<SketchShape, 12> kCableSketch{{
    {false, 20, 288, 200, 2, kGreen},   // upper conductor
    {false, 20, 300, 200, 2, kGreen},   // lower conductor
    {false, 100, 285, 20, 8, kGreen},   // resistor block, upper
    {false, 100, 297, 20, 8, kGreen},   // resistor block, lower
    {true, 22, 289, 4, 0, kGreen},      // left terminals: disc, then white hole
    {true, 22, 289, 2, 0, kWhite},
    {true, 22, 301, 4, 0, kGreen},
    {true, 22, 301, 2, 0, kWhite},
    {true, 222, 289, 4, 0, kGreen},     // right terminals
    {true, 222, 289, 2, 0, kWhite},
    {true, 222, 301, 4, 0, kGreen},
    {true, 222, 301, 2, 0, kWhite},
}};

void show_loop_resistance(float distance_m, float ohm_per_m, int upper_label, int lower_label,
                          int y_offset) {
  tk::begin_window_drawing(kMainWindow);
  const std::string text =
      tk::format_int(model::loop_resistance_ohm(distance_m, ohm_per_m)) + std::string(kOhmUnit);
  write_label(upper_label, text);
  write_label(lower_label, text);
  for (const SketchShape& shape : kCableSketch) {
    if (shape.is_circle) {
      tk::draw_circle(shape.x, shape.y + y_offset, shape.w_or_radius, shape.colour);
    } else {
      tk::draw_box(shape.x, shape.y + y_offset, shape.w_or_radius, shape.h, shape.colour);
    }
  }
  tk::end_drawing();
}

void create_row(const GadgetRow& row, tk::Bitmap bitmap = tk::kNoBitmap) {
  switch (row.kind) {
    case GadgetKind::Frame:
      tk::create_frame(row.number, row.x, row.y, row.w, row.h, row.text);
      break;
    case GadgetKind::Label:
      tk::create_label(row.number, row.x, row.y, row.w, row.h, row.text, row.flags);
      break;
    case GadgetKind::TextField:
      tk::create_text_field(row.number, row.x, row.y, row.w, row.h, row.text, row.flags);
      break;
    case GadgetKind::ComboBox:
      tk::create_combo_box(row.number, row.x, row.y, row.w, row.h);
      for (std::string_view item : row.items) tk::add_combo_item(row.number, -1, item);
      break;
    case GadgetKind::Button:
      tk::create_button(row.number, row.x, row.y, row.w, row.h, row.text);
      break;
    case GadgetKind::ImageView:
      tk::create_image_view(row.number, row.x, row.y, row.w, row.h, bitmap);
      break;
  }
}

// Creates the rows from the one of `first` up to and including the one of
// `last` (gadget numbers).
void create_rows(int first, int last) {
  constexpr std::span<const GadgetRow> table{kGadgetTable};
  const std::size_t begin = first == tk::kAnonymous ? 0 : row_index(first);
  for (const GadgetRow& row : table.subspan(begin, row_index(last) + 1 - begin)) create_row(row);
}

void create_menu() {
  tk::create_menu_bar(kMenuBar, kMainWindow);
  for (const MenuEntry& entry : kMenu) {
    if (entry.is_title) {
      tk::add_menu_title(entry.text);
    } else {
      tk::add_menu_item(entry.item, entry.text);
    }
  }
  tk::add_context_menu_item(kCopyResultsItem, kCopyResultsText);
}

// The selected item of a list, none when it has no selection in range.
std::optional<std::size_t> selected_index(int box, std::size_t item_count) {
  const std::int64_t index = tk::get_gadget_state(box);
  if (index < 0 || index >= static_cast<std::int64_t>(item_count)) return std::nullopt;
  return static_cast<std::size_t>(index);
}

// Reads a number field and writes back what it is read as: the nearer limit
// when the value lies outside [0, upper], and the value itself when the text
// holds more than the number (a pasted "12,000" or "5 km"), so that the field
// never shows a number the program does not use. Text that is the number as
// a whole ("0050", "$EE") and an empty field stay as they are. The field is
// then read again; that read is clamped too, so the result is in range even
// if the field kept its text.
std::int64_t read_clamped_field(int field, std::int64_t upper) {
  const std::string text = tk::get_gadget_text(field);
  const tk::ParsedInt entered = tk::parse_int_prefix(text);
  if (entered.value > upper) {
    tk::set_gadget_text(field, tk::format_int(upper));
  } else if (entered.value < 0) {
    tk::set_gadget_text(field, tk::format_int(0));
  } else if (entered.length < text.size()) {
    tk::set_gadget_text(field, tk::format_int(entered.value));
  }
  return std::clamp<std::int64_t>(tk::parse_int(tk::get_gadget_text(field)), 0, upper);
}

}  // namespace

std::string results_text(const ProgramState& state) {
  // A diameter box always has a selection once started; without one the
  // panel computes with no cable entry, which no query can say, and the
  // start cable stands in.
  const std::size_t cable_1 = selected_index(kDiameterBox1, model::kCableCatalogue.size()).value_or(0);
  const std::size_t cable_2 = selected_index(kDiameterBox2, model::kCableCatalogue.size()).value_or(0);
  std::string text;
  model::append_distance_text(text, cable_1, state.baserate);
  text += '\n';
  model::append_baserate_text(text, static_cast<std::int64_t>(state.target_distance_m), cable_2,
                              selected_index(kModelBox, model::kModemModels.size()));
  return text;
}

std::string line_speed_text(std::int64_t baserate) {
  return tk::format_int(baserate * model::kKbpsPerBaserate) + std::string(kKbpsUnit);
}

void write_label(int number, std::string_view text) {
  if (tk::get_gadget_text(number) != text) tk::set_gadget_text(number, text);
}

bool start_up(ProgramState& state, std::string_view program_folder) {
  state = ProgramState{};

  if (!tk::create_window(kMainWindow, kWindowX, kWindowY, kClientWidth, kClientHeight, kWindowTitle,
                         tk::kStyleMainWindow)) {
    return false;
  }
  create_menu();
  create_rows(tk::kAnonymous, kQuitButton);
  state.layout_y = kLayoutEndY;

  tk::Bitmap logo = tk::kNoBitmap;
  for (const std::string& path : logo_paths(program_folder)) {
    logo = tk::load_bitmap(kLogoImage, path);
    if (logo != tk::kNoBitmap) break;
  }
  create_row(kGadgetTable[row_index(kLogoView)], logo);
  tk::set_gadget_text(kLogoView, kLogoName);

  // Initial texts and state, in this order.
  tk::set_gadget_text(kBaserateField, "0");
  tk::set_gadget_text(kDiameterBox1, kStartCable.box_item);
  state.baserate = 0;
  write_label(kLineSpeedLabel, line_speed_text(state.baserate));
  write_label(kCrossSectionLabel1, kStartCable.cross_section_text);
  state.reach_factor = kStartCable.reach_factor;
  tk::set_gadget_text(kDistanceField, "0");
  tk::set_gadget_text(kDiameterBox2, kStartCable.box_item);
  tk::set_gadget_text(kModelBox, kModelBoxStartText);
  state.max_baserate = model::kMaxBaserate;
  state.distance_m = 0;
  state.ohm_per_m = kStartCable.ohm_per_m;
  state.rate_coef = kStartCable.rate_coef;
  create_rows(kCableResistanceLabel1, kLowerOhmLabel1);
  state.target_distance_m = 0;
  state.ohm_per_m_2 = kStartCable.ohm_per_m;
  create_rows(kCableResistanceLabel2, kLowerOhmLabel2);
  write_label(kCrossSectionLabel2, kStartCable.cross_section_text);
  state.reach_factor_2 = kStartCable.reach_factor;
  state.rate_coef_2 = kStartCable.rate_coef;
  state.line_rate_kbps = 0;

  chart::draw_psd_chart(state.line_rate_kbps);
  show_loop_resistance_1(state);
  show_loop_resistance_2(state);
  apply_address(state);
  return true;
}

void begin_pass(ProgramState& state) {
  state.pass_count += 1;
  if (state.pass_count == kChartRefreshPasses) {
    chart::draw_psd_chart(state.line_rate_kbps);
    state.pass_count = 0;
  }
  show_loop_resistance_1(state);
  show_loop_resistance_2(state);
}

bool finish_pass(ProgramState& state, int event) {
  state.current_event = event;
  if (state.current_event == tk::kEventMenu && tk::event_menu_item() == kHomePageItem) {
    tk::open_url(kHomePageUrl);  // failure is ignored: the loop goes on
  }
  if (state.current_event == tk::kEventMenu && tk::event_menu_item() == kCopyResultsItem) {
    tk::set_clipboard_text(results_text(state));
  }
  if (state.current_event == tk::kEventGadget) {
    handle_gadget_event(state, tk::event_gadget());
    compute_results(state);
    follow_address(state);
  }
  if (state.current_event == tk::kEventClose) state.quit_flag = 1;
  return state.quit_flag != 1;
}

void run_event_loop(ProgramState& state) {
  do {
    begin_pass(state);
  } while (finish_pass(state, tk::wait_event()));
}

void end_program() { tk::close_toolkit(); }

void on_baserate_input(ProgramState& state) {
  state.baserate = static_cast<std::int32_t>(read_clamped_field(kBaserateField, model::kMaxBaserate));
  write_label(kLineSpeedLabel, line_speed_text(state.baserate));
  state.line_rate_kbps = static_cast<float>(state.baserate * model::kKbpsPerBaserate);
  chart::draw_psd_chart(state.line_rate_kbps);
}

void on_distance_input(ProgramState& state) {
  state.target_distance_m = static_cast<float>(read_clamped_field(kDistanceField, model::kMaxDistanceM));
  write_label(kDistanceFeetLabel,
              tk::format_int(model::distance_feet(state.target_distance_m)) + std::string(kFeetUnit));
}

void on_model_choice(ProgramState& state) {
  const std::int64_t index = tk::get_gadget_state(kModelBox);
  if (index >= 0 && index < static_cast<std::int64_t>(model::kModemModels.size())) {
    state.max_baserate = model::kModemModels[static_cast<std::size_t>(index)].max_baserate;
  }
}

void handle_gadget_event(ProgramState& state, int gadget) {
  switch (gadget) {
    case kBaserateField: on_baserate_input(state); break;
    case kDiameterBox1: apply_cable_entry(state, Panel::One); break;
    case kDistanceField: on_distance_input(state); break;
    case kDiameterBox2: apply_cable_entry(state, Panel::Two); break;
    case kModelBox: on_model_choice(state); break;
    case kQuitButton: state.current_event = tk::kEventClose; break;
    default: break;
  }
}

void apply_cable_entry(ProgramState& state, Panel panel) {
  const PanelCable& cable = kPanelCables[panel == Panel::One ? 0 : 1];
  state.*cable.reach_factor = 0;
  state.*cable.ohm_per_m = kStartCable.ohm_per_m;
  const std::int64_t index = tk::get_gadget_state(cable.diameter_box);
  if (index < 0 || index >= static_cast<std::int64_t>(model::kCableCatalogue.size())) return;
  const model::CableEntry& entry = model::kCableCatalogue[static_cast<std::size_t>(index)];
  write_label(cable.cross_section_label, entry.cross_section_text);
  write_label(cable.resistance_label, std::string(kCableResistancePrefix) +
                                          tk::format_int(entry.ohm_per_km) + std::string(kOhmPerKmUnit));
  state.*cable.reach_factor = entry.reach_factor;
  state.*cable.ohm_per_m = entry.ohm_per_m;
  state.*cable.rate_coef = entry.rate_coef;
}

void compute_results(ProgramState& state) {
  const model::Panel1Result panel1 =
      model::compute_panel1(state.baserate, state.reach_factor, state.rate_coef);
  state.distance_m = panel1.distance_m;
  write_label(kFerrantMetresLabel, tk::format_int(panel1.ferrant_m));
  write_label(kFerrantFeetLabel, tk::format_int(panel1.ferrant_ft) + std::string(kFeetUnit));
  state.pellion_distance_m = panel1.pellion_distance_m;
  write_label(kPellionMetresLabel, tk::format_int(panel1.pellion_m));
  write_label(kPellionFeetLabel, tk::format_int(panel1.pellion_ft) + std::string(kFeetUnit));

  state.possible_baserate = model::scan_possible_baserate(
      state.target_distance_m, state.reach_factor_2, state.rate_coef_2, state.max_baserate);
  write_label(kPossibleBaserateLabel, tk::format_int(state.possible_baserate));
  write_label(kPossibleLineSpeedLabel, line_speed_text(state.possible_baserate));
}

void show_loop_resistance_1(const ProgramState& state) {
  show_loop_resistance(state.distance_m, state.ohm_per_m, kUpperOhmLabel1, kLowerOhmLabel1, 0);
}

void show_loop_resistance_2(const ProgramState& state) {
  show_loop_resistance(state.target_distance_m, state.ohm_per_m_2, kUpperOhmLabel2, kLowerOhmLabel2,
                       kPanel2SketchOffset);
}

}  // namespace app
