#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes pal8-map32.tga from ImageMagick's pal8.tga (see README.txt): the same picture with its
# colour map stored as 32-bit entries (blue, green, red, alpha), which neither ImageMagick nor
# netpbm writes. Alpha differs per entry and must not change the colours.
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "pal8.tga"), "rb") as f:
    data = bytearray(f.read())
id_length = data[0]
first, length, entry_bits = struct.unpack_from("<HHB", data, 3)
assert entry_bits == 24
start = 18 + id_length
old_map = data[start:start + 3 * length]
new_map = b"".join(old_map[3 * i:3 * i + 3] + bytes([(i * 37) & 0xFF]) for i in range(length))
data[7] = 32
out = bytes(data[:start]) + new_map + bytes(data[start + 3 * length:])
with open(os.path.join(here, "pal8-map32.tga"), "wb") as f:
    f.write(out)
