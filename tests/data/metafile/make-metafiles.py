#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Byte-builds the metafile fixtures that no installed encoder writes:
#   placeable.wmf           placeable classic metafile, window 200 x 100: left half a blue
#                           rectangle, right half a red ellipse, a yellow polygon, text "WMF"
#   placeable-badsum.wmf    the same with one checksum bit flipped (not placeable: 1 x 1)
#   classic.wmf             the same metafile without its placeable header (1 x 1)
#   device1024.emf          enhanced metafile for a 1024 x 768-pixel, 320 x 240 mm device whose
#                           frame is the whole device: the left half green (a rectangle in
#                           MM_TEXT), a black line in MM_LOMETRIC, a clipped rectangle
#   emf-named.wmf           shapes.emf (made by fig2dev) under the extension wmf
#   records.emf             1000 x 1000-pixel device (250 mm square) exercising a world
#                           transform, a filled path, poly-polygons, a stretched bitmap, a pie,
#                           an anisotropic mapping and text; records.wmf the classic records
#                           for a bitmap, a pie and a poly-polygon
import shutil
import struct


def wmf_record(function, *words, raw=b""):
    body = b"".join(struct.pack("<h", w) for w in words) + raw
    if len(body) % 2:
        body += b"\0"
    return struct.pack("<IH", 3 + len(body) // 2, function) + body


def colour(r, g, b):
    return struct.pack("<BBBB", r, g, b, 0)


records = [
    wmf_record(0x020B, 0, 0),            # SetWindowOrg y, x
    wmf_record(0x020C, 100, 200),        # SetWindowExt y, x
    wmf_record(0x02FC, 0, raw=colour(0, 0, 255) + struct.pack("<h", 0)),  # solid blue brush: slot 0
    wmf_record(0x012D, 0),
    wmf_record(0x02FA, 5, 0, 0, raw=colour(0, 0, 0)),  # null pen: slot 1
    wmf_record(0x012D, 1),
    wmf_record(0x041B, 100, 100, 0, 0),  # Rectangle bottom, right, top, left
    wmf_record(0x02FC, 0, raw=colour(255, 0, 0) + struct.pack("<h", 0)),  # red brush: slot 2
    wmf_record(0x012D, 2),
    wmf_record(0x0418, 100, 200, 0, 100),  # Ellipse
    wmf_record(0x02FC, 0, raw=colour(255, 255, 0) + struct.pack("<h", 0)),  # yellow: slot 3
    wmf_record(0x012D, 3),
    wmf_record(0x01F0, 0),                 # delete the blue brush: slot 0 free again
    wmf_record(0x0324, 3, 40, 10, 60, 10, 50, 30),  # Polygon of 3 points
    wmf_record(0x0209, raw=colour(255, 255, 255)),  # SetTextColor white
    wmf_record(0x0102, 1),                          # transparent background
    wmf_record(0x02FB, -20, 0, 0, 0, 700, raw=b"\0\0\0\0\0\0\0\0" + b"Sans\0"),  # font: slot 0
    wmf_record(0x012D, 0),
    wmf_record(0x0521, 3, raw=b"WMF\0" + struct.pack("<hh", 60, 10)),  # TextOut "WMF" at y 60, x 10
    wmf_record(0x0000),
]
body = b"".join(records)
largest = max(len(r) for r in records) // 2
header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, 4, largest, 0)
classic = header + body

placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 200, 100, 96, 0)
checksum = 0
for (word,) in struct.iter_unpack("<H", placeable):
    checksum ^= word
open("placeable.wmf", "wb").write(placeable + struct.pack("<H", checksum) + classic)
open("placeable-badsum.wmf", "wb").write(placeable + struct.pack("<H", checksum ^ 1) + classic)
open("classic.wmf", "wb").write(classic)


def emf_record(kind, payload):
    return struct.pack("<II", kind, 8 + len(payload)) + payload


