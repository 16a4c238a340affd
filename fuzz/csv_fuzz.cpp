// The batch CSV input on arbitrary bytes. Byte 0 chooses what runs on the
// rest:
//   bit 0 clear, the CSV reader alone: bits 1-2 the delimiter (comma,
//     semicolon, tab), bits 3-7 the record limit; or, when bits 1-2 are 3,
//     a restart: records read with one delimiter (bits 3-4), then the input
//     read again with another (bits 5-6) after one or two records (bit 7);
//   bit 0 set, the whole batch subcommand: bit 1 CSV or JSON output, bits
//     2-3 the delimiter found from the header or given (comma, semicolon,
//     tab).
#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/csv_reader.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr std::array<char, 3> kDelimiters = {',', ';', '\t'};

using Fields = std::vector<std::string>;

struct Record {
  Fields fields;
  cli::CsvProblem problem = cli::CsvProblem::kNone;
};

// Every record the reader gives, copied out of its storage.
std::vector<Record> read_all(cli::CsvReader& reader) {
  std::vector<Record> records;
  cli::CsvRecord record;
  while (reader.next(record)) records.push_back({Fields(record.fields.begin(), record.fields.end()), record.problem});
  return records;
}

std::vector<Record> read_all(std::string_view text, char delimiter, std::size_t max_record_bytes) {
  std::istringstream in{std::string(text)};
  cli::CsvReader reader(in, max_record_bytes, delimiter);
  return read_all(reader);
}

// Records of text without quotes: lines split at the delimiter, empty lines
// left out.
std::vector<Fields> split_plain(std::string_view text, char delimiter) {
  std::vector<Fields> records;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    if (!line.empty()) {
      Fields fields;
      std::size_t start = 0;
      for (;;) {
        const std::size_t found = line.find(delimiter, start);
        fields.emplace_back(line.substr(start, found - start));
        if (found == std::string_view::npos) break;
        start = found + 1;
      }
      records.push_back(std::move(fields));
    }
    pos = end + 1;
  }
  return records;
}

void read_csv(std::string_view text, char delimiter, std::size_t max_record_bytes) {
  const std::vector<Record> records = read_all(text, delimiter, max_record_bytes);
  const bool plain = text.find('"') == std::string_view::npos;
  const auto expected = plain ? split_plain(text, delimiter) : std::vector<Fields>{};

  fuzz::check(records.size() <= text.size(), "no more records than bytes");
  for (std::size_t r = 0; r < records.size(); ++r) {
    const Record& record = records[r];
    if (record.problem == cli::CsvProblem::kTooLong) {
      fuzz::check(record.fields.empty(), "a record too long keeps no fields");
      continue;
    }
    fuzz::check(!record.fields.empty(), "a record has a field");
    std::size_t bytes = 0;
    for (const std::string& field : record.fields) bytes += field.size();
    fuzz::check(bytes <= max_record_bytes, "fields within the record limit");
    if (plain) {
      fuzz::check(record.problem == cli::CsvProblem::kNone, "plain text has no problem");
      fuzz::check(r < expected.size(), "record count of plain text");
      fuzz::check(record.fields == expected[r], "fields of plain text split at the delimiter");
    }
  }
  // Records over the limit are counted but not compared.
  if (plain) fuzz::check(records.size() == expected.size(), "every plain record read");
}

// Reading a record or two with one delimiter and then restarting with
// another reads what a fresh reader with the other one reads.
void restart_csv(std::string_view text, char first, char second, std::size_t records_before) {
  std::istringstream in{std::string(text)};
  cli::CsvReader reader(in, cli::kDefaultMaxRecordBytes, first);
  cli::CsvRecord record;
  for (std::size_t i = 0; i < records_before && reader.next(record); ++i) {
  }
  const bool restarted = reader.restart(second);
  // The first piece read holds the whole of a shorter input.
  if (text.size() < cli::kDefaultMaxRecordBytes) fuzz::check(restarted, "restart within the first piece");
  if (!restarted) return;
  const std::vector<Record> again = read_all(reader);
  const std::vector<Record> fresh = read_all(text, second, cli::kDefaultMaxRecordBytes);
  fuzz::check(again.size() == fresh.size(), "record count after a restart",
              std::to_string(again.size()) + " vs " + std::to_string(fresh.size()));
  for (std::size_t r = 0; r < again.size(); ++r) {
    fuzz::check(again[r].fields == fresh[r].fields && again[r].problem == fresh[r].problem,
                "record after a restart equals a fresh reader's", "record " + std::to_string(r));
  }
}

// --- batch -----------------------------------------------------------------

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

bool names(std::string_view header_name, std::string_view column) {
  const auto first = header_name.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  const auto last = header_name.find_last_not_of(" \t");
  return equal_ignoring_case(header_name.substr(first, last - first + 1), column);
}

bool has_required_columns(const Fields& header) {
  const auto named = [&](std::string_view column) {
    return std::ranges::any_of(header, [&](const std::string& name) { return names(name, column); });
  };
  return (named("distance_m") && named("diameter")) || named("sections");
}

// The header as batch reads it with a delimiter: the first record, without
// a byte-order mark, if it has no problem.
std::optional<Fields> header_with(std::string_view text, char delimiter) {
  std::istringstream in{std::string(text)};
  cli::CsvReader reader(in, cli::kDefaultMaxRecordBytes, delimiter);
  cli::CsvRecord record;
  if (!reader.next(record) || record.problem != cli::CsvProblem::kNone) return std::nullopt;
  Fields header(record.fields.begin(), record.fields.end());
  if (header[0].starts_with(kUtf8Bom)) header[0].erase(0, kUtf8Bom.size());
  return header;
}

