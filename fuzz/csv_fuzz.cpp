// The batch CSV input on arbitrary bytes. Byte 0 chooses what runs on the
// rest:
//   bit 0 clear, the CSV reader alone on the bytes read as Latin-1: bits
//     1-2 the delimiter (comma, semicolon, tab), bits 3-7 the record limit;
//     or, when bits 1-2 are 3, a restart: records read with one delimiter
//     (bits 3-4), then the input read again with another (bits 5-6) after
//     one or two records (bit 7);
//   bit 0 set, the whole batch subcommand: bit 1 CSV or JSON output, bits
//     2-3 the delimiter found from the header or given (comma, semicolon,
//     tab), bits 4-5 the encoding of a file without a mark (UTF-8,
//     Windows-1252, Latin-1), bit 6 --replace.
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
  cli::TextInput input(in, cli::Encoding::kLatin1);
  cli::CsvReader reader(input, max_record_bytes, delimiter);
  return read_all(reader);
}

// Latin-1 bytes as UTF-8, as the reader gets them.
std::string latin1_text(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

// Records of text without quotes: lines (ended by LF, CR LF or CR) split at
// the delimiter; an empty line is a record without fields.
std::vector<Fields> split_plain(std::string_view text, char delimiter) {
  std::vector<Fields> records;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    if (line.empty()) {
      records.emplace_back();
    } else {
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
    pos = end + (text.substr(end).starts_with("\r\n") ? 2 : 1);
  }
  return records;
}

void read_csv(std::string_view text, char delimiter, std::size_t max_record_bytes) {
  const std::vector<Record> records = read_all(text, delimiter, max_record_bytes);
  const bool plain = text.find('"') == std::string_view::npos;
  const auto expected = plain ? split_plain(latin1_text(text), delimiter) : std::vector<Fields>{};

  fuzz::check(records.size() <= text.size(), "no more records than bytes");
  for (std::size_t r = 0; r < records.size(); ++r) {
    const Record& record = records[r];
    if (record.problem == cli::CsvProblem::kTooLong) {
      fuzz::check(record.fields.empty(), "a record too long keeps no fields");
      continue;
    }
    fuzz::check(!record.fields.empty() || record.problem == cli::CsvProblem::kNone, "a faulty record has a field");
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
  cli::TextInput input(in, cli::Encoding::kLatin1);
  cli::CsvReader reader(input, cli::kDefaultMaxRecordBytes, first);
  cli::CsvRecord record;
  for (std::size_t i = 0; i < records_before && reader.next(record); ++i) {
  }
  const bool restarted = reader.restart(second);
  // The first piece read holds the whole of a shorter input (a third of the
  // piece's bytes in a one-byte encoding, each up to three in UTF-8).
  if (text.size() < cli::kDefaultMaxRecordBytes / 3) fuzz::check(restarted, "restart within the first piece");
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

constexpr std::array<std::string_view, 5> kResultNames = {"baserate", "line_rate_kbps", "equivalent_m", "loop_ohm",
                                                          "error"};

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

// A text as batch reads it, in UTF-8: every record (empty lines too) with
// its line end, after the separator line if there is one.
struct Sheet {
  std::optional<char> separator;
  std::vector<Record> records;
  std::vector<std::string> line_ends;
};

Sheet read_sheet(std::string_view text, cli::Encoding unmarked, char delimiter) {
  std::istringstream in{std::string(text)};
  cli::TextInput input(in, unmarked);
  cli::CsvReader reader(input, 4 * cli::kDefaultMaxRecordBytes, delimiter);
  Sheet sheet;
  std::string line;
  sheet.separator = reader.take_separator_line(line);
  if (sheet.separator) reader.set_delimiter(*sheet.separator);
  cli::CsvRecord record;
  while (reader.next(record)) {
    if (record.line_end.empty() && input.invalid()) break;
    sheet.records.push_back({Fields(record.fields.begin(), record.fields.end()), record.problem});
    sheet.line_ends.emplace_back(record.line_end);
  }
  return sheet;
}

// The first record with fields: the header.
std::optional<std::size_t> header_index(const Sheet& sheet) {
  for (std::size_t i = 0; i < sheet.records.size(); ++i) {
    if (!sheet.records[i].fields.empty() || sheet.records[i].problem != cli::CsvProblem::kNone) return i;
  }
  return std::nullopt;
}

// The delimiter batch must settle on: the separator line's, the one given,
// or the first that gives the header the required columns (the comma's
// header must be readable); none when the header is unusable that way.
std::optional<char> expected_delimiter(std::string_view text, cli::Encoding unmarked, std::optional<char> given) {
  const Sheet first = read_sheet(text, unmarked, ',');
  if (first.separator) return first.separator;
  for (const char delimiter : kDelimiters) {
    if (given && delimiter != *given) continue;
    const Sheet sheet = read_sheet(text, unmarked, delimiter);
    const auto header = header_index(sheet);
    const bool usable = header && sheet.records[*header].problem == cli::CsvProblem::kNone;
    if (!usable && delimiter == ',') return std::nullopt;
    if (usable && has_required_columns(sheet.records[*header].fields)) return delimiter;
  }
  return std::nullopt;
}

std::optional<int> whole_number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// CSV out, read back in the same encoding and delimiter: every record in
// its place with its line end; a row's fields where they were (a short row
// padded), its results over the header's result columns or appended, its
// extra fields after them; a baserate and its line rate, or only an error.
void check_csv_output(const std::string& out, cli::Encoding unmarked, const Sheet& in, char delimiter, int code) {
  const Sheet written = read_sheet(out, unmarked, delimiter);
  fuzz::check(written.records.size() == in.records.size(), "one output record per input record",
              std::to_string(written.records.size()) + " for " + std::to_string(in.records.size()));
  fuzz::check(written.line_ends == in.line_ends, "every line end kept");
  const std::size_t header_at = *header_index(in);
  const Fields& header = in.records[header_at].fields;
  const bool loops = std::ranges::any_of(header, [](const std::string& name) { return names(name, "sections"); });
  // Where each result is: a column of the header, or appended in order.
  std::vector<std::optional<std::string_view>> result_in_column(header.size());
  Fields expected_header = header;
  std::vector<std::size_t> result_column(kResultNames.size());
  for (std::size_t r = 0; r < kResultNames.size(); ++r) {
    if (kResultNames[r] == "equivalent_m" && !loops) continue;
    const auto found = std::ranges::find_if(header, [&](const std::string& name) { return names(name, kResultNames[r]); });
    if (found != header.end()) {
      result_column[r] = static_cast<std::size_t>(found - header.begin());
      result_in_column[result_column[r]] = kResultNames[r];
    } else {
      result_column[r] = expected_header.size();
      expected_header.emplace_back(kResultNames[r]);
    }
  }
  fuzz::check(written.records[header_at].fields == expected_header, "the header kept, the missing results appended");
  bool any_bad = false;
  for (std::size_t i = header_at + 1; i < in.records.size(); ++i) {
    const Fields& input = in.records[i].fields;
    const Fields& output = written.records[i].fields;
    const std::string where = "record " + std::to_string(i);
    if (input.empty() && in.records[i].problem == cli::CsvProblem::kNone) {
      fuzz::check(output.empty(), "an empty line stays one", where);
      continue;
    }
    const std::size_t extra = input.size() > header.size() ? input.size() - header.size() : 0;
    fuzz::check(output.size() == expected_header.size() + extra, "a row has the header's columns, results, extras",
                where);
    for (std::size_t c = 0; c < header.size(); ++c) {
      if (result_in_column[c] || in.records[i].problem == cli::CsvProblem::kTooLong) continue;
      fuzz::check(output[c] == (c < input.size() ? input[c] : std::string()), "a field kept in its place", where);
    }
    for (std::size_t e = 0; e < extra; ++e) {
      fuzz::check(output[expected_header.size() + e] == input[header.size() + e], "an extra field kept", where);
    }
    const std::string& error = output[result_column[4]];
    const std::string& baserate = output[result_column[0]];
    if (!error.empty()) {
      any_bad = true;
      fuzz::check(error.starts_with("line "), "an error names the line", where);
      fuzz::check(baserate.empty() && output[result_column[1]].empty(), "a bad row has no results", where);
      continue;
    }
    const auto k = whole_number(baserate);
    fuzz::check(k && *k >= 0 && *k <= 238, "baserate 0..238", baserate);
    fuzz::check(whole_number(output[result_column[1]]) == *k * 64, "line rate 64 kbit/s per baserate", where);
    fuzz::check(whole_number(output[result_column[3]]).has_value(), "a loop resistance", where);
  }
  fuzz::check(any_bad == (code == 1), "exit code 1 exactly when a row is bad");
}

// JSON Lines out: one object per row (not per empty line), the error last
// but for the extra fields.
void check_json_output(const std::string& out, const Sheet& in, int code) {
  std::size_t rows = 0;
  for (std::size_t i = *header_index(in) + 1; i < in.records.size(); ++i) {
    rows += !in.records[i].fields.empty() || in.records[i].problem != cli::CsvProblem::kNone;
  }
  std::size_t lines = 0;
  bool any_bad = false;
  for (std::size_t pos = 0; pos < out.size();) {
    const std::size_t end = out.find('\n', pos);
    fuzz::check(end != std::string::npos, "every JSON line ends with a line break");
    const std::string_view line(out.data() + pos, end - pos);
    fuzz::check(line.starts_with("{\"") && line.ends_with("}"), "a JSON line is one object");
    any_bad = any_bad || line.find(",\"error\":null") == std::string_view::npos;
    ++lines;
    pos = end + 1;
  }
  fuzz::check(lines == rows, "one JSON line per input row", std::to_string(lines) + " for " + std::to_string(rows));
  fuzz::check(any_bad == (code == 1), "exit code 1 exactly when a row is bad");
}

void run_batch(std::string_view text, cli::Format format, std::optional<char> given_delimiter,
               cli::Encoding unmarked, bool replace) {
  std::istringstream in{std::string(text)};
  std::ostringstream out, err;
  cli::BatchOptions options;
  options.format = format;
  options.delimiter = given_delimiter;
  options.unmarked = unmarked;
  options.replace = replace;
  const int code = cli::run_batch(in, out, err, options);
  fuzz::check(code == 0 || code == 1 || code == 2, "exit code 0, 1 or 2", std::to_string(code));
  fuzz::check(err.str().empty() == (code == 0), "standard error says why exactly when the code is not 0");
  if (code == 2) {
    const bool begun = err.str().starts_with("ferrant-reach batch: standard input is not ") &&
                       err.str().ends_with("; the rows before it were written\n");
    fuzz::check(out.str().empty() != begun, "nothing written after a bad header, unless so said");
    return;
  }
  const std::optional<char> delimiter = expected_delimiter(text, unmarked, given_delimiter);
  fuzz::check(delimiter.has_value(), "a header without the required columns refused");
  if (format == cli::Format::kJson) {
    check_json_output(out.str(), read_sheet(text, unmarked, *delimiter), code);
  } else {
    check_csv_output(out.str(), unmarked, read_sheet(text, unmarked, *delimiter), *delimiter, code);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const unsigned choice = data[0];
  if ((choice & 1) == 0) {
    // A byte-order mark would choose another encoding than Latin-1.
    for (const std::string_view mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
      if (text.starts_with(mark)) return 0;
    }
    const unsigned delimiter = (choice >> 1) & 3;
    if (delimiter < kDelimiters.size()) {
      read_csv(text, kDelimiters[delimiter], std::size_t{1} + 3 * (choice >> 3));
    } else {
      restart_csv(text, kDelimiters[((choice >> 3) & 3) % 3], kDelimiters[((choice >> 5) & 3) % 3],
                  1 + (choice >> 7));
    }
  } else {
    const unsigned delimiter = (choice >> 2) & 3;
    constexpr std::array<cli::Encoding, 4> kUnmarked = {cli::Encoding::kUtf8, cli::Encoding::kCp1252,
                                                        cli::Encoding::kLatin1, cli::Encoding::kUtf8};
    run_batch(text, (choice & 2) != 0 ? cli::Format::kJson : cli::Format::kCsv,
              delimiter == 0 ? std::nullopt : std::optional<char>(kDelimiters[delimiter - 1]),
              kUnmarked[(choice >> 4) & 3], (choice & 0x40) != 0);
  }
  return 0;
}
