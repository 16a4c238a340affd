#include "cli/csv_reader.h"

#include <algorithm>
#include <cerrno>

namespace cli {
namespace {

constexpr std::size_t kChunkBytes = 64 * 1024;

// A byte with no meaning to the reader inside a field.
bool is_ordinary(char c, bool quoted, char delimiter) {
  return quoted ? c != '"' : c != delimiter && c != '"' && c != '\r' && c != '\n';
}

}  // namespace

CsvReader::CsvReader(std::istream& in, std::size_t max_record_bytes, char delimiter)
    : in_(in), max_record_bytes_(max_record_bytes), delimiter_(delimiter), chunk_(kChunkBytes) {}

bool CsvReader::restart(char delimiter) {
  if (past_first_chunk_) return false;
  delimiter_ = delimiter;
  chunk_pos_ = 0;
  skip_lf_ = false;
  return true;
}

bool CsvReader::at_end() {
  if (chunk_pos_ < chunk_end_) return false;
  if (!in_) return true;
  past_first_chunk_ = chunk_end_ > 0;
  in_.read(chunk_.data(), static_cast<std::streamsize>(chunk_.size()));
  chunk_pos_ = 0;
  chunk_end_ = static_cast<std::size_t>(in_.gcount());
  if (in_.bad()) read_errno_ = errno;  // before anything else can change it
  return chunk_end_ == 0;
}

void CsvReader::end_field() {
  if (!too_long_) field_ends_.push_back(data_.size());
}

bool CsvReader::next(CsvRecord& record) {
  enum class State { kFieldStart, kUnquoted, kQuoted, kQuoteInQuoted };

  data_.clear();
  field_ends_.clear();
  record_bytes_ = 0;
  too_long_ = false;
  record.problem = CsvProblem::kNone;
  State state = State::kFieldStart;
  for (;;) {
    if (at_end()) {
      if (record_bytes_ == 0) return false;
      if (state == State::kQuoted && record.problem == CsvProblem::kNone) {
        record.problem = CsvProblem::kUnterminatedQuote;
      }
      end_field();
      break;
    }
    const char c = chunk_[chunk_pos_++];
    if (skip_lf_) {
      skip_lf_ = false;
      if (c == '\n') continue;
    }
    const bool line_end = c == '\n' || c == '\r';
    if (line_end && state != State::kQuoted) {
      skip_lf_ = c == '\r';
      if (record_bytes_ == 0) continue;  // an empty line is no record
      end_field();
      break;
    }

    if (++record_bytes_ > max_record_bytes_ && !too_long_) {
      // Keep scanning for the record's end, but store nothing more.
      too_long_ = true;
      data_.clear();
      field_ends_.clear();
    }
    bool store = true;
    switch (state) {
      case State::kFieldStart:
        if (c == '"') {
          state = State::kQuoted;
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
    if (store && !too_long_) data_.push_back(c);

    // Take the rest of a run of ordinary bytes in one piece.
    if ((state == State::kUnquoted || state == State::kQuoted) && !too_long_) {
      const bool quoted = state == State::kQuoted;
      std::size_t run_end = chunk_pos_;
      while (run_end < chunk_end_ && is_ordinary(chunk_[run_end], quoted, delimiter_)) ++run_end;
      const std::size_t run = std::min(run_end - chunk_pos_, max_record_bytes_ - record_bytes_);
      data_.append(chunk_.data() + chunk_pos_, run);
      record_bytes_ += run;
      chunk_pos_ += run;
    }
  }

  if (too_long_) {
    record.problem = CsvProblem::kTooLong;
    record.fields.clear();
    return true;
  }
  record.fields.clear();
  std::size_t begin = 0;
  for (const std::size_t end : field_ends_) {
    record.fields.emplace_back(data_.data() + begin, end - begin);
    begin = end;
  }
  return true;
}

}  // namespace cli
