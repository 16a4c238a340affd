#!/usr/bin/env python3
"""Writes font.h beside this script: the canvas's built-in bitmap font, read
from the 14-pixel Helvetica Bold of X.Org's 75 dpi bitmap fonts.

    apt-get install xfonts-75dpi
    base/make_font.py [/usr/share/fonts/X11/75dpi/helvB14.pcf.gz]

The table is committed, so building needs no font package and every platform
draws the same pixels. Each glyph is placed in a cell 16 pixels high with its
baseline under row 12; a glyph whose ink starts left of its origin or ends past
its advance is widened so that its ink stays inside its own cell (the canvas
paints each cell opaque, which would cut off any overhang).
"""
import gzip
import os
import struct
import sys
import textwrap

SOURCE = "/usr/share/fonts/X11/75dpi/helvB14.pcf.gz"
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "font.h")

CELL_HEIGHT = 16
BASELINE_ROW = 12  # the last row above the baseline
BULLET = 0x2022
CODE_POINTS = list(range(32, 127)) + [BULLET]

# Hand changes to the source glyphs, by character: the new advance. The '1'
# is 4 pixels of ink in an 8-pixel advance; narrowed to 6, the ink inside
# "10" or "11" leaves gaps of 1 and 2 pixels, so such a number reads as one
# word beside its neighbours on the chart's axis.
ADVANCE_CHANGES = {"1": 6}

# PCF table types and format bits (X.Org's libXfont, pcf.h).
PCF_PROPERTIES = 1 << 0
PCF_METRICS = 1 << 2
PCF_BITMAPS = 1 << 3
PCF_BDF_ENCODINGS = 1 << 5
PCF_COMPRESSED_METRICS = 0x100
PCF_BYTE_MSB_FIRST = 1 << 2
PCF_BIT_MSB_FIRST = 1 << 3

LICENCE = """\
// Source: Adobe Helvetica Bold, 14 pixels (helvB14.pcf.gz of the Debian
// package xfonts-75dpi, X.Org's font-adobe-75dpi), under this notice:
//
//   Copyright 1984-1989, 1994 Adobe Systems Incorporated.
//   Copyright 1988, 1994 Digital Equipment Corporation.
//
//   Adobe is a trademark of Adobe Systems Incorporated which may be
//   registered in certain jurisdictions.
//   Permission to use these trademarks is hereby granted only in
//   association with the images described in this file.
//
//   Permission to use, copy, modify, distribute and sell this software
//   and its documentation for any purpose and without fee is hereby
//   granted, provided that the above copyright notices appear in all
//   copies and that both those copyright notices and this permission
//   notice appear in supporting documentation, and that the names of
//   Adobe Systems and Digital Equipment Corporation not be used in
//   advertising or publicity pertaining to distribution of the software
//   without specific, written prior permission.  Adobe Systems and
//   Digital Equipment Corporation make no representations about the
//   suitability of this software for any purpose.  It is provided "as
//   is" without express or implied warranty.
"""


