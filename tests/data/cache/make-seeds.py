#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the cache index seeds: example.cac is the one-record index of 55 bytes
# (C:\P\a.bmp, 1234 bytes, date 2A4B6000, PX1A2B.TMP, last use 2A4B6010); three-records.cac
# holds three records, one with an empty path.
import struct
import os

here = os.path.dirname(os.path.abspath(__file__))


def text(value):
    data = value.encode("utf-8") + b"\0"
    return struct.pack("<i", len(data)) + data


def record(path, size, date, image, last_used):
    return text(path) + struct.pack("<ii", size, date) + text(image) + struct.pack("<i", last_used)


def index(records):
    return b"MCache10\0" + struct.pack("<i", len(records)) + b"".join(records)


with open(os.path.join(here, "example.cac"), "wb") as f:
    f.write(index([record("C:\\P\\a.bmp", 1234, 0x2A4B6000, "PX1A2B.TMP", 0x2A4B6010)]))
with open(os.path.join(here, "three-records.cac"), "wb") as f:
    f.write(index([
        record("", 0, 0, "PX0001.TMP", 0x2A4B6000),
        record("/home/u/相片/a.jpg", 5000, 0x2A4B6001, "PX0002.TMP", 0x2A4B6002),
        record("/home/u/相片/a.jpg", 5100, 0x2A4B6003, "PX0003.TMP", 0x2A4B6004),
    ]))
