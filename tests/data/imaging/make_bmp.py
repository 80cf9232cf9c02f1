#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Byte-builds BMP variants ImageMagick does not write: RLE4, top-down 24-bit, OS/2 core header.
import struct
import subprocess
import sys

src = sys.argv[1]
w, h = 40, 30
rgb = subprocess.run(["convert", src, "-depth", "8", "RGB:-"], check=True,
                     capture_output=True).stdout
pixels = [rgb[i:i + 3] for i in range(0, len(rgb), 3)]


def file_header(total, offset):
    return b"BM" + struct.pack("<IHHI", total, 0, 0, offset)


def info_header(width, height, bits, compression, size_image, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, size_image,
                       2835, 2835, colours, 0)


# Top-down 24-bit: negative height, top row first.
rows = b""
for y in range(h):
    row = b"".join(bytes((p[2], p[1], p[0])) for p in pixels[y * w:(y + 1) * w])
    rows += row + b"\0" * ((4 - len(row) % 4) % 4)
data = info_header(w, -h, 24, 0, len(rows), 0)
with open("bmp/topdown-24.bmp", "wb") as f:
    f.write(file_header(14 + 40 + len(rows), 54) + data + rows)

# RLE4 with 16 grey levels: runs of the pixel's grey level, bottom row first.
palette = b"".join(bytes((v * 17, v * 17, v * 17, 0)) for v in range(16))
levels = [(p[0] * 299 + p[1] * 587 + p[2] * 114) // 1000 // 16 for p in pixels]
body = b""
for y in reversed(range(h)):
    line = levels[y * w:(y + 1) * w]
    x = 0
    while x < w:
        n = 1
        while x + n < w and n < 255 and line[x + n] == line[x]:
            n += 1
        body += bytes((n, line[x] << 4 | line[x]))
        x += n
    body += b"\0\0"
body += b"\0\1"
offset = 14 + 40 + len(palette)
with open("bmp/rle4.bmp", "wb") as f:
    f.write(file_header(offset + len(body), offset) +
            info_header(w, h, 4, 2, len(body), 16) + palette + body)

# OS/2 1.x core header (12 bytes), 24-bit, bottom-up.
rows = b""
for y in reversed(range(h)):
    row = b"".join(bytes((p[2], p[1], p[0])) for p in pixels[y * w:(y + 1) * w])
    rows += row + b"\0" * ((4 - len(row) % 4) % 4)
core = struct.pack("<IHHHH", 12, w, h, 1, 24)
with open("bmp/os2-core.bmp", "wb") as f:
    f.write(file_header(14 + 12 + len(rows), 26) + core + rows)

# Windows V4 header (108 bytes), 32-bit bit fields with an alpha mask, bottom-up.
rows = b""
for y in reversed(range(h)):
    rows += b"".join(bytes((p[2], p[1], p[0], 0xFF)) for p in pixels[y * w:(y + 1) * w])
v4 = struct.pack("<IiiHHIIiiII", 108, w, h, 1, 32, 3, len(rows), 2835, 2835, 0, 0)
v4 += struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
v4 += b"sRGB"[::-1] + b"\0" * 36 + b"\0" * 12  # colour space, end points, gammas
with open("bmp/v4-bitfields32.bmp", "wb") as f:
    f.write(file_header(14 + 108 + len(rows), 14 + 108) + v4 + rows)
