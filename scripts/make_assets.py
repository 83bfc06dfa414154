#!/usr/bin/env python3
"""Draws the program's images into assets/: run it again to regenerate them.

- quellix.ico: the program icon, 32 x 32 pixels, 16 colours (a small television set).
- window.bmp: the main window's skin, 445 x 183 pixels, 24 bits. Its bottom-left pixel is silver
  (192, 192, 192), the colour cut out of the window: a body with rounded corners and a tab at its
  upper left. The script checks that the opaque pixels make a region of 34 rectangles bounded by
  1, 2, 444, 182 (left, top, right, bottom), the shape the window was designed with.
- pause.bmp, stop.bmp, skip.bmp, resume.bmp, home.bmp (256 colours) and about.bmp, file.bmp
  (16 colours): the 16 x 16 button glyphs. Their bottom-left pixel colour is transparent.
"""
import math
import os
import struct

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")

# The standard 16-colour palette.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

SILVER = (192, 192, 192)


def icon_pixels():
    """32 x 32 palette indices, row 0 at the top; None is transparent."""
    grid = [[None] * 32 for _ in range(32)]
    for y in range(4, 26):          # cabinet
        for x in range(2, 30):
            grid[y][x] = 8
    for y in range(6, 22):          # screen
        for x in range(4, 24):
            grid[y][x] = 12 if y < 14 else 4
    for y in range(8, 11):          # a glint
        for x in range(6, 10):
            grid[y][x] = 14
    for y, x in ((8, 26), (12, 26), (16, 26)):  # knobs
        grid[y][x] = 11
        grid[y][x + 1] = 11
    for x in range(8, 12):          # feet
        grid[26][x] = 0
        grid[27][x] = 0
    for x in range(20, 24):
        grid[26][x] = 0
        grid[27][x] = 0
    for x in range(2, 30):          # outline
        grid[4][x] = 0
        grid[25][x] = 0
    for y in range(4, 26):
        grid[y][2] = 0
        grid[y][29] = 0
    grid[1][10] = grid[2][12] = grid[3][14] = 0   # antenna
    grid[1][22] = grid[2][20] = grid[3][18] = 0
    return grid


def write_icon(path):
    grid = icon_pixels()
    width = height = 32
    xor = bytearray()
    for row in reversed(grid):      # bottom-up
        for x in range(0, width, 2):
            hi = row[x] or 0
            lo = row[x + 1] or 0
            xor.append((hi << 4) | lo)
    mask = bytearray()
    for row in reversed(grid):
        bits = 0
        line = bytearray()
        for x in range(width):
            bits = (bits << 1) | (1 if row[x] is None else 0)
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        mask += line                 # 32 pixels = 4 bytes: already a multiple of 4
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE16)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), 22)
    with open(path, "wb") as out:
        out.write(directory + image)


