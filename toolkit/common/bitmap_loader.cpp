// Windows bitmap and icon decoding. Every size and offset read from the file
// is checked against the bytes actually present before anything is read or
// allocated, and all arithmetic on them is done in 64 bits.
#include "toolkit/common/bitmap_loader.h"

#include "toolkit/common/file_bytes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

namespace tk::common {
namespace {

// Bounds far above any logo, far below anything that could hurt.
constexpr std::int64_t kMaxDimension = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 24;

constexpr std::uint32_t kOpaque = 0xFF000000u;

constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitfields = 3;

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;   // BITMAPCOREHEADER
constexpr std::uint32_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER

constexpr std::array<std::uint8_t, 8> kPngSignature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Little-endian reads from a byte span; callers check the range first.
class Bytes {
 public:
  explicit Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::int64_t size() const { return static_cast<std::int64_t>(bytes_.size()); }
  bool has(std::int64_t offset, std::int64_t count) const {
    return offset >= 0 && count >= 0 && offset <= size() && count <= size() - offset;
  }
  std::uint8_t u8(std::int64_t offset) const { return bytes_[static_cast<std::size_t>(offset)]; }
  std::uint16_t u16(std::int64_t offset) const {
    return static_cast<std::uint16_t>(u8(offset) | (u8(offset + 1) << 8));
  }
  std::uint32_t u32(std::int64_t offset) const {
    return static_cast<std::uint32_t>(u16(offset)) |
           (static_cast<std::uint32_t>(u16(offset + 2)) << 16);
  }
  std::int32_t i32(std::int64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
  Bytes sub(std::int64_t offset, std::int64_t count) const {
    return Bytes(bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(count)));
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

// A channel of a BI_BITFIELDS mask, scaled to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (mask != 0) {
      // The channel's top 8 bits at most.
      shift = std::countr_zero(mask);
      const int width = std::bit_width(mask >> shift);
      bits = std::min(width, 8);
      shift += width - bits;
    }
  }
  std::uint32_t extract(std::uint32_t value) const {
    if (bits == 0) {
      return 0;
    }
    const std::uint32_t raw = ((value & mask) >> shift) & ((1u << bits) - 1u);
    const std::uint32_t top = (1u << bits) - 1u;
    return (raw * 255u + top / 2) / top;
  }
};

// What the headers say about the pixel array.
struct Layout {
  std::int64_t width = 0;
  std::int64_t height = 0;  // positive
  bool top_down = false;
  int bits_per_pixel = 0;
  std::vector<std::uint32_t> palette;  // opaque 0xAARRGGBB
  std::uint32_t red_mask = 0, green_mask = 0, blue_mask = 0;
  bool bitfields = false;
};

std::int64_t row_stride(std::int64_t width, int bits_per_pixel) {
  return (width * bits_per_pixel + 31) / 32 * 4;
}

bool size_acceptable(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension &&
         width * height <= kMaxPixels;
}

// Reads the info header at header_offset (a BITMAPCOREHEADER or a
// BITMAPINFOHEADER and its larger versions), its colour masks and its palette.
// height_divisor is 2 for an icon's image (colour rows plus mask rows).
std::optional<Layout> read_info_header(const Bytes& bytes, std::int64_t header_offset,
                                       int height_divisor, std::int64_t* after_palette) {
  if (!bytes.has(header_offset, 4)) {
    return std::nullopt;
  }
  const std::uint32_t header_size = bytes.u32(header_offset);
  Layout layout;
  std::int64_t raw_height = 0;
  std::uint32_t compression = kCompressionRgb;
  std::uint32_t colours_used = 0;
  int palette_entry_size = 4;
  if (header_size == kCoreHeaderSize) {
    if (!bytes.has(header_offset, kCoreHeaderSize)) {
      return std::nullopt;
    }
    layout.width = bytes.u16(header_offset + 4);
    raw_height = bytes.u16(header_offset + 6);
    layout.bits_per_pixel = bytes.u16(header_offset + 10);
    palette_entry_size = 3;
  } else if (header_size >= kInfoHeaderSize && header_size <= 1024) {
    if (!bytes.has(header_offset, header_size)) {
      return std::nullopt;
    }
    layout.width = bytes.i32(header_offset + 4);
    raw_height = bytes.i32(header_offset + 8);
    layout.bits_per_pixel = bytes.u16(header_offset + 14);
    compression = bytes.u32(header_offset + 16);
    colours_used = bytes.u32(header_offset + 32);
  } else {
    return std::nullopt;
  }

  if (raw_height < 0) {
    layout.top_down = true;
    raw_height = -raw_height;  // 64 bits: INT32_MIN is harmless
  }
  if (height_divisor > 1) {
    if (layout.top_down) {
      return std::nullopt;  // icon images are bottom-up
    }
    raw_height /= height_divisor;
  }
  layout.height = raw_height;
  if (!size_acceptable(layout.width, layout.height)) {
    return std::nullopt;
  }

  std::int64_t offset = header_offset + header_size;
  switch (layout.bits_per_pixel) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (compression != kCompressionRgb) {
        return std::nullopt;
      }
      break;
    case 16:
    case 32:
      if (compression == kCompressionBitfields) {
        layout.bitfields = true;
        // A plain info header is followed by the three masks; the larger
        // versions hold them at the same place inside the header.
        const std::int64_t masks_at = header_offset + kInfoHeaderSize;
        if (header_size == kCoreHeaderSize || !bytes.has(masks_at, 12)) {
          return std::nullopt;
        }
        layout.red_mask = bytes.u32(masks_at);
        layout.green_mask = bytes.u32(masks_at + 4);
        layout.blue_mask = bytes.u32(masks_at + 8);
        if (header_size == kInfoHeaderSize) {
          offset += 12;
        }
      } else if (compression == kCompressionRgb) {
        if (layout.bits_per_pixel == 16) {
          layout.bitfields = true;
          layout.red_mask = 0x7C00;
          layout.green_mask = 0x03E0;
          layout.blue_mask = 0x001F;
        }
      } else {
        return std::nullopt;
      }
      break;
    default:
      return std::nullopt;
  }

