// Labels are owner-drawn statics painted here, so that a label partly covered
// by a later one shows whole characters only.
//
// A label with text that was created later (and so lies in front) and whose
// left edge falls inside an earlier label, on rows they share, covers that
// label from the right. The covered label paints only the whole characters of
// its text that end left of the covering label's left edge, and nothing at or
// beyond it: "Meter = 0 Feet" under "3281 Feet" shows "Meter =" without the
// sliver of "0" that would otherwise stay visible when "Meter = " is wider
// than the room before the covering label. The window text stays whole. An
// uncovered label paints its whole text, left-aligned and word-wrapped as a
// plain static does, in the gadget font on the button-face colour.
#include <algorithm>
#include <string>

#include "toolkit/win32/platform.h"

namespace tk::win32 {

namespace {

using tk::GadgetKind;

RECT screen_rect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

bool shows_text(HWND label) {
  return (GetWindowLongW(label, GWL_STYLE) & WS_VISIBLE) != 0 && GetWindowTextLengthW(label) > 0;
}

// The width of the label's client area left of the first label in front of
// it that covers it from the right; the whole width when none does.
int uncovered_width(HWND label) {
  const RECT own = screen_rect(label);
  LONG edge = own.right;
  bool in_front = false;  // the table is in creation order: later is in front
  for (const auto& entry : platform().gadgets.entries()) {
    HWND other = entry.gadget->window.get();
    if (other == label) {
      in_front = true;
      continue;
    }
    if (!in_front || entry.kind != GadgetKind::Label || !other || !shows_text(other)) {
      continue;
    }
    const RECT front = screen_rect(other);
    if (front.top < own.bottom && front.bottom > own.top && front.left > own.left && front.left < edge) {
      edge = front.left;
    }
  }
  POINT origin{0, 0};
  ClientToScreen(label, &origin);
  RECT client{};
  GetClientRect(label, &client);
  return static_cast<int>(std::clamp<LONG>(edge - origin.x, 0, client.right));
}


}  // namespace

bool is_label(HWND window) {
  if (!window) {
    return false;
  }
  const auto& entries = platform().gadgets.entries();
  return std::any_of(entries.begin(), entries.end(), [window](const auto& entry) {
    return entry.kind == GadgetKind::Label && entry.gadget->window.get() == window;
  });
}

void paint_label(const DRAWITEMSTRUCT& item) {
  HWND label = item.hwndItem;
  HDC dc = item.hDC;
  RECT area{};
  GetClientRect(label, &area);
  const int width = uncovered_width(label);
  const bool covered = width < area.right;
  area.right = width;
  FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
  const std::wstring text = window_text_wide(label);
  if (text.empty() || width == 0) {
    return;
  }
  const SavedDcState saved(dc);
  const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  SelectObject(dc, font ? font : platform().gui_font.get());
  int shown = static_cast<int>(text.size());
  if (covered) {
    int fit = 0;
    SIZE extent{};
    if (!GetTextExtentExPointW(dc, text.c_str(), shown, width, &fit, nullptr, &extent)) {
      fit = 0;
    }
    if (fit > 0 && IS_HIGH_SURROGATE(text[static_cast<std::size_t>(fit) - 1])) {
      --fit;  // never half a character
    }
    shown = fit;
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, text.c_str(), shown, &area, DT_LEFT | DT_TOP | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX);
}

void invalidate_labels_overlapping(const RECT& screen_area, HWND except) {
  for (const auto& entry : platform().gadgets.entries()) {
    HWND other = entry.gadget->window.get();
    if (entry.kind != GadgetKind::Label || !other || other == except) {
      continue;
    }
    const RECT rect = screen_rect(other);
    RECT common_part{};
    if (IntersectRect(&common_part, &rect, &screen_area)) {
      InvalidateRect(other, nullptr, FALSE);
    }
  }
}

}  // namespace tk::win32
