// Decoding the logo file: a Windows bitmap (a file starting with "BM") or,
// failing that, an icon file. Shared by the headless and FLTK backends.
// Malformed input of any kind gives no image, never a crash and never an
// allocation larger than the file justifies.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tk::common {

struct DecodedImage {
  int width = 0;
  int height = 0;
  // Top-down rows of width pixels, 0xAARRGGBB (alpha 255 where opaque).
  std::vector<std::uint32_t> argb;
};

// Far above any logo, far below anything that could hurt.
inline constexpr std::int64_t kMaxImageFileBytes = std::int64_t{128} << 20;

std::optional<DecodedImage> decode_image(std::span<const std::uint8_t> bytes);
// Reads the file (relative names from the working directory) and decodes it.
std::optional<DecodedImage> load_image_file(const std::string& file_name);

}  // namespace tk::common
