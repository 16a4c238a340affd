#include "cli/reach_cli.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/inputs.h"
#include "cli/output.h"
#include "model/reach.h"

#ifndef FERRANT_VERSION
#error "FERRANT_VERSION must be defined by the build"
#endif

namespace cli {
namespace {

constexpr int kExitUsage = 2;

constexpr std::string_view kMainHelp = R"(ferrant-reach: how far DSL links over copper pairs reach, and which baserate
reaches a distance, for the maker's modem models; the same answers as the
Ferrant Transmission Calculation window.

Usage:
  ferrant-reach distance --baserate K [--diameter D] [--format F]
  ferrant-reach baserate --distance M [--diameter D] [--model NAME] [--format F]
  ferrant-reach table [--diameter D|all] [--format F]
  ferrant-reach batch [--format csv|json] < links.csv
  ferrant-reach SUBCOMMAND --help
  ferrant-reach --help | --version

  K     baserate, a whole number 0..238 (line rate K x 64 kbit/s)
  M     distance in metres, a whole number 0..30000
  D     conductor diameter in mm: 0.4, 0.5, ..., 1.4 (default 0.4)
  NAME  Pellion, Ferrant_II, Ferrant_III or Ferrant_IV, in any case
  F     text (default), csv or json

Exit codes: 0 fine, 1 a batch row was bad, 2 bad arguments or batch header.
)";

constexpr std::string_view kDistanceHelp = R"(Usage: ferrant-reach distance --baserate K [--diameter D] [--format F]

The distance a link at baserate K reaches on a cable of diameter D: for the
Ferrant models (Ferrant_II, III, IV) and for the Pellion model, in metres and
feet, with the line rate and the resistance of one conductor over the
Ferrant distance. The Pellion model runs up to baserate 36; above it its
distances are 0.

  --baserate K   a whole number 0..238
  --diameter D   0.4, 0.5, ..., 1.4 mm (default 0.4); 0.40 or 1 also do
  --format F     text (default), csv or json

CSV and JSON fields: diameter, baserate, line_rate_kbps, ferrant_m,
ferrant_ft, pellion_m, pellion_ft, loop_ohm.

Example: ferrant-reach distance --baserate 10 --diameter 0.6
)";

constexpr std::string_view kBaserateHelp = R"(Usage: ferrant-reach baserate --distance M [--diameter D] [--model NAME] [--format F]

The highest baserate whose reach on a cable of diameter D is longer than M
metres, and its line rate; 0 when no baserate reaches that far.

  --distance M   a whole number of metres 0..30000
  --diameter D   0.4, 0.5, ..., 1.4 mm (default 0.4)
  --model NAME   Pellion (up to baserate 36), Ferrant_II (89), Ferrant_III or
                 Ferrant_IV (238), in any case; without it the limit is 238
  --format F     text (default), csv or json

CSV and JSON fields: distance_m, diameter, model, baserate, line_rate_kbps.

Example: ferrant-reach baserate --distance 5000 --model pellion
)";

constexpr std::string_view kTableHelp = R"(Usage: ferrant-reach table [--diameter D|all] [--format F]

One row per baserate 0..238 for one cable, or for every cable in turn: the
line rate, the Ferrant and Pellion distances in metres and feet (Pellion 0
above baserate 36) and the resistance of one conductor over the Ferrant
distance.

  --diameter D   0.4, 0.5, ..., 1.4 mm, or all (default 0.4)
  --format F     text (default), csv or json (one object per line)

CSV header: diameter,baserate,line_rate_kbps,ferrant_m,ferrant_ft,pellion_m,pellion_ft,loop_ohm

Example: ferrant-reach table --diameter all --format csv > reach.csv
)";

constexpr std::string_view kBatchHelp = R"(Usage: ferrant-reach batch [--format csv|json] < links.csv

