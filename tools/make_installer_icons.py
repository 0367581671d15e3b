#!/usr/bin/env python3
"""Draws the two icons of Install.exe and writes them as Windows icons with 16x16 and
32x32 images in 16 colours (uncompressed DIB entries, the form Windows 95 reads):

  install.ico  icon 1, the program: an open carton with an arrow going into it
  dialog.ico   icon 2, on the dialogs' captions: a floppy disk

    python3 tools/make_installer_icons.py [FOLDER]   default: installer/resources
    python3 tools/make_installer_icons.py --check [FOLDER]
"""
import os
import struct
import sys

# The standard VGA palette, so the icons look the same on a 16-colour display.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, NAVY, SILVER, GREY, GREEN, YELLOW, WHITE = 0, 3, 4, 7, 8, 10, 11, 15
CLEAR = None


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def rect(img, x0, y0, x1, y1, fill, edge=None):
    """Fills the rectangle from (x0, y0) to (x1, y1) inclusive, edged in `edge`."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            on_edge = x in (x0, x1) or y in (y0, y1)
            img[y][x] = edge if (edge is not None and on_edge) else fill


def carton(size):
    img = canvas(size)
    s = size / 32
    top, bottom = round(14 * s), size - 1
    left, right = round(3 * s), size - 1 - round(3 * s)
    rect(img, left, top, right, bottom, OLIVE, BLACK)
    # The flaps, folded open to both sides.
    flap = max(2, round(5 * s))
    for i in range(flap):
        for x in range(left - i // 2, left + round(8 * s) - i // 2):
            if 0 <= x < size:
                img[top - 1 - i][x] = YELLOW if i < flap - 1 else BLACK
        for x in range(right - round(8 * s) + i // 2, right + 1 + i // 2):
            if 0 <= x < size:
                img[top - 1 - i][x] = YELLOW if i < flap - 1 else BLACK
    # A label on the front.
    rect(img, round(8 * s), round(21 * s), round(15 * s), round(25 * s), WHITE, BLACK)
    # The arrow, from above into the open top.
    mid = size // 2
    shaft = max(1, round(2 * s))
    for y in range(0, round(12 * s)):
        for x in range(mid - shaft, mid + shaft):
            img[y][x] = GREEN
    head = round(5 * s)
    for i in range(head):
        y = round(12 * s) + i
        for x in range(mid - head + i, mid + head - i):
            img[y][x] = GREEN
    return img


def floppy(size):
    img = canvas(size)
    s = size / 32
    edge = size - 1 - round(2 * s)
    start = round(2 * s)
    rect(img, start, start, edge, edge, NAVY, BLACK)
    # The metal shutter at the top, with its window.
    rect(img, round(9 * s), start, round(23 * s), round(11 * s), SILVER, BLACK)
    rect(img, round(17 * s), round(4 * s), round(20 * s), round(9 * s), NAVY)
    # The paper label below.
    rect(img, round(6 * s), round(16 * s), edge - round(4 * s), edge, WHITE, BLACK)
    for y in range(round(20 * s), edge - 1, max(2, round(3 * s))):
        for x in range(round(8 * s), edge - round(6 * s)):
            img[y][x] = GREY
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
        and_rows.append(bits.to_bytes((size + 7) // 8, "big").ljust(and_stride, b"\0"))
    pixels = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(pixels), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + pixels


def icon_file(draw):
    images = [dib(draw(size)) for size in (16, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


ICONS = {"install.ico": carton, "dialog.ico": floppy}


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    check = argv[:1] == ["--check"]
    args = argv[1:] if check else argv
    folder = args[0] if args else os.path.join(here, "..", "installer", "resources")
    status = 0
    for name, draw in ICONS.items():
        path = os.path.join(folder, name)
        data = icon_file(draw)
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    print(f"{path} is out of date; run tools/make_installer_icons.py",
                          file=sys.stderr)
                    status = 1
        else:
            with open(path, "wb") as f:
                f.write(data)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
