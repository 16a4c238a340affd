// ferrant-make-artwork DIR: writes the program's logo (DIR/Varnek.bmp) and
// icon (DIR/ferrant.ico) from their designs in artwork.cpp. The files in
// assets/ are its output; run it again after changing a design.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "toolkit/fltk/artwork.h"

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ferrant-make-artwork DIR\n");
    return 2;
  }
  namespace artwork = tk::fltk_backend::artwork;
  const std::string dir = argv[1];
  const bool ok = write_file(dir + "/Varnek.bmp", artwork::encode_bmp(artwork::logo())) &&
                  write_file(dir + "/ferrant.ico", artwork::encode_ico(artwork::program_icon()));
  return ok ? 0 : 1;
}
