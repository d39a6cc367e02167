#!/usr/bin/env python3
"""Draws the launcher's three icons (an installation disc in three colours)
and writes them as .ico files with 16 and 32 pixel images, 32-bit with alpha.
Deterministic: the same script always writes the same bytes."""
import math
import os
import struct
import sys

SIZES = (16, 32)
SAMPLES = 4  # per axis, for smooth edges

# (name, rim colour, centre colour) as RGB
ICONS = (
    ("setup.ico", (40, 90, 200), (190, 215, 255)),
    ("disk.ico", (30, 140, 70), (190, 240, 200)),
    ("error.ico", (190, 50, 40), (255, 205, 190)),
)


def pixel(size, x, y, rim, centre):
    """Colour and coverage of one pixel: a disc with a hole and a sheen."""
    covered = 0
    colour = [0.0, 0.0, 0.0]
    c = size / 2.0
    outer = size * 0.47
    hole = size * 0.11
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            px = x + (sx + 0.5) / SAMPLES - c
            py = y + (sy + 0.5) / SAMPLES - c
            r = math.hypot(px, py)
            if r > outer or r < hole:
                continue
            covered += 1
            t = (r - hole) / (outer - hole)
            # rainbow-free sheen: brighter along one diagonal
            angle = math.atan2(py, px)
            sheen = 0.25 * max(0.0, math.cos(2 * (angle + math.pi / 4)))
            edge = 0.55 if r > outer - max(1.0, size * 0.05) or r < hole + max(0.8, size * 0.04) else 1.0
            for i in range(3):
                v = (centre[i] * (1 - t) + rim[i] * t) * edge + 255 * sheen
                colour[i] += min(255.0, v)
    if covered == 0:
        return (0, 0, 0, 0)
    alpha = round(255 * covered / (SAMPLES * SAMPLES))
    return tuple(round(colour[i] / covered) for i in range(3)) + (alpha,)


def image(size, rim, centre):
    rows = []
    for y in reversed(range(size)):  # bottom-up
        row = b""
        for x in range(size):
            r, g, b, a = pixel(size, x, y, rim, centre)
            row += bytes((b, g, r, a))
        rows.append(row)
    mask_stride = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + bytes(mask_stride * size)


def icon(rim, centre):
    images = [image(s, rim, centre) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "icons")
    os.makedirs(folder, exist_ok=True)
    for name, rim, centre in ICONS:
        with open(os.path.join(folder, name), "wb") as f:
            f.write(icon(rim, centre))


if __name__ == "__main__":
    main()
