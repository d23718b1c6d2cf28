#!/usr/bin/env python3
"""Draws Chronel's reminder bitmaps and writes them as 24-bit .bmp files beside this script.

reminder_popup.bmp (bitmap 148, 150 x 19): the heading band of a reminder pop-up, a blue
gradient with a small ringing bell at the left. The pop-up stretches the last column on to
its right edge, under its buttons, so the band ends in a plain colour.

reminder_edit.bmp (bitmap 159, 48 x 48): an alarm clock with a pencil, for editing a reminder.
reminder_new.bmp (bitmap 161, 48 x 48): an alarm clock with a green plus, for a new one.

The two pictures stand on light grey (192, 192, 192), the colour that LoadImage's
LR_LOADMAP3DCOLORS turns into the dialog's face colour. Shapes come from ../icons/draw_icons.py
and are sampled 4 x 4 times per pixel for smooth edges. Pure Python, no libraries.

Run: python3 draw_bitmaps.py
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'icons'))
# No __pycache__ left in the icons folder.
sys.dont_write_bytecode = True

from draw_icons import SAMPLES, NAVY, FACE, HANDS, disc, hand, ring, segment  # noqa: E402

FACE_GREY = (192, 192, 192)
OUTLINE = (40, 44, 56, 255)
RIM = (196, 40, 36, 255)
RIM_DARK = (140, 24, 24, 255)
BELL = (176, 182, 194, 255)
BELL_SHINE = (226, 230, 236, 255)
PENCIL = (244, 190, 40, 255)
PENCIL_SHADE = (214, 150, 20, 255)
WOOD = (238, 206, 160, 255)
LEAD = (50, 50, 56, 255)
FERRULE = (170, 176, 186, 255)
ERASER = (232, 120, 140, 255)
GREEN = (44, 150, 62, 255)
WHITE = (255, 255, 255, 255)
CREAM = (255, 246, 214, 255)

BAND_LEFT = (18, 48, 96)
BAND_RIGHT = (64, 114, 176)


def polygon(points):
    """A filled polygon (even-odd rule)."""
    n = len(points)

    def inside(x, y):
        result = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result

    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def arc(cx, cy, r, half_width, start_deg, end_deg):
    """Part of a ring; 0 degrees points at twelve, angles run clockwise."""
    band = ring(cx, cy, r + half_width, r - half_width)

    def inside(x, y):
        if not band(x, y):
            return False
        a = math.degrees(math.atan2(x - cx, cy - y)) % 360
        return start_deg <= a <= end_deg if start_deg <= end_deg else (a >= start_deg or a <= end_deg)

    return inside


def render_over(width, height, background, layers):
    """layers: (shape, (r, g, b, a)) painted in order over background(x, y) -> (r, g, b).
    Returns rows of (r, g, b), top first."""
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES
                    y = py + (sy + 0.5) / SAMPLES
                    cr, cg, cb = background(x, y)
                    for shape, (lr, lg, lb, la) in layers:
                        if shape(x, y):
                            alpha = la / 255.0
                            cr = lr * alpha + cr * (1 - alpha)
                            cg = lg * alpha + cg * (1 - alpha)
                            cb = lb * alpha + cb * (1 - alpha)
                    r += cr
                    g += cg
                    b += cb
            row.append((round(r / n), round(g / n), round(b / n)))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    """A 24-bit bottom-up BMP, each row padded to four bytes."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + bytes(pixels))


# --- The pop-up's heading band ---

def band_colour(x, y, width, height):
    t = min(1.0, x / (width * 0.8))
    base = [BAND_LEFT[i] + (BAND_RIGHT[i] - BAND_LEFT[i]) * t for i in range(3)]
    # A soft sheen on the upper half and a darker last row, so the band reads as a title bar.
    v = y / height
    lift = 36 * (0.5 - v) * 2 if v < 0.5 else 0
    if y >= height - 1:
        lift = -24
    return tuple(max(0, min(255, c + lift)) for c in base)


def bell(cx, cy, s):
    """A hand bell centred on (cx, cy), s pixels high."""
    u = s / 16.0
    dome = disc(cx, cy - 2.5 * u, 4.6 * u)
    skirt = polygon([(cx - 4.6 * u, cy - 2.5 * u), (cx + 4.6 * u, cy - 2.5 * u),
                     (cx + 6.6 * u, cy + 4.2 * u), (cx - 6.6 * u, cy + 4.2 * u)])
    lip = segment(cx - 6.6 * u, cy + 4.4 * u, cx + 6.6 * u, cy + 4.4 * u, 1.1 * u)
    knob = disc(cx, cy - 7.6 * u, 1.4 * u)
    clapper = disc(cx, cy + 6.6 * u, 1.7 * u)
    return union(dome, skirt, lip, knob, clapper)