emf_body = [
    emf_record(39, struct.pack("<IIII", 1, 0, 0x00FF00, 0)),  # CreateBrushIndirect 1: green
    emf_record(37, struct.pack("<I", 1)),
    emf_record(37, struct.pack("<I", 0x80000008)),            # stock null pen
    emf_record(43, struct.pack("<iiii", 0, 0, 512, 768)),     # Rectangle: left half
    emf_record(37, struct.pack("<I", 0x80000007)),            # stock black pen
    emf_record(17, struct.pack("<I", 2)),                     # MM_LOMETRIC: 0.1 mm, y up
    emf_record(27, struct.pack("<ii", 1600, -1200)),          # MoveTo the centre
    emf_record(54, struct.pack("<ii", 3200, -1200)),          # LineTo the right edge
    emf_record(17, struct.pack("<I", 1)),
    emf_record(33, b""),                                       # SaveDC
    emf_record(30, struct.pack("<iiii", 600, 600, 700, 700)), # IntersectClipRect
    emf_record(37, struct.pack("<I", 0x80000004)),            # stock black brush
    emf_record(43, struct.pack("<iiii", 550, 550, 800, 800)), # clipped to 600..700
    emf_record(34, struct.pack("<i", -1)),                    # RestoreDC
    emf_record(14, struct.pack("<III", 0, 16, 20)),           # EOF
]
body = b"".join(emf_body)
header_size = 108
total = header_size + len(body)
emf_header = struct.pack(
    "<II4i4iIIIIHHIIIiiiiIIIii",
    1, header_size, 0, 0, 1023, 767, 0, 0, 31999, 23999,
    0x464D4520, 0x10000, total, len(emf_body) + 1, 2, 0, 0, 0, 0,
    1024, 768, 320, 240, 0, 0, 0, 320000, 240000)
assert len(emf_header) == header_size
open("device1024.emf", "wb").write(emf_header + body)
shutil.copy("shapes.emf", "emf-named.wmf")


def emf_file(records, device, millimetres, path):
    body = b"".join(records) + emf_record(14, struct.pack("<III", 0, 16, 20))
    size = 108
    frame = (0, 0, millimetres[0] * 100 - 1, millimetres[1] * 100 - 1)
    header = struct.pack(
        "<II4i4iIIIIHHIIIiiiiIIIii", 1, size, 0, 0, device[0] - 1, device[1] - 1, *frame,
        0x464D4520, 0x10000, size + len(body), len(records) + 2, 8, 0, 0, 0, 0,
        device[0], device[1], millimetres[0], millimetres[1], 0, 0, 0,
        millimetres[0] * 1000, millimetres[1] * 1000)
    open(path, "wb").write(header + body)


def brush(index, r, g, b):
    return emf_record(39, struct.pack("<IIII", index, 0, r | (g << 8) | (b << 16), 0))


def select(index):
    return emf_record(37, struct.pack("<I", index))


# A 2 x 2 24-bit bitmap, bottom row first: black, white; top row: red, blue.
DIB_INFO = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, 16, 0, 0, 0, 0)
DIB_BITS = bytes([0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0])
ROP_SRCCOPY = 0x00CC0020

stretch = struct.pack("<4i", 0, 300, 200, 500) + struct.pack(
    "<iiiiiiIIIIIIii", 0, 300, 0, 0, 2, 2, 80, 40, 120, 16, 0, ROP_SRCCOPY, 200, 200)
