// The program's two number fields on the headless backend: any bytes pasted
// into the baserate field (0) and the distance field (2), after picks in the
// diameter and model boxes. After every paste the state must be in range,
// each field must show a text that is its number as a whole (what was pasted,
// the number read from it, or a limit), and every result label
// must read what the reach model gives for the clamped inputs. Each pasted
// text also goes through parse_int directly, against a plain reference.
//
// Input: byte 0 and byte 1 pick the diameter of panel 1 and panel 2 (value
// modulo 12, 11 = no pick), byte 2 the model (modulo 5, 4 = no pick), bit 0 of
// byte 3 the field pasted first; the rest is split at NUL bytes into texts
// pasted alternately into the two fields.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "app/window_layout.h"
#include "fuzz/fuzz_check.h"
#include "model/cable_catalogue.h"
#include "model/reach.h"
#include "toolkit/headless/driver.h"
#include "base/text_conv.h"
#include "tools/replay_runner.h"

namespace {

namespace hl = tk::headless;

constexpr std::size_t kMaxPastes = 16;
// Below the fields' text limit, so that a paste is never cut short by it.
constexpr std::size_t kMaxInputBytes = 16384;

// parse_int as stated, computed independently: 128-bit accumulation, then
// saturation to the 64-bit range.
std::int64_t reference_parse_int(std::string_view text) {
  std::size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  unsigned base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == '%')) base = text[i++] == '$' ? 16 : 2;
  constexpr unsigned __int128 kCap = static_cast<unsigned __int128>(1) << 64;
  unsigned __int128 magnitude = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    unsigned digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    if (digit >= base) break;
    magnitude = std::min(magnitude * base + digit, kCap);
  }
  constexpr auto kMax = static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max());
  if (negative) {
    return magnitude > kMax ? std::numeric_limits<std::int64_t>::min()
                            : -static_cast<std::int64_t>(magnitude);
  }
  return magnitude > kMax ? std::numeric_limits<std::int64_t>::max()
                          : static_cast<std::int64_t>(magnitude);
}

void check_parse_int(std::string_view text) {
  const std::int64_t value = tk::parse_int(text);
  fuzz::check(value == reference_parse_int(text), "parse_int agrees with the reference",
              std::to_string(value) + " vs " + std::to_string(reference_parse_int(text)));
  fuzz::check(tk::parse_int(tk::format_int(value)) == value, "format_int reads back",
              tk::format_int(value));
}

struct Inputs {
  const model::CableEntry* cable_1 = &model::kCableCatalogue[0];
  const model::CableEntry* cable_2 = &model::kCableCatalogue[0];
  int max_baserate = model::kMaxBaserate;
  std::int64_t baserate = 0;
  std::int64_t distance_m = 0;
  bool distance_entered = false;  // label 117 stays empty until the field's first event
};

std::string label(int gadget) { return hl::text(gadget); }
std::string feet(std::int64_t value) { return tk::format_int(value) + " Feet"; }
std::string ohm(std::int64_t value) { return tk::format_int(value) + " Ohm"; }
std::string kbps(std::int64_t baserate) { return tk::format_int(baserate * 64) + "kbit/s"; }

