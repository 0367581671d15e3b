#!/usr/bin/env python3
"""Draws the Parcelo 95 icon, a page of text cut into three pieces that drift
apart, and writes it as a Windows icon with 16x16 and 32x32 images in 16
colours (uncompressed DIB entries, the form Windows 95 reads).

    python3 tools/make_icon.py [OUTPUT]       default: splitter/resources/parcelo95.ico
    python3 tools/make_icon.py --check [FILE] exit 1 if FILE differs from a fresh drawing
"""
import os
import struct
import sys

# The standard VGA palette, so the icon looks the same on a 16-colour display.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, SILVER, GREY, RED, WHITE = 0, 4, 7, 8, 9, 15
CLEAR = None  # transparent: AND mask bit set, colour index 0

# Each picture: the page's top-left corner, its size, the dog-ear size, the
# rows where the page is cut (gap height follows), how far each lower piece
# slides to the right, and the rows of text lines inside the page.
LAYOUTS = {
    32: dict(left=5, top=1, width=19, height=29, ear=6, cuts=(10, 20), gap=2,
             shift=3, lines=range(4, 28, 2), margin=3),
    16: dict(left=2, top=0, width=10, height=16, ear=3, cuts=(5, 10), gap=1,
             shift=2, lines=range(2, 15, 2), margin=2),
}


def draw(size):
    """Returns size rows of size colour indexes (or CLEAR), top row first."""
    p = LAYOUTS[size]
    w, h, ear = p["width"], p["height"], p["ear"]
    fold = w - 1 - ear  # column where the folded corner starts

    def page(x, y):
        """Colour of the uncut page at (x, y), or CLEAR outside it."""
        if not (0 <= x < w and 0 <= y < h):
            return CLEAR
        dx = x - fold
        if y <= ear and dx >= 0:  # the folded corner
            if dx > y:
                return CLEAR
            if dx == y or dx == 0 or y == ear:
                return BLACK
            return SILVER
        if x in (0, w - 1) or y in (0, h - 1):
            return BLACK
        if y in p["lines"] and p["margin"] <= x < w - p["margin"] and not (
                y <= ear + 1 and x >= fold - 1):
            return NAVY
        return WHITE

    img = [[CLEAR] * size for _ in range(size)]
    bounds = [0] + list(p["cuts"]) + [h]
    for i in range(len(bounds) - 1):
        top = bounds[i] + (p["gap"] if i else 0)
        bottom = bounds[i + 1]  # exclusive
        shift = i * p["shift"]
        for y in range(top, bottom):
            for x in range(w):
                colour = page(x, y)
                if colour is CLEAR:
                    continue
                # Cut edges are red so the strips read as cut, not stacked.
                if (y == top and i) or (y == bottom - 1 and bottom < h):
                    colour = RED
                img[p["top"] + y][p["left"] + x + shift] = colour
    return img


def dib(img):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit XOR bitmap, AND mask."""
    size = len(img)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor_rows, and_rows = [], []
    for row in reversed(img):  # DIBs are stored bottom row first
        nibbles = [0 if c is CLEAR else c for c in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(packed.ljust(xor_stride, b"\0"))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        mask = bits.to_bytes((size + 7) // 8, "big")
        and_rows.append(mask.ljust(and_stride, b"\0"))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(pixels), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + pixels


def icon_file():
    images = [dib(draw(size)) for size in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "splitter", "resources", "parcelo95.ico")
    check = argv[:1] == ["--check"]
    args = argv[1:] if check else argv
    path = args[0] if args else default
    data = icon_file()
    if check:
        with open(path, "rb") as f:
            if f.read() != data:
                print(f"{path} is out of date; run tools/make_icon.py", file=sys.stderr)
                return 1
        return 0
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
