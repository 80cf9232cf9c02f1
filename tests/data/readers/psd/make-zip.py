#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes zip.psd (compression 2) and zip-predicted.psd (compression 3) from rgb-raw.psd: the same
# header and sections, the merged image deflated, without and with per-row delta prediction.
import struct
import zlib

raw = open("rgb-raw.psd", "rb").read()
channels, rows, columns, depth, _ = struct.unpack(">HIIHH", raw[12:26])
at = 26
for _ in range(3):
    at += 4 + struct.unpack(">I", raw[at:at + 4])[0]
assert struct.unpack(">H", raw[at:at + 2])[0] == 0 and depth == 8
head, pixels = raw[:at], raw[at + 2:]


def predicted(data):
    out = bytearray(data)
    for start in range(0, len(data), columns):
        for x in range(columns - 1, 0, -1):
            out[start + x] = (data[start + x] - data[start + x - 1]) & 0xFF
    return bytes(out)


open("zip.psd", "wb").write(head + struct.pack(">H", 2) + zlib.compress(pixels, 9))
open("zip-predicted.psd", "wb").write(head + struct.pack(">H", 3) + zlib.compress(predicted(pixels), 9))
