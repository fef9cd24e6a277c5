#!/usr/bin/env python3
"""Draws the main window's images: the page tree's icons and the menu and toolbar glyphs.

Each glyph is laid out on a 16 by 16 grid and drawn at 16, 24, 32 and 48 pixels, anti-aliased, into
glyphs/NAME-SIZE.png beside this script; the program embeds them. Only the standard library is used.
Usage: resources/make-glyphs.py [folder]
"""
import math
import os
import struct
import sys
import zlib

GRID = 16.0
SIZES = (16, 24, 32, 48)


def darker(colour, factor=1.7):
    return tuple(int(c / factor) for c in colour)


WHITE = (255, 255, 255)


class Canvas:
    """Straight RGBA pixels; each shape is sampled SAMPLES x SAMPLES times per pixel."""

    SAMPLES = 5

    def __init__(self, size):
        self.size = size
        self.scale = size / GRID
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def _cover(self, box, inside, colour, erase=False):
        """Paints colour over the pixels of box (grid units) by the share of samples inside."""
        n = self.SAMPLES
        left, top, right, bottom = (v * self.scale for v in box)
        for py in range(max(0, int(top) - 1), min(self.size, int(bottom) + 2)):
            for px in range(max(0, int(left) - 1), min(self.size, int(right) + 2)):
                hits = 0
                for sy in range(n):
                    y = (py + (sy + 0.5) / n) / self.scale
                    for sx in range(n):
                        if inside((px + (sx + 0.5) / n) / self.scale, y):
                            hits += 1
                if hits:
                    self._blend(py * self.size + px, colour, hits / (n * n), erase)

    def _blend(self, index, colour, coverage, erase):
        pixel = self.pixels[index]
        if erase:
            pixel[3] *= 1 - coverage
            return
        alpha = coverage + pixel[3] * (1 - coverage)
        for i in range(3):
            pixel[i] = (colour[i] * coverage + pixel[i] * pixel[3] * (1 - coverage)) / alpha
        pixel[3] = alpha

    def polygon(self, points, colour, outline=True):
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self._cover((min(xs), min(ys), max(xs), max(ys)), lambda x, y: winding(points, x, y) != 0, colour)
        if outline:
            self.polyline(points + [points[0]], 0.8, darker(colour))

    def ellipse(self, cx, cy, rx, ry, colour, outline=True, erase=False):
        def inside(x, y):
            return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1

        self._cover((cx - rx, cy - ry, cx + rx, cy + ry), inside, colour, erase)
        if outline:
            self.ring(cx, cy, rx, 0.8, darker(colour))

    def ring(self, cx, cy, r, width, colour, start=0.0, sweep=360.0):
        """An arc of a circle, angles in degrees clockwise from three o'clock, with round ends."""
        steps = max(8, int(abs(sweep) / 8))
        points = [(cx + r * math.cos(math.radians(start + sweep * i / steps)),
                   cy + r * math.sin(math.radians(start + sweep * i / steps))) for i in range(steps + 1)]
        self.polyline(points, width, colour)

    def polyline(self, points, width, colour):
        half = width / 2
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        segments = list(zip(points, points[1:]))

        def inside(x, y):
            return any(distance_to_segment(x, y, a, b) <= half for a, b in segments)

        self._cover((min(xs) - half, min(ys) - half, max(xs) + half, max(ys) + half), inside, colour)

    def rect(self, x, y, w, h, colour, outline=True):
        self.polygon([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], colour, outline)

    def png(self):
        rows = b""
        for y in range(self.size):
            row = bytearray(b"\0")
            for x in range(self.size):
                r, g, b, a = self.pixels[y * self.size + x]
                row += bytes((round(r), round(g), round(b), round(a * 255)))
            rows += bytes(row)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) +
                chunk(b"IEND", b""))


def winding(points, x, y):
    count = 0
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if y1 <= y < y2 and (x2 - x1) * (y - y1) - (x - x1) * (y2 - y1) > 0:
            count += 1
        elif y2 <= y < y1 and (x2 - x1) * (y - y1) - (x - x1) * (y2 - y1) < 0:
            count -= 1
    return count


