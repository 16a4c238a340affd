// Building the tool's output: a buffer written to a stream in large pieces,
// and the number, CSV and JSON spellings of values.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "cli/text_input.h"

namespace cli {

enum class Format { kText, kCsv, kJson, kSvg };

// Collects output text (UTF-8) and writes it to the stream in an encoding
// whenever a piece is full, so memory stays flat however long the output is.
class OutputBuffer {
 public:
  explicit OutputBuffer(std::ostream& out, Encoding encoding = Encoding::kUtf8) : out_(out), encoding_(encoding) {
    text_.reserve(kPieceBytes + 4096);
  }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  ~OutputBuffer() { flush(); }

  std::string& text() { return text_; }
  void flush_if_full() {
    if (text_.size() >= kPieceBytes) flush();
  }
  void flush();
  // False once a write to the stream failed.
  bool good() const { return out_.good(); }
  // Whether a piece has gone to the stream.
  bool wrote_any() const { return wrote_any_; }

 private:
  static constexpr std::size_t kPieceBytes = 64 * 1024;
  std::ostream& out_;
  Encoding encoding_;
  bool wrote_any_ = false;
  std::string text_;
  std::string encoded_;  // text_ in the encoding, unless that is UTF-8
};

void append_int(std::string& out, std::int64_t value);
// The field as it is when it needs no quotes (and quote is false), else in
// double quotes with inner quotes doubled.
void append_csv_field(std::string& out, std::string_view field, char delimiter = ',', bool quote = false);
// A number with a fixed count of decimals (0..9), rounded half to even from
// the double, written without the C locale (always a point).
void append_fixed(std::string& out, double value, int decimals);
// A JSON string literal; control characters escaped, bytes that are not
// valid UTF-8 replaced by U+FFFD so the output stays valid JSON.
void append_json_string(std::string& out, std::string_view text);

}  // namespace cli
