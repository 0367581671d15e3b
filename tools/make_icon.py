#!/usr/bin/env python3
"""Draws the Parcelo 95 icon, a page of text cut into three pieces that drift
apart, and writes it as a Windows icon (see icon_file.py).

    python3 tools/make_icon.py [OUTPUT]       default: splitter/resources/parcelo95.ico
    python3 tools/make_icon.py --check [FILE] exit 1 if FILE differs from a fresh drawing
"""
import sys

from icon_file import (BLACK, CLEAR, NAVY, RED, SILVER, WHITE, canvas, command_line, repo_path,
                       write_or_check)


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

    img = canvas(size)
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


def main(argv):
    check, path = command_line(argv)
    path = path or repo_path("splitter", "resources", "parcelo95.ico")
    return write_or_check(path, draw, check, "make_icon.py")


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
