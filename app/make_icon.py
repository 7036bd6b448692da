#!/usr/bin/env python3
"""Writes the program's icon, varnel-demo.ico: a white "V" on a blue rounded square,
at 16, 32 and 48 pixels, 32-bit with alpha. Run it again after changing the drawing:
    python3 app/make_icon.py app/varnel-demo.ico
"""
import struct
import sys

BLUE = (0x1F, 0x4E, 0x9C)  # RGB
WHITE = (0xFF, 0xFF, 0xFF)
SAMPLES = 4  # per axis, for smooth edges


def inside_square(x, y):
    """The unit square with rounded corners (radius 0.18), from 0.03 to 0.97."""
    lo, hi, r = 0.03, 0.97, 0.18
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return lo <= x <= hi and lo <= y <= hi and (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width


def inside_v(x, y):
    # y grows downwards: the V's arms meet at the bottom.
    return near_segment(x, y, 0.26, 0.24, 0.5, 0.78, 0.085) or near_segment(x, y, 0.74, 0.24, 0.5, 0.78, 0.085)


def pixel(size, col, row):
    """Averages the sub-samples of one pixel: (r, g, b, a)."""
    square = letter = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (col + (sx + 0.5) / SAMPLES) / size
            y = (row + (sy + 0.5) / SAMPLES) / size
            if inside_square(x, y):
                square += 1
                if inside_v(x, y):
                    letter += 1
    total = SAMPLES * SAMPLES
    if square == 0:
        return (0, 0, 0, 0)
    mix = letter / square
    rgb = tuple(round(b * (1 - mix) + w * mix) for b, w in zip(BLUE, WHITE))
    return rgb + (round(255 * square / total),)


def image(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA rows, an all-zero AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for row in reversed(range(size)):
        rows.append(b"".join(bytes((b, g, r, a)) for r, g, b, a in (pixel(size, c, row) for c in range(size))))
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + bytes(mask_row * size)


def main(path):
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "varnel-demo.ico")
