// The program's own pictures: the 32 x 32 window icon and the logo shown
// right of panel 2 (assets/Varnek.bmp is this logo, written by
// ferrant-make-artwork), with the encoders that write them as files.
#pragma once

#include <cstdint>
#include <vector>

namespace artwork {

struct Picture {
  int width = 0;
  int height = 0;
  // Top-down rows, 0xAARRGGBB.
  std::vector<std::uint32_t> argb;
};

inline constexpr int kIconSide = 32;
// The logo fits the space right of panel 2 below the disclaimer (from x 438,
// y 530) and clears the Quit button at (605, 625).
inline constexpr int kLogoWidth = 156;
inline constexpr int kLogoHeight = 80;

Picture program_icon();
Picture logo();

// RGBA bytes, top-down.
std::vector<unsigned char> to_rgba(const Picture& picture);
// A Windows bitmap, 24 bits per pixel, bottom-up (alpha dropped).
std::vector<std::uint8_t> encode_bmp(const Picture& picture);
// An icon file with the one picture: 32-bit colour with alpha plus the
// 1-bit transparency mask.
std::vector<std::uint8_t> encode_ico(const Picture& picture);

}  // namespace artwork
