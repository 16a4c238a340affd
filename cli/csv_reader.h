// A streaming CSV reader (RFC 4180) over text: fields separated by a
// delimiter (a comma, or the semicolon or tab of spreadsheets in other
// locales), fields in double quotes may hold delimiters, line breaks and
// doubled quotes; records end at LF, CRLF or a lone CR. Each record knows
// the line it starts on and the line end that closed it, so that a writer
// can give every line back as it came. Memory stays bounded: a record longer
// than the limit is reported as too long and skipped to its end without
// being stored.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/text_input.h"

namespace cli {

enum class CsvProblem {
  kNone,
  kTooLong,             // the record exceeds the byte limit; no fields kept
  kUnterminatedQuote,   // the input ends inside a quoted field
  kMisplacedQuote,      // a quote inside an unquoted field, or text after a closing quote
};

struct CsvRecord {
  std::vector<std::string_view> fields;  // none for an empty line; valid until the next call of next()
  CsvProblem problem = CsvProblem::kNone;
  std::uint64_t line = 0;        // where the record starts, from 1
  std::uint64_t quote_line = 0;  // kUnterminatedQuote: where the open quote is
  std::string_view line_end;     // "\n", "\r\n", "\r", or empty at the end of the input
  // The record's bytes without the line end, when they are its fields
  // joined by the delimiter (no quotes); else empty. Valid as fields are.
  std::string_view plain;
  // Per field, whether it was in quotes; empty when none was.
  std::vector<bool> quoted;
};

inline constexpr std::size_t kDefaultMaxRecordBytes = 64 * 1024;

class CsvReader {
 public:
  explicit CsvReader(TextInput& in, std::size_t max_record_bytes = kDefaultMaxRecordBytes, char delimiter = ',');

  // Reads the next record; false at the end of the text (see TextInput for
  // why it ended). An empty line is a record without fields; a record with
  // a problem still counts as one record.
  bool next(CsvRecord& record);

  // Before the first record: a first line "sep=X" (one character X that is
  // no quote or line end), as spreadsheets write to name the delimiter. Taken
  // with its line end into line, and X given; nothing taken otherwise.
  std::optional<char> take_separator_line(std::string& line);

  // Reads the text again from after the separator line with another
  // delimiter, to try each on the header. Possible while the text read so
  // far fits in the first piece read (64 KiB, as long as the longest
  // record); false if not.
  bool restart(char delimiter);

  // Before the first record: the delimiter to read with.
  void set_delimiter(char delimiter);

  // The line, and the byte in it (from 1), of the next byte to read: where
  // the text stopped, after next() gave false.
  std::uint64_t line() const { return line_; }
  std::uint64_t byte_in_line() const { return chunk_offset_ + chunk_pos_ - line_start_ + 1; }

 private:
  bool at_end();  // refills the chunk; true when no byte is left
  bool next_plain(CsvRecord& record);
  void end_field();
  void new_line() {  // after a line break just read
    ++line_;
    line_start_ = chunk_offset_ + chunk_pos_;
  }

  TextInput& in_;
  std::size_t max_record_bytes_;
  char delimiter_;
  // Bytes that end a run of field text, unquoted and quoted.
  std::array<bool, 256> ends_unquoted_run_{};
  std::array<bool, 256> ends_quoted_run_{};
  bool past_first_chunk_ = false;  // a second piece was read; no restart
  bool exhausted_ = false;         // the text has no more pieces
  std::vector<char> chunk_;
  std::size_t chunk_pos_ = 0;
  std::size_t chunk_end_ = 0;
  std::uint64_t chunk_offset_ = 0;  // of chunk_[0] in the text
  std::size_t text_start_ = 0;      // after the separator line, in the first chunk
  std::uint64_t line_ = 1;
  std::uint64_t line_start_ = 0;    // offset in the text where line_ starts
  bool after_cr_ = false;           // in a quoted field, the last byte was a CR

  std::string data_;                     // field bytes of the current record
  std::vector<std::size_t> field_ends_;  // end offset of each field in data_
  std::vector<bool> field_quoted_;       // whether each field was in quotes
  std::size_t record_bytes_ = 0;
  bool too_long_ = false;
};

}  // namespace cli