def heading():
    width, height = 150, 19
    cx, cy = 12.0, 9.8
    layers = [(bell(cx + 0.7, cy + 0.7, 13), (0, 0, 0, 90)),  # a faint shadow
              (bell(cx, cy, 13), CREAM)]
    # Two short arcs: the bell is ringing.
    for r in (7.4, 10.0):
        layers.append((arc(cx, cy - 2, r, 0.65, 55, 105), CREAM))
    return render_over(width, height, lambda x, y: band_colour(x, y, width, height), layers)


# --- The Reminder dialog's pictures ---

def alarm_clock(cx, cy, r):
    """Layers of an alarm clock whose face is centred on (cx, cy) with outer radius r."""
    layers = []
    # The two bells and the hammer's bridge behind the face.
    for side in (-1, 1):
        a = math.radians(side * 42)
        bx, by = cx + (r + 1.5) * math.sin(a), cy - (r + 1.5) * math.cos(a)
        layers.append((disc(bx, by, r * 0.42 + 1), OUTLINE))
        layers.append((disc(bx, by, r * 0.42), BELL))
        layers.append((disc(bx - 1.2, by - 1.2, r * 0.16), BELL_SHINE))
    layers.append((segment(cx, cy - r - 3.5, cx, cy - r + 2, 1.4), OUTLINE))
    layers.append((disc(cx, cy - r - 3.8, 1.9), OUTLINE))
    # Legs.
    for side in (-1, 1):
        a = math.radians(180 - side * 38)
        x0, y0 = cx + r * 0.8 * math.sin(a), cy - r * 0.8 * math.cos(a)
        x1, y1 = cx + (r + 4) * math.sin(a), cy - (r + 4) * math.cos(a)
        layers.append((segment(x0, y0, x1, y1, 1.8), OUTLINE))
    # The case and the face.
    layers.append((disc(cx, cy, r + 0.8), OUTLINE))
    layers.append((disc(cx, cy, r), RIM))
    layers.append((ring(cx, cy, r, r - 1.0), RIM_DARK))
    face = r * 0.76
    layers.append((disc(cx, cy, face), FACE))
    for hour in range(0, 12, 3):
        a = math.radians(hour * 30)
        layers.append((segment(cx + face * 0.72 * math.sin(a), cy - face * 0.72 * math.cos(a),
                               cx + face * 0.9 * math.sin(a), cy - face * 0.9 * math.cos(a), 0.9), NAVY))
    layers.append((hand(cx, cy, 300, face * 0.5, 1.4), HANDS))
    layers.append((hand(cx, cy, 60, face * 0.75, 1.1), HANDS))
    layers.append((disc(cx, cy, 1.7), HANDS))
    return layers


def pencil(x0, y0, x1, y1, half):
    """Layers of a pencil from its eraser end (x0, y0) to its point (x1, y1)."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    ux, uy = dx / length, dy / length
    nx, ny = -uy, ux

    def at(t, w):
        return (x0 + ux * t + nx * w, y0 + uy * t + ny * w)

    cone = length * 0.24
    body_end = length - cone
    layers = []
    outline = polygon([at(-0.9, -half - 0.9), at(body_end, -half - 0.9), at(length + 1.2, 0),
                       at(body_end, half + 0.9), at(-0.9, half + 0.9)])
    layers.append((outline, OUTLINE))
    layers.append((polygon([at(0, -half), at(4.5, -half), at(4.5, half), at(0, half)]), ERASER))
    layers.append((polygon([at(4.5, -half), at(7.5, -half), at(7.5, half), at(4.5, half)]), FERRULE))
    layers.append((polygon([at(7.5, -half), at(body_end, -half), at(body_end, half), at(7.5, half)]), PENCIL))
    layers.append((polygon([at(7.5, 0.8), at(body_end, 0.8), at(body_end, half), at(7.5, half)]), PENCIL_SHADE))
    layers.append((polygon([at(body_end, -half), at(length, 0), at(body_end, half)]), WOOD))
    tip = cone * 0.38
    layers.append((polygon([at(length - tip, -half * tip / cone), at(length, 0),
                            at(length - tip, half * tip / cone)]), LEAD))
    return layers


def plus_badge(cx, cy, r):
    arm = r * 0.58
    return [(disc(cx, cy, r + 1.3), WHITE),
            (disc(cx, cy, r), GREEN),
            (segment(cx - arm, cy, cx + arm, cy, r * 0.2), WHITE),
            (segment(cx, cy - arm, cx, cy + arm, r * 0.2), WHITE)]


def picture(extra):
    layers = alarm_clock(20.5, 23.5, 14.5) + extra
    return render_over(48, 48, lambda x, y: FACE_GREY, layers)


def main():
    write_bmp(os.path.join(HERE, 'reminder_popup.bmp'), heading())
    # The pencil lies across the clock's lower right, its point towards the lower left.
    write_bmp(os.path.join(HERE, 'reminder_edit.bmp'), picture(pencil(45.5, 24.0, 24.0, 45.5, 3.4)))
    write_bmp(os.path.join(HERE, 'reminder_new.bmp'), picture(plus_badge(36.0, 36.0, 9.0)))


if __name__ == '__main__':
    main()