def distance_to_segment(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length = dx * dx + dy * dy
    t = 0 if length == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def bezier(p0, p1, p2, p3, steps=12):
    def at(t):
        u = 1 - t
        return tuple(u ** 3 * a + 3 * u * u * t * b + 3 * u * t * t * c + t ** 3 * d
                     for a, b, c, d in zip(p0, p1, p2, p3))

    return [at(i / steps) for i in range(steps + 1)]


# The page tree.

def project(c):
    """A carton: the product packed for shipping."""
    brown = (0xc8, 0x8a, 0x4a)
    c.polygon([(1.5, 5.5), (8, 8), (8, 15.5), (1.5, 12.5)], brown)
    c.polygon([(8, 8), (14.5, 5.5), (14.5, 12.5), (8, 15.5)], darker(brown, 1.25))
    c.polygon([(1.5, 5.5), (8, 3), (14.5, 5.5), (8, 8)], (0xe6, 0xb5, 0x78))
    c.polyline([(4.75, 4.25), (11.25, 6.75)], 1.2, (0xf2, 0xe6, 0xc8))


def general(c):
    """A gear: the product's settings."""
    teeth = []
    for tooth in range(8):
        centre = math.radians(45 * tooth - 90)
        for offset, radius in ((-0.3, 5.0), (-0.17, 7.5), (0.17, 7.5), (0.3, 5.0)):
            teeth.append((8 + radius * math.cos(centre + offset), 8 + radius * math.sin(centre + offset)))
    c.polygon(teeth, (0x6f, 0x86, 0xa8))
    c.ellipse(8, 8, 2, 2, WHITE, outline=False, erase=True)
    c.ring(8, 8, 2, 0.8, darker((0x6f, 0x86, 0xa8)))


def sheet(c, right=13.5):
    c.polygon([(2.5, 0.5), (right - 3.5, 0.5), (right, 4), (right, 15.5), (2.5, 15.5)], WHITE)
    c.polyline([(right - 3.5, 0.5), (right - 3.5, 4), (right, 4)], 0.8, darker(WHITE))


def text(c):
    """A written sheet: the licence and readme texts."""
    sheet(c)
    for top, right in ((4.5, 8.5), (6.5, 11.5), (8.5, 11.5), (10.5, 11.5), (12.5, 9)):
        c.polyline([(4.5, top), (right, top)], 1.0, (0x3a, 0x5f, 0xcd))


def folder(c):
    c.polygon([(0.5, 3), (5.5, 3), (7, 4.5), (14.5, 4.5), (14.5, 13.5), (0.5, 13.5)], (0xd9, 0xa4, 0x2e))
    c.polygon([(2.5, 7), (15.5, 7), (14.5, 13.5), (0.5, 13.5)], (0xf5, 0xcf, 0x6a))


def shortcuts(c):
    """The bent arrow of a shortcut."""
    green = (0x1f, 0x8a, 0x4c)
    c.rect(0.5, 0.5, 15, 15, WHITE)
    c.polyline(bezier((3.5, 13), (3.5, 7), (6, 5.5), (10, 5.5)), 2.2, green)
    c.polygon([(9, 1.8), (14, 5.5), (9, 9.2)], green, outline=False)


def regedit(c):
    """Blocks of values, as the registry holds them."""
    for x, y, colour in ((1, 8.5, (0xd0, 0x4a, 0x3c)), (8.5, 8.5, (0x3c, 0x8d, 0xd0)),
                         (4.75, 1, (0x8a, 0x5c, 0xc4))):
        c.rect(x, y, 6.5, 6.5, colour)


def finish(c):
    """A tick: what happens once the installation is done."""
    c.ellipse(8, 8, 7.3, 7.3, (0x2e, 0xa0, 0x43))
    c.polyline([(4.5, 8.3), (7, 10.8), (11.5, 5.5)], 2.0, WHITE)


# The menus and the toolbar.

def new(c):
    """A blank sheet with a spark: a new project."""
    sheet(c, right=12.5)
    star = []
    for point in range(10):
        angle = math.radians(36 * point - 90)
        radius = 3.6 if point % 2 == 0 else 1.5
        star.append((12 + radius * math.cos(angle), 4 + radius * math.sin(angle)))
    c.polygon(star, (0xf2, 0xc0, 0x1e))


def open_project(c):
    """An open folder: a project taken from a file."""
    c.polygon([(0.5, 2.5), (5.5, 2.5), (7, 4), (13.5, 4), (13.5, 13.5), (0.5, 13.5)], (0xd9, 0xa4, 0x2e))
    c.rect(2.5, 5.5, 9, 5, WHITE)
    c.polygon([(4, 8), (15.5, 8), (13, 13.5), (0.5, 13.5)], (0xf5, 0xcf, 0x6a))


def save(c):
    """A diskette."""
    blue = (0x35, 0x5f, 0xb0)
    c.polygon([(1.5, 1.5), (12.5, 1.5), (14.5, 3.5), (14.5, 14.5), (1.5, 14.5)], blue)
    c.rect(4, 1.5, 8, 5, (0xd8, 0xdd, 0xe6))
    c.rect(9, 2.5, 2, 3, blue, outline=False)
    c.rect(3.5, 9, 9, 5.5, WHITE)
    for y in (10.75, 12.75):
        c.polyline([(5, y), (11, y)], 0.8, (0x9a, 0xa4, 0xb8))


def hammer(c):
    c.polyline([(3, 14), (9.5, 7.5)], 2.4, (0x9a, 0x62, 0x30))
    c.polygon([(6.5, 4.5), (10, 1), (15, 6), (13.5, 7.5), (11, 5), (9.5, 7.5)], (0x8c, 0x94, 0xa0))


def build(c):
    """A hammer: the setup file is made."""
    hammer(c)


def build_and_run(c):
    """A hammer and a start arrow: the setup file is made, then started."""
    hammer(c)
    c.polygon([(8.5, 8.5), (15.5, 12), (8.5, 15.5)], (0x2e, 0xa0, 0x43))


def help_topics(c):
    """A question mark in a blue disc: the manual."""
    c.ellipse(8, 8, 7.3, 7.3, (0x2f, 0x6f, 0xd0))
    c.ring(8, 6.3, 2.5, 2.0, WHITE, start=190, sweep=250)
    c.polyline([(8, 8.8), (8, 9.8)], 2.0, WHITE)
    c.ellipse(8, 12.3, 1.15, 1.15, WHITE, outline=False)


def home_page(c):
    """A house: the product's home page."""
    c.rect(3, 7.5, 10, 7.5, WHITE)
    c.polygon([(0.8, 8.3), (8, 1.3), (15.2, 8.3), (13.4, 8.3), (8, 3.2), (2.6, 8.3)], (0xc8, 0x3c, 0x32))
    c.rect(6.5, 10, 3, 5, (0x9a, 0x62, 0x30))
    c.rect(11, 2.5, 1.8, 3, (0x80, 0x80, 0x80))


def about(c):
    """An "i" in a disc: who made the program."""
    c.ellipse(8, 8, 7.3, 7.3, (0x2f, 0x6f, 0xd0))
    c.ellipse(8, 4.6, 1.2, 1.2, WHITE, outline=False)
    c.polyline([(8, 7.3), (8, 12)], 2.2, WHITE)


def exit_program(c):
    """An open door and an arrow out of it."""
    c.rect(1.5, 1.5, 8, 13, (0xd8, 0xdd, 0xe6))
    c.polygon([(1.5, 1.5), (6.5, 3), (6.5, 16), (1.5, 14.5)], (0x9a, 0x62, 0x30))
    c.polyline([(8, 8.5), (13, 8.5)], 2.0, (0x2e, 0xa0, 0x43))
    c.polygon([(11.5, 5), (15.5, 8.5), (11.5, 12)], (0x2e, 0xa0, 0x43), outline=False)


GLYPHS = {
    "project": project, "general": general, "text": text, "files": folder, "shortcuts": shortcuts,
    "regedit": regedit, "finish": finish, "new": new, "open": open_project, "save": save, "build": build,
    "build-and-run": build_and_run, "help": help_topics, "home-page": home_page, "about": about,
    "exit": exit_program,
}


def main(folder_path):
    os.makedirs(folder_path, exist_ok=True)
    for name, draw in GLYPHS.items():
        for size in SIZES:
            canvas = Canvas(size)
            draw(canvas)
            with open(os.path.join(folder_path, "%s-%d.png" % (name, size)), "wb") as out:
                out.write(canvas.png())


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "glyphs"))
