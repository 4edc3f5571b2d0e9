#!/usr/bin/env python3
"""Writes ALL.bmp: the 80x120, 8-bit pattern bitmap whose size fixes the
pattern tile and whose colour table is the program's base palette.

Colour table: a 6x6x6 colour cube (0..215), a 20-step grey ramp (216..235)
and twenty fixed colours (236..255). Pixels are random indexes 0..231; the
program replaces them with its own random dots, so any content serves.
"""
import random
import struct
import sys

WIDTH, HEIGHT = 80, 120

FIXED = [
    (134, 134, 134), (150, 150, 150), (203, 203, 203), (178, 178, 178),
    (215, 215, 215), (221, 221, 221), (227, 227, 227), (234, 234, 234),
    (241, 241, 241), (248, 248, 248), (255, 251, 240), (160, 160, 164),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def colour_table():
    colours = []
    for r in range(6):
        for g in range(6):
            for b in range(6):
                colours.append((51 * r, 51 * g, 51 * b))
    for k in range(20):
        v = k * 255 // 19
        colours.append((v, v, v))
    colours.extend(FIXED)
    assert len(colours) == 256
    return colours


def main(path):
    rng = random.Random(0x5EED)
    pixels = bytes(rng.randrange(0, 232) for _ in range(WIDTH * HEIGHT))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in colour_table())
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, WIDTH * HEIGHT, 0, 0, 0, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as out:
        out.write(header + info + table + pixels)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "ALL.bmp")
