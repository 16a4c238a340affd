// Soak test of the Windows program's resources: the real window for ten
// thousand loop passes (by default) of posted mouse movements and random user
// actions, with the GDI and USER objects counted after the first pass and at
// the end. The counts must be equal, and drawing must create no pen or brush
// after the first pass.
//
//   ferrant_win32_soak [--passes N] [--seed S]
//
// Counts: GetGuiResources for the whole process where the system reports it
// (Wine reports 0), and in any case this program's own count of the GDI
// objects and device contexts that the toolkit creates and frees (pens,
// brushes, bitmaps, icons, memory DCs, window DCs), taken by routing the
// program's imports of those functions through counters; and the USER
// objects as the windows of the thread and the menus of the main window.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "app/app.h"
#include "app/window_layout.h"
#include "model/reach.h"
#include "tests/reliability/soak_input.h"
#include "toolkit/common/backend.h"
#include "toolkit/toolkit.h"

namespace {

constexpr long long kDefaultPasses = 10'000;

// --- the toolkit's GDI objects, counted at the import table -------------------

enum class Kind { Pen, Brush, Bitmap, Font, Region, Icon, MemoryDc, WindowDc, Accelerators, Count };
constexpr const char* kKindNames[] = {"pens", "brushes", "bitmaps", "fonts", "regions", "icons",
                                      "memory DCs", "window DCs", "accelerator tables"};

struct Ledger {
  std::map<const void*, Kind> live;
  long long created[static_cast<int>(Kind::Count)] = {};
  long long freed[static_cast<int>(Kind::Count)] = {};

  void add(const void* handle, Kind kind) {
    if (handle == nullptr) return;
    live[handle] = kind;
    ++created[static_cast<int>(kind)];
  }
  // Objects the toolkit did not create here (stock objects, a control's own
  // copy of a bitmap) are not counted.
  void remove(const void* handle) {
    const auto found = live.find(handle);
    if (found == live.end()) return;
    ++freed[static_cast<int>(found->second)];
    live.erase(found);
  }
  std::vector<long long> counts() const {
    std::vector<long long> result(static_cast<int>(Kind::Count), 0);
    for (const auto& [handle, kind] : live) ++result[static_cast<int>(kind)];
    return result;
  }
};
Ledger ledger;

// The original entry points, filled in by hook_imports().
decltype(&CreatePen) real_CreatePen;
decltype(&CreateSolidBrush) real_CreateSolidBrush;
decltype(&CreateCompatibleDC) real_CreateCompatibleDC;
decltype(&CreateDIBSection) real_CreateDIBSection;
decltype(&CreateCompatibleBitmap) real_CreateCompatibleBitmap;
decltype(&CreateFontIndirectW) real_CreateFontIndirectW;
decltype(&CreateRectRgn) real_CreateRectRgn;
decltype(&GetWindowDC) real_GetWindowDC;
decltype(&CopyImage) real_CopyImage;
decltype(&DeleteObject) real_DeleteObject;
decltype(&DeleteDC) real_DeleteDC;
decltype(&GetDC) real_GetDC;
decltype(&ReleaseDC) real_ReleaseDC;
decltype(&BeginPaint) real_BeginPaint;
decltype(&EndPaint) real_EndPaint;
decltype(&LoadImageA) real_LoadImageA;
decltype(&DestroyIcon) real_DestroyIcon;
decltype(&CreateAcceleratorTableW) real_CreateAcceleratorTableW;
decltype(&DestroyAcceleratorTable) real_DestroyAcceleratorTable;

// The counting stand-ins: `booked` passes the call on to the original entry
// point `real` and books the handle it returns as `kind`; `unbooked` strikes
// off the handle in its argument number `freed`, then passes the call on.
// Their parameters are deduced from the import they replace.
template <auto& real, Kind kind, typename... Args>
auto WINAPI booked(Args... args) {
  const auto handle = real(args...);
  ledger.add(handle, kind);
  return handle;
}
template <auto& real, std::size_t freed, typename... Args>
auto WINAPI unbooked(Args... args) {
  ledger.remove(std::get<freed>(std::tuple<Args...>(args...)));
  return real(args...);
}

HANDLE WINAPI count_CopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags) {
  HANDLE copy = real_CopyImage(image, type, cx, cy, flags);
  if (flags & LR_COPYDELETEORG) ledger.remove(image);
  if (type == IMAGE_BITMAP) ledger.add(copy, Kind::Bitmap);
  if (type == IMAGE_ICON) ledger.add(copy, Kind::Icon);
  return copy;
}
BOOL WINAPI count_EndPaint(HWND window, const PAINTSTRUCT* paint) {
  ledger.remove(paint->hdc);
  return real_EndPaint(window, paint);
}
HANDLE WINAPI count_LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  HANDLE image = real_LoadImageA(instance, name, type, cx, cy, flags);
  if (type == IMAGE_BITMAP) ledger.add(image, Kind::Bitmap);
  if (type == IMAGE_ICON) ledger.add(image, Kind::Icon);
  return image;
}

