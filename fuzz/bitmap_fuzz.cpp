// The logo loader on arbitrary file contents: decode_image must give no image
// or a consistent one, never read out of bounds or allocate beyond what the
// bytes justify. Every input is also loaded from a file through the headless
// backend's load_bitmap, as the program loads its logo.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <span>
#include <string>

#include "fuzz/fuzz_check.h"
#include "toolkit/common/bitmap_loader.h"
#include "toolkit/toolkit.h"

namespace {

// Pixels in a 16384 x 1024 image: the decoder's own bound is 2^24.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;

// One scratch file per process, removed at exit.
const std::string& scratch_file() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") +
                       "/ferrant_bitmap_fuzz_" + std::to_string(getpid()) + ".bmp";
    std::atexit([] { std::remove(scratch_file().c_str()); });
    return name;
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto image = tk::common::decode_image(std::span<const std::uint8_t>(data, size));
  if (image) {
    fuzz::check(image->width > 0 && image->height > 0, "positive size",
                std::to_string(image->width) + " x " + std::to_string(image->height));
    const auto pixels = static_cast<std::int64_t>(image->width) * image->height;
    fuzz::check(pixels <= kMaxPixels, "bounded size");
    fuzz::check(image->argb.size() == static_cast<std::size_t>(pixels), "one value per pixel");
    // Every pixel array byte that was read was in the input: a bitmap with a
    // header needs at least one byte per eight pixels.
    fuzz::check(static_cast<std::int64_t>(size) * 8 >= pixels, "pixels backed by bytes");
  }

  const std::string& path = scratch_file();
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  static const bool toolkit_ready = tk::init_toolkit();
  fuzz::check(toolkit_ready, "toolkit ready");
  const tk::Bitmap bitmap = tk::load_bitmap(0, path);
  fuzz::check((bitmap != tk::kNoBitmap) == image.has_value(),
              "load_bitmap agrees with decode_image");
  return 0;
}