def write_bmp(path, rows, bits, palette=None):
    """rows: top-down; RGB tuples for 24 bits, palette indices for 4 and 8 bits."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * bits + 31) // 32 * 4
    data = bytearray()
    for row in reversed(rows):      # bottom-up
        line = bytearray()
        if bits == 24:
            for (r, g, b) in row:
                line += bytes((b, g, r))
        elif bits == 8:
            line += bytes(row)
        elif bits == 4:
            for x in range(0, width, 2):
                lo = row[x + 1] if x + 1 < width else 0
                line.append((row[x] << 4) | lo)
        else:
            raise ValueError(bits)
        line += bytes(stride - len(line))
        data += line
    colours = b""
    if palette is not None:
        colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(colours)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                       len(palette) if palette else 0, 0)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as out:
        out.write(header + info + colours + bytes(data))


# --- the window -------------------------------------------------------------------------------

WINDOW_W, WINDOW_H = 445, 183
TAB_RIGHT = 150       # the tab spans columns 1 .. 149
TAB_TOP = 2
TAB_RADIUS = 10       # the tab's upper corners
BODY_TOP = 30         # the body spans rows 30 .. 181 and columns 1 .. 443
BODY_BOTTOM = 182
BODY_RIGHT = 444
TOP_RADIUS = 21       # the body's upper right corner
BOTTOM_RADIUS = 21    # the body's lower corners
FILLET = 6            # the hollow curve where the tab meets the body


def corner_inset(radius, row):
    """Pixels cut from the edge on the given row (0 = the outermost) of a rounded corner."""
    if row >= radius:
        return 0
    dy = radius - row - 0.5
    return int(round(radius - math.sqrt(max(radius * radius - dy * dy, 0.0))))


def window_inside(x, y):
    if TAB_TOP <= y < BODY_TOP:
        inset = corner_inset(TAB_RADIUS, y - TAB_TOP)
        if 1 + inset <= x < TAB_RIGHT - inset:
            return True
        # The fillet: the tab's right edge curves out into the body's top edge.
        if BODY_TOP - FILLET <= y and TAB_RIGHT <= x < TAB_RIGHT + FILLET:
            cx, cy = TAB_RIGHT + FILLET, BODY_TOP - FILLET
            return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 >= FILLET * FILLET
        return False
    if BODY_TOP <= y < BODY_BOTTOM:
        top = corner_inset(TOP_RADIUS, y - BODY_TOP)
        bottom = corner_inset(BOTTOM_RADIUS, BODY_BOTTOM - 1 - y)
        return 1 + bottom <= x < BODY_RIGHT - max(top, bottom)
    return False


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def window_pixels():
    inside = [[window_inside(x, y) for x in range(WINDOW_W)] for y in range(WINDOW_H)]

    def edge(x, y):
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            nx, ny = x + dx, y + dy
            if not (0 <= nx < WINDOW_W and 0 <= ny < WINDOW_H) or not inside[ny][nx]:
                return True
        return False

    rows = []
    for y in range(WINDOW_H):
        row = []
        for x in range(WINDOW_W):
            if not inside[y][x]:
                row.append(SILVER)
                continue
            if y < BODY_TOP and x < TAB_RIGHT:
                colour = mix((222, 232, 248), (178, 198, 234), (y - TAB_TOP) / (BODY_TOP - TAB_TOP))
            else:
                colour = mix((240, 244, 251), (206, 216, 236), (y - BODY_TOP) / (BODY_BOTTOM - BODY_TOP))
            if 126 <= y < BODY_BOTTOM:          # the button panel, a shade darker
                colour = mix(colour, (170, 186, 216), 0.25)
            if y == 124 and 10 <= x < WINDOW_W - 10:   # a groove above the panel
                colour = (150, 166, 198)
            if y == 125 and 10 <= x < WINDOW_W - 10:
                colour = (252, 253, 255)
            if edge(x, y):
                colour = (48, 72, 124)
            elif edge(x - 1, y) and inside[y][x - 1] or edge(x, y - 1) and inside[y - 1][x]:
                colour = (252, 253, 255)        # a highlight inside the upper and left edges
            assert colour != SILVER
            row.append(colour)
        rows.append(row)
    return rows


def region_of(rows, transparent):
    """The banded rectangles the system's region union makes of the opaque runs."""
    rects = []
    previous = None
    band = []
    for y, row in enumerate(rows):
        runs = []
        x = 0
        while x < len(row):
            if row[x] == transparent:
                x += 1
                continue
            end = x
            while end < len(row) and row[end] != transparent:
                end += 1
            runs.append((x, end))
            x = end
        if runs and runs == previous:
            for r in band:
                r[3] = y + 1
        else:
            band = [[a, y, b, y + 1] for (a, b) in runs]
            rects += band
        previous = runs
    return rects


def check_window(rows):
    rects = region_of(rows, rows[-1][0])
    bounds = (min(r[0] for r in rects), min(r[1] for r in rects), max(r[2] for r in rects), max(r[3] for r in rects))
    if len(rects) != 34 or bounds != (1, 2, 444, 182):
        raise SystemExit("window.bmp: %d rectangles, bounds %s; the window needs 34 and (1, 2, 444, 182)"
                         % (len(rects), bounds))


# --- the glyphs -------------------------------------------------------------------------------

MAGENTA = (255, 0, 255)     # transparent in every glyph (their bottom-left pixel)

