#include "cli/reach_cli.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "chart/psd_svg.h"
#include "cli/batch.h"
#include "cli/command_line.h"
#include "cli/inputs.h"
#include "cli/output.h"
#include "cli/psd_output.h"
#include "model/loop.h"
#include "model/reach.h"
#include "model/result_text.h"

#ifndef FERRANT_VERSION
#error "FERRANT_VERSION must be defined by the build"
#endif

namespace cli {
namespace {

constexpr std::string_view kMainHelp = R"(ferrant-reach: how far DSL links over copper pairs reach, and which baserate
reaches a distance, for the maker's modem models; the same answers as the
Ferrant Transmission Calculation window.

Usage:
  ferrant-reach distance --baserate K [--diameter D] [--format F]
  ferrant-reach baserate --distance M [--diameter D] [--model NAME] [--format F]
  ferrant-reach loop --section D:M [--section D:M ...] [--model NAME] [--format F]
  ferrant-reach table [--diameter D|all] [--format F]
  ferrant-reach batch [--format F] [--delimiter C] [--encoding E] [--replace] [FILE]
  ferrant-reach psd --baserate K [--format csv|json|svg]
  ferrant-reach SUBCOMMAND --help
  ferrant-reach --help | --version

  K     baserate, a whole number 0..238 (line rate K x 64 kbit/s)
  M     metres, a whole number 0..100000
  D     conductor diameter in mm: 0.4, 0.5, ..., 1.4 (default 0.4)
  NAME  Pellion, Ferrant_II, Ferrant_III or Ferrant_IV, in any case
  F     text (default), csv or json, in any case

An option's value follows it (--baserate 10) or an equals sign
(--baserate=10); -- ends the options.

Exit codes: 0 fine; 1 some batch rows had errors (every row was written);
2 bad arguments, or input that cannot be read; 3 the output could not be
written. A reader that closes the pipe early (| head) ends the program
quietly, by the signal SIGPIPE where there is one.
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
metres, and its line rate; 0 when no baserate reaches that far. Also the
resistance of one conductor over the distance.

  --distance M   a whole number of metres 0..100000
  --diameter D   0.4, 0.5, ..., 1.4 mm (default 0.4)
  --model NAME   Pellion (up to baserate 36), Ferrant_II (89), Ferrant_III or
                 Ferrant_IV (238), in any case; without it the limit is 238
  --format F     text (default), csv or json

CSV and JSON fields: distance_m, diameter, model, baserate, line_rate_kbps,
loop_ohm.

Example: ferrant-reach baserate --distance 5000 --model pellion
)";

constexpr std::string_view kLoopHelp = R"(Usage: ferrant-reach loop --section D:M [--section D:M ...] [--model NAME] [--format F]

The highest baserate a loop of up to 16 sections on different cables
carries. At a baserate, section i (M_i metres on a cable whose reach there is
R_i, as the baserate subcommand computes it) uses the share M_i / R_i of the
reach budget; the loop carries the baserate when the shares add up to less
than 1. Also the loop's equivalent length on 0.4 mm cable and the resistance
of one conductor over the loop. When no baserate reaches (the answer is 0),
the equivalent length and the shares are those at baserate 1.