  if (layout.bits_per_pixel <= 8) {
    const std::int64_t full = std::int64_t{1} << layout.bits_per_pixel;
    const std::int64_t count = (colours_used == 0 || colours_used > full) ? full : colours_used;
    if (!bytes.has(offset, count * palette_entry_size)) {
      return std::nullopt;
    }
    layout.palette.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) {
      const std::int64_t at = offset + i * palette_entry_size;
      layout.palette.push_back(kOpaque | (std::uint32_t{bytes.u8(at + 2)} << 16) |
                               (std::uint32_t{bytes.u8(at + 1)} << 8) | bytes.u8(at));
    }
    offset += count * palette_entry_size;
  }
  *after_palette = offset;
  return layout;
}

// Decodes the pixel array at pixels_offset into opaque top-down ARGB.
std::optional<DecodedImage> read_pixels(const Bytes& bytes, const Layout& layout,
                                        std::int64_t pixels_offset) {
  const std::int64_t stride = row_stride(layout.width, layout.bits_per_pixel);
  if (!bytes.has(pixels_offset, stride * layout.height)) {
    return std::nullopt;
  }
  DecodedImage image;
  image.width = static_cast<int>(layout.width);
  image.height = static_cast<int>(layout.height);
  image.argb.assign(static_cast<std::size_t>(layout.width * layout.height), kOpaque);

  const Channel red(layout.red_mask), green(layout.green_mask), blue(layout.blue_mask);
  const auto palette_colour = [&layout](std::uint32_t index) {
    // An index past the palette shows black rather than reading beyond it.
    return index < layout.palette.size() ? layout.palette[index] : kOpaque;
  };

  for (std::int64_t row = 0; row < layout.height; ++row) {
    const std::int64_t source_row = layout.top_down ? row : layout.height - 1 - row;
    const std::int64_t at = pixels_offset + source_row * stride;
    std::uint32_t* out = image.argb.data() + row * layout.width;
    for (std::int64_t x = 0; x < layout.width; ++x) {
      std::uint32_t colour = kOpaque;
      switch (layout.bits_per_pixel) {
        case 1:
          colour = palette_colour((bytes.u8(at + x / 8) >> (7 - x % 8)) & 1u);
          break;
        case 4:
          colour = palette_colour((bytes.u8(at + x / 2) >> (x % 2 == 0 ? 4 : 0)) & 0x0Fu);
          break;
        case 8:
          colour = palette_colour(bytes.u8(at + x));
          break;
        case 16: {
          const std::uint32_t value = bytes.u16(at + 2 * x);
          colour = kOpaque | (red.extract(value) << 16) | (green.extract(value) << 8) |
                   blue.extract(value);
          break;
        }
        case 24:
          colour = kOpaque | (std::uint32_t{bytes.u8(at + 3 * x + 2)} << 16) |
                   (std::uint32_t{bytes.u8(at + 3 * x + 1)} << 8) | bytes.u8(at + 3 * x);
          break;
        case 32: {
          const std::uint32_t value = bytes.u32(at + 4 * x);
          if (layout.bitfields) {
            colour = kOpaque | (red.extract(value) << 16) | (green.extract(value) << 8) |
                     blue.extract(value);
          } else {
            // The fourth byte of a plain 32-bit bitmap is unused.
            colour = kOpaque | (value & 0x00FFFFFFu);
          }
          break;
        }
        default:
          return std::nullopt;
      }
      out[x] = colour;
    }
  }
  return image;
}

std::optional<DecodedImage> decode_bmp(const Bytes& bytes) {
  if (!bytes.has(0, kFileHeaderSize) || bytes.u8(0) != 'B' || bytes.u8(1) != 'M') {
    return std::nullopt;
  }
  const std::int64_t pixels_offset = bytes.u32(10);
  std::int64_t after_palette = 0;
  const auto layout = read_info_header(bytes, kFileHeaderSize, 1, &after_palette);
  if (!layout || pixels_offset < after_palette) {
    return std::nullopt;
  }
  return read_pixels(bytes, *layout, pixels_offset);
}