Reads CSV from standard input whose header names the columns distance_m and
diameter, and optionally model, in any order; other columns pass through.
Writes every row in input order with baserate, line_rate_kbps and error
appended. A bad row keeps its place, with the error text and no results,
and the exit code is then 1; a missing or unusable header gives exit code 2.

  distance_m     a whole number of metres 0..30000
  diameter       0.4, 0.5, ..., 1.4
  model          Pellion, Ferrant_II, Ferrant_III or Ferrant_IV in any case,
                 or empty for the limit 238
  --format F     csv (default) or json (one object per line)

Example: printf 'link,distance_m,diameter\nA,5000,0.4\n' | ferrant-reach batch
)";

struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// The options of one subcommand, as given.
struct Options {
  std::string_view subcommand;
  std::vector<std::pair<std::string_view, std::string_view>> values;

  std::optional<std::string_view> get(std::string_view name) const {
    for (const auto& [key, value] : values) {
      if (key == name) return value;
    }
    return std::nullopt;
  }
};

int usage_error(const Io& io, std::string_view subcommand, const std::string& message) {
  io.err << "ferrant-reach" << (subcommand.empty() ? "" : " ") << subcommand << ": " << message << '\n';
  return kExitUsage;
}

int invalid_value(const Io& io, const Options& options, std::string_view option, std::string_view value,
                  std::string_view accepted) {
  return usage_error(io, options.subcommand,
                     "invalid " + std::string(option) + " " + quote_for_message(value) + ": expected " +
                         std::string(accepted));
}

constexpr std::string_view kAcceptedBaserate = "a whole number 0..238";
constexpr std::string_view kAcceptedDistance = "a whole number of metres 0..30000";
constexpr std::string_view kAcceptedDiameter = "0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.2, 1.3 or 1.4";
constexpr std::string_view kAcceptedModel = "Pellion, Ferrant_II, Ferrant_III or Ferrant_IV (in any case)";

std::optional<Format> read_format(const Io& io, const Options& options, bool text_allowed, Format fallback,
                                  int& exit_code) {
  const auto value = options.get("--format");
  if (!value) return fallback;
  if (*value == "csv") return Format::kCsv;
  if (*value == "json") return Format::kJson;
  if (*value == "text" && text_allowed) return Format::kText;
  exit_code = invalid_value(io, options, "--format", *value, text_allowed ? "text, csv or json" : "csv or json");
  return std::nullopt;
}

std::optional<std::size_t> read_diameter(const Io& io, const Options& options, int& exit_code) {
  const auto value = options.get("--diameter");
  if (!value) return 0;  // 0.4 mm, the first catalogue entry
  if (const auto cable = find_cable(*value)) return cable;
  exit_code = invalid_value(io, options, "--diameter", *value, kAcceptedDiameter);
  return std::nullopt;
}

std::optional<int> read_whole_number(const Io& io, const Options& options, std::string_view option, int max,
                                     std::string_view accepted, int& exit_code) {
  const auto value = options.get(option);
  if (!value) {
    exit_code = usage_error(io, options.subcommand,
                            "missing " + std::string(option) + " (" + std::string(accepted) + ")");
    return std::nullopt;
  }
  if (const auto number = parse_whole_number(*value, max)) return number;
  exit_code = invalid_value(io, options, option, *value, accepted);
  return std::nullopt;
}

// --- panel-1 rows: distance and table ------------------------------------

struct ReachRow {
  std::size_t cable = 0;
  int baserate = 0;
  model::Panel1Result reach;
  std::int64_t loop_ohm = 0;
};

ReachRow reach_row(std::size_t cable, int baserate) {
  const auto& entry = model::kCableCatalogue[cable];
  ReachRow row;
  row.cable = cable;
  row.baserate = baserate;
  row.reach = model::compute_panel1(baserate, entry.reach_factor, entry.rate_coef);
  row.loop_ohm = model::loop_resistance_ohm(row.reach.distance_m, entry.ohm_per_m);
  return row;
}

std::int64_t line_rate(int baserate) { return static_cast<std::int64_t>(baserate) * model::kKbpsPerBaserate; }

