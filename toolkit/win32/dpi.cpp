// What the platform says about the display scale, and the platform's own
// DPI-aware measures. The functions of Windows 10 are looked up at run time
// (the program runs on Windows 7 too); without them the system-wide DPI and
// the older functions answer. The scaling rules themselves are the shared
// ones (toolkit/common/display_scale.h).
#include "toolkit/win32/platform.h"

namespace tk::win32 {
namespace {

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

// A function of USER32, nullptr where this system has none.
template <class Function>
Function user32_function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  FARPROC found = user32 ? GetProcAddress(user32, name) : nullptr;
  // Through void (*)(), the type that converts to any function type.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// The DPI of the whole screen (the only one before Windows 8.1).
int system_dpi() {
  HDC screen = GetDC(nullptr);
  if (!screen) {
    return common::kBaseDpi;
  }
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

void declare_dpi_awareness() {
  if (const auto set_awareness = user32_function<SetProcessDpiAwarenessContextFn>("SetProcessDpiAwarenessContext")) {
    set_awareness(kPerMonitorAwareV2);  // refused when the manifest has decided already, or by Wine
  }
}

int window_dpi(HWND window) {
  const auto get_dpi = user32_function<GetDpiForWindowFn>("GetDpiForWindow");
  const int dpi = get_dpi && window ? static_cast<int>(get_dpi(window)) : 0;
  return common::clamp_dpi(dpi > 0 ? dpi : system_dpi());
}

RECT work_area(POINT point) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return RECT{0, 0, GetSystemMetrics(SM_CXMAXIMIZED), GetSystemMetrics(SM_CYMAXIMIZED)};
  }
  return monitor.rcWork;
}

RECT outer_rect(int width, int height, DWORD style, int dpi) {
  RECT outer{0, 0, width, height};
  const auto adjust = user32_function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
  if (!adjust || !adjust(&outer, style, FALSE, 0, static_cast<UINT>(dpi))) {
    outer = RECT{0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
  }
  return RECT{0, 0, outer.right - outer.left, outer.bottom - outer.top};
}

UniqueFont make_gui_font(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  const auto for_dpi = user32_function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
  if (!for_dpi || !for_dpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, static_cast<UINT>(dpi))) {
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(metrics.lfMessageFont), &metrics.lfMessageFont);
    }
    // The system's figures are for the system-wide DPI.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, system_dpi());
  }
  return UniqueFont(CreateFontIndirectW(&metrics.lfMessageFont));
}

}  // namespace tk::win32