GLYPHS = {
    # name: (bits, picture); '.' is transparent, other letters name colours below.
    "pause": (8, [
        "................",
        "................",
        "...kkkk..kkkk...",
        "...kbbk..kbbk...",
        "...kbBk..kbBk...",
        "...kbBk..kbBk...",
        "...kbBk..kbBk...",
        "...kbBk..kbBk...",
        "...kbBk..kbBk...",
        "...kbBk..kbBk...",
        "...kbBk..kbBk...",
        "...kbBk..kbBk...",
        "...kbbk..kbbk...",
        "...kkkk..kkkk...",
        "................",
        "................",
    ]),
    "stop": (8, [
        "................",
        "................",
        "..kkkkkkkkkkkk..",
        "..krrrrrrrrrrk..",
        "..krRRRRRRRRrk..",
        "..krRRRRRRRRrk..",
        "..krRRRRRRRRrk..",
        "..krRRRRRRRRrk..",
        "..krRRRRRRRRrk..",
        "..krRRRRRRRRrk..",
        "..krRRRRRRRRrk..",
        "..krRRRRRRRRrk..",
        "..krrrrrrrrrrk..",
        "..kkkkkkkkkkkk..",
        "................",
        "................",
    ]),
    "skip": (8, [
        "................",
        "................",
        ".k.....k....kk..",
        ".kk....kk...kk..",
        ".kbk...kbk..kk..",
        ".kbbk..kbbk.kk..",
        ".kbBbk.kbBbkkk..",
        ".kbBBbkkbBBbkk..",
        ".kbBBbkkbBBbkk..",
        ".kbBbk.kbBbkkk..",
        ".kbbk..kbbk.kk..",
        ".kbk...kbk..kk..",
        ".kk....kk...kk..",
        ".k.....k....kk..",
        "................",
        "................",
    ]),
    "resume": (8, [
        "................",
        "................",
        "....k...........",
        "....kk..........",
        "....kgk.........",
        "....kggk........",
        "....kgGgk.......",
        "....kgGGgk......",
        "....kgGGGgk.....",
        "....kgGGgk......",
        "....kgGgk.......",
        "....kggk........",
        "....kgk.........",
        "....kk..........",
        "....k...........",
        "................",
    ]),
    "home": (8, [
        "................",
        ".......kk.......",
        "......kRRk.kk...",
        ".....kRRRRkwk...",
        "....kRRRRRRkk...",
        "...kRRRRRRRRk...",
        "..kRRRRRRRRRRk..",
        ".kkkkkkkkkkkkkk.",
        "..kwwwwwwwwwwk..",
        "..kwyywwwnnnwk..",
        "..kwyywwwnnnwk..",
        "..kwwwwwwnnnwk..",
        "..kwwwwwwnnnwk..",
        "..kwwwwwwnnnwk..",
        "..kkkkkkkkkkkk..",
        "................",
    ]),
    "about": (4, [
        "................",
        ".....kkkkkk.....",
        "...kkBBBBBBkk...",
        "..kBBBBwwBBBBk..",
        "..kBBBBwwBBBBk..",
        ".kBBBBBBBBBBBBk.",
        ".kBBBBwwwBBBBBk.",
        ".kBBBBBwwBBBBBk.",
        ".kBBBBBwwBBBBBk.",
        ".kBBBBBwwBBBBBk.",
        ".kBBBBBwwBBBBBk.",
        "..kBBBwwwwBBBk..",
        "..kBBBBBBBBBBk..",
        "...kkBBBBBBkk...",
        ".....kkkkkk.....",
        "................",
    ]),
    "file": (4, [
        "................",
        "................",
        "................",
        ".kkkkk..........",
        "kYYYYYk.........",
        "kYYYYYYkkkkkkk..",
        "kYYYYYYYYYYYYk..",
        "kYkkkkkkkkkkkkkk",
        "kYkYYYYYYYYYYYYk",
        "kkYYYYYYYYYYYYk.",
        "kkYYYYYYYYYYYYk.",
        "kYYYYYYYYYYYYk..",
        "kYYYYYYYYYYYYk..",
        "kkkkkkkkkkkkkk..",
        "................",
        "................",
    ]),
}

COLOURS256 = {
    ".": MAGENTA, "k": (32, 32, 48), "w": (255, 255, 255),
    "b": (40, 80, 170), "B": (96, 140, 230),
    "r": (150, 20, 20), "R": (225, 60, 50),
    "g": (20, 120, 40), "G": (70, 200, 90),
    "y": (120, 190, 240), "n": (140, 90, 40),
}
# 16-colour glyphs keep to the standard palette.
COLOURS16 = {".": 13, "k": 0, "w": 15, "B": 12, "Y": 11}


def glyph_rows(bits, picture):
    if bits == 4:
        return [[COLOURS16[c] for c in line] for line in picture], PALETTE16
    palette = [MAGENTA]
    for key in sorted(COLOURS256):
        if COLOURS256[key] not in palette:
            palette.append(COLOURS256[key])
    rows = [[palette.index(COLOURS256[c]) for c in line] for line in picture]
    return rows, palette + [(0, 0, 0)] * (256 - len(palette))


def main():
    os.makedirs(ASSETS, exist_ok=True)
    write_icon(os.path.join(ASSETS, "quellix.ico"))
    window = window_pixels()
    check_window(window)
    write_bmp(os.path.join(ASSETS, "window.bmp"), window, 24)
    for name, (bits, picture) in GLYPHS.items():
        assert len(picture) == 16 and all(len(line) == 16 for line in picture), name
        assert picture[-1][0] == ".", name
        rows, palette = glyph_rows(bits, picture)
        write_bmp(os.path.join(ASSETS, name + ".bmp"), rows, bits, palette)


if __name__ == "__main__":
    main()
