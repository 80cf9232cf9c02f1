#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes rgb555.bmp: an uncompressed 16-bit (5-5-5) bitmap of 19 x 7 pixels with a colour ramp,
# bit 15 set on every other pixel (it must be ignored). No common encoder writes this variant.
import struct

W, H = 19, 7
row_bytes = (W * 2 + 3) & ~3
rows = b""
for y in range(H):  # stored bottom row first
    row = b""
    for x in range(W):
        r, g, b = (x * 31 // (W - 1)), (y * 31 // (H - 1)), ((x + y) % 32)
        v = (r << 10) | (g << 5) | b | ((x & 1) << 15)
        row += struct.pack("<H", v)
    rows += row + b"\0" * (row_bytes - len(row))
offset = 14 + 40
header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 16, 0, len(rows), 2835, 2835, 0, 0)
open("rgb555.bmp", "wb").write(header + info + rows)
