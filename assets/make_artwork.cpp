// ferrant-make-artwork DIR: writes the program's logo (DIR/Varnek.bmp) and
// icon (DIR/ferrant.ico) from their designs in artwork.cpp. The files in
// assets/ are its output; run it again after changing a design.
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
  const bool ok = write_file(dir + "/Varnek.bmp", artwork::encode_bmp(artwork::logo())) &&
                  write_file(dir + "/ferrant.ico", artwork::encode_ico(artwork::program_icon()));
  return ok ? 0 : 1;
}
