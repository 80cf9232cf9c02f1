// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwtga.h"

#include <algorithm>

#include "core/Exception.h"
#include "readers/ByteOrder.h"

namespace pixelary {

namespace {

// Header offsets: +0 image ID length, +1 colour map type, +2 image type, +3 first map index,
// +5 colour map length, +7 map entry size, +8/+10 origin, +12 width, +14 height, +16 pixel
// depth, +17 image descriptor.
constexpr std::size_t kIdLengthAt = 0;
constexpr std::size_t kImageTypeAt = 2;
constexpr std::size_t kMapLengthAt = 5;
constexpr std::size_t kMapEntrySizeAt = 7;
constexpr std::size_t kWidthAt = 12;
constexpr std::size_t kHeightAt = 14;
constexpr std::size_t kDepthAt = 16;
constexpr std::size_t kDescriptorAt = 17;

constexpr std::uint8_t kColorMapped = 1;
constexpr std::uint8_t kTrueColor = 2;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kTopFirst = 0x20;
constexpr std::int32_t kTargaResolution = 18288;  // 72 dots per inch
constexpr std::size_t kRowSlack = 4;
constexpr int kPlainEntryBits = 24;

[[noreturn]] void NotSupplied() {
    throw EInOutError("TGA format not supply");
}

bool IsStoredDepth(int depth) {
    return depth == 1 || depth == 4 || depth == 8 || depth == 15 || depth == 16 || depth == 24 ||
           depth == 32;
}

// Colour map entries: 15 or 16 bits (5-5-5, attribute bit ignored), 24 bits (blue, green, red)
// or 32 bits (blue, green, red, alpha ignored).
bool IsMapEntrySize(int bits) {
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

std::int64_t MapEntryBytes(int bits) {
    return (bits + 7) / 8;
}

// One colour map entry as a palette entry (blue low byte, green, red).
std::uint32_t MapEntryColour(const std::uint8_t* entry, int bits) {
    std::uint8_t bgr[3] = {entry[0], entry[1], 0};
    if (bits == 15 || bits == 16) {
        Expand555(bgr, 1);
    } else {
        bgr[2] = entry[2];
    }
    return bgr[0] | (bgr[1] << 8) | (bgr[2] << 16);
}

}  // namespace

MDiskTGA::MDiskTGA(const std::string& path, const std::string& extension)
    : MDiskImage(path, extension), file_(path, FileMode::OpenRead) {
    file_.ReadBuffer(file_header_.data(), file_header_.size());
    const std::uint8_t type = file_header_[kImageTypeAt];
    if (type != kColorMapped && type != kTrueColor) NotSupplied();
    const int depth = file_header_[kDepthAt];
    // Depths the resampling cannot deliver are refused rather than shown blank.
    if (!IsStoredDepth(depth)) NotSupplied();
    const std::uint16_t map_length = bytes::U16LE(&file_header_[kMapLengthAt]);
    // Without a map the entry size means nothing; colours of a picture that still wants a palette
    // are then read as 3-byte entries, as they always were.
    map_entry_bits_ = map_length > 0 ? file_header_[kMapEntrySizeAt] : kPlainEntryBits;
    if (!IsMapEntrySize(map_entry_bits_)) NotSupplied();
    ImageInfo.Width = bytes::U16LE(&file_header_[kWidthAt]);
    ImageInfo.Height = bytes::U16LE(&file_header_[kHeightAt]);
    ImageInfo.BitCount = static_cast<std::uint16_t>(depth == 15 || depth == 16 ? 24 : depth);
    ImageInfo.XPelsPerMeter = kTargaResolution;
    ImageInfo.YPelsPerMeter = kTargaResolution;
    ImageInfo.ClrUsed = map_length;
    ReadPalette();
    const bool sixteen = depth == 15 || depth == 16;
    const std::int64_t width = ImageInfo.Width;
    source_row_bytes_ = static_cast<std::int32_t>(sixteen ? width * 2 : (width * depth + 7) / 8);
    const std::int64_t delivered = sixteen ? (width * 24 + 7) / 8 : source_row_bytes_;
    row_buffer_.assign(static_cast<std::size_t>(delivered) + kRowSlack, 0);
    data_offset_ = static_cast<std::int64_t>(file_header_.size()) + file_header_[kIdLengthAt] +
                   MapEntryBytes(map_entry_bits_) * map_length;
}

MDiskTGA::~MDiskTGA() = default;

// A map longer than 8 bits can index is skipped beyond its first 256 entries.
void MDiskTGA::ReadPalette() {
    const std::int32_t n = std::min(GetColorCount(), kMaxPaletteEntries);
    if (n <= 0) return;
    file_.SetPosition(static_cast<std::int64_t>(file_header_.size()) + file_header_[kIdLengthAt]);
    Palette.resize(static_cast<std::size_t>(n));
    const auto entry_bytes = static_cast<std::size_t>(MapEntryBytes(map_entry_bits_));
    std::uint8_t stored[4];
    for (std::uint32_t& entry : Palette) {
        file_.ReadBuffer(stored, entry_bytes);
        entry = MapEntryColour(stored, map_entry_bits_);
    }
}

const std::uint8_t* MDiskTGA::FetchRow(std::int32_t row) {
    const bool top_first = (file_header_[kDescriptorAt] & kTopFirst) != 0;
    const std::int64_t stored = top_first ? row : std::int64_t{ImageInfo.Height} - 1 - row;
    file_.SetPosition(data_offset_ + stored * source_row_bytes_);
    file_.ReadBuffer(row_buffer_.data(), static_cast<std::size_t>(source_row_bytes_));
    const int depth = file_header_[kDepthAt];
    if (depth == 15 || depth == 16) Expand555(row_buffer_.data(), ImageInfo.Width);
    if ((file_header_[kDescriptorAt] & kRightToLeft) != 0) MirrorRow();
    return row_buffer_.data();
}

// Rows of depths 1 and 4 are left as stored.
void MDiskTGA::MirrorRow() {
    const int bits = ImageInfo.BitCount;
    if (bits < 8) return;
    const std::size_t size = static_cast<std::size_t>(bits / 8);
    const std::size_t width = static_cast<std::size_t>(ImageInfo.Width);
    for (std::size_t k = 0; k < width / 2; ++k) {
        std::swap_ranges(row_buffer_.begin() + static_cast<std::ptrdiff_t>(k * size),
                         row_buffer_.begin() + static_cast<std::ptrdiff_t>((k + 1) * size),
                         row_buffer_.begin() + static_cast<std::ptrdiff_t>((width - 1 - k) * size));
    }
}

void MDiskTGA::StretchLines(Dib& bitmap, std::int32_t count) {
    const bool top_first = (file_header_[kDescriptorAt] & kTopFirst) != 0;
    StretchRows(bitmap, count, !top_first, [this](std::int32_t row) { return FetchRow(row); });
}

}  // namespace pixelary
