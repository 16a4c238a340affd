#include "model/result_text.h"

#include <charconv>
#include <string_view>

#include "model/cable_catalogue.h"
#include "model/reach.h"

namespace model {
namespace {

void append_int(std::string& out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void append_distance(std::string& out, std::string_view label, std::int64_t metres, std::int64_t feet) {
  append_label(out, label);
  append_int(out, metres);
  out += " Meter = ";
  append_int(out, feet);
  out += " Feet";
}

void append_cable_line(std::string& out, const CableEntry& entry) {
  append_label(out, "Cable:");
  out += entry.box_item;
  out += entry.cross_section_text;
  out += '\n';
}

}  // namespace

int model_limit(std::optional<std::size_t> modem) {
  return modem ? kModemModels[*modem].max_baserate : kMaxBaserate;
}

void append_label(std::string& out, std::string_view label) {
  constexpr std::size_t kLabelWidth = 19;
  out += label;
  if (label.size() < kLabelWidth) out.append(kLabelWidth - label.size(), ' ');
}

void append_rate(std::string& out, int baserate) {
  append_int(out, baserate);
  out += " x 64kbit/s = ";
  append_int(out, std::int64_t{baserate} * kKbpsPerBaserate);
  out += "kbit/s";
}

void append_model_line(std::string& out, std::optional<std::size_t> modem) {
  append_label(out, "Model:");
  out += modem ? kModemModels[*modem].name : std::string_view("none");
  out += " (baserates up to ";
  append_int(out, model_limit(modem));
  out += ")\n";
}

void append_distance_text(std::string& out, std::size_t cable, int baserate) {
  const CableEntry& entry = kCableCatalogue[cable];
  const Panel1Result reach = compute_panel1(baserate, entry.reach_factor, entry.rate_coef);
  append_cable_line(out, entry);
  append_label(out, "");
  out += "Cable Resistance = ";
  append_int(out, entry.ohm_per_km);
  out += " Ohm/km\n";
  append_label(out, "Baserate:");
  append_rate(out, baserate);
  out += '\n';
  append_distance(out, "Ferrant_II,III,IV:", reach.ferrant_m, reach.ferrant_ft);
  out += '\n';
  append_distance(out, "Pellion:", reach.pellion_m, reach.pellion_ft);
  if (baserate > kPellionMaxBaserate) out += " (Pellion runs up to baserate 36)";
  out += '\n';
  append_label(out, "Loop resistance:");
  append_int(out, loop_resistance_ohm(reach.distance_m, entry.ohm_per_m));
  out += " Ohm per conductor over the Ferrant distance\n";
}

void append_baserate_text(std::string& out, std::int64_t distance_m, std::size_t cable,
                          std::optional<std::size_t> modem) {
  const CableEntry& entry = kCableCatalogue[cable];
  const auto distance = static_cast<float>(distance_m);  // exact: the distances stay below 2^24
  const int baserate = scan_possible_baserate(distance, entry.reach_factor, entry.rate_coef, model_limit(modem));
  append_distance(out, "Distance:", distance_m, distance_feet(distance));
  out += '\n';
  append_cable_line(out, entry);
  append_model_line(out, modem);
  append_label(out, "Possible baserate:");
  append_rate(out, baserate);
  if (baserate == 0) out += " (no baserate reaches beyond this distance)";
  out += '\n';
  append_label(out, "Loop resistance:");
  append_int(out, loop_resistance_ohm(distance, entry.ohm_per_m));
  out += " Ohm per conductor over the distance\n";
}

}  // namespace model