// The delimiter batch must settle on: the one given, or the first that
// gives the header the required columns (the comma's header must be
// readable); none when the header is unusable that way.
std::optional<char> expected_delimiter(std::string_view text, std::optional<char> given) {
  for (const char delimiter : kDelimiters) {
    if (given && delimiter != *given) continue;
    const auto header = header_with(text, delimiter);
    if (!header && delimiter == ',') return std::nullopt;
    if (header && has_required_columns(*header)) return delimiter;
  }
  return std::nullopt;
}

std::optional<int> whole_number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The three appended fields: a baserate and its line rate with no error, or
// only an error. Returns whether the row was bad.
bool check_results(std::string_view baserate, std::string_view line_rate, std::string_view error) {
  if (!error.empty()) {
    fuzz::check(baserate.empty() && line_rate.empty(), "a bad row has no results");
    return true;
  }
  const auto k = whole_number(baserate);
  fuzz::check(k && *k >= 0 && *k <= 238, "baserate 0..238", std::string(baserate));
  fuzz::check(whole_number(line_rate) == *k * 64, "line rate 64 kbit/s per baserate", std::string(line_rate));
  return false;
}

// CSV out: the header and every row read back in the delimiter, with the
// input's fields passed through and the results appended.
void check_csv_output(const std::string& out, const Fields& header, const std::vector<Record>& rows, char delimiter,
                      int code) {
  const std::vector<Record> written = read_all(out, delimiter, 4 * cli::kDefaultMaxRecordBytes);
  fuzz::check(written.size() == rows.size() + 1, "one output row per input row, and the header",
              std::to_string(written.size()) + " for " + std::to_string(rows.size()));
  Fields expected_header = header;
  for (const char* name : {"baserate", "line_rate_kbps", "error"}) expected_header.emplace_back(name);
  fuzz::check(written[0].problem == cli::CsvProblem::kNone && written[0].fields == expected_header,
              "the header passed through, the result columns appended");
  bool any_bad = false;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const Record& row = written[r + 1];
    fuzz::check(row.problem == cli::CsvProblem::kNone, "an output row reads back", "row " + std::to_string(r));
    fuzz::check(row.fields.size() == header.size() + 3, "an output row has the header's columns and three",
                "row " + std::to_string(r));
    for (std::size_t i = 0; i < header.size(); ++i) {
      const Fields& input = rows[r].fields;
      const std::string_view want = i < input.size() ? std::string_view(input[i]) : std::string_view{};
      fuzz::check(row.fields[i] == want, "an input field passed through", "row " + std::to_string(r));
    }
    const std::size_t results = header.size();
    any_bad = check_results(row.fields[results], row.fields[results + 1], row.fields[results + 2]) || any_bad;
  }
  fuzz::check(any_bad == (code == 1), "exit code 1 exactly when a row is bad");
}

// JSON Lines out: one object per input row, the error last.
void check_json_output(const std::string& out, std::size_t row_count, int code) {
  std::size_t lines = 0;
  bool any_bad = false;
  for (std::size_t pos = 0; pos < out.size();) {
    const std::size_t end = out.find('\n', pos);
    fuzz::check(end != std::string::npos, "every JSON line ends with a line break");
    const std::string_view line(out.data() + pos, end - pos);
    fuzz::check(line.starts_with("{\"") && line.ends_with("}"), "a JSON line is one object");
    any_bad = any_bad || !line.ends_with(",\"error\":null}");
    ++lines;
    pos = end + 1;
  }
  fuzz::check(lines == row_count, "one JSON line per input row",
              std::to_string(lines) + " for " + std::to_string(row_count));
  fuzz::check(any_bad == (code == 1), "exit code 1 exactly when a row is bad");
}

void run_batch(std::string_view text, cli::Format format, std::optional<char> given_delimiter) {
  std::istringstream in{std::string(text)};
  std::ostringstream out, err;
  cli::BatchOptions options;
  options.format = format;
  options.delimiter = given_delimiter;
  const int code = cli::run_batch(in, out, err, options);
  fuzz::check(code == 0 || code == 1 || code == 2, "exit code 0, 1 or 2", std::to_string(code));
  if (code == 2) {
    fuzz::check(out.str().empty(), "nothing written after a bad header");
    fuzz::check(!err.str().empty(), "a bad header is explained");
    return;
  }
  const std::optional<char> delimiter = expected_delimiter(text, given_delimiter);
  fuzz::check(err.str().empty(), "nothing on standard error without a usage error");
  fuzz::check(delimiter.has_value(), "a header without the required columns refused");
  const std::vector<Record> records = read_all(text, *delimiter, cli::kDefaultMaxRecordBytes);
  const std::vector<Record> rows(records.begin() + 1, records.end());
  if (format == cli::Format::kJson) {
    check_json_output(out.str(), rows.size(), code);
  } else {
    check_csv_output(out.str(), *header_with(text, *delimiter), rows, *delimiter, code);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const unsigned choice = data[0];
  if ((choice & 1) == 0) {
    const unsigned delimiter = (choice >> 1) & 3;
    if (delimiter < kDelimiters.size()) {
      read_csv(text, kDelimiters[delimiter], std::size_t{1} + 3 * (choice >> 3));
    } else {
      restart_csv(text, kDelimiters[((choice >> 3) & 3) % 3], kDelimiters[((choice >> 5) & 3) % 3],
                  1 + (choice >> 7));
    }
  } else {
    const unsigned delimiter = (choice >> 2) & 3;
    run_batch(text, (choice & 2) != 0 ? cli::Format::kJson : cli::Format::kCsv,
              delimiter == 0 ? std::nullopt : std::optional<char>(kDelimiters[delimiter - 1]));
  }
  return 0;
}
