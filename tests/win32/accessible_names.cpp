// accessible_names.exe: what a screen reader finds in the running program's
// window, for tests/win32/wine_tests.sh. Prints the MSAA name of every child
// window of "Ferrant Transmission Calculation" that has one, a line each;
// exits 1 when there is no such window.
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

// MinGW's import library gives no IID_IAccessible.
constexpr IID kAccessibleInterface = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

BOOL CALLBACK print_name(HWND window, LPARAM /*unused*/) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleInterface,
                                        reinterpret_cast<void**>(&object))) ||
      !object) {
    return TRUE;
  }
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr;
  if (SUCCEEDED(object->get_accName(self, &name)) && name) {
    std::string text(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, name, -1, nullptr, 0, nullptr, nullptr)),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, name, -1, text.data(), static_cast<int>(text.size()), nullptr, nullptr);
    std::printf("%s\n", text.c_str());
    SysFreeString(name);
  }
  object->Release();
  return TRUE;
}

}  // namespace

int main() {
  HWND window = FindWindowW(nullptr, L"Ferrant Transmission Calculation");
  if (!window) {
    std::fprintf(stderr, "no window \"Ferrant Transmission Calculation\"\n");
    return 1;
  }
  CoInitialize(nullptr);
  EnumChildWindows(window, print_name, 0);
  CoUninitialize();
  return 0;
}
