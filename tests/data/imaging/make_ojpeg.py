#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Byte-builds an old-style JPEG TIFF (compression 6) around a baseline JPEG, as scanners and fax
# software of the 1990s wrote them: the whole JPEG stream is named by JPEGInterchangeFormat, the
# one strip is its entropy-coded data, the photometric interpretation is YCbCr. No current tool
# writes this variant. Usage: make_ojpeg.py input.jpg output.tif
import struct
import sys

jpeg = open(sys.argv[1], "rb").read()
assert jpeg[:2] == b"\xff\xd8", "not a JPEG file"


def markers(data):
    """Yields (marker, segment start, segment end) up to and including the SOS segment."""
    at = 2
    while at + 4 <= len(data):
        assert data[at] == 0xFF
        marker = data[at + 1]
        length = struct.unpack(">H", data[at + 2:at + 4])[0]
        yield marker, at, at + 2 + length
        if marker == 0xDA:
            return
        at += 2 + length


width = height = 0
sampling = (1, 1)
scan_start = 0
for marker, start, end in markers(jpeg):
    if marker == 0xC0:  # baseline frame header
        height, width = struct.unpack(">HH", jpeg[start + 5:start + 9])
        luma_sampling = jpeg[start + 11]
        sampling = (luma_sampling >> 4, luma_sampling & 0x0F)
    elif marker in (0xC1, 0xC2, 0xC3):
        sys.exit("only baseline JPEG streams go into old-style JPEG TIFF files")
    elif marker == 0xDA:
        scan_start = end
assert width and height and scan_start, "no baseline frame or scan"

# Layout: 8-byte header, the JPEG stream, the bits-per-sample array, then the directory.
stream_at = 8
bits_at = stream_at + len(jpeg) + (len(jpeg) & 1)
ifd_at = bits_at + 6
SHORT, LONG = 3, 4
tags = [
    (256, SHORT, 1, width),
    (257, SHORT, 1, height),
    (258, SHORT, 3, bits_at),
    (259, SHORT, 1, 6),  # old-style JPEG
    (262, SHORT, 1, 6),  # YCbCr
    (273, LONG, 1, stream_at + scan_start),
    (277, SHORT, 1, 3),
    (278, SHORT, 1, height),
    (279, LONG, 1, len(jpeg) - scan_start),
    (284, SHORT, 1, 1),
    (513, LONG, 1, stream_at),
    (514, LONG, 1, len(jpeg)),
    (530, SHORT, 2, sampling[0] | sampling[1] << 16),
]
out = bytearray(b"II*\0" + struct.pack("<I", ifd_at))
out += jpeg + b"\0" * (len(jpeg) & 1)
out += struct.pack("<HHH", 8, 8, 8)
out += struct.pack("<H", len(tags))
for tag, kind, count, value in tags:
    if kind == SHORT and count == 1:
        out += struct.pack("<HHIHH", tag, kind, count, value, 0)
    else:
        out += struct.pack("<HHII", tag, kind, count, value)
out += struct.pack("<I", 0)
open(sys.argv[2], "wb").write(out)
