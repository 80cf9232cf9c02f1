// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Orientation.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "core/Exception.h"
#include "core/Stream.h"

namespace pixelary {
namespace {

constexpr std::uint16_t kOrientationTag = 274;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTiffMagic = 42;
constexpr std::int64_t kTiffHeaderSize = 8;
constexpr std::int64_t kEntrySize = 12;

constexpr std::uint16_t kStartOfImage = 0xFFD8;
constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::array<std::uint8_t, 6> kExifSignature = {'E', 'x', 'i', 'f', 0, 0};
// The Exif block sits among the first few segments; a file of thousands of tiny segments, or of
// endless fill bytes, is given up on instead of being walked to its end.
constexpr int kMaxSegments = 256;
constexpr int kMaxFillBytes = 64;

// Offsets and values inside a TIFF structure, in the byte order its header names.
struct ByteOrder {
    bool little = true;
    std::uint16_t U16(const std::uint8_t* p) const {
        return little ? static_cast<std::uint16_t>(p[0] | p[1] << 8)
                      : static_cast<std::uint16_t>(p[0] << 8 | p[1]);
    }
    std::uint32_t U32(const std::uint8_t* p) const {
        const std::uint32_t a = U16(p), b = U16(p + 2);
        return little ? (b << 16 | a) : (a << 16 | b);
    }
};

Orientation FromTagValue(std::uint32_t value) {
    if (value < 1 || value > 8) return Orientation::Normal;
    return static_cast<Orientation>(value);
}

// The orientation among the directory's entries; the last well-formed one counts, as a
// reader that stores every tag it meets would keep it.
Orientation FindOrientationEntry(const std::vector<std::uint8_t>& entries, ByteOrder order) {
    Orientation found = Orientation::Normal;
    for (std::size_t at = 0; at + kEntrySize <= entries.size(); at += kEntrySize) {
        const std::uint8_t* entry = entries.data() + at;
        if (order.U16(entry) != kOrientationTag) continue;
        // +2 type, +4 count, +8 value (a single short sits at the start of the value field)
        if (order.U16(entry + 2) != kTypeShort || order.U32(entry + 4) < 1) continue;
        found = FromTagValue(order.U16(entry + 8));
    }
    return found;
}

// Reads the marker code after the prefix byte, skipping fill bytes; 0 for no marker.
std::uint8_t ReadMarker(Stream& in) {
    if (in.ReadU8() != kMarkerPrefix) return 0;
    for (int fill = 0; fill < kMaxFillBytes; ++fill) {
        const std::uint8_t code = in.ReadU8();
        if (code != kMarkerPrefix) return code;
    }
    return 0;
}

// Markers without a length field: TEM and the restart markers.
bool StandsAlone(std::uint8_t marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

bool StartsWithExifSignature(Stream& in, std::int64_t segmentLength) {
    if (segmentLength < static_cast<std::int64_t>(kExifSignature.size())) return false;
    std::array<std::uint8_t, kExifSignature.size()> head{};
    in.ReadBuffer(head.data(), head.size());
    return head == kExifSignature;
}

// One upright pixel position mapped back to the stored picture of width w and height h.
struct StoredPosition {
    int x;
    int y;
};

StoredPosition StoredOf(Orientation o, int x, int y, int w, int h) {
    switch (o) {
        case Orientation::Normal:
            return {x, y};
        case Orientation::MirrorHorizontal:
            return {w - 1 - x, y};
        case Orientation::Rotate180:
            return {w - 1 - x, h - 1 - y};
        case Orientation::MirrorVertical:
            return {x, h - 1 - y};
        case Orientation::Transpose:
            return {y, x};
        case Orientation::Rotate90:
            return {y, h - 1 - x};
        case Orientation::Transverse:
            return {w - 1 - y, h - 1 - x};
        case Orientation::Rotate270:
            return {w - 1 - y, x};
    }
    return {x, y};
}

// Copies one pixel between rows of the same depth, bit-exact (32-bit pixels keep their fourth
// byte).
void CopyPixel(const std::uint8_t* from, int fromX, std::uint8_t* to, int toX, int bitCount) {
    const auto fx = static_cast<std::size_t>(fromX);
    const auto tx = static_cast<std::size_t>(toX);
    if (bitCount >= 8) {
        const std::size_t bytes = static_cast<std::size_t>(bitCount) / 8;
        std::memcpy(to + tx * bytes, from + fx * bytes, bytes);
        return;
    }
    const std::size_t perByte = static_cast<std::size_t>(8 / bitCount);
    const unsigned mask = (1u << bitCount) - 1;
    const auto shiftOf = [&](std::size_t x) {
        return static_cast<unsigned>((perByte - 1 - x % perByte) *
                                     static_cast<std::size_t>(bitCount));
    };
    const unsigned value = (from[fx / perByte] >> shiftOf(fx)) & mask;
    std::uint8_t& target = to[tx / perByte];
    target = static_cast<std::uint8_t>((target & ~(mask << shiftOf(tx))) | value << shiftOf(tx));
}

}  // namespace

bool SwapsSides(Orientation orientation) {
    return orientation >= Orientation::Transpose && orientation <= Orientation::Rotate270;
}

bool HonoursOrientation(const std::string& formatKey) {
    return formatKey == "jpg" || formatKey == "tif";
}

Orientation ReadTiffOrientation(Stream& in, std::int64_t begin, std::int64_t end) {
    end = std::min(end, in.Size());
    const std::int64_t size = end - begin;
    if (begin < 0 || size < kTiffHeaderSize) return Orientation::Normal;
    std::uint8_t header[kTiffHeaderSize];
    in.SetPosition(begin);
    in.ReadBuffer(header, sizeof header);
    if (header[0] != header[1] || (header[0] != 'I' && header[0] != 'M')) {
        return Orientation::Normal;
    }
    const ByteOrder order{header[0] == 'I'};
    if (order.U16(header + 2) != kTiffMagic) return Orientation::Normal;
    const std::int64_t directory = order.U32(header + 4);
    if (directory < kTiffHeaderSize || directory > size - 2) return Orientation::Normal;
    in.SetPosition(begin + directory);
    std::uint8_t countBytes[2];
    in.ReadBuffer(countBytes, sizeof countBytes);
    const std::int64_t count = order.U16(countBytes);
    if (count * kEntrySize > size - directory - 2) return Orientation::Normal;
    std::vector<std::uint8_t> entries(static_cast<std::size_t>(count * kEntrySize));
    in.ReadBuffer(entries.data(), entries.size());
    return FindOrientationEntry(entries, order);
}

Orientation ReadJpegOrientation(Stream& in) {
    if (in.ReadU16BE() != kStartOfImage) return Orientation::Normal;
    for (int segment = 0; segment < kMaxSegments; ++segment) {
        const std::uint8_t marker = ReadMarker(in);
        if (marker == 0 || marker == kStartOfScan || marker == kEndOfImage) break;
        if (StandsAlone(marker)) continue;
        const std::int64_t length = std::int64_t{in.ReadU16BE()} - 2;  // the field counts itself
        if (length < 0 || length > in.Remaining()) break;
        const std::int64_t start = in.Position();
        if (marker == kApp1 && StartsWithExifSignature(in, length)) {
            return ReadTiffOrientation(in, start + kExifSignature.size(), start + length);
        }
        in.SetPosition(start + length);
    }
    return Orientation::Normal;
}

Orientation ReadPictureOrientation(const std::string& path, const std::string& formatKey) {
    if (!HonoursOrientation(formatKey)) return Orientation::Normal;
    try {
        FileStream file(path, FileMode::OpenRead);
        if (formatKey == "jpg") return ReadJpegOrientation(file);
        return ReadTiffOrientation(file, 0, file.Size());
    } catch (const Exception&) {
        // A file cut short or unreadable here is shown as stored; its reader will judge it.
        return Orientation::Normal;
    }
}

Dib ApplyOrientation(const Dib& stored, Orientation orientation) {
    const bool known = orientation >= Orientation::Normal && orientation <= Orientation::Rotate270;
    if (stored.IsEmpty() || !known || orientation == Orientation::Normal) return stored;
    const int w = stored.Width();
    const int h = stored.Height();
    const bool swap = SwapsSides(orientation);
    Dib upright(swap ? h : w, swap ? w : h, stored.BitCount());
    if (stored.BitCount() <= 8) upright.SetPalette(stored.Palette());
    for (int y = 0; y < upright.Height(); ++y) {
        std::uint8_t* row = upright.Row(y);
        for (int x = 0; x < upright.Width(); ++x) {
            const StoredPosition from = StoredOf(orientation, x, y, w, h);
            CopyPixel(stored.Row(from.y), from.x, row, x, stored.BitCount());
        }
    }
    return upright;
}

}  // namespace pixelary
