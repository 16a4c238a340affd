// UTF-8 to code points and back, for the text handling of the toolkit and
// the font. Invalid or truncated sequences, overlong forms and surrogates
// decode as U+FFFD, one per offending byte, so any byte string can be
// decoded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

inline std::u32string decode_utf8(std::string_view text) {
  std::u32string result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t code_point = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      length = 1;
      code_point = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code_point = lead & 0x1Fu;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code_point = lead & 0x0Fu;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code_point = lead & 0x07u;
      minimum = 0x10000;
    }
    bool valid = length > 0 && i + static_cast<std::size_t>(length) <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code_point = (code_point << 6) | (next & 0x3Fu);
    }
    valid = valid && code_point >= minimum && code_point <= 0x10FFFF &&
            !(code_point >= 0xD800 && code_point <= 0xDFFF);
    if (valid) {
      result.push_back(code_point);
      i += static_cast<std::size_t>(length);
    } else {
      result.push_back(kReplacementCharacter);
      ++i;
    }
  }
  return result;
}

// The length of the valid UTF-8 sequence at the start of text (1 for an
// ASCII byte), or 0 when it starts with a byte that begins none, an overlong
// form, a surrogate, a code point beyond U+10FFFF or a sequence cut short.
// With complete_only false, a sequence cut short by the end of text that
// would be valid gives the length it needs (more than text holds).
inline std::size_t utf8_sequence_length(std::string_view text, bool complete_only = true) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
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
  if (text.size() > 1 && (byte(1) < low || byte(1) > high)) return 0;
  for (std::size_t i = 2; i < length && i < text.size(); ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return text.size() >= length || !complete_only ? length : 0;
}

// The code point of a valid sequence (utf8_sequence_length long).
inline char32_t utf8_code_point(std::string_view sequence) {
  const auto lead = static_cast<unsigned char>(sequence[0]);
  if (sequence.size() == 1) return lead;
  char32_t code_point = lead & (0x7Fu >> sequence.size());
  for (std::size_t i = 1; i < sequence.size(); ++i) {
    code_point = (code_point << 6) | (static_cast<unsigned char>(sequence[i]) & 0x3Fu);
  }
  return code_point;
}

// A code point as UTF-8 at out (room for four bytes); the end. A surrogate
// or a value beyond U+10FFFF is written as U+FFFD.
inline char* write_utf8(char* out, char32_t code_point) {
  if (code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF)) {
    code_point = kReplacementCharacter;
  }
  if (code_point < 0x80) {
    *out++ = static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    *out++ = static_cast<char>(0xC0 | (code_point >> 6));
    *out++ = static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (code_point >> 12));
    *out++ = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (code_point >> 18));
    *out++ = static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (code_point & 0x3F));
  }
  return out;
}

inline void append_utf8(std::string& out, char32_t code_point) {
  char bytes[4];
  out.append(bytes, write_utf8(bytes, code_point));
}

inline std::string encode_utf8(std::u32string_view code_points) {
  std::string result;
  for (const char32_t code_point : code_points) {
    append_utf8(result, code_point);
  }
  return result;
}

}  // namespace base
