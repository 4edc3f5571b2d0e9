#!/usr/bin/env python3
"""The program's icon: a field of random dots in the colours of the pattern
bitmap's colour cube, with a white V standing on it.

  make_icon.py [velmora.ico]     Explorer's icon, 16x16, 32x32 and 48x48, 32 bits
  make_icon.py --png SIZE PATH   one size as an RGB PNG, for the desktop's themes

Every size is drawn from this source, so the desktop icons and the checked-in
velmora.ico cannot drift apart.
"""
import random
import struct
import sys
import zlib

SIZES = (16, 32, 48)


def dot_colour(rng):
    # Levels of the 6x6x6 cube of ALL.bmp, kept away from black.
    return tuple(51 * rng.randrange(1, 6) for _ in range(3))


def in_v(x, y, size):
    """Whether pixel (x, y), counted from the top, lies on the V's strokes."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    if not 0.15 <= v <= 0.85:
        return False
    half_width = 0.09
    depth = (v - 0.15) / 0.7  # 0 at the top of the strokes, 1 at the point
    left = 0.15 + 0.35 * depth
    right = 0.85 - 0.35 * depth
    return abs(u - left) <= half_width or abs(u - right) <= half_width


def pixels(size):
    """Rows of (r, g, b), top row first."""
    rng = random.Random(0x1C0 + size)
    # Dots stay about 1/32 of the icon wide, so large sizes are not grey noise;
    # up to 48 pixels every pixel is a dot of its own.
    cell = max(1, size // 32)
    dots = {}
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if in_v(x, y, size):
                row.append((255, 255, 255))
            elif any(in_v(x + dx, y + dy, size) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row.append((0, 0, 0))
            else:
                key = (x // cell, y // cell)
                if key not in dots:
                    dots[key] = dot_colour(rng)
                row.append(dots[key])
        rows.append(row)
    return rows


def ico_image(size):
    rows = pixels(size)
    # Bottom-up BGRA pixels, then an all-opaque AND mask (rows of 32 bits).
    bgra = b"".join(
        struct.pack("<BBBB", b, g, r, 255) for row in reversed(rows) for (r, g, b) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(bgra) + len(mask),
                         0, 0, 0, 0)
    return header + bgra + mask


def png(size):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data)))
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in pixels(size))
    # No time or text chunks: the same size gives the same bytes.
    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_ico(path):
    images = [ico_image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(images))


def main(args):
    if args[:1] == ["--png"] and len(args) == 3 and args[1].isdigit() and int(args[1]) >= 8:
        with open(args[2], "wb") as out:
            out.write(png(int(args[1])))
    elif len(args) <= 1 and args[:1] != ["--png"]:
        write_ico(args[0] if args else "velmora.ico")
    else:
        sys.exit("usage: make_icon.py [ICO] | --png SIZE PATH")


if __name__ == "__main__":
    main(sys.argv[1:])