text = "Hi".encode("utf-16-le")
font_face = "Sans".encode("utf-16-le").ljust(64, b"\0")
# height, width, escapement, orientation, weight; italic ... pitch (8 bytes); face
font = struct.pack("<iiiii", -100, 0, 0, 0, 700) + bytes(8) + font_face
records = [
    select(0x80000008),                                             # null pen
    brush(1, 255, 0, 0), select(1),
    emf_record(35, struct.pack("<6f", 2, 0, 0, 2, 0, 0)),           # world: scale 2
    emf_record(43, struct.pack("<4i", 0, 0, 100, 100)),             # -> 0..200
    emf_record(36, struct.pack("<6fI", 1, 0, 0, 1, 0, 0, 1)),       # world: identity
    emf_record(59, b""),                                            # BeginPath
    emf_record(27, struct.pack("<ii", 300, 0)),
    emf_record(54, struct.pack("<ii", 500, 0)),
    emf_record(54, struct.pack("<ii", 400, 200)),
    emf_record(61, b""), emf_record(60, b""),                       # CloseFigure, EndPath
    brush(2, 0, 0, 255), select(2),
    emf_record(62, struct.pack("<4i", 300, 0, 500, 200)),           # FillPath
    brush(3, 0, 255, 0), select(3),
    emf_record(91, struct.pack("<4iII", 600, 0, 900, 100, 2, 8) + struct.pack("<II", 4, 4)
               + struct.pack("<16h", 600, 0, 700, 0, 700, 100, 600, 100,
                             800, 0, 900, 0, 900, 100, 800, 100)),   # PolyPolygon16
    emf_record(81, stretch + DIB_INFO + DIB_BITS),                  # StretchDIBits
    brush(4, 255, 255, 0), select(4),
    emf_record(47, struct.pack("<4i2i2i", 300, 300, 500, 500, 500, 400, 400, 300)),  # Pie
    select(1),
    emf_record(17, struct.pack("<I", 8)),                           # MM_ANISOTROPIC
    emf_record(9, struct.pack("<ii", 10, 10)),                      # window extent
    emf_record(11, struct.pack("<ii", 1000, 1000)),                 # viewport extent
    emf_record(43, struct.pack("<4i", 6, 6, 7, 7)),                 # -> 600..700
    emf_record(17, struct.pack("<I", 1)),
    emf_record(82, struct.pack("<I", 6) + font),                    # font 6
    select(6),
    emf_record(18, struct.pack("<I", 1)),                           # transparent
    emf_record(84, struct.pack("<4iIff", 0, 0, 0, 0, 1, 1, 1)
               + struct.pack("<iiIIIiiiiI", 700, 800, 2, 76, 0, 0, 0, 0, 0, 0) + text),
]
emf_file(records, (1000, 1000), (250, 250), "records.emf")

wmf_dib = struct.pack("<IiiHHIIiiII", 40, 2, 2, 1, 24, 0, 16, 0, 0, 0, 0) + DIB_BITS
records = [
    wmf_record(0x020C, 100, 100),
    wmf_record(0x02FA, 5, 0, 0, raw=colour(0, 0, 0)), wmf_record(0x012D, 0),  # null pen: 0
    wmf_record(0x0F43, raw=struct.pack("<IHhhhhhhhh", ROP_SRCCOPY, 0, 2, 2, 0, 0, 50, 50, 0, 0)
               + wmf_dib),                                           # StretchDIB to 0..50
    wmf_record(0x02FC, 0, raw=colour(255, 255, 0) + struct.pack("<h", 0)), wmf_record(0x012D, 1),
    wmf_record(0x081A, 0, 75, 25, 100, 50, 100, 0, 50),              # Pie: end, start, box
    wmf_record(0x02FC, 0, raw=colour(0, 255, 0) + struct.pack("<h", 0)), wmf_record(0x012D, 2),
    wmf_record(0x0538, 2, 4, 4, 0, 60, 20, 60, 20, 80, 0, 80, 30, 60, 50, 60, 50, 80, 30, 80),
    wmf_record(0x0000),
]
body = b"".join(records)
header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, 3,
                     max(len(r) for r in records) // 2, 0)
placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 100, 100, 96, 0)
checksum = 0
for (word,) in struct.iter_unpack("<H", placeable):
    checksum ^= word
open("records.wmf", "wb").write(placeable + struct.pack("<H", checksum) + header + body)