  --section D:M  a diameter 0.4, 0.5, ..., 1.4 and a whole number of metres;
                 up to 16 sections, together at most 100000 m
  --model NAME   Pellion, Ferrant_II, Ferrant_III or Ferrant_IV, in any case;
                 without it the limit is 238
  --format F     text (default), csv or json

CSV: baserate, line_rate_kbps, equivalent_m, loop_ohm (the answer's row).
JSON: the same fields, model, and sections: one object per section with
diameter, length_m and share (of the reach budget, four decimals).

Example: ferrant-reach loop --section 0.4:2000 --section 0.6:3000 --model pellion
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

constexpr std::string_view kBatchHelp = R"(Usage: ferrant-reach batch [--format F] [--delimiter C] [--encoding E] [--replace] [FILE]

Reads CSV from FILE, or from standard input when FILE is - or not given.
The header names the columns distance_m and diameter, or sections, and
optionally model, in any order and any case; other columns pass through.
Writes every row in input order with its results in columns of their own:
baserate, line_rate_kbps, loop_ohm and error; for sections also
equivalent_m (before loop_ohm). A bad row keeps its place and its fields,
with an error that names its line and no results, and the exit code is then
1; a missing or unusable header, a FILE that cannot be read or is not text
in its encoding gives exit code 2.

  distance_m     a whole number of metres 0..100000
  diameter       0.4, 0.5, ..., 1.4 (also 0,4 with semicolons or tabs)
  sections       a loop instead of distance_m and diameter: D:M pairs
                 separated by blanks, "0.4:2000 0.6:3000" (see loop --help)
  model          Pellion, Ferrant_II, Ferrant_III or Ferrant_IV in any case,
                 or empty for the limit 238
  Blanks around values do not count.

  baserate, line_rate_kbps, loop_ohm (one conductor over the distance or the
  loop), equivalent_m (the loop as 0.4 mm cable): as distance, baserate and
  loop give them. JSON adds shares, the loop's sections' shares of the reach
  budget, and extra_fields for fields beyond the header's.

  --delimiter C  , or ; or tab; without it, a first line sep=C names it, else
                 the first of these that gives the header its columns. The
                 output uses the same.
  --encoding E   utf-8 (default), cp1252 or latin1: the encoding of a FILE
                 without a byte-order mark. With a mark it is UTF-8 or
                 UTF-16. CSV is written in the input's encoding, with its
                 mark and line ends; JSON in UTF-8.
  --replace      write the results over columns of those names that batch
                 did not write (its own from an earlier run it always does)
  --format F     csv (default) or json (one object per line)

Example: ferrant-reach batch links.csv > answers.csv
)";

constexpr std::string_view kPsdHelp = R"(Usage: ferrant-reach psd --baserate K [--format csv|json|svg]

The transmit PSD that the window's chart plots for baserate K: for every PAM
constellation traced at that line rate, the PSD in dBm/Hz at the chart's
frequencies (10 kHz steps up to 750, 1500 or 3000 kHz by the line rate).

  --baserate K   a whole number 0..238
  --format F     csv (default): frequency_khz, then one column per
                 constellation named by its legend (PAM-8, ...), two decimals;
                 json: one object per frequency and line;
                 svg: the chart as a picture, as the window draws it

Example: ferrant-reach psd --baserate 10 --format svg > psd.svg
)";

struct Io {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
};

// A subcommand's options as given; each is given at most once except those
// that build a list.
struct Args {
  std::string_view subcommand;
  std::span<const std::string_view> names;
  std::span<const std::string_view> flag_names;
  const CommandLine& line;

  std::optional<std::string_view> get(std::string_view name) const {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name && !line.values[i].empty()) return line.values[i].front();
    }
    return std::nullopt;
  }
  bool has_flag(std::string_view name) const {
    for (std::size_t i = 0; i < flag_names.size(); ++i) {
      if (flag_names[i] == name) return line.flag_counts[i] > 0;
    }
    return false;
  }
  std::span<const std::string> all(std::string_view name) const {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (names[i] == name) return line.values[i];
    }
    return {};
  }
};

int usage_error(const Io& io, std::string_view subcommand, const std::string& message) {
  io.err << "ferrant-reach" << (subcommand.empty() ? "" : " ") << subcommand << ": " << message << '\n';
  return kExitUsage;
}

int invalid_value(const Io& io, const Args& args, std::string_view option, std::string_view value,
                  std::string_view accepted) {
  return usage_error(io, args.subcommand,
                     "invalid " + std::string(option) + " " + quote_for_message(value) + ": expected " +
                         std::string(accepted));
}

using model::kAcceptedBaserate;
using model::kAcceptedDiameter;
using model::kAcceptedModel;

