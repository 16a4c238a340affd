// ferrant-make-artwork DIR: writes the program's logo (DIR/Varnek.bmp), its
// icon (DIR/ferrant.ico) and the web page's app icons (DIR/ferrant-icon-192.png
// and DIR/ferrant-icon-512.png, the icon's pixels as squares of 6 x 6 and
// 16 x 16) from their designs in artwork.cpp. The files in assets/ are its
// output; after changing a design, run it again on assets/:
//   cmake --build --preset default --target ferrant-make-artwork
//   build/default/assets/ferrant-make-artwork assets
// ferrant-make-artwork --icon-png FILE: writes the icon as a 32 x 32 RGBA
// PNG, for the desktop's icon theme (the build makes it for the packages).
#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "assets/artwork.h"

namespace {

bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "ferrant-make-artwork: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

bool write_png(const std::string& path, const artwork::Picture& picture) {
  const std::vector<unsigned char> rgba = artwork::to_rgba(picture);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(picture.width);
  image.height = static_cast<png_uint_32>(picture.height);
  image.format = PNG_FORMAT_RGBA;
  const bool written =
      png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), picture.width * 4, nullptr) != 0;
  if (!written) std::fprintf(stderr, "ferrant-make-artwork: cannot write %s: %s\n", path.c_str(), image.message);
  png_image_free(&image);
  return written;
}

// Every pixel of `picture` as a factor x factor square: the 32 x 32 icon
// blown up without blending, so that it stays as crisp as its design at the
// sizes an installed web app wants.
artwork::Picture scaled_up(const artwork::Picture& picture, int factor) {
  artwork::Picture big{picture.width * factor, picture.height * factor, {}};
  big.argb.reserve(static_cast<std::size_t>(big.width) * static_cast<std::size_t>(big.height));
  for (int y = 0; y < big.height; ++y) {
    for (int x = 0; x < big.width; ++x) {
      big.argb.push_back(picture.argb[static_cast<std::size_t>(y / factor * picture.width + x / factor)]);
    }
  }
  return big;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "--icon-png") {
    return write_png(argv[2], artwork::program_icon()) ? 0 : 1;
  }
  if (argc != 2 || std::string_view(argv[1]).starts_with("-")) {
    std::fprintf(stderr, "usage: ferrant-make-artwork DIR\n       ferrant-make-artwork --icon-png FILE\n");
    return 2;
  }
  const std::string dir = argv[1];
  const artwork::Picture icon = artwork::program_icon();
  const bool ok = write_file(dir + "/Varnek.bmp", artwork::encode_bmp(artwork::logo())) &&
                  write_file(dir + "/ferrant.ico", artwork::encode_ico(icon)) &&
                  write_png(dir + "/ferrant-icon-192.png", scaled_up(icon, 192 / artwork::kIconSide)) &&
                  write_png(dir + "/ferrant-icon-512.png", scaled_up(icon, 512 / artwork::kIconSide));
  return ok ? 0 : 1;
}
