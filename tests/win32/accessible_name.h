// The name a screen reader reads for a window (MSAA), for the Win32 tests.
#pragma once

#include "toolkit/win32/platform.h"

#include <oleacc.h>

#include <string>

namespace win32_test {

// "(none)" when the window has no accessible object. COM is initialised.
inline std::string accessible_name(HWND window) {
  // MinGW's import library gives no IID_IAccessible.
  constexpr IID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessible,
                                        reinterpret_cast<void**>(&object))) || !object) {
    return "(none)";
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  std::string text;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) {
    text = tk::win32::narrow(name);
    SysFreeString(name);
  }
  object->Release();
  return text;
}

}  // namespace win32_test
