// The whole state of the program: the variables that start-up sets and the
// handlers and the computation read and write (the reach table is the
// model's constant, model/reach_table.h). One instance lives for the whole
// run; every procedure takes it by reference.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/toolkit.h"

namespace app {

// baserate, diameter, distance, diameter2, model (app/address.h).
inline constexpr std::size_t kAddressInputs = 5;
using AddressInputs = std::array<std::optional<std::string>, kAddressInputs>;

struct ProgramState {
  std::int32_t baserate = 0;         // field 0, units of 64 kbit/s, 0..238
  float reach_factor = 0;            // panel-1 cable
  float ohm_per_m = 0;               // panel-1 resistance of one conductor
  float rate_coef = 0;               // panel-1 Pellion derating at baserate 36
  float distance_m = 0;              // panel-1 Ferrant reach, metres
  std::int32_t max_baserate = 0;     // top baserate of the chosen model
  float target_distance_m = 0;       // field 2, metres, 0..30000
  float reach_factor_2 = 0;          // panel-2 cable
  float ohm_per_m_2 = 0;
  float rate_coef_2 = 0;
  float line_rate_kbps = 0;          // baserate x 64, the chart's input
  std::int32_t pass_count = 0;       // loop passes since the last periodic chart
  std::int32_t current_event = 0;    // event code of the current pass
  std::int32_t quit_flag = 0;        // 1 once the loop is to end
  std::int32_t layout_y = 0;         // running y of the panel layout
  float pellion_distance_m = 0;      // panel-1 Pellion reach, metres
  std::int32_t possible_baserate = 0;  // panel-2 answer
  std::vector<tk::AddressParameter> address;  // the page address's query as last known
  AddressInputs address_inputs;        // the inputs at start-up or its last write
};

}  // namespace app
