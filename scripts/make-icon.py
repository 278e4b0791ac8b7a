#!/usr/bin/env python3
"""Draws resources/welcora.png: 32 x 32 pixels, 16-colour palette, and the
same image as resources/welcora.ico for the Windows executable.

A speech bubble holding an envelope, on a rounded tile in the skin's blue.
Run it again after changing the drawing; the PNG is committed.
"""
import struct
import sys
import zlib

PALETTE = [
    (0, 0, 0),        # 0 transparent
    (23, 61, 95),     # 1 tile edge
    (31, 78, 121),    # 2 tile
    (47, 110, 165),   # 3 tile light
    (255, 255, 255),  # 4 paper
    (214, 226, 238),  # 5 paper shade
    (120, 150, 178),  # 6 fold line
    (255, 204, 51),   # 7 sun
    (230, 160, 30),   # 8 sun edge
]
PALETTE += [(0, 0, 0)] * (16 - len(PALETTE))

W = H = 32
px = [[0] * W for _ in range(H)]


def rounded(x0, y0, x1, y1, r, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            dx = max(x0 + r - x, 0, x - (x1 - r))
            dy = max(y0 + r - y, 0, y - (y1 - r))
            if dx * dx + dy * dy <= r * r:
                px[y][x] = colour


rounded(1, 1, 30, 30, 6, 1)
rounded(2, 2, 29, 29, 5, 2)
for y in range(3, 12):
    for x in range(3, 29):
        if px[y][x] == 2 and (x + y) % 2 == 0 and y < 8:
            px[y][x] = 3
# envelope
for y in range(11, 25):
    for x in range(6, 26):
        px[y][x] = 4 if y < 24 else 5
for x in range(6, 26):
    px[11][x] = 5
# flap: a V from the top corners to the middle
for i in range(0, 10):
    px[11 + i * 7 // 10][6 + i] = 6
    px[11 + i * 7 // 10][25 - i] = 6
# sun: welcome
for y in range(3, 12):
    for x in range(20, 30):
        d = (x - 24.5) ** 2 + (y - 7.5) ** 2
        if d <= 14:
            px[y][x] = 7 if d <= 8 else 8

raw = b"".join(b"\x00" + bytes(((row[x] << 4) | row[x + 1]) for x in range(0, W, 2)) for row in px)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


png = b"\x89PNG\r\n\x1a\n"
png += chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 4, 3, 0, 0, 0))
png += chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
png += chunk(b"tRNS", b"\x00")
png += chunk(b"IDAT", zlib.compress(raw, 9))
png += chunk(b"IEND", b"")
out = sys.argv[1] if len(sys.argv) > 1 else "resources/welcora.png"
with open(out, "wb") as f:
    f.write(png)

# The icon file: one 32x32 image, 4 bits a pixel, bottom row first, then
# the 1-bit mask of the transparent pixels (colour 0).
colours = b"".join(bytes((b, g, r, 0)) for (r, g, b) in PALETTE)
pixels = b"".join(bytes(((row[x] << 4) | row[x + 1]) for x in range(0, W, 2)) for row in reversed(px))
mask = b""
for row in reversed(px):
    bits = 0
    for x in range(W):
        bits = (bits << 1) | (1 if row[x] == 0 else 0)
    mask += struct.pack(">I", bits)
header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(pixels) + len(mask), 0, 0, 16, 0)
image = header + colours + pixels + mask
ico = struct.pack("<HHH", 0, 1, 1)
ico += struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 6 + 16)
ico += image
ico_out = out[: -len(".png")] + ".ico" if out.endswith(".png") else out + ".ico"
with open(ico_out, "wb") as f:
    f.write(ico)
