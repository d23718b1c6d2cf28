#!/usr/bin/env python3
"""Writes a small 24-bit bitmap of one colour with a darker frame: make_bitmap.py out w h."""
import struct
import sys

out, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
row = (width * 3 + 3) // 4 * 4
pixels = bytearray()
for y in range(height):
    line = bytearray()
    for x in range(width):
        edge = x in (0, width - 1) or y in (0, height - 1)
        line += bytes((120, 80, 40) if edge else (230, 200, 160))
    pixels += line + bytes(row - len(line))
header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
with open(out, 'wb') as f:
    f.write(header + info + pixels)
