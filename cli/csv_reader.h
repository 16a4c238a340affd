// A streaming CSV reader (RFC 4180): fields separated by a delimiter (a
// comma, or the semicolon or tab of spreadsheets in other locales), fields in
// double quotes may hold delimiters, line breaks and doubled quotes; records
// end at LF, CRLF or a lone CR. Memory stays bounded: a record longer than the limit is
// reported as too long and skipped to its end without being stored.
#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class CsvProblem {
  kNone,
  kTooLong,             // the record exceeds the byte limit; no fields kept
  kUnterminatedQuote,   // the input ends inside a quoted field
  kMisplacedQuote,      // a quote inside an unquoted field, or text after a closing quote
};

struct CsvRecord {
  std::vector<std::string_view> fields;  // valid until the next call of next()
  CsvProblem problem = CsvProblem::kNone;
};

inline constexpr std::size_t kDefaultMaxRecordBytes = 64 * 1024;

class CsvReader {
 public:
  explicit CsvReader(std::istream& in, std::size_t max_record_bytes = kDefaultMaxRecordBytes,
                     char delimiter = ',');

  // Reads the next record; false at the end of the input or when reading
  // failed (see read_failed). Empty lines are skipped. A record with a
  // problem still counts as one record.
  bool next(CsvRecord& record);

  // Reads the input again from its start with another delimiter, to try
  // each on the header. Possible while the input read so far fits in the
  // first piece read (64 KiB, as long as the longest record); false if not.
  bool restart(char delimiter);

  // Whether the stream reported an error (not the end) while reading, and
  // the system's error number then.
  bool read_failed() const { return in_.bad(); }
  int read_error_number() const { return read_errno_; }

 private:
  bool at_end();  // refills the chunk; true when no byte is left
  void end_field();

  std::istream& in_;
  std::size_t max_record_bytes_;
  char delimiter_;
  bool past_first_chunk_ = false;  // a second piece was read; no restart
  int read_errno_ = 0;
  std::vector<char> chunk_;
  std::size_t chunk_pos_ = 0;
  std::size_t chunk_end_ = 0;
  bool skip_lf_ = false;  // the last record ended with CR; an LF after it belongs to it

  std::string data_;                     // field bytes of the current record
  std::vector<std::size_t> field_ends_;  // end offset of each field in data_
  std::size_t record_bytes_ = 0;
  bool too_long_ = false;
};

}  // namespace cli
