#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes mono1-zero-map.pcx from netpbm's mono1.pcx (see README.txt): the same 1-bit picture
# with its 16-colour header map zeroed, as many PCX writers leave it. netpbm and ImageMagick
# both write the map filled in.
import os

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "mono1.pcx"), "rb") as f:
    data = bytearray(f.read())
assert data[3] == 1 and data[65] == 1  # 1 bit, 1 plane
data[16:64] = bytes(48)
with open(os.path.join(here, "mono1-zero-map.pcx"), "wb") as f:
    f.write(bytes(data))
