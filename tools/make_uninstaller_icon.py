#!/usr/bin/env python3
"""Draws the icon of Uninstaller.exe, an open carton with a red arrow leaving it (the
installer's carton, emptied), and writes it as a Windows icon with 16x16 and 32x32 images
in 16 colours (uncompressed DIB entries, the form Windows 95 reads).

    python3 tools/make_uninstaller_icon.py [OUTPUT]   default: installer/resources/uninstaller.ico
    python3 tools/make_uninstaller_icon.py --check [FILE]
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
BLACK, MAROON, OLIVE, GREY, RED, YELLOW = 0, 1, 3, 8, 9, 11
CLEAR = None


def draw(size):
    img = [[CLEAR] * size for _ in range(size)]
    s = size / 32

    def rect(x0, y0, x1, y1, fill, edge):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                img[y][x] = edge if x in (x0, x1) or y in (y0, y1) else fill

    top, bottom = round(16 * s), size - 1
    left, right = round(3 * s), size - 1 - round(3 * s)
    rect(left, top, right, bottom, OLIVE, BLACK)
    # The inside of the open box, seen over its front edge.
    rect(left + 1, top - round(3 * s), right - 1, top, GREY, BLACK)
    # The arrow, from inside the box up and out.
    mid = size // 2
    shaft = max(1, round(2 * s))
    head = round(11 * s)
    for y in range(head, top + 1):
        for x in range(mid - shaft, mid + shaft):
            img[y][x] = RED
    half = round(7 * s)
    for i in range(half + 1):
        y = head - half + i
        for x in range(mid - i - 1, mid + i + 1):
            if 0 <= y and 0 <= x < size:
                img[y][x] = MAROON if x in (mid - i - 1, mid + i) else RED
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
    default = os.path.join(here, "..", "installer", "resources", "uninstaller.ico")
    check = argv[:1] == ["--check"]
    args = argv[1:] if check else argv
    path = args[0] if args else default
    data = icon_file()
    if check:
        with open(path, "rb") as f:
            if f.read() != data:
                print(f"{path} is out of date; run tools/make_uninstaller_icon.py", file=sys.stderr)
                return 1
        return 0
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
