// The canvas as an 8-bit RGB PNG at a display scale, through libpng's
// simplified writer (no setjmp error handling to get wrong).
#include <png.h>

#include <cstring>

#include "toolkit/common/backend.h"
#include "toolkit/common/display_scale.h"
#include "toolkit/headless/state.h"

namespace tk::headless {

bool save_png(const std::string& path, int dpi) {
  detail::State& s = detail::state();
  if (!s.window || s.window->canvas.width() == 0 || s.window->canvas.height() == 0) {
    common::set_last_error("cannot save \"" + path + "\": there is no window picture to save");
    return false;
  }
  const common::Canvas& canvas = s.window->canvas;
  common::ScaledPicture picture;
  common::scale_picture(canvas, dpi, 0, 0, canvas.width(), canvas.height(), picture);
  std::vector<png_byte> rgb;
  rgb.reserve(picture.pixels.size() * 3);
  for (const Colour colour : picture.pixels) {
    rgb.push_back(static_cast<png_byte>(colour & 0xFF));
    rgb.push_back(static_cast<png_byte>((colour >> 8) & 0xFF));
    rgb.push_back(static_cast<png_byte>((colour >> 16) & 0xFF));
  }

  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGB;
  const bool written = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(),
                                               picture.width * 3, nullptr) != 0;
  if (!written) {
    common::set_last_error("cannot save \"" + path + "\": " + image.message);
  }
  png_image_free(&image);
  return written;
}

}  // namespace tk::headless
