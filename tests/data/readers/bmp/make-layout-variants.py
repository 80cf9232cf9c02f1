#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Rewrites ImageMagick's rgb24.bmp and pal8.bmp (see README.txt) into layouts no encoder at hand
# writes, keeping every pixel:
#   top-down-rgb24.bmp, top-down-pal8.bmp  rows stored top row first, height negative
#   rgb24-colour-table.bmp                 a 24-bit file carrying a 16-entry colour table
#                                          (colours used 16), pixel offset past it
#   pal8-gap.bmp                           100 bytes between the palette and the rows
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def load(name):
    with open(os.path.join(here, name), "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    row_bytes = (width * bits + 31) // 32 * 4
    return data, offset, height, row_bytes


def save(name, head, pixels):
    head = bytearray(head)
    offset = len(head)
    struct.pack_into("<I", head, 2, offset + len(pixels))
    struct.pack_into("<I", head, 10, offset)
    with open(os.path.join(here, name), "wb") as f:
        f.write(bytes(head) + pixels)


def top_down(source, target):
    data, offset, height, row_bytes = load(source)
    rows = [data[offset + i * row_bytes: offset + (i + 1) * row_bytes] for i in range(height)]
    head = bytearray(data[:offset])
    struct.pack_into("<i", head, 22, -height)
    save(target, head, b"".join(reversed(rows)))


top_down("rgb24.bmp", "top-down-rgb24.bmp")
top_down("pal8.bmp", "top-down-pal8.bmp")

data, offset, height, row_bytes = load("rgb24.bmp")
head = bytearray(data[:54])
struct.pack_into("<I", head, 46, 16)  # colours used
table = b"".join(struct.pack("<BBBB", i * 16, 255 - i * 16, i * 8, 0) for i in range(16))
save("rgb24-colour-table.bmp", bytes(head) + table, data[offset:])

data, offset, height, row_bytes = load("pal8.bmp")
save("pal8-gap.bmp", data[:offset] + b"\0" * 100, data[offset:])
