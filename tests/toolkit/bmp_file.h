// Windows bitmap files built byte by byte, for the decoder's tests, the
// conformance suite and the programs' logo tests.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace bmp {

using Bytes = std::vector<std::uint8_t>;

// Little-endian, as the file formats store their numbers.
inline void put(Bytes& b, std::size_t at, std::uint32_t v, int bytes = 4) {
  for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

// BITMAPINFOHEADER (40 bytes) for a width x height image.
inline Bytes info_header(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression = 0,
                         std::uint32_t colours_used = 0) {
  Bytes h(40, 0);
  put(h, 0, 40);
  put(h, 4, static_cast<std::uint32_t>(width));
  put(h, 8, static_cast<std::uint32_t>(height));
  put(h, 12, 1, 2);
  put(h, 14, static_cast<std::uint32_t>(bits), 2);
  put(h, 16, compression);
  put(h, 32, colours_used);
  return h;
}

// A "BM" file: header, extra (masks and palette), rows padded, in file order.
inline Bytes bmp_file(const Bytes& header, const Bytes& extra, const Bytes& rows) {
  const auto offset = static_cast<std::uint32_t>(14 + header.size() + extra.size());
  Bytes file(14, 0);
  file.reserve(offset + rows.size());
  file[0] = 'B';
  file[1] = 'M';
  put(file, 2, static_cast<std::uint32_t>(offset + rows.size()));
  put(file, 10, offset);
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), extra.begin(), extra.end());
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

// A 24-bit bitmap of one colour (r + 256 g + 65536 b), rows padded.
inline Bytes solid_bmp(int width, int height, std::uint32_t colour) {
  Bytes rows;
  for (int i = 1; i <= width * height; ++i) {
    rows.insert(rows.end(), {std::uint8_t(colour >> 16), std::uint8_t(colour >> 8), std::uint8_t(colour)});  // B, G, R
    if (i % width == 0) rows.resize((rows.size() + 3) / 4 * 4);
  }
  return bmp_file(info_header(width, height, 24), {}, rows);
}

inline void write(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace bmp
