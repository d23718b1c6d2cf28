#!/usr/bin/env python3
"""Draws Cofferprep's icon: a disk drive with a padlock in front, 16 and 32 pixels square,
32-bit colour with alpha. Writes Cofferprep.ico beside this script (or the path given)."""
import struct
import sys
from pathlib import Path

SAMPLES = 4  # supersampling per axis for smooth edges


def inside_rounded(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def shape_colour(x, y):
    """Colour (r, g, b) of the topmost shape at (x, y) in a 1.0-wide square, or None."""
    # padlock: shackle ring, then body with a keyhole
    if inside_rounded(x, y, 0.50, 0.58, 0.92, 0.94, 0.05):
        if (x - 0.71) ** 2 + (y - 0.72) ** 2 <= 0.045 ** 2 or (0.695 <= x <= 0.725 and 0.72 <= y <= 0.84):
            return (92, 64, 8)
        return (236, 180, 40) if y < 0.76 else (214, 156, 24)
    ring = ((x - 0.71) ** 2 + (y - 0.58) ** 2) ** 0.5
    if 0.09 <= ring <= 0.15 and y <= 0.60:
        return (150, 156, 166)
    # drive body with a light front panel and a green activity light
    if inside_rounded(x, y, 0.06, 0.22, 0.84, 0.72, 0.08):
        if 0.12 <= x <= 0.78 and 0.50 <= y <= 0.64:
            if (x - 0.22) ** 2 + (y - 0.57) ** 2 <= 0.035 ** 2:
                return (70, 200, 90)
            return (196, 208, 224)
        return (46, 84, 140) if y < 0.46 else (34, 64, 112)
    return None


def render(size):
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shape_colour((col + (sx + 0.5) / SAMPLES) / size, (row + (sy + 0.5) / SAMPLES) / size)
                    if c:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered:
                line.append(tuple(t // covered for t in total) + (255 * covered // (SAMPLES * SAMPLES),))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


def icon_image(size):
    pixels = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((b, g, r, a)) for line in reversed(pixels) for (r, g, b, a) in line)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(pixels):
        bits = bytearray(mask_row)
        for col, (_, _, _, a) in enumerate(line):
            if a == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + colour + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name('Cofferprep.ico')
    images = [(size, icon_image(size)) for size in (16, 32, 48)]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out.write_bytes(data + b''.join(image for _, image in images))


if __name__ == '__main__':
    main()
