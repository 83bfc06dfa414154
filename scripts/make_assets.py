#!/usr/bin/env python3
"""Draws the program's images into assets/: run it again to regenerate them.

- quellix.ico: the program icon, 32 x 32 pixels, 16 colours (a small television set).
"""
import os
import struct

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")

# The standard 16-colour palette (B, G, R order is applied when writing).
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


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


def main():
    os.makedirs(ASSETS, exist_ok=True)
    write_icon(os.path.join(ASSETS, "quellix.ico"))


if __name__ == "__main__":
    main()
