#!/usr/bin/env python3
"""Draws the pointer and icon pictures shipped beside the program and in the Linux package.

The pictures are kept as text art here so they can be changed in review;
run this script and commit its outputs in resources/ and packaging/ when they change.
"""
import struct
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent / "resources"
HICOLOR = Path(__file__).resolve().parent.parent / "packaging" / "linux" / "icons" / "hicolor"

# '#' outline, 'o' fill, '.' transparent. Hot spot of the hand: the tip of the index finger.
HAND = """
.....##.........................
....#oo#........................
....#oo#........................
....#oo#........................
....#oo#........................
....#oo###......................
....#oo#oo###...................
....#oo#oo#oo##.................
....#oo#oo#oo#o#................
.##.#oo#oo#oo#oo#...............
#oo##oooooooo#oo#...............
#ooo#ooooooooooo#...............
.#oo#ooooooooooo#...............
..#ooooooooooooo#...............
..#ooooooooooooo#...............
...#oooooooooooo#...............
...#ooooooooooo#................
....#oooooooooo#................
....#ooooooooo#.................
.....#oooooooo#.................
.....#oooooooo#.................
.....##########.................
"""

# A row being carried: a sheet with an arrow up and an arrow down.
DRAG = """
...............##...............
..............#oo#..............
.............#oooo#.............
............#oooooo#............
...........####oo####...........
..............#oo#..............
......####################......
......#oooooooooooooooooo#......
......#o################o#......
......#oooooooooooooooooo#......
......#o############oooooo#.....
......#oooooooooooooooooo#......
......#o##############ooo#......
......#oooooooooooooooooo#......
......####################......
..............#oo#..............
...........####oo####...........
............#oooooo#............
.............#oooo#.............
..............#oo#..............
...............##...............
"""

# The window icon: a spreadsheet grid with a tag bracket in its corner.
ICON = """
################################
#gggggggggggggggggggggggggggggg#
#gggggggggggggggggggggggggggggg#
################################
#wwwwwww#wwwwwww#wwwwwww#wwwwww#
#wwwwwww#wwwwwww#wwwwwww#wwwwww#
#wwwwwww#wwwwwww#wwwwwww#wwwwww#
################################
#wwwwwww#wwwwwww#wwwwwww#wwwwww#
#wwwwwww#wwwwwww#wwwwwww#wwwwww#
#wwwwwww#wwwwwww#wwwwwww#wwwwww#
################################
#wwwwwww#wwwwwww#bbbbbbbbbbbbbb#
#wwwwwww#wwwwwww#bbbbbbbbbbbbbb#
#wwwwwww#wwwwwww#bbwwbbbbbbwwbb#
#########################bwwbbb#
#wwwwwww#wwwwwww#bwwbbbbbwwbbbb#
#wwwwwww#wwwwwww#bbwwbbbwwbbwwb#
#wwwwwww#wwwwwww#bbbwwbwwbbwwbb#
################bbbbbbbbbbbbbbb#
#wwwwwww#wwwwwww#bbbbbbbbbbbbbb#
#wwwwwww#wwwwwww#bbbbbbbbbbbbbb#
################################
"""

# The same icon for the smallest sizes, where the big one's thin lines would vanish.
ICON_SMALL = """
################
#gggggggggggggg#
################
#www#www#www#ww#
#www#www#www#ww#
################
#www#www#bbbbbb#
#www#www#bwbbwb#
#www#www#wbbbbw#
#########bwbbwb#
#www#www#bbbbbb#
################
"""
COLOURS = {
    "#": (0, 0, 0, 255),
    "o": (255, 255, 255, 255),
    "g": (46, 125, 50, 255),
    "w": (250, 250, 250, 255),
    "b": (21, 101, 192, 255),
    ".": (0, 0, 0, 0),
}


def pixels(art, size=32, top=0):
    rows = art.strip("\n").split("\n")
    grid = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, row in enumerate(rows):
        for x, ch in enumerate(row[:size]):
            grid[top + y][x] = COLOURS[ch]
    return grid


def ico_image(grid):
    """One 32-bit BMP entry of an ICO/CUR file: header, bottom-up BGRA, AND mask."""
    size = len(grid)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(grid) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(grid):
        line = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + xor + bytes(mask)


def write_icon_file(path, grid, kind, hotspot=(0, 0)):
    image = ico_image(grid)
    size = len(grid)
    planes_or_x, bits_or_y = (1, 32) if kind == 1 else hotspot
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, planes_or_x, bits_or_y, len(image), 6 + 16)
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(directory + entry + image)


def write_png(path, grid, scale=2):
    size = len(grid) * scale
    raw = bytearray()
    for row in grid:
        line = bytearray([0])
        for px in row:
            line += bytes(px) * scale
        raw += bytes(line) * scale
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    path.write_bytes(png)


def write_svg(path, grid):
    """The icon as squares, one per pixel, for the theme's scalable size."""
    size = len(grid)
    squares = []
    for y, row in enumerate(grid):
        for x, (r, g, b, a) in enumerate(row):
            if a:
                squares.append(f'<rect x="{x}" y="{y}" width="1" height="1" fill="#{r:02x}{g:02x}{b:02x}"/>')
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_text(
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" '
        f'viewBox="0 0 {size} {size}" shape-rendering="crispEdges">\n'
        + "\n".join(squares) + "\n</svg>\n")


def write_theme_icons():
    """The program's icon in the hicolor theme, at the sizes desktops ask for."""
    small, large = pixels(ICON_SMALL, size=16, top=2), pixels(ICON, top=5)
    for size, grid, scale in ((16, small, 1), (32, large, 1), (48, small, 3), (64, large, 2),
                              (128, large, 4), (256, large, 8)):
        folder = HICOLOR / f"{size}x{size}" / "apps"
        folder.mkdir(parents=True, exist_ok=True)
        write_png(folder / "brindlequay.png", grid, scale)
    write_svg(HICOLOR / "scalable" / "apps" / "brindlequay.svg", large)


if __name__ == "__main__":
    write_icon_file(ROOT / "HAND-M.CUR", pixels(HAND), kind=2, hotspot=(5, 0))
    write_icon_file(ROOT / "drag.ico", pixels(DRAG, top=5), kind=1)
    write_png(ROOT / "brindlequay.png", pixels(ICON, top=5))
    write_theme_icons()
