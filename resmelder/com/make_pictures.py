#!/usr/bin/env python3
"""Draws the control's toolbox picture (resbundle.bmp, 32 x 32, 256 colours) and the
library's icon (resbundle.ico, the same picture). Run it to regenerate both files:
    python3 make_pictures.py OUTPUT_DIR
"""
import struct
import sys

W = H = 32

# 16 classic colours first, then a 6x6x6 colour cube, then a grey ramp.
palette = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
for r in range(6):
    for g in range(6):
        for b in range(6):
            palette.append((r * 51, g * 51, b * 51))
while len(palette) < 256:
    v = (len(palette) - 232) * 10 + 8
    palette.append((v, v, v))

BLACK, GREY, SILVER, WHITE, NAVY, BLUE, YELLOW, RED = 0, 8, 7, 15, 4, 12, 11, 9


def picture():
    """A parcel with a ribbon: the bundle of resources the control edits."""
    px = [[SILVER] * W for _ in range(H)]
    for y in range(H):
        for x in range(W):
            if x in (0, W - 1) or y in (0, H - 1):
                px[y][x] = GREY
    # The parcel: a navy outline with a blue body.
    for y in range(8, 28):
        for x in range(4, 28):
            edge = x in (4, 27) or y in (8, 27)
            px[y][x] = NAVY if edge else BLUE
    # The lid.
    for y in range(4, 9):
        for x in range(3, 29):
            edge = x in (3, 28) or y in (4, 8)
            px[y][x] = NAVY if edge else BLUE
    # The ribbon, crosswise, and its bow.
    for y in range(4, 28):
        for x in (15, 16):
            px[y][x] = YELLOW
    for x in range(4, 28):
        for y in (17, 18):
            px[y][x] = YELLOW
    for (x, y) in [(12, 2), (13, 3), (14, 3), (17, 3), (18, 3), (19, 2), (11, 2), (20, 2),
                   (12, 1), (19, 1)]:
        px[y][x] = RED
    # A white sheet sticking out: one of the files going in.
    for y in range(10, 16):
        for x in range(20, 26):
            px[y][x] = BLACK if x in (20, 25) or y in (10, 15) else WHITE
    return px


def dib(px, height_field, with_mask):
    header = struct.pack("<IiiHHIIiiII", 40, W, height_field, 1, 8, 0, W * H, 0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    rows = b"".join(bytes(px[y]) for y in reversed(range(H)))  # bottom-up, 32 bytes a row
    mask = bytes(4 * H) if with_mask else b""  # every pixel opaque
    return header + colours + rows + mask


def main(out):
    px = picture()
    bits = dib(px, H, False)
    bmp = struct.pack("<2sIHHI", b"BM", 14 + len(bits), 0, 0, 14 + 40 + 1024) + bits
    with open(f"{out}/resbundle.bmp", "wb") as f:
        f.write(bmp)
    image = dib(px, 2 * H, True)
    ico = struct.pack("<HHH", 0, 1, 1)
    ico += struct.pack("<BBBBHHII", W, H, 0, 0, 1, 8, len(image), 6 + 16)
    with open(f"{out}/resbundle.ico", "wb") as f:
        f.write(ico + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