struct FormatName {
  std::string_view name;
  Format format;
};
constexpr std::array<FormatName, 4> kFormatNames = {
    {{"text", Format::kText}, {"csv", Format::kCsv}, {"json", Format::kJson}, {"svg", Format::kSvg}}};

// The --format value among the accepted ones (the first is the default).
std::optional<Format> read_format(const Io& io, const Args& args, std::span<const Format> accepted,
                                  int& exit_code) {
  const auto value = args.get("--format");
  if (!value) return accepted.front();
  std::string names;
  for (std::size_t i = 0; i < accepted.size(); ++i) {
    for (const auto& [name, format] : kFormatNames) {
      if (format != accepted[i]) continue;
      if (equal_ignoring_case(*value, name)) return format;
      names += i == 0 ? "" : i + 1 == accepted.size() ? " or " : ", ";
      names += name;
    }
  }
  exit_code = invalid_value(io, args, "--format", *value, names);
  return std::nullopt;
}

constexpr std::array<Format, 3> kTextCsvJson = {Format::kText, Format::kCsv, Format::kJson};

std::optional<std::size_t> read_diameter(const Io& io, const Args& args, int& exit_code) {
  const auto value = args.get("--diameter");
  if (!value) return 0;  // 0.4 mm, the first catalogue entry
  if (const auto cable = find_cable(*value)) return cable;
  exit_code = invalid_value(io, args, "--diameter", *value, kAcceptedDiameter);
  return std::nullopt;
}

std::optional<int> read_whole_number(const Io& io, const Args& args, std::string_view option, int max,
                                     std::string_view accepted, int& exit_code) {
  const auto value = args.get(option);
  if (!value) {
    exit_code = usage_error(io, args.subcommand, "missing " + std::string(option) + " (" + std::string(accepted) + ")");
    return std::nullopt;
  }
  if (const auto number = parse_whole_number(*value, max)) return number;
  exit_code = invalid_value(io, args, option, *value, accepted);
  return std::nullopt;
}

// The model index, none when no --model is given; false on a bad name.
bool read_model(const Io& io, const Args& args, std::optional<std::size_t>& model_index, int& exit_code) {
  const auto name = args.get("--model");
  if (!name) return true;
  model_index = find_model(*name);
  if (model_index) return true;
  exit_code = invalid_value(io, args, "--model", *name, kAcceptedModel);
  return false;
}

std::int64_t line_rate(int baserate) { return static_cast<std::int64_t>(baserate) * model::kKbpsPerBaserate; }

void append_json_model(std::string& out, std::optional<std::size_t> model_index) {
  if (model_index) {
    append_json_string(out, model::kModemModels[*model_index].name);
  } else {
    out += "null";
  }
}

using model::append_label;
using model::append_model_line;
using model::append_rate;

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

int run_distance(const Io& io, const Args& args) {
  int exit_code = 0;
  const auto format = read_format(io, args, kTextCsvJson, exit_code);
  if (!format) return exit_code;
  const auto baserate = read_whole_number(io, args, "--baserate", model::kMaxBaserate, kAcceptedBaserate, exit_code);
  if (!baserate) return exit_code;
  const auto cable = read_diameter(io, args, exit_code);
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
    model::append_distance_text(out, row.cable, row.baserate);
  }
  return kExitFine;
}

