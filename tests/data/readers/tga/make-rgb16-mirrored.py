#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes rgb16-mirrored.tga: an uncompressed 16-bit true-colour Targa of 19 x 7 pixels stored
# top row first and right to left (descriptor bits 5 and 4), with the attribute bit set on every
# other pixel. No common encoder writes this variant.
import struct

W, H = 19, 7
header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, W, H, 16, 0x30)
rows = b""
for y in range(H):
    for x in reversed(range(W)):  # stored right to left
        r, g, b = x * 31 // (W - 1), y * 31 // (H - 1), (x + 2 * y) % 32
        rows += struct.pack("<H", (r << 10) | (g << 5) | b | ((x & 1) << 15))
open("rgb16-mirrored.tga", "wb").write(header + rows)
