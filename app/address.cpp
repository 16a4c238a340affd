#include "app/address.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "app/app.h"
#include "app/window_layout.h"
#include "base/strict_text.h"
#include "model/cable_catalogue.h"
#include "model/catalogue_names.h"
#include "model/reach.h"
#include "toolkit/toolkit.h"

namespace app {
namespace {

enum Input : std::size_t { kBaserate, kDiameter1, kDistance, kDiameter2, kModel };

std::optional<std::size_t> input_of(std::string_view name) {
  for (std::size_t i = 0; i < kAddressNames.size(); ++i) {
    if (kAddressNames[i] == name) return i;
  }
  return std::nullopt;
}

constexpr std::string_view kAcceptedDistance = "a whole number of metres 0..30000 (the window's limit)";

// Enters a valid value into its gadget and runs the gadget's handler, as the
// user's typing or choice does; the reason it is refused, if not valid.
std::optional<std::string> enter(ProgramState& state, Input input, const std::string& value) {
  const auto typed = [&](int field, int max, std::string_view accepted) -> std::optional<std::string> {
    if (value.size() > tk::kTextFieldLimit) {
      return "longer than the field's " + std::to_string(tk::kTextFieldLimit) + " characters";
    }
    if (!base::parse_whole_number(value, max)) return "expected " + std::string(accepted);
    tk::set_gadget_text(field, value);
    handle_gadget_event(state, field);
    return std::nullopt;
  };
  const auto chosen = [&](int box, std::optional<std::size_t> index, std::string_view item,
                          std::string_view accepted) -> std::optional<std::string> {
    if (!index) return "expected " + std::string(accepted);
    tk::set_gadget_text(box, item);
    handle_gadget_event(state, box);
    return std::nullopt;
  };
  const std::optional<std::size_t> cable = model::find_cable(value);
  const std::string_view cable_item = cable ? model::kCableCatalogue[*cable].box_item : "";
  switch (input) {
    case kBaserate: return typed(kBaserateField, model::kMaxBaserate, model::kAcceptedBaserate);
    case kDistance: return typed(kDistanceField, model::kMaxDistanceM, kAcceptedDistance);
    case kDiameter1: return chosen(kDiameterBox1, cable, cable_item, model::kAcceptedDiameter);
    case kDiameter2: return chosen(kDiameterBox2, cable, cable_item, model::kAcceptedDiameter);
    case kModel: {
      const std::optional<std::size_t> modem = model::find_model(value);
      return chosen(kModelBox, modem, modem ? model::kModemModels[*modem].name : "", model::kAcceptedModel);
    }
  }
  return std::nullopt;
}

// The index a box has chosen from a table of `count` entries, none without
// a choice.
std::optional<std::size_t> chosen_index(int box, std::size_t count) {
  const std::int64_t index = tk::get_gadget_state(box);
  if (index < 0 || index >= static_cast<std::int64_t>(count)) return std::nullopt;
  return static_cast<std::size_t>(index);
}

std::optional<std::string> chosen_cable(int box) {
  const auto index = chosen_index(box, model::kCableCatalogue.size());
  if (!index) return std::nullopt;
  return std::string(model::kCableCatalogue[*index].box_item);
}

// The window's inputs as the address writes them: the numbers the program
// computes with, the boxes' items.
AddressInputs window_inputs(const ProgramState& state) {
  const auto modem = chosen_index(kModelBox, model::kModemModels.size());
  return {tk::format_int(state.baserate), chosen_cable(kDiameterBox1),
          tk::format_int(static_cast<std::int64_t>(state.target_distance_m)), chosen_cable(kDiameterBox2),
          modem ? std::optional<std::string>(model::kModemModels[*modem].name) : std::nullopt};
}

}  // namespace

void apply_address(ProgramState& state) {
  state.address = tk::address_parameters();
  bool entered = false;
  for (const tk::AddressParameter& parameter : state.address) {
    const std::optional<std::size_t> input = input_of(parameter.name);
    if (!input) continue;
    if (const auto refused = enter(state, static_cast<Input>(*input), parameter.value)) {
      std::fprintf(stderr, "ferrant-calc: address parameter %s=%s ignored: %s\n", parameter.name.c_str(),
                   base::quote_for_message(parameter.value).c_str(), refused->c_str());
    } else {
      entered = true;
    }
  }
  if (entered) compute_results(state);
  state.address_inputs = window_inputs(state);
}

void follow_address(ProgramState& state) {
  AddressInputs inputs = window_inputs(state);
  if (inputs == state.address_inputs) return;
  std::vector<tk::AddressParameter> shown;
  std::array<bool, kAddressInputs> written{};
  const auto write = [&](std::size_t input) {
    written[input] = true;
    if (inputs[input]) shown.push_back({std::string(kAddressNames[input]), *inputs[input]});
  };
  for (const tk::AddressParameter& parameter : state.address) {
    const std::optional<std::size_t> input = input_of(parameter.name);
    if (!input) {
      shown.push_back(parameter);
    } else if (!written[*input]) {
      write(*input);
    }
  }
  for (std::size_t input = 0; input < kAddressInputs; ++input) {
    if (!written[input]) write(input);
  }
  tk::show_address_parameters(shown);
  state.address = std::move(shown);
  state.address_inputs = std::move(inputs);
}

}  // namespace app
