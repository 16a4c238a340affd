// Drawing phases on the main window's client-area device context, mirrored
// into the retained picture so that a repaint can bring the drawing back.
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

#include "toolkit/toolkit.h"
#include "toolkit/win32/platform.h"

namespace tk::win32 {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// dst AND NOT src: clears the destination where the mask is white.
constexpr DWORD kRopClearMasked = 0x00220326;

COLORREF colour_ref(Colour colour) {
  if (colour == kFrontColour) {
    return kBlack;  // the phase's front colour
  }
  return static_cast<COLORREF>(colour) & 0x00FFFFFFu;
}

// One open drawing phase: the window's context with its DC pen and DC brush
// selected (coloured by each drawing call, so drawing creates no GDI objects),
// text aligned to the current position, black text.
class DrawingPhase {
 public:
  explicit DrawingPhase(HWND window) : dc_(window) {
    if (!dc_.get()) {
      return;
    }
    pen_.emplace(dc_.get(), GetStockObject(DC_PEN));
    brush_.emplace(dc_.get(), GetStockObject(DC_BRUSH));
    SetTextAlign(dc_.get(), TA_UPDATECP | TA_LEFT | TA_TOP);
    SetTextColor(dc_.get(), kBlack);
    text_background_ = GetBkColor(dc_.get());
    const MainWindow& main = *platform().window;
    retained_ = main.retained && main.retained->valid() ? main.retained.get() : nullptr;
  }
  DrawingPhase(const DrawingPhase&) = delete;
  DrawingPhase& operator=(const DrawingPhase&) = delete;

  bool has_target() const { return dc_.get() != nullptr; }
  HDC dc() const { return dc_.get(); }
  const RetainedPicture* retained() const { return retained_; }
  COLORREF text_background() const { return text_background_; }
  void set_text_background(COLORREF colour) {
    text_background_ = colour;
    SetBkColor(dc_.get(), colour);
  }

 private:
  WindowDc dc_;
  // Selected after the context is got and selected back before it is released.
  std::optional<Selection> pen_;
  std::optional<Selection> brush_;
  COLORREF text_background_ = kWhite;
  const RetainedPicture* retained_ = nullptr;
};

std::optional<DrawingPhase>& current_phase() {
  static std::optional<DrawingPhase> phase;
  return phase;
}

DrawingPhase* target_phase() {
  auto& phase = current_phase();
  return phase && phase->has_target() ? &*phase : nullptr;
}

// Runs one drawing operation on the window and on the retained picture in
// `colour`, given to their DC pen and DC brush, and on the retained mask,
// whose DC pen and brush stay white.
template <class Draw>
void draw_everywhere(DrawingPhase& phase, Colour colour, Draw draw) {
  const COLORREF rgb_colour = colour_ref(colour);
  const RetainedPicture* retained = phase.retained();
  for (HDC dc : {phase.dc(), retained ? retained->picture_dc() : nullptr}) {
    if (!dc) {
      continue;
    }
    SetDCPenColor(dc, rgb_colour);
    SetDCBrushColor(dc, rgb_colour);
    draw(dc, rgb_colour);
  }
  if (retained) {
    draw(retained->mask_dc(), kWhite);
  }
}

}  // namespace

// --- the retained picture -------------------------------------------------------

RetainedPicture::RetainedPicture(int width, int height)
    : picture_dc_(CreateCompatibleDC(nullptr)),
      mask_dc_(CreateCompatibleDC(nullptr)),
      width_(width),
      height_(height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  for (auto [dc, surface] : {std::pair{picture_dc_.get(), &picture_}, std::pair{mask_dc_.get(), &mask_}}) {
    if (!dc) {
      continue;
    }
    void* bits = nullptr;
    surface->bitmap.reset(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!surface->bitmap) {
      continue;
    }
    surface->original_bitmap = SelectObject(dc, surface->bitmap.get());
    surface->original_pen = SelectObject(dc, GetStockObject(DC_PEN));
    surface->original_brush = SelectObject(dc, GetStockObject(DC_BRUSH));
    PatBlt(dc, 0, 0, width, height, BLACKNESS);  // nothing drawn yet
    SetTextAlign(dc, TA_UPDATECP | TA_LEFT | TA_TOP);
  }
  if (!picture_.bitmap || !mask_.bitmap) {
    picture_dc_.reset();
    mask_dc_.reset();
    return;
  }
  SetTextColor(picture_dc_.get(), kBlack);
  SetTextColor(mask_dc_.get(), kWhite);
  SetBkColor(mask_dc_.get(), kWhite);
  SetDCPenColor(mask_dc_.get(), kWhite);
  SetDCBrushColor(mask_dc_.get(), kWhite);
}

