// The toolkit's life cycle, its last_error() text and the table of loaded
// images, shared by every backend. The backend only opens and closes the
// platform and makes and frees platform pictures (backend.h).
#include <map>
#include <string>
#include <utility>

#include "toolkit/common/backend.h"
#include "toolkit/common/bitmap_loader.h"
#include "toolkit/common/context_menu.h"
#include "toolkit/common/field_hint.h"
#include "toolkit/toolkit.h"

namespace tk {
namespace {

struct LoadedImage {
  Bitmap handle;
  common::DecodedImage pixels;
};

struct Lifecycle {
  bool ready = false;
  std::string last_error;
  std::map<int, LoadedImage> images;  // by image number
};

// The one toolkit of the program's one GUI thread.
Lifecycle& lifecycle() {
  static Lifecycle toolkit;
  return toolkit;
}

void free_images() {
  auto& images = lifecycle().images;
  for (const auto& [number, image] : images) {
    backend::free_image(image.handle);
  }
  images.clear();
}

}  // namespace

namespace common {

bool toolkit_ready() { return lifecycle().ready; }

bool window_may_open() {
  if (lifecycle().ready) {
    return true;
  }
  set_last_error("the toolkit is not prepared: init_toolkit() must succeed before create_window()");
  return false;
}

void set_last_error(std::string text) { lifecycle().last_error = std::move(text); }

const DecodedImage* find_image(Bitmap handle) {
  if (handle == kNoBitmap) {
    return nullptr;
  }
  for (const auto& [number, image] : lifecycle().images) {
    if (image.handle == handle) {
      return &image.pixels;
    }
  }
  return nullptr;
}

}  // namespace common

// A second init_toolkit() starts afresh: whatever the first one left (window,
// gadgets, images, events) is closed first, so every backend begins a session
// in the same state.
bool init_toolkit() {
  Lifecycle& toolkit = lifecycle();
  if (toolkit.ready) {
    close_toolkit();
  }
  toolkit.last_error.clear();
  common::reset_events();
  std::string error;
  if (!backend::open_platform(error)) {
    toolkit.last_error = std::move(error);
    return false;
  }
  toolkit.ready = true;
  return true;
}

// Views go before the pictures they show. last_error() is kept for reading
// after the program ended.
void close_toolkit() {
  backend::close_platform();
  free_images();
  common::reset_events();
  common::clear_context_menu();
  common::forget_field_hint();
  lifecycle().ready = false;
}

std::string last_error() { return lifecycle().last_error; }

Bitmap load_bitmap(int image, std::string_view file_name) {
  const std::string name(file_name);
  const auto bytes = backend::file_bytes(name);
  auto decoded = bytes ? common::decode_image(*bytes) : std::nullopt;
  if (!decoded) {
    common::set_last_error("cannot load the image \"" + name +
                           "\": missing, unreadable, or not a supported bitmap or icon file");
    return kNoBitmap;
  }
  const Bitmap handle = backend::make_image(*decoded);
  if (handle == kNoBitmap) {
    common::set_last_error("cannot make a picture of the image \"" + name + "\"");
    return kNoBitmap;
  }
  // A number in use gives up its old image; views that showed it show none.
  auto& images = lifecycle().images;
  if (const auto old = images.find(image); old != images.end()) {
    backend::free_image(old->second.handle);
    images.erase(old);
  }
  images.emplace(image, LoadedImage{handle, std::move(*decoded)});
  return handle;
}

}  // namespace tk
