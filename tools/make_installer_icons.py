#!/usr/bin/env python3
"""Draws the two icons of Install.exe and writes them as Windows icons with 16x16 and
32x32 images in 16 colours (uncompressed DIB entries, the form Windows 95 reads):

  install.ico  icon 1, the program: an open carton with an arrow going into it
  dialog.ico   icon 2, on the dialogs' captions: a floppy disk

    python3 tools/make_installer_icons.py [FOLDER]   default: installer/resources
    python3 tools/make_installer_icons.py --check [FOLDER]
"""
import os
import sys

from icon_file import BLACK, GREEN, GREY, NAVY, OLIVE, SILVER, WHITE, YELLOW, canvas, write_or_check


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


ICONS = {"install.ico": carton, "dialog.ico": floppy}


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    check = argv[:1] == ["--check"]
    args = argv[1:] if check else argv
    folder = args[0] if args else os.path.join(here, "..", "installer", "resources")
    status = 0
    for name, draw in ICONS.items():
        status |= write_or_check(os.path.join(folder, name), draw, check, "make_installer_icons.py")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