int run_table(const Io& io, const Args& args) {
  int exit_code = 0;
  const auto format = read_format(io, args, kTextCsvJson, exit_code);
  if (!format) return exit_code;
  std::size_t first_cable = 0;
  std::size_t last_cable = 0;
  if (const auto diameter = args.get("--diameter")) {
    if (equal_ignoring_case(*diameter, "all")) {
      last_cable = model::kCableCatalogue.size() - 1;
    } else if (const auto cable = find_cable(*diameter)) {
      first_cable = last_cable = *cable;
    } else {
      return invalid_value(io, args, "--diameter", *diameter, std::string(kAcceptedDiameter) + ", or all");
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
  return kExitFine;
}

int run_baserate(const Io& io, const Args& args) {
  int exit_code = 0;
  const auto format = read_format(io, args, kTextCsvJson, exit_code);
  if (!format) return exit_code;
  const auto distance = read_whole_number(io, args, "--distance", kMaxDistanceM, kAcceptedDistance, exit_code);
  if (!distance) return exit_code;
  const auto cable = read_diameter(io, args, exit_code);
  if (!cable) return exit_code;
  std::optional<std::size_t> model_index;
  if (!read_model(io, args, model_index, exit_code)) return exit_code;

  const auto& entry = model::kCableCatalogue[*cable];
  const auto distance_m = static_cast<float>(*distance);  // exact: below 2^24
  const int baserate =
      model::scan_possible_baserate(distance_m, entry.reach_factor, entry.rate_coef, model_limit(model_index));
  const std::int64_t loop_ohm = model::loop_resistance_ohm(distance_m, entry.ohm_per_m);

  OutputBuffer output(io.out);
  std::string& out = output.text();
  if (*format == Format::kCsv) {
    out += "distance_m,diameter,model,baserate,line_rate_kbps,loop_ohm\n";
    append_int(out, *distance);
    out += ',';
    out += entry.box_item;
    out += ',';
    if (model_index) out += model::kModemModels[*model_index].name;
    for (const std::int64_t value : {std::int64_t{baserate}, line_rate(baserate), loop_ohm}) {
      out += ',';
      append_int(out, value);
    }
    out += '\n';
  } else if (*format == Format::kJson) {
    out += "{\"distance_m\":";
    append_int(out, *distance);
    out += ",\"diameter\":";
    out += entry.box_item;
    out += ",\"model\":";
    append_json_model(out, model_index);
    out += ",\"baserate\":";
    append_int(out, baserate);
    out += ",\"line_rate_kbps\":";
    append_int(out, line_rate(baserate));
    out += ",\"loop_ohm\":";
    append_int(out, loop_ohm);
    out += "}\n";
  } else {
    model::append_baserate_text(out, *distance, *cable, model_index);
  }
  return kExitFine;
}

int run_loop(const Io& io, const Args& args) {
  int exit_code = 0;
  const auto format = read_format(io, args, kTextCsvJson, exit_code);
  if (!format) return exit_code;
  SectionList sections;
  for (const std::string& text : args.all("--section")) {
    if (auto problem = sections.add(text, false)) {
      return usage_error(io, args.subcommand, "invalid --section: " + *problem);
    }
  }
  if (sections.view().empty()) {
    return usage_error(io, args.subcommand, "missing --section (D:M, a diameter and a whole number of metres)");
  }
  std::optional<std::size_t> model_index;
  if (!read_model(io, args, model_index, exit_code)) return exit_code;

  const model::LoopAnswer answer = model::compute_loop(sections.view(), model_limit(model_index));
  constexpr int kShareDecimals = 4;
  OutputBuffer output(io.out);
  std::string& out = output.text();
  if (*format == Format::kCsv) {
    out += "baserate,line_rate_kbps,equivalent_m,loop_ohm\n";
    append_int(out, answer.baserate);
    for (const std::int64_t value : {line_rate(answer.baserate), answer.equivalent_m, answer.loop_ohm}) {
      out += ',';
      append_int(out, value);
    }
    out += '\n';
  } else if (*format == Format::kJson) {
    out += "{\"model\":";
    append_json_model(out, model_index);
    out += ",\"baserate\":";
    append_int(out, answer.baserate);
    out += ",\"line_rate_kbps\":";
    append_int(out, line_rate(answer.baserate));
    out += ",\"equivalent_m\":";
    append_int(out, answer.equivalent_m);
    out += ",\"loop_ohm\":";
    append_int(out, answer.loop_ohm);
    out += ",\"sections\":[";
    for (const auto& section : answer.section_shares()) {
      if (out.back() != '[') out += ',';
      out += "{\"diameter\":";
      out += model::kCableCatalogue[section.cable].box_item;
      out += ",\"length_m\":";
      append_int(out, section.length_m);
      out += ",\"share\":";
      append_fixed(out, section.share, kShareDecimals);
      out += '}';
    }
    out += "]}\n";
  } else {
    std::int64_t total_m = 0;
    for (const auto& section : answer.section_shares()) total_m += section.length_m;
    append_label(out, "Loop:");
    append_int(out, static_cast<std::int64_t>(answer.section_count));
    out += answer.section_count == 1 ? " section, " : " sections, ";
    append_int(out, total_m);
    out += " Meter\n";
    append_model_line(out, model_index);
    append_label(out, "Possible baserate:");
    append_rate(out, answer.baserate);
    if (answer.baserate == 0) out += " (no baserate carries this loop)";
    out += '\n';
    append_label(out, "Equivalent length:");
    append_int(out, answer.equivalent_m);
    out += " Meter of 0.4mm cable at baserate ";
    append_int(out, answer.evaluated_baserate);
    out += '\n';
    append_label(out, "Loop resistance:");
    append_int(out, answer.loop_ohm);
    out += " Ohm per conductor over the loop\n";
    int number = 0;
    for (const auto& section : answer.section_shares()) {
      append_label(out, "Section " + std::to_string(++number) + ":");
      out += model::kCableCatalogue[section.cable].box_item;
      out += "mm, ";
      append_int(out, section.length_m);
      out += " Meter, ";
      append_fixed(out, section.share * 100, kShareDecimals - 2);
      out += " % of the reach budget\n";
    }
  }
  return kExitFine;
}

int run_psd(const Io& io, const Args& args) {
  int exit_code = 0;
  constexpr std::array<Format, 3> kAccepted = {Format::kCsv, Format::kJson, Format::kSvg};
  const auto format = read_format(io, args, kAccepted, exit_code);
  if (!format) return exit_code;
  const auto baserate = read_whole_number(io, args, "--baserate", model::kMaxBaserate, kAcceptedBaserate, exit_code);
  if (!baserate) return exit_code;

  OutputBuffer output(io.out);
  std::string& out = output.text();
  if (*format == Format::kCsv) {
    append_psd_csv(out, *baserate);
  } else if (*format == Format::kJson) {
    append_psd_json(out, *baserate);
  } else {
    out += chart::psd_chart_svg(static_cast<float>(line_rate(*baserate)));
  }
  return kExitFine;
}

// "," ";" or "tab" (or a tab itself).
std::optional<char> read_delimiter(std::string_view text) {
  if (text == "," || text == ";" || text == "\t") return text[0];
  if (equal_ignoring_case(text, "tab")) return '\t';
  return std::nullopt;
}

int run_batch_command(const Io& io, const Args& args) {
  int exit_code = 0;
  constexpr std::array<Format, 2> kAccepted = {Format::kCsv, Format::kJson};
  const auto format = read_format(io, args, kAccepted, exit_code);
  if (!format) return exit_code;
  BatchOptions options;
  options.format = *format;
  if (const auto text = args.get("--delimiter")) {
    options.delimiter = read_delimiter(*text);
    if (!options.delimiter) return invalid_value(io, args, "--delimiter", *text, ", or ; or tab");
  }
  if (const auto text = args.get("--encoding")) {
    const auto encoding = find_encoding(*text);
    if (!encoding) return invalid_value(io, args, "--encoding", *text, kAcceptedEncodings);
    options.unmarked = *encoding;
  }
  options.replace = args.has_flag("--replace");
  const std::string_view file = args.line.arguments.empty() ? "-" : std::string_view(args.line.arguments[0]);
  if (file == "-") return run_batch(io.in, io.out, io.err, options);

  const std::string name = quote_for_message(file);
  const std::filesystem::path path(file);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return usage_error(io, args.subcommand,
                       "cannot read " + name + ": " + std::make_error_code(std::errc::is_a_directory).message());
  }
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    const int error_number = errno != 0 ? errno : EIO;
    return usage_error(io, args.subcommand,
                       "cannot read " + name + ": " + std::generic_category().message(error_number));
  }
  options.input_name = name;
  return run_batch(in, io.out, io.err, options);
}