// Everything the window and the state show against the expected inputs.
void check_window(const replay::Session& session, const Inputs& in) {
  const app::ProgramState& state = session.state();
  fuzz::check(session.running(), "the program still runs");
  fuzz::check(state.baserate >= 0 && state.baserate <= model::kMaxBaserate, "baserate in 0..238",
              std::to_string(state.baserate));
  fuzz::check(state.target_distance_m >= 0 && state.target_distance_m <= model::kMaxDistanceM,
              "target distance in 0..30000", std::to_string(state.target_distance_m));
  fuzz::check(state.baserate == in.baserate, "baserate is the clamped pasted value",
              std::to_string(state.baserate) + " vs " + std::to_string(in.baserate));
  fuzz::check(state.target_distance_m == static_cast<float>(in.distance_m),
              "target distance is the clamped pasted value",
              std::to_string(state.target_distance_m) + " vs " + std::to_string(in.distance_m));
  fuzz::check(state.max_baserate == in.max_baserate, "model limit");

  // What the fields show is a number as a whole and reads back as the state.
  for (const int field : {app::kBaserateField, app::kDistanceField}) {
    const std::string shown = hl::text(field);
    fuzz::check(tk::parse_int_prefix(shown).length == shown.size(), "a field shows only a number",
                shown);
  }
  const auto clamp_field = [](int field, std::int64_t upper) {
    return std::clamp<std::int64_t>(tk::parse_int(hl::text(field)), 0, upper);
  };
  fuzz::check(clamp_field(app::kBaserateField, model::kMaxBaserate) == state.baserate,
              "baserate field matches the state", hl::text(app::kBaserateField));
  fuzz::check(clamp_field(app::kDistanceField, model::kMaxDistanceM) ==
                  static_cast<std::int64_t>(state.target_distance_m),
              "distance field matches the state", hl::text(app::kDistanceField));

  const int baserate = static_cast<int>(in.baserate);
  const auto distance = static_cast<float>(in.distance_m);
  fuzz::check_equal(label(app::kLineSpeedLabel), kbps(baserate), "line speed label");
  fuzz::check_equal(label(app::kDistanceFeetLabel),
                    in.distance_entered ? feet(model::distance_feet(distance)) : std::string(),
                    "distance feet label");

  const model::Panel1Result panel1 =
      model::compute_panel1(baserate, in.cable_1->reach_factor, in.cable_1->rate_coef);
  fuzz::check_equal(label(app::kFerrantMetresLabel), tk::format_int(panel1.ferrant_m),
                    "Ferrant metres label");
  fuzz::check_equal(label(app::kFerrantFeetLabel), feet(panel1.ferrant_ft), "Ferrant feet label");
  fuzz::check_equal(label(app::kPellionMetresLabel), tk::format_int(panel1.pellion_m),
                    "Pellion metres label");
  fuzz::check_equal(label(app::kPellionFeetLabel), feet(panel1.pellion_ft), "Pellion feet label");

  const int possible = model::scan_possible_baserate(distance, in.cable_2->reach_factor,
                                                     in.cable_2->rate_coef, in.max_baserate);
  fuzz::check_equal(label(app::kPossibleBaserateLabel), tk::format_int(possible),
                    "possible baserate label");
  fuzz::check_equal(label(app::kPossibleLineSpeedLabel), kbps(possible),
                    "possible line speed label");

  const std::string ohm_1 = ohm(model::loop_resistance_ohm(panel1.distance_m, in.cable_1->ohm_per_m));
  const std::string ohm_2 = ohm(model::loop_resistance_ohm(distance, in.cable_2->ohm_per_m));
  fuzz::check_equal(label(app::kUpperOhmLabel1), ohm_1, "panel 1 upper ohm label");
  fuzz::check_equal(label(app::kLowerOhmLabel1), ohm_1, "panel 1 lower ohm label");
  fuzz::check_equal(label(app::kUpperOhmLabel2), ohm_2, "panel 2 upper ohm label");
  fuzz::check_equal(label(app::kLowerOhmLabel2), ohm_2, "panel 2 lower ohm label");
  fuzz::check_equal(label(app::kCrossSectionLabel1), std::string(in.cable_1->cross_section_text),
                    "panel 1 cross-section label");
  fuzz::check_equal(label(app::kCrossSectionLabel2), std::string(in.cable_2->cross_section_text),
                    "panel 2 cross-section label");
}

void play(replay::Session& session, replay::Action action, int gadget, std::int64_t number,
          std::string_view text = {}) {
  replay::Command command;
  command.action = action;
  command.gadget = gadget;
  command.number = number;
  command.text = std::string(text);
  std::ostringstream ignored;
  session.play(command, ignored);
}

}  // namespace

// Nothing here reads pixels: the program runs on a window without a canvas.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  tk::headless::set_painting(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4 || size > kMaxInputBytes) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  replay::Session session;
  if (!session.start()) fuzz::fail("start-up", session.error());

  Inputs in;
  const auto pick_cable = [&](int box, std::uint8_t byte, const model::CableEntry*& cable) {
    const std::size_t index = byte % (model::kCableCatalogue.size() + 1);
    if (index == model::kCableCatalogue.size()) return;
    play(session, replay::Action::Pick, box, static_cast<std::int64_t>(index));
    cable = &model::kCableCatalogue[index];
  };
  pick_cable(app::kDiameterBox1, data[0], in.cable_1);
  pick_cable(app::kDiameterBox2, data[1], in.cable_2);
  const std::size_t model_index = data[2] % (model::kModemModels.size() + 1);
  if (model_index < model::kModemModels.size()) {
    play(session, replay::Action::Pick, app::kModelBox, static_cast<std::int64_t>(model_index));
    in.max_baserate = model::kModemModels[model_index].max_baserate;
  }

  bool distance_next = (data[3] & 1) != 0;
  std::string_view rest = bytes.substr(4);
  for (std::size_t paste = 0; paste < kMaxPastes; ++paste) {
    const std::size_t end = rest.find('\0');
    const std::string_view text = rest.substr(0, end);
    check_parse_int(text);

    const int field = distance_next ? app::kDistanceField : app::kBaserateField;
    play(session, replay::Action::Paste, field, 0, text);
    // A single-line field keeps the text up to the first line break.
    const std::int64_t pasted = tk::parse_int(text.substr(0, text.find_first_of("\r\n")));
    if (distance_next) {
      in.distance_m = std::clamp<std::int64_t>(pasted, 0, model::kMaxDistanceM);
      in.distance_entered = true;
    } else {
      in.baserate = std::clamp<std::int64_t>(pasted, 0, model::kMaxBaserate);
    }
    check_window(session, in);

    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
    distance_next = !distance_next;
  }
  return 0;
}
