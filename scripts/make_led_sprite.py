#!/usr/bin/env python3
"""Writes resources/led_sprite.png: the 48 x 128 lamp sprite sheet.

Cells are 16 x 16. Columns: bright, dark, grey. Rows of 16 pixels: red,
green, yellow, blue as round lamps (rows 0..63), then the same four as square
lamps (rows 64..127). Magenta (255, 0, 255) is the transparent colour.
"""
import struct
import sys
import zlib

MAGENTA = (255, 0, 255)
COLOURS = [(230, 20, 20), (20, 200, 40), (240, 200, 0), (30, 90, 230)]


def shade(rgb, column):
    if column == 0:
        return rgb
    if column == 1:
        return tuple(c * 35 // 100 for c in rgb)
    grey = (rgb[0] * 30 + rgb[1] * 59 + rgb[2] * 11) // 100
    grey = 110 + grey // 4
    return (grey, grey, grey)


def mix(a, b, t):
    return tuple(int(x + (y - x) * t) for x, y in zip(a, b))


def cell_pixel(x, y, rgb, column, square):
    cx, cy = 7.5, 7.5
    if square:
        inside = 2 <= x <= 13 and 2 <= y <= 13
        rim = inside and (x in (2, 13) or y in (2, 13))
    else:
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        inside = d2 <= 6.3 ** 2
        rim = inside and d2 > 5.2 ** 2
    if not inside:
        return MAGENTA
    base = shade(rgb, column)
    if rim:
        return mix(base, (0, 0, 0), 0.45)
    # A small highlight towards the top left.
    h2 = (x - 5.5) ** 2 + (y - 5.5) ** 2
    if h2 <= 2.5 and column != 2:
        return mix(base, (255, 255, 255), 0.55)
    return base


def build():
    rows = []
    for y in range(128):
        square = y >= 64
        band = (y % 64) // 16
        row = bytearray([0])
        for x in range(48):
            column = x // 16
            row += bytes(cell_pixel(x % 16, y % 16, COLOURS[band], column, square))
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main(path):
    header = struct.pack(">IIBBBBB", 48, 128, 8, 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(build(), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "resources/led_sprite.png")
