#include "cli/csv_reader.h"

#include <algorithm>

#include "base/strict_text.h"

namespace cli {
namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr std::string_view kLf = "\n";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kCr = "\r";

bool is_line_break(char c) { return c == '\n' || c == '\r'; }

}  // namespace

CsvReader::CsvReader(TextInput& in, std::size_t max_record_bytes, char delimiter)
    : in_(in), max_record_bytes_(max_record_bytes), chunk_(kChunkBytes) {
  set_delimiter(delimiter);
}

void CsvReader::set_delimiter(char delimiter) {
  delimiter_ = delimiter;
  // Line breaks end quoted runs too, so that the lines in a field are counted.
  ends_unquoted_run_.fill(false);
  ends_quoted_run_.fill(false);
  for (const char c : {'"', '\r', '\n'}) {
    ends_unquoted_run_[static_cast<unsigned char>(c)] = true;
    ends_quoted_run_[static_cast<unsigned char>(c)] = true;
  }
  ends_unquoted_run_[static_cast<unsigned char>(delimiter)] = true;
}

bool CsvReader::restart(char delimiter) {
  if (past_first_chunk_) return false;
  set_delimiter(delimiter);
  chunk_pos_ = text_start_;
  line_ = text_start_ > 0 ? 2 : 1;
  line_start_ = text_start_;
  return true;
}

bool CsvReader::at_end() {
  if (chunk_pos_ < chunk_end_) return false;
  if (exhausted_) return true;
  // The last piece stays in place when nothing follows it, for a restart.
  const std::size_t count = in_.read(chunk_.data(), chunk_.size());
  if (count == 0) {
    exhausted_ = true;
    return true;
  }
  past_first_chunk_ = chunk_end_ > 0;
  chunk_offset_ += chunk_end_;
  chunk_pos_ = 0;
  chunk_end_ = count;
  return false;
}

void CsvReader::end_field() {
  if (too_long_) return;
  field_ends_.push_back(data_.size());
  field_quoted_.resize(field_ends_.size());
}

std::optional<char> CsvReader::take_separator_line(std::string& line) {
  if (at_end() || chunk_offset_ != 0 || chunk_pos_ != 0) return std::nullopt;
  const std::string_view text(chunk_.data(), chunk_end_);
  if (text.size() < 5 || !base::equal_ignoring_case(text.substr(0, 4), "sep=")) return std::nullopt;
  const char separator = text[4];
  if (separator == '"' || is_line_break(separator)) return std::nullopt;
  std::size_t end = 5;
  if (text.substr(end).starts_with(kCrLf)) {
    end += 2;
  } else if (end < text.size() && is_line_break(text[end])) {
    end += 1;
  } else if (end < text.size()) {
    return std::nullopt;  // more on the line: an ordinary header
  }
  line.assign(text.substr(0, end));
  chunk_pos_ = text_start_ = end;
  new_line();
  return separator;
}

// Most records are one line without quotes, whole in the piece read: their
// fields are taken where they are. Anything else is left as it was, for the
// general reading.
bool CsvReader::next_plain(CsvRecord& record) {
  const std::size_t start = chunk_pos_;
  std::size_t field_start = start;
  for (std::size_t pos = start; pos < chunk_end_; ++pos) {
    const char c = chunk_[pos];
    if (!ends_unquoted_run_[static_cast<unsigned char>(c)]) continue;
    if (c == delimiter_) {
      record.fields.emplace_back(chunk_.data() + field_start, pos - field_start);
      field_start = pos + 1;
      continue;
    }
    if (c == '"' || pos == start || pos - start > max_record_bytes_) break;
    // A line end; after a CR, an LF may be in the next piece.
    std::size_t after = pos + 1;
    std::string_view line_end = kLf;
    if (c == '\r') {
      if (after == chunk_end_) break;
      const bool lf_follows = chunk_[after] == '\n';
      after += lf_follows ? 1 : 0;
      line_end = lf_follows ? kCrLf : kCr;
    }
    record.fields.emplace_back(chunk_.data() + field_start, pos - field_start);
    record.plain = {chunk_.data() + start, pos - start};
    record.line_end = line_end;
    chunk_pos_ = after;
    new_line();
    return true;
  }
  record.fields.clear();
  return false;
}

