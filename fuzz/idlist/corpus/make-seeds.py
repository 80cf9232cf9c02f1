#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the seeds of the item-ID list fuzz target into this folder: lists as the Linux namespace
# makes them (each item a 16-bit little-endian size counting itself, a kind byte and the UTF-8
# name; a 16-bit zero closes the list), plus two damaged ones. Kinds: H the home folder, C
# "Computer", V a mount point below it, F a file or folder by its file name.
# computer-root-volume and file-item were written by hand before this script.
import os
import struct


def item(kind, name):
    body = kind.encode() + name.encode("utf-8")
    return struct.pack("<H", 2 + len(body)) + body


def id_list(*items):
    return b"".join(items) + b"\0\0"


home = item("H", "Home")
computer = item("C", "Computer")
seeds = {
    "desktop": id_list(),
    "home": id_list(home),
    "home-picture": id_list(home, item("F", "Pictures"), item("F", "holiday.jpg")),
    "home-utf8-name": id_list(home, item("F", "照片.png")),
    "computer": id_list(computer),
    "computer-volume-folder": id_list(computer, item("V", "/media/usb"), item("F", "DCIM")),
    "desktop-entry": id_list(item("F", "notes.txt")),
    # Damaged: the closing zero is missing; an item's size is below its own header.
    "unterminated": home + item("F", "a.bmp"),
    "item-too-short": struct.pack("<H", 2) + b"H" + b"\0\0",
}
here = os.path.dirname(os.path.abspath(__file__))
for name, data in seeds.items():
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)
