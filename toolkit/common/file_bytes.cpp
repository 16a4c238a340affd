#include "toolkit/common/file_bytes.h"

#include <cstdio>
#include <memory>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace tk::common {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Windows reads a narrow name in its ANSI code page: the UTF-8 name goes
// through UTF-16 to open the same file as everywhere else.
File open_for_reading(const std::string& utf8_name) {
#if defined(_WIN32)
  const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8_name.data(),
                                         static_cast<int>(utf8_name.size()), nullptr, 0);
  if (length <= 0 && !utf8_name.empty()) return nullptr;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8_name.data(), static_cast<int>(utf8_name.size()),
                      wide.data(), length);
  return File(_wfopen(wide.c_str(), L"rb"));
#else
  return File(std::fopen(utf8_name.c_str(), "rb"));
#endif
}

}  // namespace

std::optional<std::vector<std::uint8_t>> read_file_bytes(const std::string& utf8_name, std::int64_t max_bytes) {
  const File file = open_for_reading(utf8_name);
  if (!file) return std::nullopt;
  // Read in pieces up to one byte past the limit rather than trusting a
  // size from seeking: a directory opens on some systems and seeks to
  // nonsense, and a file may grow while it is read.
  std::vector<std::uint8_t> bytes;
  std::uint8_t piece[16384];
  for (;;) {
    const std::size_t got = std::fread(piece, 1, sizeof piece, file.get());
    bytes.insert(bytes.end(), piece, piece + got);
    if (static_cast<std::int64_t>(bytes.size()) > max_bytes) return std::nullopt;
    if (got < sizeof piece) break;
  }
  if (std::ferror(file.get()) != 0 || bytes.empty()) return std::nullopt;
  return bytes;
}

}  // namespace tk::common
