#!/usr/bin/env python3
"""Writes the bitmap fuzz target's seed files: small bitmaps of every pixel
format the decoder reads, and icons with an AND mask and with alpha."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "bitmap")


def stride(width, bits):
    return (width * bits + 31) // 32 * 4


def pixel_rows(width, height, bits):
    # A simple gradient, so that every seed has varied pixel values.
    rows = b""
    for y in range(height):
        row = bytearray(stride(width, bits))
        for x in range(width):
            v = (x * 37 + y * 11) & 0xFF
            if bits == 1:
                row[x // 8] |= (v & 1) << (7 - x % 8)
            elif bits == 4:
                row[x // 2] |= (v & 0xF) << (4 if x % 2 == 0 else 0)
            elif bits == 8:
                row[x] = v
            elif bits == 16:
                row[2 * x:2 * x + 2] = struct.pack("<H", v * 129)
            elif bits == 24:
                row[3 * x:3 * x + 3] = bytes((v, 255 - v, x & 0xFF))
            elif bits == 32:
                row[4 * x:4 * x + 4] = bytes((v, 255 - v, x & 0xFF, y * 40 & 0xFF))
        rows += bytes(row)
    return rows


def info_header(width, height, bits, compression=0, colours=0, size=40):
    header = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression,
                         0, 2835, 2835, colours, 0)
    return header + bytes(size - 40)


def palette(count):
    return b"".join(bytes((i * 7 & 0xFF, i * 13 & 0xFF, i * 29 & 0xFF, 0)) for i in range(count))


def bmp(header, extra, pixels):
    offset = 14 + len(header) + len(extra)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + extra + pixels


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    w, h = 7, 5
    for bits in (1, 4, 8):
        write(f"bmp_{bits}bit", bmp(info_header(w, h, bits), palette(1 << bits), pixel_rows(w, h, bits)))
    write("bmp_8bit_short_palette",
          bmp(info_header(w, h, 8, colours=4), palette(4), pixel_rows(w, h, 8)))
    write("bmp_16bit", bmp(info_header(w, h, 16), b"", pixel_rows(w, h, 16)))
    write("bmp_24bit", bmp(info_header(w, h, 24), b"", pixel_rows(w, h, 24)))
    write("bmp_24bit_top_down", bmp(info_header(w, -h, 24), b"", pixel_rows(w, h, 24)))
    write("bmp_32bit", bmp(info_header(w, h, 32), b"", pixel_rows(w, h, 32)))
    masks = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    write("bmp_16bit_bitfields", bmp(info_header(w, h, 16, compression=3), masks, pixel_rows(w, h, 16)))
    v4 = bytearray(info_header(w, h, 32, compression=3, size=108))
    v4[40:52] = struct.pack("<III", 0x00FF0000, 0x0000FF00, 0x000000FF)
    write("bmp_32bit_v4_bitfields", bmp(bytes(v4), b"", pixel_rows(w, h, 32)))
    core = struct.pack("<IHHHH", 12, w, h, 1, 8)
    core_palette = b"".join(bytes((i, 255 - i, i // 2)) for i in range(256))
    write("bmp_core_8bit", bmp(core, core_palette, pixel_rows(w, h, 8)))
    full = bmp(info_header(w, h, 24), b"", pixel_rows(w, h, 24))
    write("bmp_truncated", full[:len(full) - 9])

    # Icons: one 4-bit image with its AND mask, one 32-bit image with alpha.
    def icon(entries):
        directory = struct.pack("<HHH", 0, 1, len(entries))
        offset = 6 + 16 * len(entries)
        body = b""
        for size, bits, image in entries:
            directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bits, len(image), offset + len(body))
            body += image
        return directory + body

    s = 8
    mask = pixel_rows(s, s, 1)
    four = info_header(s, 2 * s, 4) + palette(16) + pixel_rows(s, s, 4) + mask
    alpha = info_header(s, 2 * s, 32) + pixel_rows(s, s, 32) + mask
    write("ico_4bit_mask", icon([(s, 4, four)]))
    write("ico_two_images", icon([(s, 4, four), (s, 32, alpha)]))


if __name__ == "__main__":
    main()
