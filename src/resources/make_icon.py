#!/usr/bin/env python3
"""Draws the application icon (a drawing sheet turning into an output page) and writes plotxfer.ico.

The icon holds 16x16, 32x32 and 48x48 images, 32 bits per pixel with an alpha channel and an AND
mask, which every Windows version since XP shows. Run it again after changing the drawing:
    python3 src/resources/make_icon.py src/resources/plotxfer.ico
"""
import struct
import sys


def draw(size):
    """Returns rows (top first) of (r, g, b, a) tuples."""
    s = size / 32.0
    px = [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(round(y0 * s)), int(round(y1 * s))):
            for x in range(int(round(x0 * s)), int(round(x1 * s))):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = colour

    def frame(x0, y0, x1, y1, colour):
        t = max(1, int(round(s)))
        X0, Y0, X1, Y1 = (int(round(v * s)) for v in (x0, y0, x1, y1))
        for y in range(Y0, Y1):
            for x in range(X0, X1):
                if x < X0 + t or x >= X1 - t or y < Y0 + t or y >= Y1 - t:
                    px[y][x] = colour

    navy = (30, 50, 110, 255)
    blue = (60, 110, 200, 255)
    white = (250, 250, 250, 255)
    paper = (235, 240, 250, 255)
    red = (200, 40, 40, 255)
    grey = (120, 130, 150, 255)

    # The drawing sheet behind, with a few plotted lines.
    rect(2, 2, 20, 24, paper)
    frame(2, 2, 20, 24, navy)
    rect(5, 7, 17, 8, blue)
    rect(5, 11, 14, 12, blue)
    rect(5, 15, 16, 16, blue)
    rect(10, 7, 11, 19, grey)
    # The output page in front, with a red band for the output format.
    rect(13, 10, 30, 30, white)
    frame(13, 10, 30, 30, navy)
    rect(15, 24, 28, 28, red)
    rect(16, 14, 27, 15, grey)
    rect(16, 18, 24, 19, grey)
    # The arrow from the sheet to the page.
    rect(6, 25, 12, 27, red)
    for i in range(3):
        rect(11 + i, 23 + i, 12 + i, 29 - i, red)
    return px


def image_entry(size):
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(px):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "plotxfer.ico"
    sizes = [16, 32, 48]
    images = [image_entry(n) for n in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        data += img
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
