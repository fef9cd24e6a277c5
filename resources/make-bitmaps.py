#!/usr/bin/env python3
"""Draws the default wizard bitmaps: Logo.bmp (164x314) and Header.bmp (55x55), kelp in a sea."""
import math
import struct
import sys


def write_bmp(path, width, height, pixel):
    row_size = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):  # bottom-up rows
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + data)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


SURFACE = (120, 200, 215)
DEEP = (12, 50, 80)
KELP = (70, 120, 40)
KELP_LIGHT = (150, 180, 60)


def kelp(x, y, width, height, stalks):
    """Colour of the kelp at (x, y), or None where there is only water."""
    for base, amplitude, phase, thickness in stalks:
        centre = base + amplitude * math.sin(y / 23.0 + phase) * (1 - y / height * 0.3)
        distance = abs(x - centre)
        if distance < thickness:
            return mix(KELP_LIGHT, KELP, distance / thickness)
        leaf = (y + int(phase * 10)) % 37
        if leaf < 10 and distance < thickness + 9 * math.sin(math.pi * leaf / 10):
            return KELP
    return None


def scene(width, height, stalks):
    def pixel(x, y):
        water = mix(SURFACE, DEEP, y / height)
        return kelp(x, y, width, height, stalks) or water

    return pixel


def main(folder):
    write_bmp(folder + "/Logo.bmp", 164, 314,
              scene(164, 314, [(40, 9, 0.0, 4), (95, 12, 1.7, 5), (135, 7, 3.1, 3)]))
    write_bmp(folder + "/Header.bmp", 55, 55, scene(55, 55, [(20, 4, 0.5, 3), (38, 5, 2.2, 3)]))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
