#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Checks a thumbnail cache folder and, optionally, a settings file after a crash.

check-cache.py index CACHE_DIR [--swept]
    The index "Pixelary.cac" must be complete: the signature, the count, exactly that many
    records and nothing after them. With --swept (after a start has loaded, swept and saved
    it) every record's thumbnail file must exist and every thumbnail file must be indexed.
check-cache.py settings FILE
    The settings file must hold all eleven values, the numbers as integers.
Prints one line saying what is wrong and exits 1, or exits 0 silently.
"""
import os
import re
import struct
import sys

SIGNATURE = b"MCache10\0"
THUMBNAIL = re.compile(r"^PX[0-9A-Fa-f]{4}\.TMP$", re.IGNORECASE)
TEXTS = ["Cache path", "Print modal", "Print frame bitmap", "TWAIN file name",
         "TWAIN file format"]
NUMBERS = ["Cache size", "Open file mouse", "TWAIN file start num", "TWAIN file step num",
           "TWAIN jpeg quality", "TWAIN jpeg smooty"]


def fail(message):
    print(message)
    sys.exit(1)


def read_index(path):
    with open(path, "rb") as index:
        data = index.read()
    if data[:9] != SIGNATURE or len(data) < 13:
        fail(f"{path}: no signature or count ({len(data)} bytes)")
    (count,) = struct.unpack_from("<i", data, 9)
    pos = 13
    images = []

    def text():
        nonlocal pos
        if pos + 4 > len(data):
            fail(f"{path}: cut inside a length at byte {pos}")
        (length,) = struct.unpack_from("<i", data, pos)
        pos += 4
        if length < 1 or pos + length > len(data) or data[pos + length - 1] != 0:
            fail(f"{path}: bad text of length {length} at byte {pos}")
        value = data[pos:pos + length - 1]
        pos += length
        return value

    for record in range(count):
        text()
        if pos + 8 > len(data):
            fail(f"{path}: record {record} cut short")
        pos += 8
        images.append(text().decode("latin-1"))
        if pos + 4 > len(data):
            fail(f"{path}: record {record} cut short")
        pos += 4
    if pos != len(data):
        fail(f"{path}: {len(data) - pos} bytes after {count} records")
    return images


def check_index(folder, swept):
    path = os.path.join(folder, "Pixelary.cac")
    if not os.path.exists(path):
        if swept:
            fail(f"{path}: missing after a start")
        return
    images = read_index(path)
    if not swept:
        return
    for image in images:
        if not os.path.isfile(os.path.join(folder, image)):
            fail(f"{path}: names {image}, which does not exist")
    indexed = set(images)
    for name in os.listdir(folder):
        if THUMBNAIL.match(name) and name not in indexed:
            fail(f"{folder}: {name} survived the sweep without a record")


def check_settings(path):
    if not os.path.exists(path):
        return
    values = {}
    with open(path, "rb") as settings:
        for line in settings.read().decode("utf-8", "replace").splitlines():
            if "=" in line and not line.startswith("["):
                key, value = line.split("=", 1)
                values[key.replace("%20", " ")] = value
    for name in TEXTS + NUMBERS:
        if name not in values:
            fail(f"{path}: '{name}' missing")
    for name in NUMBERS:
        if not re.fullmatch(r"-?[0-9]+", values[name]):
            fail(f"{path}: '{name}' is '{values[name]}'")


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "index":
        check_index(sys.argv[2], "--swept" in sys.argv[3:])
    elif len(sys.argv) == 3 and sys.argv[1] == "settings":
        check_settings(sys.argv[2])
    else:
        fail(__doc__)


if __name__ == "__main__":
    main()