// --- command line ----------------------------------------------------------

struct Subcommand {
  SubcommandSyntax syntax;
  std::string_view help;
  int (*run)(const Io&, const Args&);
};

constexpr std::array<std::string_view, 3> kDistanceOptions = {"--baserate", "--diameter", "--format"};
constexpr std::array<std::string_view, 4> kBaserateOptions = {"--distance", "--diameter", "--model", "--format"};
constexpr std::array<std::string_view, 3> kLoopOptions = {"--section", "--model", "--format"};
constexpr std::array<std::string_view, 2> kTableOptions = {"--diameter", "--format"};
constexpr std::array<std::string_view, 3> kBatchOptions = {"--format", "--delimiter", "--encoding"};
constexpr std::array<std::string_view, 1> kBatchFlags = {"--replace"};
constexpr std::array<std::string_view, 2> kPsdOptions = {"--baserate", "--format"};
// Options that may be given more than once, building a list.
constexpr std::string_view kListOption = "--section";

constexpr std::array<Subcommand, 6> kSubcommands = {{
    {{"distance", kDistanceOptions, 0}, kDistanceHelp, run_distance},
    {{"baserate", kBaserateOptions, 0}, kBaserateHelp, run_baserate},
    {{"loop", kLoopOptions, 0}, kLoopHelp, run_loop},
    {{"table", kTableOptions, 0}, kTableHelp, run_table},
    {{"batch", kBatchOptions, 1, kBatchFlags}, kBatchHelp, run_batch_command},
    {{"psd", kPsdOptions, 0}, kPsdHelp, run_psd},
}};

