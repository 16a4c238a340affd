#include "cli/text_input.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "base/strict_text.h"
#include "base/utf8.h"

namespace cli {
namespace {

// Windows-1252's bytes 0x80..0x9F. The five it leaves undefined stand for
// the C1 controls of the same number, as Windows reads them, so that every
// byte reads as a character and writes back as itself.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct EncodingName {
  std::string_view name;
  Encoding encoding;
};
constexpr std::array<EncodingName, 7> kEncodingNames = {{{"utf-8", Encoding::kUtf8},
                                                         {"utf8", Encoding::kUtf8},
                                                         {"cp1252", Encoding::kCp1252},
                                                         {"windows-1252", Encoding::kCp1252},
                                                         {"latin1", Encoding::kLatin1},
                                                         {"latin-1", Encoding::kLatin1},
                                                         {"iso-8859-1", Encoding::kLatin1}}};

// Where the valid UTF-8 in text ends: at its end, or at the first byte of a
// sequence that is invalid or cut short.
std::size_t valid_utf8_length(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    // Eight ASCII bytes at a time: most of a planner's file.
    while (i + 8 <= text.size()) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + i, sizeof word);
      if ((word & 0x8080808080808080u) != 0) break;
      i += 8;
    }
    if (i == text.size()) break;
    const std::size_t length = base::utf8_sequence_length(text.substr(i));
    if (length == 0) return i;
    i += length;
  }
  return text.size();
}

void append_utf16(std::string& out, char32_t code_point, bool little_endian) {
  const auto unit = [&](char32_t value) {
    const auto high = static_cast<char>(value >> 8);
    const auto low = static_cast<char>(value & 0xFF);
    out += little_endian ? low : high;
    out += little_endian ? high : low;
  };
  if (code_point < 0x10000) {
    unit(code_point);
  } else {
    unit(0xD800 + ((code_point - 0x10000) >> 10));
    unit(0xDC00 + ((code_point - 0x10000) & 0x3FF));
  }
}

char cp1252_byte(char32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<char>(code_point);
  const auto found = std::find(kCp1252High.begin(), kCp1252High.end(), code_point);
  return found == kCp1252High.end() ? '?' : static_cast<char>(0x80 + (found - kCp1252High.begin()));
}

}  // namespace

std::optional<Encoding> find_encoding(std::string_view name) {
  for (const auto& [known, encoding] : kEncodingNames) {
    if (base::equal_ignoring_case(name, known)) return encoding;
  }
  return std::nullopt;
}

std::string_view encoding_name(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8: return "UTF-8";
    case Encoding::kUtf16Le: return "UTF-16LE";
    case Encoding::kUtf16Be: return "UTF-16BE";
    case Encoding::kCp1252: return "cp1252";
    case Encoding::kLatin1: return "latin1";
  }
  return {};
}

TextInput::TextInput(std::istream& in, Encoding unmarked) : in_(in), encoding_(unmarked) {}

std::size_t TextInput::read_raw(char* out, std::size_t size) {
  if (size == 0 || !in_) return 0;
  errno = 0;
  in_.read(out, static_cast<std::streamsize>(size));
  if (in_.bad()) read_errno_ = errno != 0 ? errno : EIO;  // before anything else can change it
  return static_cast<std::size_t>(in_.gcount());
}

void TextInput::detect_mark() {
  std::array<char, 3> start{};
  const std::size_t count = read_raw(start.data(), start.size());
  const std::string_view bytes(start.data(), count);
  std::size_t mark = 0;
  if (bytes.starts_with(kByteOrderMark)) {
    encoding_ = Encoding::kUtf8;
    mark = 3;
  } else if (bytes.starts_with("\xFF\xFE")) {
    encoding_ = Encoding::kUtf16Le;
    mark = 2;
  } else if (bytes.starts_with("\xFE\xFF")) {
    encoding_ = Encoding::kUtf16Be;
    mark = 2;
  }
  has_mark_ = mark > 0;
  pending_.assign(bytes.substr(mark));
}

void TextInput::stop(std::string_view bytes, bool cut_short) {
  stopped_ = true;
  invalid_ = InvalidText{std::string(bytes), cut_short};
}

std::size_t TextInput::read(char* out, std::size_t capacity) {
  if (!started_) {
    started_ = true;
    detect_mark();
  }
  if (stopped_) return 0;
  switch (encoding_) {
    case Encoding::kUtf8: return read_utf8(out, capacity);
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be: return read_utf16(out, capacity);
    case Encoding::kCp1252:
    case Encoding::kLatin1: return read_single_bytes(out, capacity);
  }
  return 0;
}