enum class Hook { Done, NotImported, Failed };

// Points this program's import of dll!function at `replacement`; the address
// it held goes to *original.
template <typename Function>
Hook hook_import(const char* dll, const char* function, Function replacement, Function* original) {
  auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       module->Name != 0; ++module) {
    if (_stricmp(reinterpret_cast<const char*>(base + module->Name), dll) != 0) continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(by_name->Name), function) != 0) continue;
      DWORD protection = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), PAGE_READWRITE, &protection)) {
        return Hook::Failed;
      }
      *original = reinterpret_cast<Function>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof(slots->u1.Function), protection, &protection);
      return Hook::Done;
    }
  }
  return Hook::NotImported;
}

// Routes the imports through the counters. Returns the functions that the
// program does not import (the toolkit does not call them, so there is
// nothing to count), or nullopt when an import could not be changed.
std::optional<std::string> hook_imports() {
  std::string not_imported;
  bool failed = false;
  // The stand-in's type follows from the entry point it replaces.
  const auto hook = [&]<typename Function>(const char* dll, const char* name,
                                           std::type_identity_t<Function> replacement, Function* original) {
    switch (hook_import(dll, name, replacement, original)) {
      case Hook::Done: break;
      case Hook::NotImported: not_imported += std::string(not_imported.empty() ? "" : ", ") + name; break;
      case Hook::Failed: failed = true; break;
    }
  };
  hook("gdi32.dll", "CreatePen", booked<real_CreatePen, Kind::Pen>, &real_CreatePen);
  hook("gdi32.dll", "CreateSolidBrush", booked<real_CreateSolidBrush, Kind::Brush>, &real_CreateSolidBrush);
  hook("gdi32.dll", "CreateCompatibleDC", booked<real_CreateCompatibleDC, Kind::MemoryDc>, &real_CreateCompatibleDC);
  hook("gdi32.dll", "CreateDIBSection", booked<real_CreateDIBSection, Kind::Bitmap>, &real_CreateDIBSection);
  hook("gdi32.dll", "CreateCompatibleBitmap", booked<real_CreateCompatibleBitmap, Kind::Bitmap>,
       &real_CreateCompatibleBitmap);
  hook("gdi32.dll", "CreateFontIndirectW", booked<real_CreateFontIndirectW, Kind::Font>, &real_CreateFontIndirectW);
  hook("gdi32.dll", "CreateRectRgn", booked<real_CreateRectRgn, Kind::Region>, &real_CreateRectRgn);
  hook("gdi32.dll", "DeleteObject", unbooked<real_DeleteObject, 0>, &real_DeleteObject);
  hook("gdi32.dll", "DeleteDC", unbooked<real_DeleteDC, 0>, &real_DeleteDC);
  hook("user32.dll", "GetDC", booked<real_GetDC, Kind::WindowDc>, &real_GetDC);
  hook("user32.dll", "GetWindowDC", booked<real_GetWindowDC, Kind::WindowDc>, &real_GetWindowDC);
  hook("user32.dll", "ReleaseDC", unbooked<real_ReleaseDC, 1>, &real_ReleaseDC);
  hook("user32.dll", "BeginPaint", booked<real_BeginPaint, Kind::WindowDc>, &real_BeginPaint);
  hook("user32.dll", "EndPaint", count_EndPaint, &real_EndPaint);
  hook("user32.dll", "LoadImageA", count_LoadImageA, &real_LoadImageA);
  hook("user32.dll", "CopyImage", count_CopyImage, &real_CopyImage);
  hook("user32.dll", "DestroyIcon", unbooked<real_DestroyIcon, 0>, &real_DestroyIcon);
  hook("user32.dll", "CreateAcceleratorTableW", booked<real_CreateAcceleratorTableW, Kind::Accelerators>,
       &real_CreateAcceleratorTableW);
  hook("user32.dll", "DestroyAcceleratorTable", unbooked<real_DestroyAcceleratorTable, 0>,
       &real_DestroyAcceleratorTable);
  if (failed) return std::nullopt;
  return not_imported;
}

