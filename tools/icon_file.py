"""What the make_*icon*.py scripts share: the canvas and its shapes, the command line, and
the icon file itself, 16x16 and 32x32 images in 16 colours as uncompressed DIB entries, the
form Windows 95 reads. The scripts only draw.

A drawing is a function of the size giving that many rows of that many palette indexes, top
row first, with CLEAR for a transparent pixel.
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
(BLACK, MAROON, GREEN_DARK, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, GREEN, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = range(16)
CLEAR = None  # transparent: AND mask bit set, colour index 0
SIZES = (16, 32)


def canvas(size):
    return [[CLEAR] * size for _ in range(size)]


def rect(img, x0, y0, x1, y1, fill, edge=None):
    """Fills the rectangle from (x0, y0) to (x1, y1) inclusive, edged in `edge`."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            on_edge = x in (x0, x1) or y in (y0, y1)
            img[y][x] = edge if (edge is not None and on_edge) else fill


def repo_path(*parts):
    """A path in the repository, for the scripts' default outputs."""
    return os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", *parts)


def command_line(argv):
    """The scripts' arguments, [--check] [PATH]: whether to check, and PATH or None."""
    check = argv[:1] == ["--check"]
    args = argv[1:] if check else argv
    return check, (args[0] if args else None)


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
    """The bytes of an .ico file holding draw's picture at every size."""
    images = [dib(draw(size)) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def write_or_check(path, draw, check, script):
    """Writes the icon to path, or with check compares it; returns an exit status."""
    data = icon_file(draw)
    if not check:
        with open(path, "wb") as f:
            f.write(data)
        return 0
    with open(path, "rb") as f:
        if f.read() == data:
            return 0
    print(f"{path} is out of date; run tools/{script}", file=sys.stderr)
    return 1
