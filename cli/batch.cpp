#include "cli/batch.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/csv_reader.h"
#include "cli/inputs.h"
#include "model/reach.h"

namespace cli {
namespace {

constexpr std::string_view kDistanceColumn = "distance_m";
constexpr std::string_view kDiameterColumn = "diameter";
constexpr std::string_view kModelColumn = "model";
constexpr std::array<std::string_view, 3> kResultColumns = {"baserate", "line_rate_kbps", "error"};
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct Columns {
  std::size_t count = 0;
  std::optional<std::size_t> distance, diameter, model;
};

// The header's column positions, or an error text.
std::optional<std::string> find_columns(const std::vector<std::string_view>& header, Columns& columns) {
  columns.count = header.size();
  for (std::size_t i = 0; i < header.size(); ++i) {
    const std::string_view name = header[i];
    for (const auto result : kResultColumns) {
      if (name == result) {
        return "the header already has a column \"" + std::string(name) +
               "\", which batch appends; rename or remove it";
      }
    }
    for (auto [key, slot] : {std::pair{kDistanceColumn, &columns.distance},
                             std::pair{kDiameterColumn, &columns.diameter},
                             std::pair{kModelColumn, &columns.model}}) {
      if (name != key) continue;
      if (slot->has_value()) return "the header names \"" + std::string(key) + "\" twice";
      *slot = i;
    }
  }
  if (!columns.distance || !columns.diameter) {
    return std::string("the header lacks \"") + std::string(columns.distance ? kDiameterColumn : kDistanceColumn) +
           "\"; expected a header naming distance_m and diameter, optionally model";
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
      const int limit = model_index ? model::kModemModels[*model_index].max_baserate : model::kMaxBaserate;
      lookup = std::make_unique<model::BaserateLookup>(entry.reach_factor, entry.rate_coef, limit);
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

RowResult evaluate(const CsvRecord& record, const Columns& columns, Answers& answers,
                   std::size_t max_record_bytes) {
  RowResult result;
  if (record.problem != CsvProblem::kNone) {
    result.error = describe(record.problem, max_record_bytes);
    return result;
  }
  if (record.fields.size() != columns.count) {
    result.error = "row has " + std::to_string(record.fields.size()) + " fields, the header " +
                   std::to_string(columns.count);
    return result;
  }
  const std::string_view distance_text = record.fields[*columns.distance];
  const auto distance = parse_whole_number(distance_text, model::kMaxDistanceM);
  if (!distance) {
    result.error = "distance_m " + quote_for_message(distance_text) + " is not a whole number 0..30000";
    return result;
  }
  const std::string_view diameter_text = record.fields[*columns.diameter];
  const auto cable = find_cable(diameter_text);
  if (!cable) {
    result.error = "diameter " + quote_for_message(diameter_text) + " is not one of 0.4, 0.5, ..., 1.4";
    return result;
  }
  std::optional<std::size_t> model_index;
  if (columns.model && !record.fields[*columns.model].empty()) {
    const std::string_view model_text = record.fields[*columns.model];
    model_index = find_model(model_text);
    if (!model_index) {
      result.error = "model " + quote_for_message(model_text) +
                     " is not Pellion, Ferrant_II, Ferrant_III or Ferrant_IV";
      return result;
    }
  }
  result.baserate = answers.possible_baserate(*cable, model_index, *distance);
  return result;
}

void write_csv_row(std::string& out, const std::vector<std::string_view>& fields, std::size_t column_count,
                   const RowResult& result) {
  // Always as many columns as the header; a short row is padded, a long one cut.
  for (std::size_t i = 0; i < column_count; ++i) {
    if (i < fields.size()) append_csv_field(out, fields[i]);
    out += ',';
  }
  if (result.error.empty()) {
    append_int(out, result.baserate);
    out += ',';
    append_int(out, static_cast<std::int64_t>(result.baserate) * model::kKbpsPerBaserate);
    out += ",\n";
  } else {
    out += ",,";
    append_csv_field(out, result.error);
    out += '\n';
  }
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

}  // namespace

int run_batch(std::istream& in, std::ostream& out, std::ostream& err, Format format) {
  CsvReader reader(in);
  CsvRecord record;
  if (!reader.next(record)) {
    err << "ferrant-reach batch: no header on standard input; expected CSV whose header names "
           "distance_m and diameter, optionally model\n";
    return 2;
  }
  if (record.problem != CsvProblem::kNone) {
    err << "ferrant-reach batch: unusable header: " << describe(record.problem, kDefaultMaxRecordBytes) << '\n';
    return 2;
  }
  // The header is kept as text of its own: the reader reuses its storage.
  std::vector<std::string> header_names(record.fields.begin(), record.fields.end());
  if (header_names[0].starts_with(kUtf8Bom)) header_names[0].erase(0, kUtf8Bom.size());
  const std::vector<std::string_view> header(header_names.begin(), header_names.end());
  Columns columns;
  if (const auto problem = find_columns(header, columns)) {
    err << "ferrant-reach batch: " << *problem << '\n';
    return 2;
  }

  OutputBuffer output(out);
  std::string& text = output.text();
  if (format == Format::kCsv) {
    for (const auto name : header) {
      append_csv_field(text, name);
      text += ',';
    }
    text += "baserate,line_rate_kbps,error\n";
  }

  Answers answers;
  bool any_bad_row = false;
  while (reader.next(record)) {
    const RowResult result = evaluate(record, columns, answers, kDefaultMaxRecordBytes);
    any_bad_row = any_bad_row || !result.error.empty();
    if (format == Format::kJson) {
      write_json_row(text, header, record.fields, result);
    } else {
      write_csv_row(text, record.fields, columns.count, result);
    }
    output.flush_if_full();
  }
  output.flush();
  if (!output.good()) {
    err << "ferrant-reach batch: cannot write the output\n";
    return 1;
  }
  return any_bad_row ? 1 : 0;
}

}  // namespace cli
