#!/usr/bin/env python3
"""Draws the toolbox bitmap of sheenButton (resource 30000): a small XP-style push button
with a two-line caption and the orange hover ring at its foot, 16 x 15 pixels, written as
an uncompressed 24-bit BMP. The form designer's toolbox shows it; the library embeds the
file at build time (cmake/embed.cmake).

usage: tools/toolbox_bmp.py resources/toolbox.bmp
"""
import struct
import sys

PICTURE = [
    "................",
    "..BBBBBBBBBBBB..",
    ".BwwwwwwwwwwwwB.",
    ".BwffffffffffgB.",
    ".BwffffffffffgB.",
    ".BwffkkkkkkffgB.",
    ".BwffffffffffgB.",
    ".BwffkkkkffffgB.",
    ".BwffffffffffgB.",
    ".BwffffffffffgB.",
    ".BwggggggggggdB.",
    ".BooooooooooooB.",
    ".BooooooooooooB.",
    "..BBBBBBBBBBBB..",
    "................",
]

COLOURS = {  # (R, G, B)
    ".": (192, 192, 192),  # the toolbox's face
    "B": (0, 60, 116),  # the dark blue frame
    "w": (255, 255, 255),  # light edge
    "f": (244, 243, 238),  # button face
    "g": (226, 223, 214),  # the face darkening towards the foot
    "d": (214, 208, 197),
    "k": (0, 0, 0),  # caption
    "o": (248, 179, 48),  # hover ring
}


def bmp(rows):
    height, width = len(rows), len(rows[0])
    assert all(len(r) == width for r in rows)
    stride = (width * 3 + 3) & ~3
    pixels = b""
    for row in reversed(rows):  # a positive height stores the bottom row first
        line = b"".join(bytes(reversed(COLOURS[c])) for c in row)  # blue, green, red
        pixels += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(bmp(PICTURE))