// Read into out and checked there; a sequence cut by the piece's end waits
// for the next read.
std::size_t TextInput::read_utf8(char* out, std::size_t capacity) {
  // out is left as it was when nothing is given (the reader keeps its last
  // piece there).
  const std::size_t carried = pending_.size();
  const std::size_t count = carried + read_raw(out + carried, capacity - carried);
  if (count == carried && carried > 0) {
    stop(std::string_view(pending_).substr(0, 1), true);
    return 0;
  }
  std::memcpy(out, pending_.data(), carried);
  pending_.clear();
  const std::string_view text(out, count);
  const std::size_t valid = valid_utf8_length(text);
  if (valid < count) {
    const std::string_view rest = text.substr(valid);
    const std::size_t needed = base::utf8_sequence_length(rest, false);
    const bool more_to_come = in_.good();
    if (needed > rest.size() && more_to_come) {
      pending_.assign(rest);
    } else {
      stop(rest.substr(0, 1), needed > rest.size());
    }
  }
  return valid;
}

std::size_t TextInput::read_utf16(char* out, std::size_t capacity) {
  // A code unit gives at most three bytes of UTF-8, a pair of them four.
  const std::size_t raw_size = capacity / 3 * 2;
  raw_ = pending_;
  pending_.clear();
  const std::size_t had = raw_.size();
  raw_.resize(std::max(raw_size, had));
  raw_.resize(had + read_raw(raw_.data() + had, raw_.size() - had));
  const bool little_endian = encoding_ == Encoding::kUtf16Le;
  const auto unit_at = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(raw_[i]);
    const auto second = static_cast<unsigned char>(raw_[i + 1]);
    return static_cast<char32_t>(little_endian ? first | second << 8 : first << 8 | second);
  };
  const auto is_high = [](char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; };
  const auto is_low = [](char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; };
  char* const begin = out;
  std::size_t i = 0;
  bool bad_unit = false;
  while (i + 2 <= raw_.size()) {
    const char32_t unit = unit_at(i);
    if (unit < 0x80) {
      *out++ = static_cast<char>(unit);
      i += 2;
      continue;
    }
    if (is_low(unit)) {
      bad_unit = true;
      break;
    }
    if (!is_high(unit)) {
      out = base::write_utf8(out, unit);
      i += 2;
      continue;
    }
    if (i + 4 > raw_.size()) break;  // its partner is in the next piece
    const char32_t partner = unit_at(i + 2);
    if (!is_low(partner)) {
      bad_unit = true;
      break;
    }
    out = base::write_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (partner - 0xDC00));
    i += 4;
  }
  const std::string_view rest = std::string_view(raw_).substr(i);
  if (bad_unit) {
    stop(rest.substr(0, 2), false);
  } else if (!rest.empty()) {
    if (in_.good()) {
      pending_.assign(rest);
    } else {
      stop(rest.substr(0, std::min<std::size_t>(rest.size(), 2)), true);
    }
  }
  return static_cast<std::size_t>(out - begin);
}

std::size_t TextInput::read_single_bytes(char* out, std::size_t capacity) {
  // A byte gives at most three bytes of UTF-8 (the euro sign).
  raw_ = pending_;
  pending_.clear();
  const std::size_t had = raw_.size();
  raw_.resize(std::max(capacity / 3, had));
  raw_.resize(had + read_raw(raw_.data() + had, raw_.size() - had));
  char* const begin = out;
  for (const char c : raw_) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      *out++ = c;
    } else if (encoding_ == Encoding::kCp1252 && byte < 0xA0) {
      out = base::write_utf8(out, kCp1252High[byte - 0x80]);
    } else {
      out = base::write_utf8(out, byte);
    }
  }
  return static_cast<std::size_t>(out - begin);
}

void append_encoded(std::string& out, std::string_view utf8, Encoding encoding) {
  if (encoding == Encoding::kUtf8) {
    out += utf8;
    return;
  }
  for (std::size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {  // most of the text
      const char c = utf8[i++];
      if (encoding == Encoding::kUtf16Le) out += c;
      out += encoding == Encoding::kUtf16Be || encoding == Encoding::kUtf16Le ? '\0' : c;
      if (encoding == Encoding::kUtf16Be) out += c;
      continue;
    }
    std::size_t length = base::utf8_sequence_length(utf8.substr(i));
    const char32_t code_point = length == 0 ? U'?' : base::utf8_code_point(utf8.substr(i, length));
    i += std::max<std::size_t>(length, 1);
    switch (encoding) {
      case Encoding::kUtf8: break;
      case Encoding::kUtf16Le:
      case Encoding::kUtf16Be: append_utf16(out, code_point, encoding == Encoding::kUtf16Le); break;
      case Encoding::kCp1252: out += cp1252_byte(code_point); break;
      case Encoding::kLatin1: out += code_point <= 0xFF ? static_cast<char>(code_point) : '?'; break;
    }
  }
}

}  // namespace cli
