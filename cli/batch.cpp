#include "cli/batch.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <span>
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
constexpr std::string_view kRequiredColumns =
    "required: distance_m and diameter, or sections; optional: model";
// Tried on the header in this order unless the delimiter is given.
constexpr std::array<char, 3> kDelimiters = {',', ';', '\t'};
constexpr int kShareDecimals = 4;

// The columns batch writes, in the order it appends them; equivalent_m for
// loops only. JSON adds "shares" to a loop's row.
enum class Result { kBaserate, kLineRate, kEquivalent, kLoopOhm, kError };
constexpr std::array<std::string_view, 5> kResultNames = {"baserate", "line_rate_kbps", "equivalent_m", "loop_ohm",
                                                          "error"};
constexpr std::array<Result, 4> kDistanceResults = {Result::kBaserate, Result::kLineRate, Result::kLoopOhm,
                                                    Result::kError};
constexpr std::array<Result, 5> kLoopResults = {Result::kBaserate, Result::kLineRate, Result::kEquivalent,
                                                Result::kLoopOhm, Result::kError};

std::string_view name_of(Result result) { return kResultNames[static_cast<std::size_t>(result)]; }

std::string_view delimiter_name(char delimiter) {
  return delimiter == ',' ? "commas" : delimiter == ';' ? "semicolons" : delimiter == '\t' ? "tabs" : "its delimiter";
}

