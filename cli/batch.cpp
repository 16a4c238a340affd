#include "cli/batch.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/csv_reader.h"
#include "cli/inputs.h"
#include "cli/reach_cli.h"
#include "model/loop.h"
#include "model/reach.h"

namespace cli {
namespace {

constexpr std::string_view kDistanceColumn = "distance_m";
constexpr std::string_view kDiameterColumn = "diameter";
constexpr std::string_view kSectionsColumn = "sections";
constexpr std::string_view kModelColumn = "model";
constexpr std::array<std::string_view, 3> kResultColumns = {"baserate", "line_rate_kbps", "error"};
constexpr std::string_view kRequiredColumns =
    "required: distance_m and diameter, or sections; optional: model";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Tried on the header in this order unless the delimiter is given.
constexpr std::array<char, 3> kDelimiters = {',', ';', '\t'};

std::string_view delimiter_name(char delimiter) {
  return delimiter == ',' ? "commas" : delimiter == ';' ? "semicolons" : "tabs";
}

// A header name as it is meant: without surrounding blanks, in any case.
bool names_column(std::string_view header_name, std::string_view column) {
  const auto first = header_name.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  const auto last = header_name.find_last_not_of(" \t");
  return equal_ignoring_case(header_name.substr(first, last - first + 1), column);
}

struct Columns {
  std::size_t count = 0;
  std::optional<std::size_t> distance, diameter, sections, model;

  bool has_required() const { return (distance && diameter) || sections; }
};

Columns find_columns(const std::vector<std::string_view>& header) {
  Columns columns;
  columns.count = header.size();
  for (std::size_t i = 0; i < header.size(); ++i) {
    for (auto [name, slot] : {std::pair{kDistanceColumn, &columns.distance},
                              std::pair{kDiameterColumn, &columns.diameter},
                              std::pair{kSectionsColumn, &columns.sections},
                              std::pair{kModelColumn, &columns.model}}) {
      if (names_column(header[i], name) && !slot->has_value()) *slot = i;
    }
  }
  return columns;
}

// What makes a header with the required columns unusable, if anything.
std::optional<std::string> header_problem(const std::vector<std::string_view>& header, const Columns& columns) {
  for (std::size_t i = 0; i < header.size(); ++i) {
    for (const auto result : kResultColumns) {
      if (names_column(header[i], result)) {
        return "the header already has a column " + quote_for_message(header[i]) +
               ", which batch appends; rename or remove it";
      }
    }
  }
  for (const auto name : {kDistanceColumn, kDiameterColumn, kSectionsColumn, kModelColumn}) {
    const auto count = std::count_if(header.begin(), header.end(),
                                     [name](std::string_view header_name) { return names_column(header_name, name); });
    if (count > 1) return "the header names \"" + std::string(name) + "\" twice";
  }
  if (columns.sections && (columns.distance || columns.diameter)) {
    return "the header names both sections and distance_m or diameter; a row gives its loop one way";
  }
  return std::nullopt;
}

std::string describe(CsvProblem problem, std::size_t max_record_bytes) {
  switch (problem) {
    case CsvProblem::kTooLong:
      return "row longer than " + std::to_string(max_record_bytes) + " bytes";
    case CsvProblem::kUnterminatedQuote:
      return "quoted field not closed before the end of the input";
    case CsvProblem::kMisplacedQuote:
      return "misplaced quote: a field with quotes must be quoted as a whole, inner quotes doubled";
    case CsvProblem::kNone:
      break;
  }
  return {};
}

// Possible baserates, precomputed per cable and model on first use.
class Answers {
 public:
  // model_index: index into kModemModels, or none for the default limit.
  int possible_baserate(std::size_t cable, std::optional<std::size_t> model_index, int distance_m) {
    const std::size_t slot_in_cable = model_index.value_or(model::kModemModels.size());
    auto& lookup = lookups_[cable * kSlotsPerCable + slot_in_cable];
    if (!lookup) {
      const auto& entry = model::kCableCatalogue[cable];
      lookup = std::make_unique<model::BaserateLookup>(entry.reach_factor, entry.rate_coef, model_limit(model_index));
    }
    return lookup->possible_baserate(distance_m);
  }

