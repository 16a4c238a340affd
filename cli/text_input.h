// The encodings a spreadsheet saves text in, read as UTF-8 and written back:
// UTF-8 (with or without a byte-order mark), UTF-16 in either byte order
// (always with a mark: how "Unicode text" is saved), and for files without a
// mark Windows-1252 or Latin-1 when the user says so. Every byte sequence
// valid in its encoding comes back unchanged from a read and a write.
#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

enum class Encoding { kUtf8, kUtf16Le, kUtf16Be, kCp1252, kLatin1 };

// "utf-8", "cp1252" or "latin1" (and their usual other spellings), in any
// case: the encodings --encoding names for files without a mark.
std::optional<Encoding> find_encoding(std::string_view name);
inline constexpr std::string_view kAcceptedEncodings = "utf-8, cp1252 or latin1";
std::string_view encoding_name(Encoding encoding);

// Where the input stopped being text in its encoding: the offending bytes as
// the file has them (a byte of UTF-8, a code unit of UTF-16), and whether the
// end of the input cut a character short.
struct InvalidText {
  std::string bytes;
  bool cut_short = false;
};

// Reads a stream as UTF-8 text. The byte-order mark, if any, decides the
// encoding and is not part of the text; without one the text is in the
// encoding given. Reading stops (read gives 0) at the end, at a read error,
// or at the first byte that is not valid in the encoding: the text before it
// is given in full first.
class TextInput {
 public:
  explicit TextInput(std::istream& in, Encoding unmarked = Encoding::kUtf8);
  TextInput(const TextInput&) = delete;
  TextInput& operator=(const TextInput&) = delete;

  // Up to capacity (at least 8) bytes of UTF-8, never a sequence cut in two.
  std::size_t read(char* out, std::size_t capacity);

  // Known after the first read.
  Encoding encoding() const { return encoding_; }
  bool has_mark() const { return has_mark_; }

  const std::optional<InvalidText>& invalid() const { return invalid_; }
  bool read_failed() const { return in_.bad(); }
  int read_error_number() const { return read_errno_; }

 private:
  std::size_t read_raw(char* out, std::size_t size);  // notes the error number
  void detect_mark();
  std::size_t read_utf8(char* out, std::size_t capacity);
  std::size_t read_utf16(char* out, std::size_t capacity);
  std::size_t read_single_bytes(char* out, std::size_t capacity);
  void stop(std::string_view bytes, bool cut_short);

  std::istream& in_;
  Encoding encoding_;
  bool has_mark_ = false;
  bool started_ = false;
  bool stopped_ = false;
  int read_errno_ = 0;
  std::optional<InvalidText> invalid_;
  std::string pending_;        // raw bytes read but not yet decoded
  std::string raw_;            // the piece being decoded (UTF-16, one-byte encodings)
};

// The UTF-8 text in the encoding. Characters the encoding cannot hold
// (only ever in the tool's own messages) become '?'.
void append_encoded(std::string& out, std::string_view utf8, Encoding encoding);

// The byte-order mark as UTF-8, to be written through append_encoded.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace cli
