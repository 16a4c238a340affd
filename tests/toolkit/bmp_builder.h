// Windows bitmap files built byte by byte, for the loader's tests and the
// headless backend's.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace bmp_builder {

using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
  put16(b, at, v & 0xFFFF);
  put16(b, at + 2, v >> 16);
}

// BITMAPINFOHEADER (40 bytes) for a width x height image.
inline Bytes info_header(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression = 0,
                         std::uint32_t colours_used = 0) {
  Bytes h(40, 0);
  put32(h, 0, 40);
  put32(h, 4, static_cast<std::uint32_t>(width));
  put32(h, 8, static_cast<std::uint32_t>(height));
  put16(h, 12, 1);
  put16(h, 14, static_cast<std::uint32_t>(bits));
  put32(h, 16, compression);
  put32(h, 32, colours_used);
  return h;
}

// A "BM" file: header, extra (masks and palette), rows as given (already
// padded, in file order).
inline Bytes bmp_file(const Bytes& header, const Bytes& extra, const Bytes& rows) {
  Bytes file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  const auto offset = static_cast<std::uint32_t>(14 + header.size() + extra.size());
  put32(file, 2, static_cast<std::uint32_t>(offset + rows.size()));
  put32(file, 10, offset);
  file.insert(file.end(), header.begin(), header.end());
  file.insert(file.end(), extra.begin(), extra.end());
  file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

// A 24-bit bitmap of width x height pixels of one grey.
inline Bytes grey_24bit(int width, int height) {
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
  return bmp_file(info_header(width, height, 24), {}, Bytes(stride * static_cast<std::size_t>(height), 0x80));
}

inline void write_file(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace bmp_builder
