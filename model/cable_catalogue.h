// The cable catalogue (one entry per conductor diameter, in the order of the
// diameter boxes) and the modem models with their highest baserate.
#pragma once

#include <array>
#include <string_view>

namespace model {

struct CableEntry {
  std::string_view box_item;            // diameter in mm as the box shows it
  std::string_view cross_section_text;  // label right of the box
  int ohm_per_km;                       // resistance per km as its label shows it
  float reach_factor;                   // reach multiplier at baserate 0
  float ohm_per_m;                      // one conductor, exact value
  float rate_coef;                      // Pellion reach lost at baserate 36
};

inline constexpr std::array<CableEntry, 11> kCableCatalogue = {{
    {"0.4", "mm = 0.125mm2 = AWG-26", 137, 1.2f, 0.137f, 0.3f},
    {"0.5", "mm = 0.196mm2 = AWG-24", 87, 1.447f, 0.0875f, 0.25f},
    {"0.6", "mm = 0.283mm2 ~ AWG-23", 61, 1.833f, 0.0607f, 0.2f},
    {"0.7", "mm = 0.385mm2 ~ AWG-21", 45, 2.34f, 0.0446f, 0.15f},
    {"0.8", "mm = 0.503mm2 = AWG-20", 34, 2.895f, 0.0341f, 0.1f},
    {"0.9", "mm = 0.636mm2 = AWG-19", 27, 3.437f, 0.0269f, 0.05f},
    {"1.0", "mm = 0.785mm2 = AWG-18", 22, 3.928f, 0.0219f, 0.05f},
    {"1.1", "mm = 0.950mm2 ~ AWG-17", 18, 4.583f, 0.0181f, 0.05f},
    {"1.2", "mm = 1.131mm2 ~ AWG-17", 15, 5.238f, 0.0152f, 0.05f},
    {"1.3", "mm = 1.327mm2 = AWG-16", 13, 6.111f, 0.013f, 0.05f},
    {"1.4", "mm = 1.539mm2 ~ AWG-15", 11, 6.875f, 0.0112f, 0.05f},
}};

struct ModemModel {
  std::string_view name;  // as the model box lists it
  int max_baserate;       // highest baserate the model runs at
};

// In the order of the model box. A limit of 36 is what marks the Pellion
// model in the baserate scan.
inline constexpr std::array<ModemModel, 4> kModemModels = {{
    {"Pellion", 36},
    {"Ferrant_II", 89},
    {"Ferrant_III", 238},
    {"Ferrant_IV", 238},
}};

}  // namespace model
