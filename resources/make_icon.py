#!/usr/bin/env python3
"""Writes velmora.ico: the program's icon for Explorer, at 16x16, 32x32 and
48x48, 32 bits per pixel. A field of random dots in the colours of the
pattern bitmap's colour cube, with a white V standing on it.
"""
import random
import struct
import sys

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


def image(size):
    rng = random.Random(0x1C0 + size)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if in_v(x, y, size):
                row.append((255, 255, 255))
            elif any(in_v(x + dx, y + dy, size) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                row.append((0, 0, 0))
            else:
                row.append(dot_colour(rng))
        rows.append(row)
    # Bottom-up BGRA pixels, then an all-opaque AND mask (rows of 32 bits).
    pixels = b"".join(
        struct.pack("<BBBB", b, g, r, 255) for row in reversed(rows) for (r, g, b) in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + pixels + mask


def main(path):
    images = [image(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "velmora.ico")
