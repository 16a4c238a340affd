// ferrant_win32_soak [PASSES [SEED]]: the real window for PASSES loop passes
// (10000) of random user actions (seed 1). Wine's GetGuiResources reports 0,
// so the imports that create and free GDI objects and DCs go through
// counters, and windows and menus are enumerated. Fails when a count differs
// between the first pass and the end, a pen or brush is made after the first
// pass, or the program ends or its state leaves its range.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>

#include "app/app.h"
#include "app/window_layout.h"
#include "model/reach.h"
#include "tests/reliability/soak_input.h"
#include "toolkit/common/backend.h"
#include "toolkit/toolkit.h"
#include "toolkit/win32/platform.h"

namespace {

// The handles the toolkit creates and frees, then the USER objects.
enum Kind { kPens, kBrushes, kBitmaps, kFonts, kRegions, kMemoryDcs, kWindowDcs, kAccelerators, kWindows, kMenus };
constexpr int kKinds = kMenus + 1;
constexpr const char* kKindNames[kKinds] = {"pens",    "brushes",    "bitmaps",            "fonts",   "regions",
                                            "memory DCs", "window DCs", "accelerator tables", "windows", "menus"};
using Counts = std::array<long long, kKinds>;

std::map<const void*, Kind> live;  // the handles the program holds now
Counts created{};

// The original entry points, one per function type (the types all differ).
template <class Function>
Function original;

// Stand-ins typed after the import they replace: `creates` books the handle
// the original returns, `frees` strikes off argument `arg` (stock objects,
// never booked, stay out).
template <Kind kind, class Result, class... Args>
Result WINAPI creates(Args... args) {
  const Result handle = original<Result(WINAPI*)(Args...)>(args...);
  if (handle != nullptr) {
    live[handle] = kind;
    ++created[kind];
  }
  return handle;
}
template <std::size_t arg, class Result, class... Args>
Result WINAPI frees(Args... args) {
  live.erase(std::get<arg>(std::tuple(args...)));
  return original<Result(WINAPI*)(Args...)>(args...);
}
BOOL WINAPI ends_paint(HWND window, const PAINTSTRUCT* paint) {
  live.erase(paint->hdc);
  return original<decltype(&EndPaint)>(window, paint);
}

// Points this program's import address table slots of `function` (the
// toolkit is linked in and calls through them) at `standin`.
template <class Function>
bool reroute(Function function, std::type_identity_t<Function> standin) {
  original<Function> = function;
  auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleW(nullptr));
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IAT];
  auto* slots = reinterpret_cast<Function*>(base + table.VirtualAddress);
  DWORD protection = 0;
  if (!VirtualProtect(slots, table.Size, PAGE_READWRITE, &protection)) return false;
  std::replace(slots, slots + table.Size / sizeof(Function), function, standin);
  return VirtualProtect(slots, table.Size, protection, &protection) != 0;
}

bool reroute_imports() {
  return reroute(&CreatePen, creates<kPens>) && reroute(&CreateSolidBrush, creates<kBrushes>) &&
         reroute(&CreateDIBSection, creates<kBitmaps>) && reroute(&CreateCompatibleBitmap, creates<kBitmaps>) &&
         reroute(&CreateFontIndirectW, creates<kFonts>) && reroute(&CreateRectRgn, creates<kRegions>) &&
         reroute(&CreateCompatibleDC, creates<kMemoryDcs>) && reroute(&DeleteObject, frees<0>) &&
         reroute(&DeleteDC, frees<0>) && reroute(&GetDC, creates<kWindowDcs>) && reroute(&ReleaseDC, frees<1>) &&
         reroute(&BeginPaint, creates<kWindowDcs>) && reroute(&EndPaint, ends_paint) &&
         reroute(&CreateAcceleratorTableW, creates<kAccelerators>) && reroute(&DestroyAcceleratorTable, frees<0>);
}

HWND main_window() { return FindWindowW(L"WindowClass_0", nullptr); }
HWND control(int gadget) { return GetDlgItem(main_window(), gadget); }

// Counts a window and, for a top-level one, every descendant.
BOOL CALLBACK count_windows(HWND window, LPARAM count) {
  ++*reinterpret_cast<long long*>(count);
  if (GetAncestor(window, GA_PARENT) == GetDesktopWindow()) EnumChildWindows(window, count_windows, count);
  return TRUE;
}
long long count_menus(HMENU menu) {
  long long count = menu != nullptr ? 1 : 0;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) count += count_menus(GetSubMenu(menu, i));  // -1 for none
  return count;
}

Counts take_census() {
  Counts census{};
  for (const auto& [handle, kind] : live) ++census[kind];
  EnumThreadWindows(GetCurrentThreadId(), count_windows, reinterpret_cast<LPARAM>(&census[kWindows]));
  census[kMenus] = count_menus(GetMenu(main_window()));
  return census;
}

