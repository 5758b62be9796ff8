#!/usr/bin/env python3
"""Writes the editing cursors into resources/bundle/Cursors/ as 16 x 16 RGBA PNG files.

Each cursor is black with a one-pixel white outline, so it shows on light and dark designs.
The resize arrows, the panel and the separator cursors are drawn from geometry; the two hands
from the pixel art below. Hot spots are set in code (CAEnvironment::cursorFromType): the resize
arrows at (7, 7), the panel cursor at (5, 6), the separator cursor at (6, 6), the hands at (5, 6);
each drawing centres on its hot spot. Run from the project root:
python3 tools/make_cursors.py
"""
import struct
import sys
import zlib
from pathlib import Path

SIZE = 16
OUT = Path(__file__).resolve().parent.parent / "resources" / "bundle" / "Cursors"


def png(pixels):
    """pixels: rows of (r, g, b, a) tuples -> PNG bytes (8-bit RGBA, no interlace)."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)
    header = struct.pack(">IIBBBBB", len(pixels[0]), len(pixels), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def outlined(black):
    """A black shape with a white border of one pixel around it."""
    white = set()
    for (x, y) in black:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in black and 0 <= p[0] < SIZE and 0 <= p[1] < SIZE:
                    white.add(p)
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if (x, y) in black:
                row.append((0, 0, 0, 255))
            elif (x, y) in white:
                row.append((255, 255, 255, 255))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def double_arrow():
    """Horizontal double arrow through (7, 7)."""
    black = {(x, 7) for x in range(1, 14)}
    for k in range(0, 3):
        for y in range(7 - k, 8 + k):
            black.add((1 + k, y))
            black.add((13 - k, y))
    return black


def transpose(black):
    return {(y, x) for (x, y) in black}


def diagonal_arrow():
    """Double arrow from the top-left to the bottom-right corner through (7, 7)."""
    black = {(i, i) for i in range(2, 13)} | {(i + 1, i) for i in range(2, 12)}
    for k in range(0, 5):
        black.update({(2 + k, 2), (2, 2 + k), (12 - k, 12), (12, 12 - k)})
    return black


def mirror(black):
    return {(14 - x, y) for (x, y) in black}


def crosshair(cx, cy, arm):
    black = {(cx + d, cy) for d in range(-arm, arm + 1)}
    black.update({(cx, cy + d) for d in range(-arm, arm + 1)})
    return black


def box_cursor():
    black = crosshair(5, 6, 4)
    black.update({(x, y) for x in range(9, 15) for y in (10, 14)})
    black.update({(x, y) for x in (9, 14) for y in range(10, 15)})
    return black


def separator_cursor():
    black = crosshair(6, 6, 4)
    black.update({(x, y) for x in range(8, 15) for y in (12, 13)})
    return black


def art(lines):
    assert len(lines) == SIZE and all(len(line) == SIZE for line in lines), lines
    colours = {"#": (0, 0, 0, 255), ".": (255, 255, 255, 255), " ": (0, 0, 0, 0)}
    return [[colours[c] for c in line] for line in lines]


OPEN_HAND = [
    "       ##       ",
    "   ## #..###    ",
    "  #..##..#..#   ",
    "  #..##..#..# # ",
    "   #..#..#..##.#",
    "   #..#..#..#..#",
    " ## #........#.#",
    "#..##..........#",
    "#...#.........# ",
    " #............# ",
    "  #...........# ",
    "  #..........#  ",
    "   #.........#  ",
    "    #.......#   ",
    "     #......#   ",
    "     ########   ",
]

CLOSED_HAND = [
    "                ",
    "                ",
    "                ",
    "                ",
    "    ## ## ##    ",
    "   #..#..#..##  ",
    "   #........#.# ",
    "    #.........# ",
    "   ##.........# ",
    "  #...........# ",
    "  #...........# ",
    "   #.........#  ",
    "    #........#  ",
    "     #......#   ",
    "     ########   ",
    "                ",
]


def main():
    cursors = {
        "resizeHCursor": outlined(double_arrow()),
        "resizeVCursor": outlined(transpose(double_arrow())),
        "resizeD1Cursor": outlined(diagonal_arrow()),
        "resizeD2Cursor": outlined(mirror(diagonal_arrow())),
        "boxCursor": outlined(box_cursor()),
        "sepCursor": outlined(separator_cursor()),
        "openhandCursor": art(OPEN_HAND),
        "closedhandCursor": art(CLOSED_HAND),
    }
    OUT.mkdir(parents=True, exist_ok=True)
    for name, pixels in cursors.items():
        (OUT / (name + ".png")).write_bytes(png(pixels))
    return 0


if __name__ == "__main__":
    sys.exit(main())