constexpr std::string_view kReachCsvHeader =
    "diameter,baserate,line_rate_kbps,ferrant_m,ferrant_ft,pellion_m,pellion_ft,loop_ohm\n";

void append_reach_csv(std::string& out, const ReachRow& row) {
  out += model::kCableCatalogue[row.cable].box_item;
  for (const std::int64_t value : {std::int64_t{row.baserate}, line_rate(row.baserate), row.reach.ferrant_m,
                                   row.reach.ferrant_ft, row.reach.pellion_m, row.reach.pellion_ft, row.loop_ohm}) {
    out += ',';
    append_int(out, value);
  }
  out += '\n';
}

void append_reach_json(std::string& out, const ReachRow& row) {
  out += "{\"diameter\":";
  out += model::kCableCatalogue[row.cable].box_item;
  const std::pair<std::string_view, std::int64_t> fields[] = {
      {"baserate", row.baserate},          {"line_rate_kbps", line_rate(row.baserate)},
      {"ferrant_m", row.reach.ferrant_m},  {"ferrant_ft", row.reach.ferrant_ft},
      {"pellion_m", row.reach.pellion_m},  {"pellion_ft", row.reach.pellion_ft},
      {"loop_ohm", row.loop_ohm}};
  for (const auto& [name, value] : fields) {
    out += ",\"";
    out += name;
    out += "\":";
    append_int(out, value);
  }
  out += "}\n";
}

// Right-aligns text in a column of the given width.
void append_padded(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out += text;
}

void append_padded(std::string& out, std::int64_t value, std::size_t width) {
  std::string digits;
  append_int(digits, value);
  append_padded(out, digits, width);
}

int run_distance(const Io& io, const Options& options) {
  int exit_code = 0;
  const auto format = read_format(io, options, true, Format::kText, exit_code);
  if (!format) return exit_code;
  const auto baserate = read_whole_number(io, options, "--baserate", model::kMaxBaserate, kAcceptedBaserate, exit_code);
  if (!baserate) return exit_code;
  const auto cable = read_diameter(io, options, exit_code);
  if (!cable) return exit_code;

  const ReachRow row = reach_row(*cable, *baserate);
  OutputBuffer output(io.out);
  std::string& out = output.text();
  if (*format == Format::kCsv) {
    out += kReachCsvHeader;
    append_reach_csv(out, row);
  } else if (*format == Format::kJson) {
    append_reach_json(out, row);
  } else {
    const auto& entry = model::kCableCatalogue[row.cable];
    auto distance_line = [&](std::string_view label, std::int64_t metres, std::int64_t feet) {
      out += label;
      append_int(out, metres);
      out += " Meter = ";
      append_int(out, feet);
      out += " Feet";
    };
    out += "Cable:             ";
    out += entry.box_item;
    out += entry.cross_section_text;
    out += "\n                   ";
    out += entry.resistance_text;
    out += "\nBaserate:          ";
    append_int(out, row.baserate);
    out += " x 64kbit/s = ";
    append_int(out, line_rate(row.baserate));
    out += "kbit/s\n";
    distance_line("Ferrant_II,III,IV: ", row.reach.ferrant_m, row.reach.ferrant_ft);
    out += '\n';
    distance_line("Pellion:           ", row.reach.pellion_m, row.reach.pellion_ft);
    if (row.baserate > model::kPellionMaxBaserate) out += " (Pellion runs up to baserate 36)";
    out += "\nLoop resistance:   ";
    append_int(out, row.loop_ohm);
    out += " Ohm per conductor over the Ferrant distance\n";
  }
  return 0;
}

bool is_all(std::string_view text) {
  return text.size() == 3 && (text[0] | 0x20) == 'a' && (text[1] | 0x20) == 'l' && (text[2] | 0x20) == 'l';
}

