#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Byte-builds a binary EPS: the 30-byte header, the PostScript section and a TIFF preview.
import struct
import sys

postscript = open(sys.argv[1], "rb").read()
preview = open(sys.argv[2], "rb").read()
header_size = 30
ps_offset = header_size
tiff_offset = ps_offset + len(postscript)
header = struct.pack("<4sIIIIIIH", b"\xC5\xD0\xD3\xC6", ps_offset, len(postscript), 0, 0,
                     tiff_offset, len(preview), 0xFFFF)
with open(sys.argv[3], "wb") as f:
    f.write(header + postscript + preview)
