#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Stop-anywhere test: closes the main window or changes folders at random moments while a
# folder of slow (large EPS drawings for Ghostscript), huge and broken pictures is scanned.
# Each stop must end within 5 s, nothing may crash, and the index written at each close must
# load and name only thumbnails that exist (see tests/mainwindow/StopAnywhere.cpp).
# Usage: scripts/stop-test.sh [--short] [TRIALS]   (--short: 20 trials; default 1000)
# BUILD names the build folder (default build/asan).
set -euo pipefail
cd "$(dirname "$0")/.."
trials=1000
if [[ "${1:-}" == "--short" ]]; then
  trials=20
  shift
fi
trials=${1:-$trials}
build=${BUILD:-build/asan}
driver=$build/bin/stop_anywhere
[[ -x "$driver" ]] || { echo "stop-test: $driver not built" >&2; exit 2; }
python=$(command -v /usr/bin/python3 || command -v python3)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/slow" "$work/other"
"$python" - "$work/slow" "$work/other" <<'EOF'
import random, struct, sys, zlib
random.seed(11)
slow, other = sys.argv[1], sys.argv[2]
def bmp(path, w, h):
    stride = (w * 3 + 3) & ~3
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 54 + stride * h, 0, 0, 54))
        f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, stride * h, 0, 0, 0, 0))
        f.write(bytes(random.getrandbits(8) for _ in range(256)) * (stride * h // 256 + 1))
def png(path, w, h):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    packer = zlib.compressobj(9)
    row = b"\0" + b"\xff" * (w * 3)
    body = b"".join(packer.compress(row) for _ in range(h)) + packer.flush()
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", body) + chunk(b"IEND", b""))
# Drawings Ghostscript takes seconds to render.
for i in range(3):
    with open(f"{slow}/drawing{i}.eps", "w") as f:
        f.write("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 3000 3000\n%%EndComments\n")
        f.write(f"{i} srand 0.1 setlinewidth\n1 1 200000 {{ pop rand 3000 mod rand 3000 mod "
                "moveto rand 3000 mod rand 3000 mod lineto stroke } for\nshowpage\n%%EOF\n")
png(f"{slow}/huge.png", 12000, 12000)
for i in range(12):
    bmp(f"{slow}/p{i:02d}.bmp", random.randint(100, 1200), random.randint(100, 900))
open(f"{slow}/broken.jpg", "wb").write(b"\xff\xd8\xff\xe0" + bytes(random.getrandbits(8) for _ in range(3000)))
open(f"{slow}/cut.png", "wb").write(open(f"{slow}/huge.png", "rb").read()[:5000])
open(f"{slow}/claims-huge.bmp", "wb").write(b"BM" + struct.pack("<IHHI", 0, 0, 0, 54) +
    struct.pack("<IiiHHIIiiII", 40, 60000, 60000, 1, 24, 0, 0, 0, 0, 0, 0))
for i in range(2):
    bmp(f"{other}/q{i}.bmp", 200, 150)
EOF
"$driver" --trials "$trials" --folder "$work/slow" --other "$work/other" --seed "$RANDOM" \
  2> >(grep -v -e 'XDG_RUNTIME_DIR' -e 'propagateSizeHints' >&2)