// Without blanks (spaces, tabs) around it. (By hand: find_first_not_of
// searches the blanks for every character, and this runs for every value.)
std::string_view trimmed(std::string_view text) {
  const auto is_blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

// A header name as it is meant: without surrounding blanks, in any case.
bool names_column(std::string_view header_name, std::string_view column) {
  return equal_ignoring_case(trimmed(header_name), column);
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

// Where each result goes: a column of the header it is written over, or
// none (appended after the header's columns, in the order of results).
struct ResultLayout {
  bool loops = false;  // rows give sections
  bool any_in_place = false;  // a result is written over a header column
  std::span<const Result> results;
  std::array<std::optional<std::size_t>, kResultNames.size()> column{};
  std::vector<std::optional<Result>> result_in_column;  // per header column

  std::optional<std::size_t> column_of(Result result) const { return column[static_cast<std::size_t>(result)]; }
};

// The results' places, or what makes the header unusable. The header's
// columns named as results are written over when batch wrote them (spelled
// as it spells them, together at the header's end, as in its own output) or
// when replace is given; any other is refused, as its text would be lost.
std::optional<std::string> lay_out_results(const std::vector<std::string_view>& header, const Columns& columns,
                                           bool replace, ResultLayout& layout) {
  layout.loops = columns.sections.has_value();
  layout.results = layout.loops ? std::span<const Result>(kLoopResults) : std::span<const Result>(kDistanceResults);
  layout.result_in_column.assign(header.size(), std::nullopt);
  std::size_t found = 0;
  bool as_batch_writes = true;
  for (std::size_t i = 0; i < header.size(); ++i) {
    for (const Result result : layout.results) {
      if (!names_column(header[i], name_of(result))) continue;
      auto& column = layout.column[static_cast<std::size_t>(result)];
      if (column) return "the header names \"" + std::string(name_of(result)) + "\" twice";
      column = i;
      layout.result_in_column[i] = result;
      ++found;
      layout.any_in_place = true;
      as_batch_writes = as_batch_writes && header[i] == name_of(result);
    }
  }
  const bool at_end = std::all_of(layout.result_in_column.end() - static_cast<std::ptrdiff_t>(found),
                                  layout.result_in_column.end(), [](const auto& slot) { return slot.has_value(); });
  if (found > 0 && !replace && !(as_batch_writes && at_end)) {
    for (std::size_t i = 0; i < header.size(); ++i) {
      if (!layout.result_in_column[i]) continue;
      return "the header already has a column " + quote_for_message(header[i]) +
             ", which batch writes; rename or remove it, or give --replace to write the results into it";
    }
  }
  return std::nullopt;
}

// What makes a header with the required columns unusable, if anything.
std::optional<std::string> header_problem(const std::vector<std::string_view>& header, const Columns& columns) {
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

std::string line_prefix(std::uint64_t line) { return "line " + std::to_string(line) + ": "; }

std::string describe(const CsvRecord& record) {
  switch (record.problem) {
    case CsvProblem::kTooLong:
      return "row longer than " + std::to_string(kDefaultMaxRecordBytes) + " bytes";
    case CsvProblem::kUnterminatedQuote:
      return "the quote opened on line " + std::to_string(record.quote_line) +
             " is not closed before the end of the input";
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
  std::int64_t equivalent_m = 0;  // loops
  std::int64_t loop_ohm = 0;
  std::span<const model::LoopSectionShare> shares;  // loops; valid until the next row
  std::string error;  // empty when the row is fine
};

class RowEvaluator {
 public:
  RowEvaluator(const Columns& columns, bool decimal_comma) : columns_(columns), decimal_comma_(decimal_comma) {}

  RowResult evaluate(const CsvRecord& record) {
    RowResult result;
    if (record.problem != CsvProblem::kNone) {
      result.error = line_prefix(record.line) + describe(record);
      return result;
    }
    if (record.fields.size() != columns_.count) {
      // Said without the counts, which a second run on the output would change.
      const std::size_t count = record.fields.size();
      const std::size_t difference = count > columns_.count ? count - columns_.count : columns_.count - count;
      result.error = line_prefix(record.line) + "row has " + std::to_string(difference) +
                     (difference == 1 ? " field " : " fields ") +
                     (count > columns_.count ? "more than the header; " : "fewer than the header");
      if (count > columns_.count) result.error += difference == 1 ? "it follows the results" : "they follow the results";
      return result;
    }
    std::optional<std::size_t> model_index;
    if (columns_.model) {
      const std::string_view model_text = trimmed(record.fields[*columns_.model]);
      if (!model_text.empty()) {
        model_index = find_model(model_text);
        if (!model_index) return refused(record, "model", model_text, "is not " + std::string(kAcceptedModelNames));
      }
    }
    if (columns_.sections) {
      const std::string_view sections_text = trimmed(record.fields[*columns_.sections]);
      if (auto problem = parse_sections(sections_text, decimal_comma_, sections_)) {
        result.error = line_prefix(record.line) + "sections " + quote_for_message(sections_text) + ": " + *problem;
        return result;
      }
      loop_ = model::compute_loop(sections_.view(), model_limit(model_index));
      result.baserate = loop_.baserate;
      result.equivalent_m = loop_.equivalent_m;
      result.loop_ohm = loop_.loop_ohm;
      result.shares = loop_.section_shares();
      return result;
    }
    const std::string_view distance_text = trimmed(record.fields[*columns_.distance]);
    const auto distance = parse_whole_number(distance_text, kMaxDistanceM);
    if (!distance) return refused(record, "distance_m", distance_text, "is not " + std::string(kAcceptedDistance));
    const std::string_view diameter_text = trimmed(record.fields[*columns_.diameter]);
    const auto cable = find_cable(diameter_text, decimal_comma_);
    if (!cable) return refused(record, "diameter", diameter_text, "is not one of 0.4, 0.5, ..., 1.4");
    result.baserate = answers_.possible_baserate(*cable, model_index, *distance);
    // Exact in float: distances are below 2^24.
    result.loop_ohm =
        model::loop_resistance_ohm(static_cast<float>(*distance), model::kCableCatalogue[*cable].ohm_per_m);
    return result;
  }

 private:
  static RowResult refused(const CsvRecord& record, std::string_view column, std::string_view value,
                           const std::string& why) {
    RowResult result;
    result.error = line_prefix(record.line) + std::string(column) + " " + quote_for_message(value) + " " + why;
    return result;
  }

  const Columns& columns_;
  bool decimal_comma_;
  Answers answers_;
  SectionList sections_;
  model::LoopAnswer loop_;
};

// A result's value as CSV or JSON text; empty for an error row (CSV) or
// the error text itself.
void append_result_csv(std::string& out, Result result, const RowResult& row, char delimiter) {
  const bool fine = row.error.empty();
  switch (result) {
    case Result::kBaserate:
      if (fine) append_int(out, row.baserate);
      break;
    case Result::kLineRate:
      if (fine) append_int(out, static_cast<std::int64_t>(row.baserate) * model::kKbpsPerBaserate);
      break;
    case Result::kEquivalent:
      if (fine) append_int(out, row.equivalent_m);
      break;
    case Result::kLoopOhm:
      if (fine) append_int(out, row.loop_ohm);
      break;
    case Result::kError:
      append_csv_field(out, row.error, delimiter);
      break;
  }
}

class RowWriter {
 public:
  RowWriter(const std::vector<std::string_view>& header, const std::vector<bool>& header_quoted,
            const ResultLayout& layout, char delimiter)
      : header_(header), header_quoted_(header_quoted), layout_(layout), delimiter_(delimiter) {}

  // The header's names, the results it lacks, then the record's line end.
  void write_csv_header(std::string& out, std::string_view line_end) const {
    for (std::size_t i = 0; i < header_.size(); ++i) {
      if (i > 0) out += delimiter_;
      append_csv_field(out, header_[i], delimiter_, was_quoted(header_quoted_, i));
    }
    for (const Result result : layout_.results) {
      if (layout_.column_of(result)) continue;
      out += delimiter_;
      out += name_of(result);
    }
    out += line_end;
  }

  // The header's columns in place (a short row padded), the results over
  // their columns or after them, then the fields beyond the header's.
  void write_csv_row(std::string& out, const CsvRecord& record, const RowResult& row) const {
    const auto& fields = record.fields;
    if (!record.plain.empty() && fields.size() == header_.size() && !layout_.any_in_place) {
      out += record.plain;  // the fields as they came, none needing quotes
    } else {
      write_header_columns(out, record, row);
    }
    for (const Result result : layout_.results) {
      if (layout_.column_of(result)) continue;
      out += delimiter_;
      append_result_csv(out, result, row, delimiter_);
    }
    for (std::size_t extra = header_.size(); extra < fields.size(); ++extra) {
      out += delimiter_;
      append_csv_field(out, fields[extra], delimiter_, was_quoted(record.quoted, extra));
    }
    out += record.line_end;
  }

  // The header's columns that are no results, by name (null where a short
  // row has none), then the results, then "extra_fields" when the row has
  // fields beyond the header's.
  void write_json_row(std::string& out, const CsvRecord& record, const RowResult& row) const {
    const auto& fields = record.fields;
    out += '{';
    for (std::size_t i = 0; i < header_.size(); ++i) {
      if (layout_.result_in_column[i]) continue;
      append_json_string(out, header_[i]);
      out += ':';
      if (i < fields.size()) {
        append_json_string(out, fields[i]);
      } else {
        out += "null";
      }
      out += ',';
    }
    const bool fine = row.error.empty();
    for (const Result result : layout_.results) {
      out += '"';
      out += name_of(result);
      out += "\":";
      if (result == Result::kError) {
        if (fine) {
          out += "null";
        } else {
          append_json_string(out, row.error);
        }
        continue;
      }
      if (!fine) {
        out += "null,";
      } else {
        append_result_csv(out, result, row, ',');
        out += ',';
      }
      if (result == Result::kLoopOhm && layout_.loops) append_shares(out, row);
    }
    if (fields.size() > header_.size()) {
      out += ",\"extra_fields\":[";
      for (std::size_t i = header_.size(); i < fields.size(); ++i) {
        if (i > header_.size()) out += ',';
        append_json_string(out, fields[i]);
      }
      out += ']';
    }
    out += "}\n";
  }

 private:
  void write_header_columns(std::string& out, const CsvRecord& record, const RowResult& row) const {
    const auto& fields = record.fields;
    for (std::size_t i = 0; i < header_.size(); ++i) {
      if (i > 0) out += delimiter_;
      if (const auto& result = layout_.result_in_column[i]) {
        append_result_csv(out, *result, row, delimiter_);
      } else if (i < fields.size()) {
        append_csv_field(out, fields[i], delimiter_, was_quoted(record.quoted, i));
      }
    }
  }

  static void append_shares(std::string& out, const RowResult& row) {
    out += "\"shares\":";
    if (!row.error.empty()) {
      out += "null,";
      return;
    }
    out += '[';
    for (const auto& section : row.shares) {
      if (out.back() != '[') out += ',';
      append_fixed(out, section.share, kShareDecimals);
    }
    out += "],";
  }

  // Fields quoted in the input are quoted again, so that the line comes
  // back as it was.
  static bool was_quoted(const std::vector<bool>& quoted, std::size_t i) { return i < quoted.size() && quoted[i]; }

  const std::vector<std::string_view>& header_;
  const std::vector<bool>& header_quoted_;
  const ResultLayout& layout_;
  char delimiter_;
};

std::string read_error(std::string_view input_name, int error_number) {
  return "cannot read " + std::string(input_name) + ": " + std::generic_category().message(error_number);
}

std::string hex_bytes(std::string_view bytes) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (const char c : bytes) {
    text += kHex[static_cast<unsigned char>(c) >> 4];
    text += kHex[static_cast<unsigned char>(c) & 0xF];
  }
  return text;
}

// Where and how the input stopped being text in its encoding, and what to do.
std::string invalid_text_message(const BatchOptions& options, const TextInput& input, const CsvReader& reader,
                                 bool wrote_any) {
  const InvalidText& invalid = *input.invalid();
  const std::string encoding(encoding_name(input.encoding()));
  std::string message = std::string(options.input_name) + " is not " + encoding + " text: line " +
                        std::to_string(reader.line());
  if (invalid.cut_short) {
    message += " ends inside a character (" + hex_bytes(invalid.bytes) + ")";
  } else if (input.encoding() == Encoding::kUtf8) {
    message += ", byte " + std::to_string(reader.byte_in_line()) + " (" + hex_bytes(invalid.bytes) +
               ") begins no UTF-8 character";
  } else {
    message += " holds half of a UTF-16 pair (" + hex_bytes(invalid.bytes) + ")";
  }
  if (input.encoding() == Encoding::kUtf8 && !input.has_mark()) {
    message += "; for a file saved as Windows-1252 or Latin-1 give --encoding cp1252 or --encoding latin1";
  }
  if (wrote_any) message += "; the rows before it were written";
  return message;
}

// The header's names as text of their own (the reader reuses its storage).
std::vector<std::string> header_names(const CsvRecord& record) {
  return {record.fields.begin(), record.fields.end()};
}

std::string listed(const std::vector<std::string>& names) {
  std::string list;
  for (const auto& name : names) {
    if (!list.empty()) list += ", ";
    list += quote_for_message(name);
  }
  return list;
}

// Saved as UTF-16 without a mark, ASCII names read as UTF-8 hold NULs.
std::string utf16_hint(const std::vector<std::string>& names) {
  const bool has_nul = std::any_of(names.begin(), names.end(),
                                   [](const std::string& name) { return name.find('\0') != std::string::npos; });
  return has_nul ? "; the header holds NUL bytes: a file saved as UTF-16 needs its byte-order mark" : "";
}

}  // namespace

int run_batch(std::istream& in, std::ostream& out, std::ostream& err, const BatchOptions& options) {
  const auto refuse = [&](const std::string& message) {
    err << "ferrant-reach batch: " << message << '\n';
    return kExitUsage;
  };
  TextInput input(in, options.unmarked);
  char delimiter = options.delimiter.value_or(kDelimiters[0]);
  CsvReader reader(input, kDefaultMaxRecordBytes, delimiter);
  std::string preamble;  // a separator line and empty lines before the header
  bool delimiter_known = options.delimiter.has_value();
  if (const auto separator = reader.take_separator_line(preamble)) {
    if (options.delimiter && *options.delimiter != *separator) {
      return refuse("the first line " + quote_for_message(trimmed(std::string_view(preamble).substr(0, 5))) +
                    " names another delimiter than --delimiter; give one of them");
    }
    delimiter = *separator;
    delimiter_known = true;
    reader.set_delimiter(delimiter);
  }
  // The text may stop at a byte that is not valid in its encoding; the
  // record it cuts short is not the file's.
  const auto cut_short = [&](const CsvRecord& cut) { return cut.line_end.empty() && input.invalid(); };
  CsvRecord record;
  bool have_header = false;
  while (reader.next(record) && !cut_short(record)) {
    if (!record.fields.empty() || record.problem != CsvProblem::kNone) {
      have_header = true;
      break;
    }
    preamble += record.line_end;
  }
  const auto input_problem = [&](bool wrote_any) {
    if (input.read_failed()) return refuse(read_error(options.input_name, input.read_error_number()));
    return refuse(invalid_text_message(options, input, reader, wrote_any));
  };
  if (input.read_failed() || (input.invalid() && !have_header)) return input_problem(false);
  if (!have_header) {
    return refuse("no header in " + std::string(options.input_name) +
                  "; expected CSV whose header names distance_m and diameter, or sections, optionally model");
  }
  if (record.problem != CsvProblem::kNone) return refuse("unusable header: " + describe(record));
  std::string header_line_end(record.line_end);
  std::vector<bool> header_quoted = record.quoted;
  std::vector<std::string> names = header_names(record);
  std::vector<std::string_view> header(names.begin(), names.end());
  Columns columns = find_columns(header);
  if (!columns.has_required() && !delimiter_known) {
    // Try the other delimiters on the same header.
    const std::vector<std::string> comma_names = names;
    for (const char other : std::span(kDelimiters).subspan(1)) {
      if (!reader.restart(other)) continue;
      while (reader.next(record) && record.fields.empty() && record.problem == CsvProblem::kNone) {
      }
      if (record.problem != CsvProblem::kNone || record.fields.empty()) continue;
      std::vector<std::string> other_names = header_names(record);
      const std::vector<std::string_view> other_header(other_names.begin(), other_names.end());
      const Columns other_columns = find_columns(other_header);
      if (other_columns.has_required()) {
        delimiter = other;
        columns = other_columns;
        names = std::move(other_names);
        header.assign(names.begin(), names.end());
        header_line_end = record.line_end;
        header_quoted = record.quoted;
        break;
      }
    }
    if (!columns.has_required()) {
      return refuse("no delimiter (comma, semicolon or tab) gives the header the required columns; split at "
                    "commas it holds " + listed(comma_names) + "; " + std::string(kRequiredColumns) +
                    utf16_hint(comma_names));
    }
  }
  if (!columns.has_required()) {
    return refuse("split at " + std::string(delimiter_name(delimiter)) + ", the header holds " + listed(names) +
                  "; " + std::string(kRequiredColumns) + utf16_hint(names));
  }
  if (const auto problem = header_problem(header, columns)) return refuse(*problem);
  ResultLayout layout;
  if (const auto problem = lay_out_results(header, columns, options.replace, layout)) return refuse(*problem);

  const bool csv = options.format == Format::kCsv;
  OutputBuffer output(out, csv ? input.encoding() : Encoding::kUtf8);
  std::string& text = output.text();
  const RowWriter writer(header, header_quoted, layout, delimiter);
  if (csv) {
    if (input.has_mark()) text += kByteOrderMark;
    text += preamble;
    writer.write_csv_header(text, header_line_end);
  }

  RowEvaluator evaluator(columns, delimiter != ',');
  std::uint64_t bad_rows = 0;
  std::uint64_t first_bad_line = 0;
  while (reader.next(record) && !cut_short(record)) {
    if (record.fields.empty() && record.problem == CsvProblem::kNone) {
      if (csv) text += record.line_end;  // an empty line stays one
      continue;
    }
    const RowResult result = evaluator.evaluate(record);
    if (!result.error.empty() && bad_rows++ == 0) first_bad_line = record.line;
    if (csv) {
      writer.write_csv_row(text, record, result);
    } else {
      writer.write_json_row(text, record, result);
    }
    output.flush_if_full();
    if (!output.good()) return kExitWriteFailed;  // no use reading on; the caller says so
  }
  if (input.invalid() || input.read_failed()) {
    // Output that has begun is given up to where the input stopped; else
    // there is none, as for any input that cannot be read.
    const bool wrote_any = output.wrote_any();
    if (wrote_any) {
      output.flush();
    } else {
      text.clear();
    }
    return input_problem(wrote_any);
  }
  output.flush();
  if (!output.good()) return kExitWriteFailed;
  if (bad_rows == 0) return kExitFine;
  err << "ferrant-reach batch: " << bad_rows << (bad_rows == 1 ? " row has an error" : " rows have errors")
      << ", the first on line " << first_bad_line << "; the error " << (csv ? "column" : "field") << " says why\n";
  return kExitBadRows;
}

}  // namespace cli