 private:
  static constexpr std::size_t kSlotsPerCable = model::kModemModels.size() + 1;
  std::array<std::unique_ptr<model::BaserateLookup>, model::kCableCatalogue.size() * kSlotsPerCable> lookups_;
};

struct RowResult {
  int baserate = 0;
  std::string error;  // empty when the row is fine
};

class RowEvaluator {
 public:
  RowEvaluator(const Columns& columns, bool decimal_comma) : columns_(columns), decimal_comma_(decimal_comma) {}

  RowResult evaluate(const CsvRecord& record) {
    RowResult result;
    if (record.problem != CsvProblem::kNone) {
      result.error = describe(record.problem, kDefaultMaxRecordBytes);
      return result;
    }
    if (record.fields.size() != columns_.count) {
      result.error = "row has " + std::to_string(record.fields.size()) + " fields, the header " +
                     std::to_string(columns_.count);
      return result;
    }
    std::optional<std::size_t> model_index;
    if (columns_.model && !record.fields[*columns_.model].empty()) {
      const std::string_view model_text = record.fields[*columns_.model];
      model_index = find_model(model_text);
      if (!model_index) {
        result.error = "model " + quote_for_message(model_text) + " is not " + std::string(kAcceptedModelNames);
        return result;
      }
    }
    if (columns_.sections) {
      const std::string_view sections_text = record.fields[*columns_.sections];
      if (auto problem = parse_sections(sections_text, decimal_comma_, sections_)) {
        result.error = "sections " + quote_for_message(sections_text) + ": " + *problem;
        return result;
      }
      result.baserate = model::loop_baserate(sections_.view(), model_limit(model_index));
      return result;
    }
    const std::string_view distance_text = record.fields[*columns_.distance];
    const auto distance = parse_whole_number(distance_text, kMaxDistanceM);
    if (!distance) {
      result.error = "distance_m " + quote_for_message(distance_text) + " is not " + std::string(kAcceptedDistance);
      return result;
    }
    const std::string_view diameter_text = record.fields[*columns_.diameter];
    const auto cable = find_cable(diameter_text, decimal_comma_);
    if (!cable) {
      result.error = "diameter " + quote_for_message(diameter_text) + " is not one of 0.4, 0.5, ..., 1.4";
      return result;
    }
    result.baserate = answers_.possible_baserate(*cable, model_index, *distance);
    return result;
  }