int run_table(const Io& io, const Options& options) {
  int exit_code = 0;
  const auto format = read_format(io, options, true, Format::kText, exit_code);
  if (!format) return exit_code;
  std::size_t first_cable = 0;
  std::size_t last_cable = 0;
  if (const auto diameter = options.get("--diameter")) {
    if (is_all(*diameter)) {
      last_cable = model::kCableCatalogue.size() - 1;
    } else if (const auto cable = find_cable(*diameter)) {
      first_cable = last_cable = *cable;
    } else {
      return invalid_value(io, options, "--diameter", *diameter, std::string(kAcceptedDiameter) + ", or all");
    }
  }

  OutputBuffer output(io.out);
  std::string& out = output.text();
  constexpr std::array<std::size_t, 8> kWidths = {8, 10, 10, 11, 12, 11, 12, 10};
  if (*format == Format::kCsv) {
    out += kReachCsvHeader;
  } else if (*format == Format::kText) {
    constexpr std::array<std::string_view, 8> kTitles = {"Diameter", "Baserate", "kbit/s",   "Ferrant m",
                                                         "Ferrant ft", "Pellion m", "Pellion ft", "Loop Ohm"};
    for (std::size_t i = 0; i < kTitles.size(); ++i) append_padded(out, kTitles[i], kWidths[i]);
    out += '\n';
  }
  for (std::size_t cable = first_cable; cable <= last_cable; ++cable) {
    for (int baserate = 0; baserate <= model::kMaxBaserate; ++baserate) {
      const ReachRow row = reach_row(cable, baserate);
      if (*format == Format::kCsv) {
        append_reach_csv(out, row);
      } else if (*format == Format::kJson) {
        append_reach_json(out, row);
      } else {
        append_padded(out, model::kCableCatalogue[cable].box_item, kWidths[0]);
        const std::int64_t values[] = {row.baserate,         line_rate(row.baserate), row.reach.ferrant_m,
                                       row.reach.ferrant_ft, row.reach.pellion_m,     row.reach.pellion_ft,
                                       row.loop_ohm};
        for (std::size_t i = 0; i < std::size(values); ++i) append_padded(out, values[i], kWidths[i + 1]);
        out += '\n';
      }
      output.flush_if_full();
    }
  }
  return 0;
}

int run_baserate(const Io& io, const Options& options) {
  int exit_code = 0;
  const auto format = read_format(io, options, true, Format::kText, exit_code);
  if (!format) return exit_code;
  const auto distance =
      read_whole_number(io, options, "--distance", model::kMaxDistanceM, kAcceptedDistance, exit_code);
  if (!distance) return exit_code;
  const auto cable = read_diameter(io, options, exit_code);
  if (!cable) return exit_code;
  std::optional<std::size_t> model_index;
  if (const auto name = options.get("--model")) {
    model_index = find_model(*name);
    if (!model_index) return invalid_value(io, options, "--model", *name, kAcceptedModel);
  }

  const auto& entry = model::kCableCatalogue[*cable];
  const int limit = model_index ? model::kModemModels[*model_index].max_baserate : model::kMaxBaserate;
  const int baserate =
      model::scan_possible_baserate(static_cast<float>(*distance), entry.reach_factor, entry.rate_coef, limit);

  OutputBuffer output(io.out);
  std::string& out = output.text();
  const std::string_view model_name = model_index ? model::kModemModels[*model_index].name : "";
  if (*format == Format::kCsv) {
    out += "distance_m,diameter,model,baserate,line_rate_kbps\n";
    append_int(out, *distance);
    out += ',';
    out += entry.box_item;
    out += ',';
    out += model_name;
    out += ',';
    append_int(out, baserate);
    out += ',';
    append_int(out, line_rate(baserate));
    out += '\n';
  } else if (*format == Format::kJson) {
    out += "{\"distance_m\":";
    append_int(out, *distance);
    out += ",\"diameter\":";
    out += entry.box_item;
    out += ",\"model\":";
    if (model_index) {
      append_json_string(out, model_name);
    } else {
      out += "null";
    }
    out += ",\"baserate\":";
    append_int(out, baserate);
    out += ",\"line_rate_kbps\":";
    append_int(out, line_rate(baserate));
    out += "}\n";
  } else {
    out += "Distance:          ";
    append_int(out, *distance);
    out += " Meter = ";
    append_int(out, model::distance_feet(static_cast<float>(*distance)));
    out += " Feet\nCable:             ";
    out += entry.box_item;
    out += entry.cross_section_text;
    out += "\nModel:             ";
    out += model_index ? model_name : std::string_view("none");
    out += " (baserates up to ";
    append_int(out, limit);
    out += ")\nPossible baserate: ";
    append_int(out, baserate);
    out += " x 64kbit/s = ";
    append_int(out, line_rate(baserate));
    out += "kbit/s";
    if (baserate == 0) out += " (no baserate reaches beyond this distance)";
    out += '\n';
  }
  return 0;
}