// One image of an icon file: a bitmap without file header whose height
// counts the colour rows and the transparency mask rows, or a PNG.
std::optional<DecodedImage> decode_icon_image(const Bytes& image) {
  if (image.has(0, kPngSignature.size())) {
    bool png = true;
    for (std::size_t i = 0; i < kPngSignature.size(); ++i) {
      png = png && image.u8(static_cast<std::int64_t>(i)) == kPngSignature[i];
    }
    if (png) {
      return std::nullopt;  // PNG-compressed icons are not supported
    }
  }
  std::int64_t after_palette = 0;
  const auto layout = read_info_header(image, 0, 2, &after_palette);
  if (!layout) {
    return std::nullopt;
  }
  auto decoded = read_pixels(image, *layout, after_palette);
  if (!decoded) {
    return std::nullopt;
  }

  // A 32-bit image with any alpha uses it; otherwise the AND mask (1 bit a
  // pixel, bottom-up, bit set = transparent) decides.
  bool has_alpha = false;
  if (layout->bits_per_pixel == 32 && !layout->bitfields) {
    const std::int64_t stride = row_stride(layout->width, 32);
    for (std::int64_t row = 0; row < layout->height && !has_alpha; ++row) {
      for (std::int64_t x = 0; x < layout->width; ++x) {
        if (image.u8(after_palette + row * stride + 4 * x + 3) != 0) {
          has_alpha = true;
          break;
        }
      }
    }
    if (has_alpha) {
      for (std::int64_t row = 0; row < layout->height; ++row) {
        const std::int64_t source_row = layout->height - 1 - row;
        for (std::int64_t x = 0; x < layout->width; ++x) {
          const std::uint32_t alpha = image.u8(after_palette + source_row * stride + 4 * x + 3);
          std::uint32_t& pixel = decoded->argb[static_cast<std::size_t>(row * layout->width + x)];
          pixel = (pixel & 0x00FFFFFFu) | (alpha << 24);
        }
      }
      return decoded;
    }
  }

  const std::int64_t mask_offset =
      after_palette + row_stride(layout->width, layout->bits_per_pixel) * layout->height;
  const std::int64_t mask_stride = row_stride(layout->width, 1);
  if (!image.has(mask_offset, mask_stride * layout->height)) {
    return std::nullopt;
  }
  for (std::int64_t row = 0; row < layout->height; ++row) {
    const std::int64_t at = mask_offset + (layout->height - 1 - row) * mask_stride;
    for (std::int64_t x = 0; x < layout->width; ++x) {
      if ((image.u8(at + x / 8) >> (7 - x % 8)) & 1u) {
        decoded->argb[static_cast<std::size_t>(row * layout->width + x)] &= 0x00FFFFFFu;
      }
    }
  }
  return decoded;
}

// An icon file: its directory's 32 x 32 entry with the most colours, else
// its largest entry.
std::optional<DecodedImage> decode_ico(const Bytes& bytes) {
  constexpr std::int64_t kDirectoryHeader = 6;
  constexpr std::int64_t kEntrySize = 16;
  constexpr std::uint16_t kTypeIcon = 1;
  if (!bytes.has(0, kDirectoryHeader) || bytes.u16(0) != 0 || bytes.u16(2) != kTypeIcon) {
    return std::nullopt;
  }
  const std::int64_t count = bytes.u16(4);
  if (count == 0 || !bytes.has(kDirectoryHeader, count * kEntrySize)) {
    return std::nullopt;
  }

  std::int64_t chosen = -1;
  std::int64_t chosen_score = -1;
  for (std::int64_t i = 0; i < count; ++i) {
    const std::int64_t entry = kDirectoryHeader + i * kEntrySize;
    const std::int64_t width = bytes.u8(entry) == 0 ? 256 : bytes.u8(entry);
    const std::int64_t height = bytes.u8(entry + 1) == 0 ? 256 : bytes.u8(entry + 1);
    const std::int64_t bits = bytes.u16(entry + 6);
    const bool standard = width == 32 && height == 32;
    // The standard size first, then area, then colour depth.
    const std::int64_t score = (standard ? (std::int64_t{1} << 40) : 0) + width * height * 64 + bits;
    if (score > chosen_score) {
      chosen_score = score;
      chosen = entry;
    }
  }
  const std::int64_t size = bytes.u32(chosen + 8);
  const std::int64_t offset = bytes.u32(chosen + 12);
  if (!bytes.has(offset, size)) {
    return std::nullopt;
  }
  return decode_icon_image(bytes.sub(offset, size));
}

}  // namespace

std::optional<DecodedImage> decode_image(std::span<const std::uint8_t> bytes) {
  const Bytes input(bytes);
  if (input.has(0, 2) && input.u8(0) == 'B' && input.u8(1) == 'M') {
    return decode_bmp(input);
  }
  return decode_ico(input);
}

std::optional<DecodedImage> load_image_file(const std::string& file_name) {
  const auto bytes = read_file_bytes(file_name, kMaxImageFileBytes);
  if (!bytes) return std::nullopt;
  return decode_image(*bytes);
}

}  // namespace tk::common