 private:
  const Columns& columns_;
  bool decimal_comma_;
  Answers answers_;
  SectionList sections_;
};

void write_csv_row(std::string& out, const std::vector<std::string_view>& fields, std::size_t column_count,
                   const RowResult& result, char delimiter) {
  // Always as many columns as the header; a short row is padded, a long one cut.
  for (std::size_t i = 0; i < column_count; ++i) {
    if (i < fields.size()) append_csv_field(out, fields[i], delimiter);
    out += delimiter;
  }
  if (result.error.empty()) {
    append_int(out, result.baserate);
    out += delimiter;
    append_int(out, static_cast<std::int64_t>(result.baserate) * model::kKbpsPerBaserate);
    out += delimiter;
  } else {
    out += delimiter;
    out += delimiter;
    append_csv_field(out, result.error, delimiter);
  }
  out += '\n';
}

void write_json_row(std::string& out, const std::vector<std::string_view>& header,
                    const std::vector<std::string_view>& fields, const RowResult& result) {
  out += '{';
  for (std::size_t i = 0; i < header.size(); ++i) {
    append_json_string(out, header[i]);
    out += ':';
    if (i < fields.size()) {
      append_json_string(out, fields[i]);
    } else {
      out += "null";
    }
    out += ',';
  }
  if (result.error.empty()) {
    out += "\"baserate\":";
    append_int(out, result.baserate);
    out += ",\"line_rate_kbps\":";
    append_int(out, static_cast<std::int64_t>(result.baserate) * model::kKbpsPerBaserate);
    out += ",\"error\":null}\n";
  } else {
    out += "\"baserate\":null,\"line_rate_kbps\":null,\"error\":";
    append_json_string(out, result.error);
    out += "}\n";
  }
}

std::string read_error(std::string_view input_name, int error_number) {
  return "cannot read " + std::string(input_name) + ": " + std::generic_category().message(error_number);
}

// The header's names as text of their own (the reader reuses its storage),
// without a byte-order mark.
std::vector<std::string> header_names(const CsvRecord& record) {
  std::vector<std::string> names(record.fields.begin(), record.fields.end());
  if (names[0].starts_with(kUtf8Bom)) names[0].erase(0, kUtf8Bom.size());
  return names;
}

std::string listed(const std::vector<std::string>& names) {
  std::string list;
  for (const auto& name : names) {
    if (!list.empty()) list += ", ";
    list += quote_for_message(name);
  }
  return list;
}

}  // namespace

int run_batch(std::istream& in, std::ostream& out, std::ostream& err, const BatchOptions& options) {
  const auto refuse = [&](const std::string& message) {
    err << "ferrant-reach batch: " << message << '\n';
    return kExitUsage;
  };
  char delimiter = options.delimiter.value_or(kDelimiters[0]);
  CsvReader reader(in, kDefaultMaxRecordBytes, delimiter);
  CsvRecord record;
  if (!reader.next(record)) {
    if (reader.read_failed()) return refuse(read_error(options.input_name, reader.read_error_number()));
    return refuse("no header in " + std::string(options.input_name) +
                  "; expected CSV whose header names distance_m and diameter, or sections, optionally model");
  }
  if (record.problem != CsvProblem::kNone) {
    return refuse("unusable header: " + describe(record.problem, kDefaultMaxRecordBytes));
  }
  std::vector<std::string> names = header_names(record);
  std::vector<std::string_view> header(names.begin(), names.end());
  Columns columns = find_columns(header);
  if (!columns.has_required() && !options.delimiter) {
    // Try the other delimiters on the same header.
    const std::vector<std::string> comma_names = names;
    for (const char other : std::span(kDelimiters).subspan(1)) {
      if (!reader.restart(other) || !reader.next(record) || record.problem != CsvProblem::kNone) continue;
      std::vector<std::string> other_names = header_names(record);
      const std::vector<std::string_view> other_header(other_names.begin(), other_names.end());
      const Columns other_columns = find_columns(other_header);
      if (other_columns.has_required()) {
        delimiter = other;
        columns = other_columns;
        names = std::move(other_names);
        header.assign(names.begin(), names.end());
        break;
      }
    }
    if (!columns.has_required()) {
      return refuse("no delimiter (comma, semicolon or tab) gives the header the required columns; split at "
                    "commas it holds " + listed(comma_names) + "; " + std::string(kRequiredColumns));
    }
  }
  if (!columns.has_required()) {
    return refuse("split at " + std::string(delimiter_name(delimiter)) + ", the header holds " + listed(names) +
                  "; " + std::string(kRequiredColumns));
  }
  if (const auto problem = header_problem(header, columns)) return refuse(*problem);

  OutputBuffer output(out);
  std::string& text = output.text();
  if (options.format == Format::kCsv) {
    for (const auto name : header) {
      append_csv_field(text, name, delimiter);
      text += delimiter;
    }
    for (std::size_t i = 0; i < kResultColumns.size(); ++i) {
      if (i > 0) text += delimiter;
      text += kResultColumns[i];
    }
    text += '\n';
  }

  RowEvaluator evaluator(columns, delimiter != ',');
  bool any_bad_row = false;
  while (reader.next(record)) {
    const RowResult result = evaluator.evaluate(record);
    any_bad_row = any_bad_row || !result.error.empty();
    if (options.format == Format::kJson) {
      write_json_row(text, header, record.fields, result);
    } else {
      write_csv_row(text, record.fields, columns.count, result, delimiter);
    }
    output.flush_if_full();
    if (!output.good()) return kExitWriteFailed;  // no use reading on; the caller says so
  }
  output.flush();
  if (reader.read_failed()) return refuse(read_error(options.input_name, reader.read_error_number()));
  if (!output.good()) return kExitWriteFailed;
  return any_bad_row ? kExitBadRows : kExitFine;
}

}  // namespace cli
