#!/usr/bin/env python3
"""Draws the time zone bar's auto-hide pin and writes it as two .ico files beside this script.

pin_in.ico (icon 153): the pin pushed in, upright with its needle down; shown while the bar
hides itself when not in use.
pin_out.ico (icon 154): the pin lying loose on its side, needle to the left; shown while the
bar stays in view.

Each at 16 and 32 pixels, 32-bit with alpha; the drawing and the file format are those of
draw_icons.py. Shapes are laid out on a 16-unit grid and scaled.

Run: python3 draw_pin_icons.py
"""

import os

from draw_icons import dib, render, segment, write_ico

SIZES = (16, 32)

OUTLINE = (60, 24, 24, 255)
BODY = (206, 48, 40, 255)
SHINE = (244, 150, 136, 255)
NEEDLE = (72, 76, 88, 255)


def box(x0, y0, x1, y1, radius):
    """A rectangle with rounded corners."""
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def upright(s):
    """Pushed in: the knob on top, the flange across, the needle down into the board."""
    k = s / 16.0
    o = 0.9 * k  # outline width
    knob = (5.5 * k, 1.0 * k, 10.5 * k, 7.5 * k)
    flange = (3.0 * k, 7.0 * k, 13.0 * k, 9.5 * k)
    return [
        (segment(8 * k, 9 * k, 8 * k, 15.2 * k, 0.55 * k + o * 0.6), OUTLINE),
        (segment(8 * k, 9 * k, 8 * k, 15.2 * k, 0.55 * k), NEEDLE),
        (box(knob[0] - o, knob[1] - o, knob[2] + o, knob[3] + o, 1.6 * k), OUTLINE),
        (box(flange[0] - o, flange[1] - o, flange[2] + o, flange[3] + o, 1.0 * k), OUTLINE),
        (box(*knob, 1.2 * k), BODY),
        (box(*flange, 0.6 * k), BODY),
        (box(6.6 * k, 2.0 * k, 7.8 * k, 6.5 * k, 0.5 * k), SHINE),
    ]


def lying(s):
    """Loose: the same pin turned on its side, needle to the left."""
    k = s / 16.0
    o = 0.9 * k
    knob = (8.5 * k, 5.5 * k, 15.0 * k, 10.5 * k)
    flange = (6.5 * k, 3.0 * k, 9.0 * k, 13.0 * k)
    return [
        (segment(0.8 * k, 8 * k, 7 * k, 8 * k, 0.55 * k + o * 0.6), OUTLINE),
        (segment(0.8 * k, 8 * k, 7 * k, 8 * k, 0.55 * k), NEEDLE),
        (box(knob[0] - o, knob[1] - o, knob[2] + o, knob[3] + o, 1.6 * k), OUTLINE),
        (box(flange[0] - o, flange[1] - o, flange[2] + o, flange[3] + o, 1.0 * k), OUTLINE),
        (box(*knob, 1.2 * k), BODY),
        (box(*flange, 0.6 * k), BODY),
        (box(9.5 * k, 6.6 * k, 14.0 * k, 7.8 * k, 0.5 * k), SHINE),
    ]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, draw in (('pin_in', upright), ('pin_out', lying)):
        images = [render(size, draw(size)) for size in SIZES]
        write_ico(os.path.join(here, name + '.ico'), images)


if __name__ == '__main__':
    main()
