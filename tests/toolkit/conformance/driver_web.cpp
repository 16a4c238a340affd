// The conformance driver on the browser backend: the suite runs as a page in
// headless Chromium (tests/web/run_page.mjs), every action real browser input
// through the `ferrantDriver(action, a, b)` binding; the suite waits
// (ASYNCIFY) while it is delivered and hears of it through wait_event().
#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/toolkit/conformance/driver.h"
#include "toolkit/common/backend.h"
#include "toolkit/common/context_menu.h"

// clang-format off
EM_ASYNC_JS(int, driver_number, (const char* action, int a, int b), {
  return Number(await ferrantDriver(UTF8ToString(action), a, b));
});
EM_ASYNC_JS(void, driver_keys, (const char* action, const char* text), {
  await ferrantDriver(UTF8ToString(action), UTF8ToString(text), 0);
});
EM_ASYNC_JS(char*, driver_text, (const char* action, int a), {
  const text = String(await ferrantDriver(UTF8ToString(action), a, 0));
  const size = lengthBytesUTF8(text) + 1;
  const buffer = _malloc(size);
  stringToUTF8(text, buffer, size);
  return buffer;
});
// The client area as shown, r + 256 g + 65536 b a pixel, into `out`;
// returns its width.
EM_ASYNC_JS(int, driver_client_pixels, (int* out, int capacity), {
  const shot = await ferrantDriver('client_pixels', 0, 0);
  const bytes = atob(shot.rgb);
  const count = Math.min(shot.width * shot.height, capacity);
  for (let i = 0; i < count; ++i) {
    HEAP32[(out >> 2) + i] = bytes.charCodeAt(3 * i) | bytes.charCodeAt(3 * i + 1) << 8 | bytes.charCodeAt(3 * i + 2) << 16;
  }
  return shot.width;
});
// A turn of the browser's event loop and more, for input still on its way.
EM_ASYNC_JS(void, driver_pause, (), { await new Promise((resolve) => setTimeout(resolve, 25)); });
EM_JS(int, driver_pending, (), { return ferrantPage.pending(); });
EM_JS(void, driver_add_file, (const char* name, const std::uint8_t* bytes, int size), {
  ferrantPage.addFile(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size));
});
EM_JS(void, driver_remove_file, (const char* name), { ferrantPage.removeFile(UTF8ToString(name)); });
// clang-format on

namespace conformance {
namespace {

// The last screenshot of the client area, for every pixel() until an action.
struct Screen {
  std::vector<tk::Colour> pixels;
  int width = 0;
};
Screen& screen() {
  static Screen shot;
  return shot;
}

int act(const char* action, int a, int b) {
  screen().pixels.clear();
  return driver_number(action, a, b);
}
void act_keys(const char* action, std::string_view text) {
  screen().pixels.clear();
  driver_keys(action, std::string(text).c_str());
}
std::string ask_text(const char* action, int a) {
  const std::unique_ptr<char, decltype(&std::free)> text(driver_text(action, a), &std::free);
  return text ? std::string(text.get()) : std::string();
}

}  // namespace

const char* backend_name() { return "web"; }
void window_ready() {}

// The page's files are the ones it fetched beside it: the name as it is.
std::string place_file(std::string_view name, const std::vector<std::uint8_t>& bytes) {
  const std::string placed(name);
  driver_add_file(placed.c_str(), bytes.data(), static_cast<int>(bytes.size()));
  return placed;
}

void remove_placed_file(const std::string& placed) { driver_remove_file(placed.c_str()); }

void focus_field(int gadget) { act("focus_field", gadget, 0); }
void type(std::string_view keys) { act_keys("type", keys); }
void paste(std::string_view text) { act_keys("paste", text); }
void pick(int gadget, int index) { act("pick", gadget, index); }
void open_close(int gadget) { act("open_close", gadget, 0); }
void click(int gadget) { act("click", gadget, 0); }
void tab(bool forward) { act("tab", forward ? 1 : 0, 0); }

void press_key(Key key) {
  constexpr const char* kNames[] = {"F10",   "Alt",    "ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown",
                                    "Enter", "Escape", "Home",      "End",        "PageUp",  "PageDown"};
  act_keys("press_key", kNames[static_cast<int>(key)]);
}
void choose_menu(int item) { act("choose_menu", item, 0); }
void close_box() { act("close_box", 0, 0); }
void system_repaint() { act("system_repaint", 0, 0); }
void move_mouse(int count) { act("move_mouse", count, 0); }

std::vector<Event> settle() {
  screen().pixels.clear();
  std::vector<Event> events;
  for (int quiet_turns = 0; quiet_turns < 2;) {
    if (driver_pending() > 0 || tk::common::has_queued_window_events()) {
      quiet_turns = 0;
      const int code = tk::wait_event();
      events.push_back(Event{code, tk::event_gadget(), tk::event_type()});
    } else {
      driver_pause();
      ++quiet_turns;
    }
  }
  return events;
}

int focused_gadget() { return driver_number("focused_gadget", 0, 0); }

std::string shown_text(int gadget) { return ask_text("shown_text", gadget); }

bool window_shown() { return driver_number("window_shown", 0, 0) != 0; }
bool has_address() { return true; }
tk::Colour pixel(int x, int y) {
  constexpr std::size_t kShotPixels = 1 << 20;  // room for more than the 700 x 680 client area
  Screen& shot = screen();
  if (shot.pixels.empty()) {
    shot.pixels.resize(kShotPixels);
    shot.width = driver_client_pixels(shot.pixels.data(), static_cast<int>(shot.pixels.size()));
  }
  const long long index = static_cast<long long>(y) * shot.width + x;
  if (x < 0 || y < 0 || x >= shot.width || index >= static_cast<long long>(shot.pixels.size())) return 0;
  return shot.pixels[static_cast<std::size_t>(index)];
}

// Playwright's key names: "Control+Shift+C", "Shift+F10", "ContextMenu".
void press_chord(char32_t key, bool ctrl, bool shift, bool alt) {
  const std::string name = key == tk::common::kKeyF10           ? "F10"
                           : key == tk::common::kKeyContextMenu ? "ContextMenu"
                                                                : std::string(1, static_cast<char>(key));
  act_keys("press_key", std::string(ctrl ? "Control+" : "") + (shift ? "Shift+" : "") + (alt ? "Alt+" : "") + name);
}

void right_click_window(int x, int y) { act("right_click", x, y); }

std::string clipboard_text() { return ask_text("clipboard_text", 0); }

// The driver gives the title and the text on a line each, "" for none.
Hint field_hint(int gadget) {
  const std::string lines = ask_text("field_hint", gadget);
  const auto newline = lines.find('\n');
  if (newline == std::string::npos) return {};
  return Hint{lines.substr(0, newline), lines.substr(newline + 1)};
}

}  // namespace conformance
