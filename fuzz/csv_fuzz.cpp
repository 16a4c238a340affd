// The batch CSV input on arbitrary bytes. Byte 0 chooses what runs on the
// rest: the CSV reader alone with a small record limit (bit 0 clear; the
// other bits set the limit), or the whole batch subcommand with CSV or JSON
// output (bit 0 set; bit 1 the format).
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/csv_reader.h"
#include "fuzz/fuzz_check.h"

namespace {

// Records of text without quotes: lines split at commas, empty lines left out.
std::vector<std::vector<std::string>> split_plain(std::string_view text) {
  std::vector<std::vector<std::string>> records;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    if (!line.empty()) {
      std::vector<std::string> fields;
      std::size_t start = 0;
      for (;;) {
        const std::size_t comma = line.find(',', start);
        fields.emplace_back(line.substr(start, comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
      }
      records.push_back(std::move(fields));
    }
    pos = end + 1;
  }
  return records;
}

void read_csv(std::string_view text, std::size_t max_record_bytes) {
  std::istringstream in{std::string(text)};
  cli::CsvReader reader(in, max_record_bytes);
  cli::CsvRecord record;
  const bool plain = text.find('"') == std::string_view::npos;
  const auto expected = plain ? split_plain(text) : std::vector<std::vector<std::string>>{};

  std::size_t records = 0;
  while (reader.next(record)) {
    ++records;
    fuzz::check(records <= text.size(), "no more records than bytes");
    if (record.problem == cli::CsvProblem::kTooLong) {
      fuzz::check(record.fields.empty(), "a record too long keeps no fields");
      continue;
    }
    fuzz::check(!record.fields.empty(), "a record has a field");
    std::size_t bytes = 0;
    for (const std::string_view field : record.fields) bytes += field.size();
    fuzz::check(bytes <= max_record_bytes, "fields within the record limit");
    if (plain) {
      fuzz::check(record.problem == cli::CsvProblem::kNone, "plain text has no problem");
      fuzz::check(records <= expected.size(), "record count of plain text");
      const auto& want = expected[records - 1];
      fuzz::check(record.fields.size() == want.size(), "field count of plain text");
      for (std::size_t i = 0; i < want.size(); ++i) {
        fuzz::check(record.fields[i] == want[i], "field of plain text", want[i]);
      }
    }
  }
  if (plain) {
    // Records over the limit are counted but not compared.
    fuzz::check(records == expected.size(), "every plain record read");
  }
}

void run_batch(std::string_view text, cli::Format format) {
  std::istringstream in{std::string(text)};
  std::ostringstream out, err;
  const int code = cli::run_batch(in, out, err, format);
  fuzz::check(code == 0 || code == 1 || code == 2, "exit code 0, 1 or 2", std::to_string(code));
  if (code == 2) {
    fuzz::check(out.str().empty(), "nothing written after a bad header");
    fuzz::check(!err.str().empty(), "a bad header is explained");
  }
  // A bad row is explained in its own output row.
  if (code == 1) fuzz::check(!out.str().empty(), "bad rows are written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 1) == 0) {
    read_csv(text, std::size_t{1} + (data[0] >> 1));
  } else {
    run_batch(text, (data[0] & 2) != 0 ? cli::Format::kJson : cli::Format::kCsv);
  }
  return 0;
}