int run_command_line(const Io& io, std::span<const std::string_view> arguments) {
  std::array<SubcommandSyntax, kSubcommands.size()> syntax;
  for (std::size_t i = 0; i < kSubcommands.size(); ++i) syntax[i] = kSubcommands[i].syntax;
  const CommandLine line = parse_command_line(arguments, syntax);
  switch (line.kind) {
    case CommandLine::Kind::kError:
      return usage_error(io, line.error_subcommand, line.error);
    case CommandLine::Kind::kMainHelp:
      io.out << kMainHelp;
      return kExitFine;
    case CommandLine::Kind::kVersion:
      io.out << "ferrant-reach " FERRANT_VERSION "\n";
      return kExitFine;
    case CommandLine::Kind::kSubcommand:
      break;
  }
  const Subcommand& subcommand = kSubcommands[line.subcommand];
  if (line.help) {
    io.out << subcommand.help;
    return kExitFine;
  }
  const Args args{subcommand.syntax.name, subcommand.syntax.options, subcommand.syntax.flags, line};
  for (std::size_t i = 0; i < args.names.size(); ++i) {
    if (line.values[i].size() > 1 && args.names[i] != kListOption) {
      return usage_error(io, args.subcommand, std::string(args.names[i]) + " given twice");
    }
  }
  return subcommand.run(io, args);
}

}  // namespace

int run_reach(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err) {
  const Io io{in, out, err};
  // A failed write leaves its reason in errno: the writes in pieces clear it
  // before they write, and nothing after a failure writes again.
  errno = 0;
  const int exit_code = run_command_line(io, args);
  if (out) {
    errno = 0;
    out.flush();
  }
  if (!out) {
    const int error_number = errno;
    // A reader that closed the pipe early (| head) wants no more: the tool
    // ends quietly, as others do. (On Linux the signal ends it first.)
    if (error_number != EPIPE) {
      err << "ferrant-reach: cannot write the output";
      if (error_number != 0) err << ": " << std::generic_category().message(error_number);
      err << '\n';
    }
    return kExitWriteFailed;
  }
  return exit_code;
}

}  // namespace cli
