// The Win32 backend's clipboard: plain text as CF_UNICODETEXT, whose lines
// end in "\r\n" there and in "\n" for the program.
#include <cstring>
#include <string>

#include "toolkit/win32/platform.h"

namespace tk::win32 {
namespace {

std::wstring with_crlf_line_ends(std::wstring_view text) {
  std::wstring converted;
  converted.reserve(text.size());
  for (const wchar_t c : text) {
    if (c == L'\n') converted += L'\r';
    converted += c;
  }
  return converted;
}

std::wstring with_lf_line_ends(std::wstring_view text) {
  std::wstring converted;
  converted.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
    converted += text[i];
  }
  return converted;
}

// The clipboard, opened for the window and closed when this goes.
class OpenedClipboard {
 public:
  explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  ~OpenedClipboard() {
    if (open_) {
      CloseClipboard();
    }
  }
  bool is_open() const { return open_; }

 private:
  bool open_;
};

// A global memory block's contents, locked while this lives.
class LockedMemory {
 public:
  explicit LockedMemory(HGLOBAL memory) : memory_(memory), bytes_(memory ? GlobalLock(memory) : nullptr) {}
  LockedMemory(const LockedMemory&) = delete;
  LockedMemory& operator=(const LockedMemory&) = delete;
  ~LockedMemory() {
    if (bytes_) {
      GlobalUnlock(memory_);
    }
  }
  void* bytes() const { return bytes_; }

 private:
  HGLOBAL memory_;
  void* bytes_;
};

}  // namespace

std::string clipboard_text() {
  const auto& main = platform().window;
  const OpenedClipboard clipboard(main ? main->handle.get() : nullptr);
  if (!clipboard.is_open()) {
    return {};
  }
  HGLOBAL memory = GetClipboardData(CF_UNICODETEXT);  // the clipboard's own
  const LockedMemory locked(memory);
  if (!locked.bytes()) {
    return {};
  }
  const std::size_t capacity = GlobalSize(memory) / sizeof(wchar_t);
  const std::wstring_view text(static_cast<const wchar_t*>(locked.bytes()), capacity);
  return narrow(with_lf_line_ends(text.substr(0, text.find(L'\0'))));
}

}  // namespace tk::win32

namespace tk {

void set_clipboard_text(std::string_view text) {
  using namespace win32;
  const std::wstring wide = with_crlf_line_ends(widen(text));
  const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
  UniqueGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) {
    return;
  }
  {
    const LockedMemory locked(memory.get());
    if (!locked.bytes()) {
      return;
    }
    std::memcpy(locked.bytes(), wide.c_str(), bytes);
  }
  const auto& main = platform().window;
  const OpenedClipboard clipboard(main ? main->handle.get() : nullptr);
  if (!clipboard.is_open() || !EmptyClipboard()) {
    return;
  }
  if (SetClipboardData(CF_UNICODETEXT, memory.get())) {
    memory.release();  // the clipboard owns it now
  }
}

}  // namespace tk