def read_pcf(path):
    """The glyphs of a PCF font by code point: (advance, left, ascent, rows),
    rows being lists of 0/1 pixels from the top row of the ink box down."""
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as f:
        data = f.read()
    if data[:4] != b"\x01fcp":
        sys.exit(f"{path}: not a PCF font")
    (count,) = struct.unpack_from("<i", data, 4)
    offsets = {}
    for i in range(count):
        kind, _, _, offset = struct.unpack_from("<iiii", data, 8 + 16 * i)
        offsets[kind] = offset

    def table(kind):
        # Each table repeats its format first, always least significant byte
        # first; the rest is in the byte order the format names.
        (fmt,) = struct.unpack_from("<i", data, offsets[kind])
        return fmt, (">" if fmt & PCF_BYTE_MSB_FIRST else "<"), offsets[kind] + 4

    fmt, order, at = table(PCF_METRICS)
    metrics = []  # left bearing, right bearing, advance, ascent, descent
    if fmt & PCF_COMPRESSED_METRICS:
        (n,) = struct.unpack_from(order + "h", data, at)
        at += 2
        for i in range(n):
            metrics.append(tuple(b - 0x80 for b in data[at + 5 * i:at + 5 * i + 5]))
    else:
        (n,) = struct.unpack_from(order + "i", data, at)
        at += 4
        for i in range(n):
            metrics.append(struct.unpack_from(order + "hhhhh", data, at + 12 * i))

    fmt, order, at = table(PCF_BITMAPS)
    (n,) = struct.unpack_from(order + "i", data, at)
    starts = struct.unpack_from(order + f"{n}i", data, at + 4)
    bits = data[at + 4 + 4 * n + 16:]
    pad = 1 << (fmt & 3)
    unit = 1 << ((fmt >> 4) & 3)
    swap_units = bool(fmt & PCF_BYTE_MSB_FIRST) != bool(fmt & PCF_BIT_MSB_FIRST) and unit > 1
    msb_first = bool(fmt & PCF_BIT_MSB_FIRST)

    def glyph_rows(index):
        left, right, _, ascent, descent = metrics[index]
        width = right - left
        stride = ((width + 7) // 8 + pad - 1) // pad * pad
        rows = []
        for r in range(ascent + descent):
            row = bytearray(bits[starts[index] + r * stride:starts[index] + (r + 1) * stride])
            if swap_units:
                for k in range(0, len(row), unit):
                    row[k:k + unit] = row[k:k + unit][::-1]
            rows.append([(row[x // 8] >> (7 - x % 8 if msb_first else x % 8)) & 1 for x in range(width)])
        return rows

    fmt, order, at = table(PCF_BDF_ENCODINGS)
    min2, max2, min1, max1, _ = struct.unpack_from(order + "5h", data, at)
    columns = max2 - min2 + 1
    indices = struct.unpack_from(order + f"{columns * (max1 - min1 + 1)}H", data, at + 10)
    glyphs = {}
    for code_point in CODE_POINTS:
        high, low = code_point >> 8, code_point & 0xFF
        if not (min1 <= high <= max1 and min2 <= low <= max2):
            sys.exit(f"{path}: no glyph for U+{code_point:04X}")
        index = indices[(high - min1) * columns + (low - min2)]
        if index == 0xFFFF:
            sys.exit(f"{path}: no glyph for U+{code_point:04X}")
        left, _, advance, ascent, _ = metrics[index]
        glyphs[code_point] = (advance, left, ascent, glyph_rows(index))
    return glyphs


def cell(advance, left, ascent, rows):
    """The glyph in its cell: (advance, 16 row bit masks, bit 15 leftmost)."""
    width = len(rows[0]) if rows else 0
    shift = max(0, -left)  # ink left of the origin moves right
    advance = max(advance + shift, left + shift + width)
    if advance > 16:
        sys.exit("a glyph wider than 16 pixels")
    masks = [0] * CELL_HEIGHT
    top = BASELINE_ROW + 1 - ascent
    for r, row in enumerate(rows):
        y = top + r
        if not 0 <= y < CELL_HEIGHT:
            sys.exit("a glyph taller than the cell")
        for x, on in enumerate(row):
            if on:
                masks[y] |= 0x8000 >> (left + shift + x)
    return advance, masks


def describe(code_point):
    if code_point == BULLET:
        return "U+2022 bullet"
    return '"\'"' if code_point == ord("'") else f"'{chr(code_point)}'"


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else SOURCE
    glyphs = read_pcf(source)
    entries = []
    widened = []
    for code_point in CODE_POINTS:
        advance, masks = cell(*glyphs[code_point])
        if advance != glyphs[code_point][0]:
            widened.append(describe(code_point))
        advance = ADVANCE_CHANGES.get(chr(code_point), advance)
        if any(mask & ((0x10000 >> advance) - 1) for mask in masks):
            sys.exit(f"{describe(code_point)}: ink past the changed advance")
        rows = ", ".join(f"0x{mask:04X}" for mask in masks)
        entries.append(f"    {{{advance:2}, {{{{{rows}}}}}}},  // {describe(code_point)}")
    changes = ", ".join(f"'{c}' to {a} pixels" for c, a in ADVANCE_CHANGES.items())
    notes = textwrap.fill(
        f"Widened to hold their ink (cells are opaque, nothing may overhang): "
        f"{', '.join(widened) or 'none'}. Narrowed by hand: {changes or 'none'}, "
        f"so that the digits of a two-digit number stay one word.",
        width=79, initial_indent="// ", subsequent_indent="// ")
    text = f"""\
// The built-in bitmap font of draw_text: proportional bold glyphs in cells 16
// pixels high, baseline under row 12, covering ASCII 32..126 and U+2022
// (bullet). Written by make_font.py beside this file; change that, not this.
//
{LICENCE}//
{notes}
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "base/utf8.h"

namespace base::font {{

inline constexpr int kCellHeight = 16;
inline constexpr char32_t kFirstAscii = 32;
inline constexpr char32_t kLastAscii = 126;
inline constexpr char32_t kBullet = 0x2022;
// Code points the font lacks are drawn as this one.
inline constexpr char32_t kReplacement = U'?';

// A glyph fills columns 0..advance-1 of its cell: one row mask per pixel row,
// top row first, bit 15 the leftmost pixel. The ink lies inside the advance.
struct Glyph {{
  int advance;
  std::array<std::uint16_t, kCellHeight> rows;
}};

// ASCII 32..126 in order, then the bullet.
inline constexpr std::array<Glyph, {len(entries)}> kGlyphs = {{{{
{chr(10).join(entries)}
}}}};

// The glyph of a code point; kReplacement's for one the font lacks.
constexpr const Glyph& glyph(char32_t code_point) {{
  if (code_point >= kFirstAscii && code_point <= kLastAscii) {{
    return kGlyphs[code_point - kFirstAscii];
  }}
  if (code_point == kBullet) {{
    return kGlyphs[kGlyphs.size() - 1];
  }}
  return kGlyphs[kReplacement - kFirstAscii];
}}

// The width of a UTF-8 text in this font: its glyphs' advances, one after
// another (the font has no kerning).
inline int text_width(std::string_view utf8) {{
  int width = 0;
  for (const char32_t code_point : decode_utf8(utf8)) width += glyph(code_point).advance;
  return width;
}}

}}  // namespace base::font
"""
    with open(OUT, "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()
