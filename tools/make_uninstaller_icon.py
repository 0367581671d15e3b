#!/usr/bin/env python3
"""Draws the icon of Uninstaller.exe, an open carton with a red arrow leaving it (the
installer's carton, emptied), and writes it as a Windows icon with 16x16 and 32x32 images
in 16 colours (uncompressed DIB entries, the form Windows 95 reads).

    python3 tools/make_uninstaller_icon.py [OUTPUT]   default: installer/resources/uninstaller.ico
    python3 tools/make_uninstaller_icon.py --check [FILE]
"""
import os
import sys

from icon_file import BLACK, GREY, MAROON, OLIVE, RED, canvas, write_or_check


def draw(size):
    img = canvas(size)
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


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    default = os.path.join(here, "..", "installer", "resources", "uninstaller.ico")
    check = argv[:1] == ["--check"]
    args = argv[1:] if check else argv
    path = args[0] if args else default
    return write_or_check(path, draw, check, "make_uninstaller_icon.py")


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
