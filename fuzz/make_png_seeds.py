#!/usr/bin/env python3
"""Writes the small PNG seeds of the depth map fuzz target into
fuzz/seeds/depth_png: every colour type and bit depth, plain and interlaced,
with text, gamma, colour-space, profile and other ancillary chunks, and
palettes with transparency. Run it again after changing a seed."""
import os
import struct
import zlib

ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
         (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def scanline(samples, bits):
    if bits == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if bits == 8:
        return bytes(samples)
    out, acc, used = bytearray(), 0, 0
    for s in samples:
        acc = (acc << bits) | s
        used += bits
        if used == 8:
            out.append(acc)
            acc, used = 0, 0
    if used:
        out.append(acc << (8 - used))
    return bytes(out)


def png(width, height, kind, bits, interlaced=False, extra=(), late=()):
    channels = CHANNELS[kind]
    top = (1 << bits) - 1

    def pixel(x, y):
        return [(x * 37 + y * 11 + c * 71) % (top + 1) for c in range(channels)]

    raw = bytearray()
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        for y in range(y0, height, dy):
            samples = [s for x in range(x0, width, dx) for s in pixel(x, y)]
            if samples:
                raw += b"\0" + scanline(samples, bits)
    header = struct.pack(">IIBBBBB", width, height, bits, kind, 0, 0, 1 if interlaced else 0)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    for name, data in extra:
        out += chunk(name, data)
    out += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    for name, data in late:
        out += chunk(name, data)
    return out + chunk(b"IEND", b"")


def palette(entries):
    return b"".join(bytes(((k * 97 + 13) % 256, (k * 53) % 256, (k * 29 + 200) % 256))
                    for k in range(entries))


PROFILE = b"sRGB\0\0" + zlib.compress(b"\0\0\1\x80" + b"\0" * 124 + b"\0\0\0\0")
SEEDS = {
    "grey1_text.png": png(13, 5, 0, 1, extra=[(b"tEXt", b"Comment\0a grey picture")]),
    "grey2_interlaced_ztxt.png": png(9, 9, 0, 2, True,
                                     extra=[(b"zTXt", b"Title\0\0" + zlib.compress(b"stereo"))]),
    "grey4_trns.png": png(7, 3, 0, 4, extra=[(b"tRNS", b"\0\5")]),
    "grey16_gama.png": png(5, 4, 0, 16, extra=[(b"gAMA", struct.pack(">I", 45455))]),
    "grey_alpha8_itxt.png": png(6, 6, 4, 8, extra=[(b"iTXt", b"Author\0\0\0en\0\0Velmora")]),
    "rgb8_srgb_chrm.png": png(8, 3, 2, 8, extra=[
        (b"sRGB", b"\0"), (b"gAMA", struct.pack(">I", 45455)),
        (b"cHRM", struct.pack(">8I", 31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000))]),
    "rgb16_trns_interlaced.png": png(10, 7, 2, 16, True, extra=[(b"tRNS", b"\0\1\0\2\0\3")]),
    "rgba8_iccp.png": png(4, 4, 6, 8, extra=[(b"iCCP", PROFILE)]),
    "rgba16_interlaced_phys.png": png(11, 3, 6, 16, True,
                                      extra=[(b"pHYs", struct.pack(">IIB", 2835, 2835, 1))]),
    "palette1.png": png(16, 2, 3, 1, extra=[(b"PLTE", palette(2))]),
    "palette4_trns_time.png": png(9, 5, 3, 4, extra=[(b"PLTE", palette(16)),
                                                     (b"tRNS", bytes(range(0, 160, 10)))],
                                  late=[(b"tIME", struct.pack(">HBBBBB", 2026, 12, 7, 12, 0, 0))]),
    "palette8_trns_interlaced_splt.png": png(12, 12, 3, 8, True, extra=[
        (b"PLTE", palette(256)), (b"tRNS", bytes(range(255, 0, -2))),
        (b"sPLT", b"dots\0" + b"\x08" + bytes(range(0, 60)))]),
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds", "depth_png")
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
