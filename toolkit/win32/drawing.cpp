// The Win32 backend's hooks of the shared drawing operations. Every call
// paints into the main window's canvas (layout units); ending the phase
// scales the touched area to the window's DPI and paints its drawn pixels
// over the client area through the window's device context, which also
// covers the controls there (the window does not clip its children). A
// control that paints itself later has the picture painted over it again
// (repaint_retained), as has the window on WM_PAINT.
#include <algorithm>
#include <cstddef>

#include "toolkit/common/backend.h"
#include "toolkit/win32/platform.h"

namespace tk::win32 {
namespace {

// dst AND NOT src: clears the destination where the mask is white.
constexpr DWORD kRopClearMasked = 0x00220326;
constexpr std::uint32_t kMaskDrawn = 0x00FFFFFFu;

}  // namespace

// --- the window's picture --------------------------------------------------------

DibSurface::DibSurface(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
  if (!dc_ || width <= 0 || height <= 0) {
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap_ || !bits) {
    return;
  }
  original_bitmap_ = SelectObject(dc_.get(), bitmap_.get());
  bits_ = static_cast<std::uint32_t*>(bits);
  std::fill_n(bits_, static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
}

DibSurface::~DibSurface() {
  if (original_bitmap_) {
    SelectObject(dc_.get(), original_bitmap_);
  }
}

WindowPicture::WindowPicture(int width, int height) : canvas_(width, height, common::kButtonFace) {}

RECT WindowPicture::update(int dpi, int x0, int y0, int x1, int y1) {
  const int old_width = scaled_.width, old_height = scaled_.height;
  const common::DeviceArea area = common::scale_picture(canvas_, dpi, x0, y0, x1, y1, scaled_);
  if (!colours_ || scaled_.width != old_width || scaled_.height != old_height) {
    colours_ = std::make_unique<DibSurface>(scaled_.width, scaled_.height);
    mask_ = std::make_unique<DibSurface>(scaled_.width, scaled_.height);
  }
  if (area.empty() || !colours_->valid() || !mask_->valid()) {
    return RECT{};
  }
  GdiFlush();  // GDI is done with the surfaces before their bits change
  std::uint32_t* colours = colours_->bits();
  std::uint32_t* mask = mask_->bits();
  const auto width = static_cast<std::size_t>(scaled_.width);
  for (int y = area.y0; y < area.y1; ++y) {
    for (int x = area.x0; x < area.x1; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x);
      const bool drawn = scaled_.painted[i] != 0;
      colours[i] = drawn ? dib_pixel(scaled_.pixels[i]) : 0u;
      mask[i] = drawn ? kMaskDrawn : 0u;
    }
  }
  return RECT{area.x0, area.y0, area.x1, area.y1};
}

void WindowPicture::paint_over(HDC target, const RECT& area, POINT target_origin) const {
  if (!target || !colours_ || !colours_->valid() || !mask_->valid()) {
    return;
  }
  const LONG left = std::max<LONG>(area.left, 0);
  const LONG top = std::max<LONG>(area.top, 0);
  const LONG right = std::min<LONG>(area.right, scaled_.width);
  const LONG bottom = std::min<LONG>(area.bottom, scaled_.height);
  if (left >= right || top >= bottom) {
    return;
  }
  const int x = left - target_origin.x;
  const int y = top - target_origin.y;
  const int w = right - left;
  const int h = bottom - top;
  BitBlt(target, x, y, w, h, mask_->dc(), left, top, kRopClearMasked);
  BitBlt(target, x, y, w, h, colours_->dc(), left, top, SRCPAINT);
}

void repaint_retained(HWND target) {
  const auto& main = platform().window;
  if (!main || !main->picture || !target || !IsWindowVisible(target)) {
    return;
  }
  RECT client{};
  GetClientRect(target, &client);
  POINT origin{0, 0};
  MapWindowPoints(target, main->handle.get(), &origin, 1);
  const RECT area{client.left + origin.x, client.top + origin.y, client.right + origin.x,
                  client.bottom + origin.y};
  const WindowDc dc(target);
  main->picture->paint_over(dc.get(), area, origin);
}

}  // namespace tk::win32

// --- the shared drawing operations' hooks --------------------------------------------

namespace tk::backend {

using win32::platform;

common::Canvas* window_canvas(int window) {
  const auto& main = platform().window;
  return main && main->number == window && main->picture ? &main->picture->canvas() : nullptr;
}

void present_drawing(int x0, int y0, int x1, int y1) {
  const auto& main = platform().window;
  if (!main || !main->picture) {
    return;
  }
  const RECT area = main->picture->update(platform().dpi, x0, y0, x1, y1);
  if (area.left >= area.right || area.top >= area.bottom) {
    return;
  }
  const win32::WindowDc dc(main->handle.get());
  main->picture->paint_over(dc.get(), area, POINT{0, 0});
}

void box_drawn(int /*x*/, int /*y*/, int /*w*/, int /*h*/) {}
void text_drawn(int /*x*/, int /*y*/, int /*end*/, std::string_view /*text*/) {}

}  // namespace tk::backend