// --- USER objects: the thread's windows and the main window's menus ----------

BOOL CALLBACK count_child(HWND, LPARAM count) {
  ++*reinterpret_cast<long long*>(count);
  return TRUE;
}
BOOL CALLBACK count_top_level(HWND window, LPARAM count) {
  ++*reinterpret_cast<long long*>(count);
  EnumChildWindows(window, count_child, count);  // every descendant
  return TRUE;
}
long long count_menus(HMENU menu) {
  if (menu == nullptr) return 0;
  long long count = 1;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) count += count_menus(GetSubMenu(menu, i));
  return count;
}

HWND main_window() { return FindWindowW(L"WindowClass_0", nullptr); }
HWND control(int gadget) { return GetDlgItem(main_window(), gadget); }

struct Census {
  long long gdi_reported = 0;   // GetGuiResources
  long long user_reported = 0;
  std::vector<long long> toolkit_gdi;  // per Kind
  long long windows = 0;
  long long menus = 0;

  bool operator==(const Census&) const = default;
};

Census take_census() {
  Census census;
  census.gdi_reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  census.user_reported = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  census.toolkit_gdi = ledger.counts();
  EnumThreadWindows(GetCurrentThreadId(), count_top_level, reinterpret_cast<LPARAM>(&census.windows));
  census.menus = count_menus(GetMenu(main_window()));
  return census;
}

void print_census(const char* when, const Census& census) {
  std::printf("win32 soak: %s: GetGuiResources GDI %lld, USER %lld; windows %lld, menus %lld;",
              when, census.gdi_reported, census.user_reported, census.windows, census.menus);
  for (int kind = 0; kind < static_cast<int>(Kind::Count); ++kind) {
    std::printf(" %s %lld%s", kKindNames[kind], census.toolkit_gdi[static_cast<std::size_t>(kind)],
                kind + 1 < static_cast<int>(Kind::Count) ? "," : "\n");
  }
}

// --- the program's passes and the user's actions ------------------------------

struct Program {
  app::ProgramState state;
  long long passes = 0;
  bool ended = false;
};

// Passes while messages, window events or a recorded event wait, as the
// event loop would run them.
void run_passes(Program& program) {
  for (;;) {
    MSG waiting{};
    const bool message = PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE) != 0;
    if (!message && !tk::common::has_queued_window_events()) {
      if (!tk::common::has_recorded_event()) return;
      PostMessageW(main_window(), WM_NULL, 0, 0);  // lets the wait report it
    }
    app::begin_pass(program.state);
    ++program.passes;
    if (!app::finish_pass(program.state, tk::wait_event())) {
      program.ended = true;
      return;
    }
  }
}

// One random user action, as the messages it sends; mostly mouse movements.
void random_action(soak::Random& random, const std::vector<int>& clickable) {
  HWND window = main_window();
  const int roll = random.below(100);
  HWND field = control(random.below(2) == 0 ? app::kBaserateField : app::kDistanceField);
  if (roll < 70) {
    const int moves = 1 + random.below(40);
    for (int i = 0; i < moves; ++i) {
      PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(random.below(700), random.below(650)));
    }
  } else if (roll < 76) {
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    for (char key : soak::random_digits(random)) PostMessageW(field, WM_CHAR, static_cast<WPARAM>(key), 1);
  } else if (roll < 82) {
    // A paste: the field's selection replaced by the text, as WM_PASTE does.
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    const std::string text = soak::random_paste(random);
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            static_cast<int>(wide.size()))));
    SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
  } else if (roll < 89) {
    constexpr int kBoxes[] = {app::kDiameterBox1, app::kDiameterBox2, app::kModelBox};
    const int box = kBoxes[random.below(3)];
    HWND combo = control(box);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(random.below(11)), 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(box, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  } else if (roll < 91) {
    HWND combo = control(random.below(2) == 0 ? app::kDiameterBox1 : app::kModelBox);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(combo, CB_SHOWDROPDOWN, FALSE, 0);
  } else if (roll < 95) {
    HWND target = control(clickable[static_cast<std::size_t>(random.below(clickable.size()))]);
    PostMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageW(target, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  } else if (roll < 97) {
    HWND focused = GetFocus() != nullptr ? GetFocus() : window;
    const bool back = random.below(2) == 0;
    if (back) PostMessageW(focused, WM_KEYDOWN, VK_SHIFT, 1);
    PostMessageW(focused, WM_KEYDOWN, VK_TAB, 1);
    PostMessageW(focused, WM_KEYUP, VK_TAB, 1);
    if (back) PostMessageW(focused, WM_KEYUP, VK_SHIFT, 1);
  } else if (roll < 99) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  } else {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(3, 0), 0);  // "Version 1.0"
  }
  // A wait then follows, so a synchronously recorded event is reported too.
  PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
}

