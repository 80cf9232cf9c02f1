// SPDX-License-Identifier: GPL-3.0-or-later
#include "cache/ThumbnailFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/Stream.h"

namespace pixelary {
namespace {

// BMP file header: +0 "BM", +2 file size, +6 two reserved 16-bit words, +10 pixel offset.
constexpr std::size_t kReservedOffset = 6;
constexpr std::array<std::uint8_t, 4> kUprightMark = {'P', 'x', 'U', '1'};

bool HasMark(const std::uint8_t* header, const std::array<std::uint8_t, 4>& mark) {
    return std::equal(mark.begin(), mark.end(), header + kReservedOffset);
}

}  // namespace

void SaveThumbnailFile(const Dib& bitmap, const std::string& path) {
    std::vector<std::uint8_t> bytes = bitmap.ToBmpBytes();
    std::copy(kUprightMark.begin(), kUprightMark.end(), bytes.begin() + kReservedOffset);
    MemoryStream(std::move(bytes)).SaveToFile(path);
}

ThumbnailFile LoadThumbnailFile(const std::string& path) {
    FileStream file(path, FileMode::OpenRead);
    std::uint8_t header[kReservedOffset + kUprightMark.size()] = {};
    const std::size_t got = file.Read(header, sizeof header);
    file.SetPosition(0);
    ThumbnailFile thumbnail;
    thumbnail.Bitmap = Dib::LoadFromStream(file);
    thumbnail.Upright = got == sizeof header && HasMark(header, kUprightMark);
    return thumbnail;
}

}  // namespace pixelary
