#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes documents with an embedded preview ("QX", "ObjManager", 0, 1, length, BMP file) around
# ../../readers/bmp/pal4.bmp (made by ImageMagick, see ../../readers/bmp/README.txt): preview.osp is complete,
# short-preview.osp declares more preview bytes than it holds.
import struct
import os

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "..", "..", "readers", "bmp", "pal4.bmp"), "rb") as f:
    bmp = f.read()
header = b"QX" + b"ObjManager".ljust(32, b"\0") + struct.pack("<HH", 0, 1)
with open(os.path.join(here, "preview.osp"), "wb") as f:
    f.write(header + struct.pack("<I", len(bmp)) + bmp)
with open(os.path.join(here, "short-preview.osp"), "wb") as f:
    f.write(header + struct.pack("<I", len(bmp) + 100) + bmp)
