#include "cli/output.h"

#include <algorithm>
#include <charconv>

#include "model/reach.h"

namespace cli {
namespace {

// Length of the valid UTF-8 sequence at the start of text, or 0.
std::size_t utf8_sequence_length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

void OutputBuffer::flush() {
  if (!text_.empty()) out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
}

void append_int(std::string& out, std::int64_t value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void append_csv_field(std::string& out, std::string_view field, char delimiter) {
  const bool needs_quotes = std::any_of(field.begin(), field.end(), [delimiter](char c) {
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
      const std::size_t length = utf8_sequence_length(text.substr(i));
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
