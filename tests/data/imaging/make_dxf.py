#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes dxf/entities.dxf: an ASCII DXF drawing of 200 x 100 units with one of every entity the
# DXF module draws, group codes written out by hand from the DXF reference.


def group(code, value):
    return f"{code}\n{value}\n"


def entity(kind, *pairs):
    out = group(0, kind) + group(8, "0")
    for code, value in pairs:
        out += group(code, value)
    return out


blocks = (group(0, "SECTION") + group(2, "BLOCKS") +
          group(0, "BLOCK") + group(8, "0") + group(2, "SQ") + group(70, 0) +
          group(10, 0.0) + group(20, 0.0) + group(30, 0.0) + group(3, "SQ") +
          entity("SOLID", (10, 0), (20, 0), (11, 10), (21, 0), (12, 0), (22, 10), (13, 10), (23, 10)) +
          group(0, "ENDBLK") + group(8, "0") + group(0, "ENDSEC"))

entities = group(0, "SECTION") + group(2, "ENTITIES")
# Border: a closed lightweight polyline (its extents are the drawing's).
entities += entity("LWPOLYLINE", (90, 4), (70, 1), (10, 0), (20, 0), (10, 200), (20, 0),
                   (10, 200), (20, 100), (10, 0), (20, 100))
entities += entity("LINE", (10, 0), (20, 0), (30, 0), (11, 200), (21, 100), (31, 0))
entities += entity("SOLID", (10, 10), (20, 10), (11, 30), (21, 10), (12, 10), (22, 30),
                   (13, 30), (23, 30))
entities += entity("CIRCLE", (10, 100), (20, 50), (30, 0), (40, 20))
entities += entity("ARC", (10, 50), (20, 50), (30, 0), (40, 10), (50, 0), (51, 90))
entities += entity("ELLIPSE", (10, 170), (20, 70), (30, 0), (11, 15), (21, 0), (31, 0),
                   (40, 0.5), (41, 0), (42, 6.283185307))
entities += entity("SPLINE", (70, 8), (71, 3), (72, 8), (73, 4), (74, 0),
                   (40, 0), (40, 0), (40, 0), (40, 0), (40, 1), (40, 1), (40, 1), (40, 1),
                   (10, 60), (20, 10), (30, 0), (10, 70), (20, 30), (30, 0),
                   (10, 80), (20, 10), (30, 0), (10, 90), (20, 30), (30, 0))
entities += entity("POLYLINE", (66, 1), (70, 0), (10, 0), (20, 0), (30, 0))
for x, y in ((120, 80), (140, 90), (160, 80)):
    entities += entity("VERTEX", (10, x), (20, y), (30, 0))
entities += group(0, "SEQEND") + group(8, "0")
entities += entity("TEXT", (10, 40), (20, 80), (30, 0), (40, 5), (1, "HELLO"))
entities += entity("INSERT", (2, "SQ"), (10, 150), (20, 20), (30, 0))
entities += group(0, "ENDSEC")

with open("dxf/entities.dxf", "w") as f:
    f.write(blocks + entities + group(0, "EOF"))
