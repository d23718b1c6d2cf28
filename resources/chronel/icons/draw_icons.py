#!/usr/bin/env python3
"""Draws Chronel's icons and writes them as .ico files beside this script.

chronel.ico (icon 128, the program): a clock face at 48, 32 and 16 pixels.
tray.ico (icon 129, the notification area): a bolder clock face at 16 and 32 pixels, so that
it stays readable at the tray's small-icon size.

Each image is 32-bit with alpha plus a 1-bit AND mask (opaque where alpha >= 128), so that
systems without alpha-blended icons still draw a clean shape. Pure Python, no libraries:
shapes are sampled 4 x 4 times per pixel for smooth edges.

Run: python3 draw_icons.py
"""

import math
import os
import struct

SAMPLES = 4


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner * r_inner < (x - cx) ** 2 + (y - cy) ** 2 <= r_outer * r_outer


def segment(x0, y0, x1, y1, half_width):
    """A stroke with round ends from (x0, y0) to (x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width

    return inside


def hand(cx, cy, angle_deg, length, half_width):
    """A clock hand; 0 degrees points at twelve, angles run clockwise."""
    a = math.radians(angle_deg)
    return segment(cx, cy, cx + length * math.sin(a), cy - length * math.cos(a), half_width)


def render(size, layers):
    """layers: (shape, (r, g, b, a)) painted in order. Returns rows of (r, g, b, a), top first."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    cr = cg = cb = ca = 0.0
                    for shape, (lr, lg, lb, la) in layers:
                        if shape(x, y):
                            alpha = la / 255.0
                            # "over" compositing of a straight-alpha colour
                            cr = lr * alpha + cr * (1 - alpha)
                            cg = lg * alpha + cg * (1 - alpha)
                            cb = lb * alpha + cb * (1 - alpha)
                            ca = alpha + ca * (1 - alpha)
                    r += cr
                    g += cg
                    b += cb
                    a += ca
            n = SAMPLES * SAMPLES
            if a > 0:
                # Premultiplied sums back to straight colour.
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


NAVY = (24, 62, 112, 255)
FACE = (250, 250, 244, 255)
TICK = (70, 80, 96, 255)
HANDS = (28, 32, 40, 255)
RED = (200, 36, 36, 255)


def clock(size, bold):
    c = size / 2.0
    outer = c - 0.5
    rim = size * (0.14 if bold else 0.09)
    layers = [(disc(c, c, outer), NAVY), (disc(c, c, outer - rim), FACE)]
    if size >= 32:
        face = outer - rim
        for hour in range(12):
            a = math.radians(hour * 30)
            inner = face * (0.72 if hour % 3 == 0 else 0.82)
            tick_width = size * (0.035 if hour % 3 == 0 else 0.022)
            layers.append((segment(c + inner * math.sin(a), c - inner * math.cos(a),
                                   c + face * 0.92 * math.sin(a), c - face * 0.92 * math.cos(a),
                                   tick_width), TICK))
    face = outer - rim
    hand_width = size * (0.075 if bold else 0.05)
    # Ten past ten on the large faces; a plain three o'clock on the bold small ones, where the
    # two hands would otherwise read as a tick mark.
    hour, minute = (90, 0) if bold else (300, 60)
    layers.append((hand(c, c, hour, face * 0.55, hand_width), HANDS))
    layers.append((hand(c, c, minute, face * 0.80, hand_width * 0.8), HANDS))
    if size >= 32 and not bold:
        layers.append((hand(c, c, 168, face * 0.85, size * 0.018), RED))
    layers.append((disc(c, c, size * (0.08 if bold else 0.06)), HANDS))
    return render(size, layers)


def dib(rows):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA pixels, then the AND mask."""
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = bytearray()
    stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, images):
    count = len(images)
    directory = struct.pack('<HHH', 0, 1, count)
    offset = 6 + 16 * count
    entries = b''
    blobs = b''
    for rows in images:
        size = len(rows)
        blob = dib(rows)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(directory + entries + blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, 'chronel.ico'), [clock(48, False), clock(32, False), clock(16, True)])
    write_ico(os.path.join(here, 'tray.ico'), [clock(16, True), clock(32, True)])


if __name__ == '__main__':
    main()
