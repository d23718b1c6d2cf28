#!/usr/bin/env python3
"""Draws the Time Zone dialog's pictures and writes them as 32-bit .bmp files beside this script.

zone_edit.bmp (bitmap 160, 48 x 48): a globe with a pencil, for editing a zone.
zone_new.bmp (bitmap 162, 48 x 48): a globe with a green plus, for a new one.

The pencil and the plus are the Reminder dialog's (draw_bitmaps.py), so that the two dialogs'
pictures read as one family. Unlike those pictures these carry straight alpha (BI_RGB, 32 bits
a pixel) instead of a grey ground: the dialog lays them on its own face colour when it loads
them. Pure Python, no libraries.

Run: python3 draw_zone_bitmaps.py
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, '..', 'icons'))
sys.dont_write_bytecode = True

from draw_icons import disc, ring, render  # noqa: E402
from draw_bitmaps import OUTLINE, pencil, plus_badge, polygon  # noqa: E402

OCEAN = (38, 110, 196, 255)
OCEAN_DEEP = (24, 74, 150, 255)
SHINE = (150, 200, 246, 110)
LAND = (70, 164, 74, 255)
LAND_DARK = (46, 122, 52, 255)
GRID = (255, 255, 255, 70)


def intersect(*shapes):
    return lambda x, y: all(shape(x, y) for shape in shapes)


def ellipse_line(cx, cy, rx, ry, half_width):
    """The outline of an axis-aligned ellipse, about 2 * half_width wide everywhere."""
    def inside(x, y):
        dx, dy = x - cx, y - cy
        f = (dx / rx) ** 2 + (dy / ry) ** 2 - 1
        gx, gy = 2 * dx / (rx * rx), 2 * dy / (ry * ry)
        g = (gx * gx + gy * gy) ** 0.5
        return g > 0 and abs(f) / g <= half_width

    return inside


def band(y0, y1):
    return lambda x, y: y0 <= y <= y1


def globe(cx, cy, r):
    """Layers of a globe centred on (cx, cy): ocean, the Atlantic's two shores, a graticule."""
    sphere = disc(cx, cy, r)
    layers = [(disc(cx, cy, r + 0.9), OUTLINE),
              (sphere, OCEAN_DEEP),
              # The lit side: a lighter ocean towards the upper left.
              (intersect(sphere, disc(cx - 0.22 * r, cy - 0.22 * r, 0.86 * r)), OCEAN)]

    def at(u, v):
        """A point of the face in units of the radius, from its centre."""
        return (cx + u * r, cy + v * r)

    # The Americas on the left, Europe and Africa on the right; both cut at the globe's rim.
    north_america = polygon([at(-1.0, -0.55), at(-0.72, -0.86), at(-0.38, -0.92), at(-0.22, -0.72),
                             at(-0.34, -0.48), at(-0.46, -0.22), at(-0.62, -0.06), at(-0.74, 0.02),
                             at(-1.0, -0.04)])
    south_america = polygon([at(-0.66, 0.12), at(-0.40, 0.16), at(-0.20, 0.34), at(-0.26, 0.56),
                             at(-0.44, 0.78), at(-0.56, 0.96), at(-0.66, 0.70), at(-0.74, 0.38)])
    europe = polygon([at(0.10, -0.62), at(0.26, -0.86), at(0.56, -0.92), at(0.86, -0.62),
                      at(1.0, -0.42), at(0.62, -0.34), at(0.40, -0.30), at(0.16, -0.36)])
    africa = polygon([at(0.08, -0.22), at(0.50, -0.26), at(0.78, -0.06), at(0.86, 0.14),
                      at(0.70, 0.34), at(0.58, 0.66), at(0.42, 0.80), at(0.32, 0.56),
                      at(0.28, 0.24), at(0.06, 0.10), at(0.00, -0.06)])
    land = intersect(sphere, lambda x, y: north_america(x, y) or south_america(x, y)
                     or europe(x, y) or africa(x, y))
    layers.append((land, LAND))
    # The land's shaded side, away from the light.
    layers.append((intersect(land, lambda x, y: (x - cx + 0.3 * r) ** 2 + (y - cy + 0.3 * r) ** 2 > (1.05 * r) ** 2),
                   LAND_DARK))

    # Meridians and parallels, faint over land and sea alike.
    for rx in (0.42 * r, 0.80 * r):
        layers.append((intersect(sphere, ellipse_line(cx, cy, rx, r, 0.35)), GRID))
    layers.append((intersect(sphere, band(cy - 0.35, cy + 0.35)), GRID))
    for v in (-0.5, 0.5):
        y = cy + v * r
        layers.append((intersect(sphere, band(y - 0.35, y + 0.35)), GRID))
    layers.append((intersect(sphere, disc(cx - 0.42 * r, cy - 0.46 * r, 0.22 * r)), SHINE))
    layers.append((ring(cx, cy, r + 0.9, r - 0.1), OUTLINE))
    return layers


def write_bmp32(path, rows):
    """A 32-bit bottom-up BMP with straight alpha in each pixel's fourth byte."""
    height = len(rows)
    width = len(rows[0])
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + bytes(pixels))


def picture(extra):
    # The globe where the Reminder dialog's clock stands.
    return render(48, globe(20.5, 22.5, 17.0) + extra)


def main():
    # The pencil lies across the globe's lower right, its point towards the lower left.
    write_bmp32(os.path.join(HERE, 'zone_edit.bmp'), picture(pencil(45.5, 24.0, 24.0, 45.5, 3.4)))
    write_bmp32(os.path.join(HERE, 'zone_new.bmp'), picture(plus_badge(36.0, 36.0, 9.0)))


if __name__ == '__main__':
    main()