bool state_in_range(const app::ProgramState& s) {
  return s.baserate >= 0 && s.baserate <= model::kMaxBaserate && s.target_distance_m >= 0 &&
         s.target_distance_m <= model::kMaxDistanceM;
}

int usage() {
  std::fprintf(stderr, "usage: ferrant_win32_soak [--passes N] [--seed S]  (N above 0)\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long long passes = kDefaultPasses;
  unsigned long long seed = 1;
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) return usage();
    const std::string_view arg = argv[i];
    char* end = nullptr;
    if (arg == "--passes") {
      passes = std::strtoll(argv[i + 1], &end, 10);
    } else if (arg == "--seed") {
      seed = std::strtoull(argv[i + 1], &end, 10);
    } else {
      return usage();
    }
    if (end == argv[i + 1] || *end != '\0') return usage();
  }
  if (passes <= 0) return usage();

  const std::optional<std::string> not_imported = hook_imports();
  if (!not_imported) {
    std::fprintf(stderr, "win32 soak: cannot change the program's import table\n");
    return 1;
  }
  if (!not_imported->empty()) {
    std::printf("win32 soak: not called by the toolkit, so not counted: %s\n", not_imported->c_str());
  }
  if (!tk::init_toolkit()) {
    std::fprintf(stderr, "win32 soak: cannot prepare the toolkit: %s\n", tk::last_error().c_str());
    return 1;
  }
  Program program;
  if (!app::start_up(program.state)) {
    std::fprintf(stderr, "win32 soak: cannot open the window: %s\n", tk::last_error().c_str());
    return 1;
  }
  std::vector<int> clickable;
  for (const app::GadgetRow& row : app::kGadgetTable) {
    if (row.number != tk::kAnonymous && row.number != app::kQuitButton) clickable.push_back(row.number);
  }

  // The first pass, then the baseline: the census, the objects created so far.
  PostMessageW(main_window(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  run_passes(program);
  const Census first = take_census();
  const Ledger at_first = ledger;
  const long long first_passes = program.passes;
  if (ledger.created[static_cast<int>(Kind::WindowDc)] == 0) {
    std::fprintf(stderr, "win32 soak: the counters saw no drawing; the toolkit's calls bypass them\n");
    return 1;
  }

  soak::Random random(seed);
  long long actions = 0;
  while (program.passes < passes && !program.ended) {
    random_action(random, clickable);
    ++actions;
    run_passes(program);
    if (!state_in_range(program.state)) {
      std::fprintf(stderr, "win32 soak: state out of range after %lld passes\n", program.passes);
      return 1;
    }
  }
  const Census last = take_census();
  const auto created = [](const Ledger& at, Kind kind) { return at.created[static_cast<int>(kind)]; };
  const long long new_pens = created(ledger, Kind::Pen) - created(at_first, Kind::Pen);
  const long long new_brushes = created(ledger, Kind::Brush) - created(at_first, Kind::Brush);
  const auto later_passes = static_cast<double>(std::max(program.passes - first_passes, 1LL));

  std::printf("win32 soak: %lld passes (%lld actions, seed %llu)\n", program.passes, actions, seed);
  print_census("after the first pass", first);
  print_census("at the end", last);
  std::printf("win32 soak: created and freed over the run: %lld pens, %lld brushes, %lld window DCs\n",
              created(ledger, Kind::Pen), created(ledger, Kind::Brush), created(ledger, Kind::WindowDc));
  std::printf("win32 soak: pens and brushes created per pass after the first: %.3f / %.3f\n",
              static_cast<double>(new_pens) / later_passes, static_cast<double>(new_brushes) / later_passes);
  app::end_program();

  const char* fault = program.ended ? "the program ended"
                      : !(first == last) ? "GDI or USER objects changed"
                      : new_pens != 0 || new_brushes != 0 ? "drawing creates pens or brushes" : nullptr;
  if (fault) std::fprintf(stderr, "win32 soak: %s\n", fault);
  return fault ? 1 : 0;
}
