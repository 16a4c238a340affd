#include "cli/output.h"

#include <algorithm>
#include <cerrno>
#include <charconv>

#include "base/utf8.h"
#include "model/reach.h"

namespace cli {

void OutputBuffer::flush() {
  if (!out_) text_.clear();  // once a write failed: no more, and its reason stays in errno
  if (text_.empty()) return;
  std::string_view bytes = text_;
  if (encoding_ != Encoding::kUtf8) {
    encoded_.clear();
    append_encoded(encoded_, text_, encoding_);
    bytes = encoded_;
  }
  errno = 0;  // the reason for a failure, for the message
  out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  wrote_any_ = true;
  text_.clear();
}

void append_int(std::string& out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void append_csv_field(std::string& out, std::string_view field, char delimiter, bool quote) {
  const bool needs_quotes = quote || std::any_of(field.begin(), field.end(), [delimiter](char c) {
    return c == delimiter || c == '"' || c == '\r' || c == '\n';
  });
  if (!needs_quotes) {
    out += field;
    return;
  }
  out += '"';
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

void append_fixed(std::string& out, double value, int decimals) {
  std::int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const std::int64_t scaled = model::round_half_even(value * static_cast<double>(scale));
  const std::uint64_t magnitude = scaled < 0 ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
  if (scaled < 0) out += '-';
  char digits[24];
  const auto whole = std::to_chars(digits, digits + sizeof digits, magnitude / static_cast<std::uint64_t>(scale));
  out.append(digits, whole.ptr);
  if (decimals == 0) return;
  out += '.';
  std::uint64_t fraction = magnitude % static_cast<std::uint64_t>(scale);
  char fraction_digits[9];
  for (int i = decimals; i-- > 0;) {
    fraction_digits[i] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  out.append(fraction_digits, static_cast<std::size_t>(decimals));
}

void append_json_string(std::string& out, std::string_view text) {
  constexpr char kHex[] = "0123456789abcdef";
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    // Printable ASCII other than quote and backslash goes out as it is.
    std::size_t run_end = i;
    while (run_end < text.size() && text[run_end] >= 0x20 && text[run_end] < 0x7F && text[run_end] != '"' &&
           text[run_end] != '\\') {
      ++run_end;
    }
    out.append(text.substr(i, run_end - i));
    i = run_end;
    if (i == text.size()) break;
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80) {
      const std::size_t length = base::utf8_sequence_length(text.substr(i));
      if (length == 0) {
        out += "\\ufffd";
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += static_cast<char>(byte);
    }
    ++i;
  }
  out += '"';
}

}  // namespace cli