bool CsvReader::next(CsvRecord& record) {
  enum class State { kFieldStart, kUnquoted, kQuoted, kQuoteInQuoted };

  data_.clear();
  field_ends_.clear();
  field_quoted_.clear();
  record.fields.clear();
  record.quoted.clear();
  record_bytes_ = 0;
  too_long_ = false;
  after_cr_ = false;
  record.problem = CsvProblem::kNone;
  record.line = line_;
  record.quote_line = 0;
  record.line_end = {};
  record.plain = {};
  if (at_end()) return false;
  if (next_plain(record)) return true;
  State state = State::kFieldStart;
  for (;;) {
    if (at_end()) {
      if (state == State::kQuoted && record.problem == CsvProblem::kNone) {
        record.problem = CsvProblem::kUnterminatedQuote;
      }
      end_field();
      break;
    }
    const char c = chunk_[chunk_pos_++];
    if (is_line_break(c) && state != State::kQuoted) {
      record.line_end = kLf;
      if (c == '\r') {
        // A CR LF may be split between two pieces; the fields are copied out.
        const bool lf_follows = !at_end() && chunk_[chunk_pos_] == '\n';
        chunk_pos_ += lf_follows ? 1 : 0;
        record.line_end = lf_follows ? kCrLf : kCr;
      }
      new_line();
      if (record_bytes_ > 0) end_field();  // an empty line has no field
      break;
    }

    if (++record_bytes_ > max_record_bytes_ && !too_long_) {
      // Keep scanning for the record's end, but store nothing more.
      too_long_ = true;
      data_.clear();
      field_ends_.clear();
      field_quoted_.clear();
    }
    bool store = true;
    switch (state) {
      case State::kFieldStart:
        if (c == '"') {
          state = State::kQuoted;
          record.quote_line = line_;
          if (!too_long_) field_quoted_.resize(field_ends_.size() + 1);
          if (!too_long_) field_quoted_.back() = true;
          store = false;
        } else if (c == delimiter_) {
          end_field();
          store = false;
        } else {
          state = State::kUnquoted;
        }
        break;
      case State::kUnquoted:
        if (c == delimiter_) {
          end_field();
          state = State::kFieldStart;
          store = false;
        } else if (c == '"' && record.problem == CsvProblem::kNone) {
          record.problem = CsvProblem::kMisplacedQuote;
        }
        break;
      case State::kQuoted:
        if (c == '"') {
          state = State::kQuoteInQuoted;
          store = false;
        } else if (is_line_break(c)) {
          // A line inside the field: CR LF is one line break.
          const bool second_of_pair = c == '\n' && after_cr_;
          if (second_of_pair) {
            line_start_ = chunk_offset_ + chunk_pos_;
          } else {
            new_line();
          }
        }
        break;
      case State::kQuoteInQuoted:
        if (c == '"') {
          state = State::kQuoted;  // a doubled quote stands for one
        } else if (c == delimiter_) {
          end_field();
          state = State::kFieldStart;
          store = false;
        } else {
          if (record.problem == CsvProblem::kNone) record.problem = CsvProblem::kMisplacedQuote;
          state = State::kUnquoted;
        }
        break;
    }
    after_cr_ = c == '\r';
    if (store && !too_long_) data_.push_back(c);

    // Take the rest of a run of ordinary bytes in one piece.
    if ((state == State::kUnquoted || state == State::kQuoted) && !too_long_) {
      const auto& ends_run = state == State::kQuoted ? ends_quoted_run_ : ends_unquoted_run_;
      std::size_t run_end = chunk_pos_;
      while (run_end < chunk_end_ && !ends_run[static_cast<unsigned char>(chunk_[run_end])]) ++run_end;
      const std::size_t run = std::min(run_end - chunk_pos_, max_record_bytes_ - record_bytes_);
      data_.append(chunk_.data() + chunk_pos_, run);
      record_bytes_ += run;
      chunk_pos_ += run;
      if (run > 0) after_cr_ = false;
    }
  }

  record.fields.clear();
  if (too_long_) {
    record.problem = CsvProblem::kTooLong;
    return true;
  }
  std::size_t begin = 0;
  for (const std::size_t end : field_ends_) {
    record.fields.emplace_back(data_.data() + begin, end - begin);
    begin = end;
  }
  if (std::find(field_quoted_.begin(), field_quoted_.end(), true) != field_quoted_.end()) {
    std::swap(record.quoted, field_quoted_);  // no copy: the two take turns
  }
  return true;
}

}  // namespace cli
