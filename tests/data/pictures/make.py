#!/usr/bin/env python3
"""Writes the checked-in test pictures byte by byte (no image tool needed).

Every picture is 4 x 4 (the icon's entries aside) in four 2 x 2 blocks: red top-left,
lime top-right, blue bottom-left, white bottom-right.  Run it in this folder."""
import struct, zlib

RED, LIME, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)
def quad(x, y):
    return [[RED, LIME], [BLUE, WHITE]][y // 2][x // 2]

def bmp(name, info, palette, pixels):
    off = 14 + len(info) + len(palette)
    open(name, 'wb').write(b'BM' + struct.pack('<IHHI', off + len(pixels), 0, 0, off) + info + palette + pixels)

def info40(w, h, bpp, comp, size, used):
    return struct.pack('<IiiHHIIiiII', 40, w, h, 1, bpp, comp, size, 2835, 2835, used, 0)

# RLE8, bottom-up: palette red, lime, blue, white; rows from the bottom use a run, a
# literal block and end-of-line codes, then end-of-picture.
pal = b''.join(bytes((b, g, r, 0)) for r, g, b in (RED, LIME, BLUE, WHITE))
rle = bytes([2, 2, 2, 3, 0, 0,           # bottom row: blue blue white white
             0, 4, 2, 2, 3, 3, 0, 0,     # literal block of 4
             2, 0, 2, 1, 0, 0,
             2, 0, 2, 1, 0, 1])
bmp('quad-rle8.bmp', info40(4, 4, 8, 1, len(rle), 4), pal, rle)

# 16-bit 5-6-5 bit fields, top-down (negative height), masks after the 40-byte header.
masks = struct.pack('<III', 0xF800, 0x07E0, 0x001F)
px = b''
for y in range(4):
    for x in range(4):
        r, g, b = quad(x, y)
        px += struct.pack('<H', (r >> 3) << 11 | (g >> 2) << 5 | b >> 3)
bmp('quad-565-topdown.bmp', info40(4, -4, 16, 3, len(px), 0), masks, px)

def png(w, h, rgba_rows):
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rgba_rows)
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xFFFFFFFF)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))

# RGBA PNG: the white block half transparent.
open('quad.png', 'wb').write(png(4, 4, [[quad(x, y) + ((128,) if quad(x, y) == WHITE else (255,))
                                         for x in range(4)] for y in range(4)]))

# An icon with three entries: 16 x 16 at 4 bits (blue, AND mask clear), 32 x 32 at
# 32 bits with alpha (red, alpha 0x80 left half, 0xFF right half), 48 x 48 as PNG (lime).
def dib_entry(w, bpp, palette, color_rows, mask_rows):
    head = struct.pack('<IiiHHIIiiII', 40, w, 2 * w, 1, bpp, 0, 0, 0, 0, 0, 0)
    return head + palette + color_rows + mask_rows
e16 = dib_entry(16, 4, bytes((255, 0, 0, 0)) + bytes(60), bytes(8 * 16),
                b''.join((b'\xFF\xFF\0\0' if y < 8 else b'\0\0\0\0') for y in range(16)))
e32 = dib_entry(32, 32, b'', b''.join(bytes((0, 0, 255, 0x80 if x < 16 else 0xFF)) for y in range(32) for x in range(32)),
                bytes(4 * 32))
e48 = png(48, 48, [[LIME + (255,)] * 48] * 48)
entries = [(16, 4, e16), (32, 32, e32), (48, 32, e48)]
out = struct.pack('<HHH', 0, 1, len(entries))
offset = 6 + 16 * len(entries)
data = b''
for w, bpp, e in entries:
    out += struct.pack('<BBBBHHII', w, w, 0, 0, 1, bpp, len(e), offset + len(data))
    data += e
open('three-sizes.ico', 'wb').write(out + data)
