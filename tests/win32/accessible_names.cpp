// accessible_names.exe: the MSAA names of the child windows of the running
// "Ferrant Transmission Calculation", a line each, for wine_tests.sh; exit
// code 1 without that window.
#include "tests/win32/accessible_name.h"

#include <cstdio>

int main() {
  HWND window = FindWindowW(nullptr, L"Ferrant Transmission Calculation");
  if (!window) return 1;
  CoInitialize(nullptr);
  EnumChildWindows(
      window, [](HWND child, LPARAM) -> BOOL { return std::printf("%s\n", win32_test::accessible_name(child).c_str()) >= 0; },
      0);
  CoUninitialize();
  return 0;
}