// Runs passes while anything waits, as the event loop would; false when the
// program ends.
bool run_passes(app::ProgramState& state, long long& passes) {
  for (;;) {
    MSG waiting{};
    if (!PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE) && !tk::common::has_queued_window_events()) {
      if (!tk::common::has_recorded_event()) return true;
      PostMessageW(main_window(), WM_NULL, 0, 0);  // lets the wait report it
    }
    app::begin_pass(state);
    ++passes;
    if (!app::finish_pass(state, tk::wait_event())) return false;
  }
}

// One random user action, as the messages it sends; mostly mouse movements.
void random_action(soak::Random& random) {
  HWND window = main_window();
  HWND field = control(random.below(2) == 0 ? app::kBaserateField : app::kDistanceField);
  const int roll = random.below(100);
  if (roll < 70) {
    for (int moves = 1 + random.below(40); moves > 0; --moves) {
      PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(random.below(700), random.below(650)));
    }
  } else if (roll < 82) {  // typing, or a paste replacing the field's text
    SetFocus(field);
    SendMessageW(field, EM_SETSEL, 0, -1);
    if (roll < 76) {
      for (char key : soak::random_digits(random)) PostMessageW(field, WM_CHAR, static_cast<WPARAM>(key), 1);
    } else {
      const std::wstring text = tk::win32::widen(soak::random_paste(random));
      SendMessageW(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
  } else if (roll < 91) {  // a pick in a box, its list opened and closed first now and then
    constexpr int kBoxes[] = {app::kDiameterBox1, app::kDiameterBox2, app::kModelBox};
    const int box = kBoxes[random.below(3)];
    if (roll < 84) SendMessageW(control(box), CB_SHOWDROPDOWN, TRUE, 0);
    if (roll < 84) SendMessageW(control(box), CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageW(control(box), CB_SETCURSEL, static_cast<WPARAM>(random.below(11)), 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(box, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control(box)));
  } else if (roll < 95) {  // a click on a gadget other than "Quit"
    const int gadget = app::kGadgetTable[static_cast<std::size_t>(random.below(std::size(app::kGadgetTable)))].number;
    if (gadget != tk::kAnonymous && gadget != app::kQuitButton) {
      PostMessageW(control(gadget), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      PostMessageW(control(gadget), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
  } else if (roll < 97) {  // Tab or Shift+Tab
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

int fail(const std::string& why) {
  std::fprintf(stderr, "win32 soak: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const long long passes = argc > 1 ? std::atoll(argv[1]) : 10'000;
  const unsigned long long seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
  if (argc > 3 || passes <= 0) {
    std::fprintf(stderr, "usage: ferrant_win32_soak [PASSES [SEED]]  (PASSES above 0)\n");
    return 2;
  }
  if (!reroute_imports()) return fail("cannot change the program's import table");
  if (!tk::init_toolkit()) return fail("cannot prepare the toolkit: " + tk::last_error());
  app::ProgramState state;
  if (!app::start_up(state)) return fail("cannot open the window: " + tk::last_error());

  // The first pass sets the baseline.
  long long done = 0;
  PostMessageW(main_window(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  bool running = run_passes(state, done);
  const Counts first = take_census();
  const auto created_at_first = created;
  const long long first_passes = done;
  if (created[kWindowDcs] == 0) return fail("the counters saw no drawing; the toolkit's calls bypass them");

  soak::Random random(seed);
  long long actions = 0;
  for (; running && done < passes; ++actions) {
    random_action(random);
    running = run_passes(state, done);
    if (state.baserate < 0 || state.baserate > model::kMaxBaserate || state.target_distance_m < 0 ||
        state.target_distance_m > model::kMaxDistanceM) {
      return fail("state out of range after " + std::to_string(done) + " passes");
    }
  }
  const Counts last = take_census();
  const auto per_pass = [&, later_passes = static_cast<double>(std::max(done - first_passes, 1LL))](Kind kind) {
    return static_cast<double>(created[kind] - created_at_first[kind]) / later_passes;
  };

  std::printf("win32 soak: %lld passes (%lld actions, seed %llu); after the first pass -> at the end:", done,
              actions, seed);
  for (int kind = 0; kind < kKinds; ++kind) {
    std::printf("%s %s %lld -> %lld", kind == 0 ? "" : ",", kKindNames[kind], first[kind], last[kind]);
  }
  std::printf("\nwin32 soak: created and freed: %lld pens, %lld brushes, %lld window DCs; per pass after the "
              "first: %.3f pens, %.3f brushes\n",
              created[kPens], created[kBrushes], created[kWindowDcs], per_pass(kPens), per_pass(kBrushes));
  app::end_program();

  if (!running) return fail("the program ended");
  if (first != last) return fail("GDI objects, DCs, windows or menus changed");
  if (per_pass(kPens) != 0 || per_pass(kBrushes) != 0) return fail("drawing creates pens or brushes");
  return 0;
}