RetainedPicture::~RetainedPicture() {
  for (auto [dc, surface] : {std::pair{picture_dc_.get(), &picture_}, std::pair{mask_dc_.get(), &mask_}}) {
    if (dc && surface->original_bitmap) {
      SelectObject(dc, surface->original_bitmap);
      SelectObject(dc, surface->original_pen);
      SelectObject(dc, surface->original_brush);
    }
  }
}

void RetainedPicture::paint_over(HDC target, const RECT& area, POINT target_origin) const {
  if (!valid() || !target) {
    return;
  }
  const LONG left = std::max<LONG>(area.left, 0);
  const LONG top = std::max<LONG>(area.top, 0);
  const LONG right = std::min<LONG>(area.right, width_);
  const LONG bottom = std::min<LONG>(area.bottom, height_);
  if (left >= right || top >= bottom) {
    return;
  }
  const int x = left - target_origin.x;
  const int y = top - target_origin.y;
  const int w = right - left;
  const int h = bottom - top;
  BitBlt(target, x, y, w, h, mask_dc_.get(), left, top, kRopClearMasked);
  BitBlt(target, x, y, w, h, picture_dc_.get(), left, top, SRCPAINT);
}

void repaint_retained(HWND target) {
  const auto& main = platform().window;
  if (!main || !main->retained || !target || !IsWindowVisible(target)) {
    return;
  }
  RECT client{};
  GetClientRect(target, &client);
  POINT origin{0, 0};
  MapWindowPoints(target, main->handle.get(), &origin, 1);
  const RECT area{client.left + origin.x, client.top + origin.y, client.right + origin.x,
                  client.bottom + origin.y};
  const WindowDc dc(target);
  main->retained->paint_over(dc.get(), area, origin);
}

void close_drawing() { current_phase().reset(); }

}  // namespace tk::win32

// --- the toolkit's drawing operations ----------------------------------------------

namespace tk {

using win32::DrawingPhase;

void begin_window_drawing(int window) {
  auto& phase = win32::current_phase();
  phase.reset();
  phase.emplace(win32::window_handle(window));
}

void end_drawing() { win32::current_phase().reset(); }

void draw_box(int x, int y, int w, int h, Colour colour) {
  DrawingPhase* phase = win32::target_phase();
  if (!phase) {
    return;
  }
  const bool one_pixel = (w == 1 || w == -1) && (h == 1 || h == -1);
  if (one_pixel) {
    const int px = w == -1 ? x - 1 : x;
    const int py = h == -1 ? y - 1 : y;
    win32::draw_everywhere(*phase, colour, [&](HDC dc, COLORREF c) { SetPixel(dc, px, py, c); });
    return;
  }
  win32::draw_everywhere(*phase, colour, [&](HDC dc, COLORREF) { Rectangle(dc, x, y, x + w, y + h); });
}

void draw_circle(int x, int y, int r, Colour colour) {
  if (r == 1) {
    draw_box(x, y, 2, 2, colour);
    return;
  }
  DrawingPhase* phase = win32::target_phase();
  if (!phase) {
    return;
  }
  win32::draw_everywhere(*phase, colour, [&](HDC dc, COLORREF) { Ellipse(dc, x - r, y - r, x + r, y + r); });
}

void draw_line(int x1, int y1, int x2, int y2, Colour colour) {
  DrawingPhase* phase = win32::target_phase();
  if (!phase) {
    return;
  }
  win32::draw_everywhere(*phase, colour, [&](HDC dc, COLORREF c) {
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SetPixel(dc, x2, y2, c);  // LineTo leaves the end point out
  });
}

int draw_text(int x, int y, std::string_view text) {
  DrawingPhase* phase = win32::target_phase();
  if (!phase || text.empty()) {
    return x;
  }
  const std::wstring wide = win32::widen(text);
  const int length = static_cast<int>(wide.size());
  int x_after = x;
  const auto draw_on = [&](HDC dc) {
    MoveToEx(dc, x, y, nullptr);
    TextOutW(dc, 0, 0, wide.data(), length);
    POINT position{};
    GetCurrentPositionEx(dc, &position);
    return position.x;
  };
  x_after = draw_on(phase->dc());
  if (const win32::RetainedPicture* retained = phase->retained()) {
    SetBkColor(retained->picture_dc(), phase->text_background());
    draw_on(retained->picture_dc());
    draw_on(retained->mask_dc());
  }
  return x_after;
}

void set_text_background(Colour colour) {
  if (DrawingPhase* phase = win32::target_phase()) {
    phase->set_text_background(win32::colour_ref(colour));
  }
}

}  // namespace tk
