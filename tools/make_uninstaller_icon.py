#!/usr/bin/env python3
"""Draws the icon of Uninstaller.exe, an open carton with a red arrow leaving it (the
installer's carton, emptied), and writes it as a Windows icon (see icon_file.py).

    python3 tools/make_uninstaller_icon.py [OUTPUT]   default: installer/resources/uninstaller.ico
    python3 tools/make_uninstaller_icon.py --check [FILE]
"""
import sys

from icon_file import (BLACK, GREY, MAROON, OLIVE, RED, canvas, command_line, rect, repo_path,
                       write_or_check)


def draw(size):
    img = canvas(size)
    s = size / 32
    top, bottom = round(16 * s), size - 1
    left, right = round(3 * s), size - 1 - round(3 * s)
    rect(img, left, top, right, bottom, OLIVE, BLACK)
    # The inside of the open box, seen over its front edge.
    rect(img, left + 1, top - round(3 * s), right - 1, top, GREY, BLACK)
    # The arrow, from inside the box up and out.
    mid = size // 2
    shaft = max(1, round(2 * s))
    head = round(11 * s)
    rect(img, mid - shaft, head, mid + shaft - 1, top, RED)
    half = round(7 * s)
    for i in range(half + 1):
        y = head - half + i
        for x in range(mid - i - 1, mid + i + 1):
            if 0 <= y and 0 <= x < size:
                img[y][x] = MAROON if x in (mid - i - 1, mid + i) else RED
    return img


def main(argv):
    check, path = command_line(argv)
    path = path or repo_path("installer", "resources", "uninstaller.ico")
    return write_or_check(path, draw, check, "make_uninstaller_icon.py")


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
