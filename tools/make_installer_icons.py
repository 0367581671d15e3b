#!/usr/bin/env python3
"""Draws the two icons of Install.exe and writes them as Windows icons (see icon_file.py):

  install.ico  icon 1, the program: an open carton with an arrow going into it
  dialog.ico   icon 2, on the dialogs' captions: a floppy disk

    python3 tools/make_installer_icons.py [FOLDER]   default: installer/resources
    python3 tools/make_installer_icons.py --check [FOLDER]
"""
import os
import sys

from icon_file import (BLACK, GREEN, GREY, NAVY, OLIVE, SILVER, WHITE, YELLOW, canvas,
                       command_line, rect, repo_path, write_or_check)


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
    rect(img, mid - shaft, 0, mid + shaft - 1, round(12 * s) - 1, GREEN)
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
    check, folder = command_line(argv)
    folder = folder or repo_path("installer", "resources")
    status = 0
    for name, draw in ICONS.items():
        status |= write_or_check(os.path.join(folder, name), draw, check, "make_installer_icons.py")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