int run_batch_command(const Io& io, const Options& options) {
  int exit_code = 0;
  const auto format = read_format(io, options, false, Format::kCsv, exit_code);
  if (!format) return exit_code;
  return run_batch(io.in, io.out, io.err, *format);
}

// --- command line ----------------------------------------------------------

struct Subcommand {
  std::string_view name;
  std::string_view help;
  std::array<std::string_view, 4> options;  // empty names unused
  int (*run)(const Io&, const Options&);
};

constexpr std::array<Subcommand, 4> kSubcommands = {{
    {"distance", kDistanceHelp, {"--baserate", "--diameter", "--format", ""}, run_distance},
    {"baserate", kBaserateHelp, {"--distance", "--diameter", "--model", "--format"}, run_baserate},
    {"table", kTableHelp, {"--diameter", "--format", "", ""}, run_table},
    {"batch", kBatchHelp, {"--format", "", "", ""}, run_batch_command},
}};

std::string accepted_options(const Subcommand& subcommand) {
  std::string list;
  for (const auto option : subcommand.options) {
    if (option.empty()) continue;
    list += option;
    list += ", ";
  }
  return list + "--help";
}

bool is_help(std::string_view arg) { return arg == "--help" || arg == "-h"; }

int run_subcommand(const Io& io, const Subcommand& subcommand, std::span<const std::string_view> args) {
  if (std::any_of(args.begin(), args.end(), is_help)) {
    io.out << subcommand.help;
    return 0;
  }
  Options options{subcommand.name, {}};
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (!arg.starts_with("--")) {
      return usage_error(io, subcommand.name,
                         "unexpected argument " + quote_for_message(arg) + "; accepted options: " +
                             accepted_options(subcommand));
    }
    const auto equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    if (std::find(subcommand.options.begin(), subcommand.options.end(), name) == subcommand.options.end() ||
        name.size() <= 2) {
      return usage_error(io, subcommand.name,
                         "unknown option " + quote_for_message(name) + "; accepted: " + accepted_options(subcommand));
    }
    if (options.get(name)) return usage_error(io, subcommand.name, std::string(name) + " given twice");
    std::string_view value;
    if (equals != std::string_view::npos) {
      value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return usage_error(io, subcommand.name, std::string(name) + " needs a value");
    }
    options.values.emplace_back(name, value);
  }
  return subcommand.run(io, options);
}

}  // namespace

int run_reach(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err) {
  const Io io{in, out, err};
  if (args.empty()) {
    return usage_error(io, "", "no subcommand; expected distance, baserate, table or batch (see ferrant-reach --help)");
  }
  const std::string_view first = args[0];
  if (is_help(first)) {
    out << kMainHelp;
    return 0;
  }
  if (first == "--version") {
    out << "ferrant-reach " FERRANT_VERSION "\n";
    return 0;
  }
  for (const auto& subcommand : kSubcommands) {
    if (first == subcommand.name) return run_subcommand(io, subcommand, args.subspan(1));
  }
  const std::string what = first.starts_with("-") ? "unknown option " : "unknown subcommand ";
  return usage_error(io, "",
                     what + quote_for_message(first) +
                         "; expected distance, baserate, table, batch, --help or --version");
}

}  // namespace cli
