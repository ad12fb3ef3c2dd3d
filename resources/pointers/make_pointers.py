#!/usr/bin/env python3
"""Writes the two hand pointers of the button's xp images as 32 x 32, 16-colour cursors.

    python3 resources/pointers/make_pointers.py [output-folder]

hand.cur is the pointing hand shown while the pointer hovers over a button, and
hand-clicking.cur the same hand with four short strokes around the fingertip, shown
while the button is pressed. Both have their hot spot at the tip of the index finger.
The pictures are drawn below as text, one character per pixel:

    .  transparent (AND mask 1, colour 0)
    K  black outline     W  white hand     B  blue cuff     M  magenta stroke
"""
import os
import struct
import sys

HAND = """
................................
................................
................................
................................
................................
..........KKK...................
.........KWWWK..................
.........KWWWK..................
.........KWWWK..................
.........KWWWK..................
.........KWWWK..................
.........KWWWK..................
.........KWWWKKKK...............
.........KWWWKWWWKKKK...........
.........KWWWKWWWKWWWKKK........
..KKK....KWWWKWWWKWWWKWWK.......
.KWWWK...KWWWWWWWWWWWWWWK.......
.KWWWWK..KWWWWWWWWWWWWWWK.......
..KWWWWK.KWWWWWWWWWWWWWWK.......
...KWWWWKKWWWWWWWWWWWWWWK.......
....KWWWWWWWWWWWWWWWWWWWK.......
.....KWWWWWWWWWWWWWWWWWWK.......
......KWWWWWWWWWWWWWWWWWK.......
.......KWWWWWWWWWWWWWWWK........
........KWWWWWWWWWWWWWK.........
........KKKKKKKKKKKKKKK.........
........KBBBBBBBBBBBBBK.........
........KBBBBBBBBBBBBBK.........
........KBBBBBBBBBBBBBK.........
........KKKKKKKKKKKKKKK.........
................................
................................
"""

# The four strokes of the clicking hand: left of the tip, up-left, up-right, right.
STROKES = [(5, 6), (6, 6), (7, 6),
           (6, 2), (7, 3), (8, 4),
           (16, 2), (15, 3), (14, 4),
           (15, 6), (16, 6), (17, 6)]

HOT_SPOT = (11, 5)  # the top of the fingertip's outline

# The 16-colour palette of the standard VGA order, as (R, G, B).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
INDEX = {".": 0, "K": 0, "W": 15, "B": 12, "M": 13}
SIZE = 32


def rows(art):
    lines = art.strip("\n").split("\n")
    assert len(lines) == SIZE and all(len(r) == SIZE for r in lines), "the drawing is 32 x 32"
    return [list(r) for r in lines]


def cursor_file(pixels, hot_spot):
    """A CUR file of one 4-bit entry: directory, BITMAPINFOHEADER (height counting the
    colour rows and the mask rows), palette, colour rows and AND mask, rows from the
    bottom."""
    colour = b""
    mask = b""
    for row in reversed(pixels):
        nibbles = [INDEX[c] for c in row]
        colour += bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2))
        bits = "".join("1" if c == "." else "0" for c in row)
        mask += int(bits, 2).to_bytes(SIZE // 8, "big")  # 32 bits: already 4-byte rows
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, len(colour) + len(mask),
                         0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + palette + colour + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, hot_spot[0], hot_spot[1], len(image),
                        6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    hand = rows(HAND)
    assert hand[HOT_SPOT[1]][HOT_SPOT[0]] == "K"
    clicking = [r[:] for r in hand]
    for x, y in STROKES:
        assert clicking[y][x] == ".", "a stroke stays off the hand"
        clicking[y][x] = "M"
    for name, pixels in (("hand.cur", hand), ("hand-clicking.cur", clicking)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(cursor_file(pixels, HOT_SPOT))


if __name__ == "__main__":
    main()
