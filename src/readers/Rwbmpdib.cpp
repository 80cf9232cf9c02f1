// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwbmpdib.h"

#include <algorithm>

#include "core/Exception.h"
#include "readers/ByteOrder.h"

namespace pixelary {

namespace {

constexpr std::uint32_t kWindowsHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;
// File header: +0 "BM", +2 file size, +6 two reserved words, +10 offset of the pixel data.
constexpr std::int64_t kFileHeaderSize = 14;
constexpr std::size_t kDataOffsetAt = 10;
constexpr std::int32_t kOs2Resolution = 72;

[[noreturn]] void HeaderError() {
    throw EInOutError("BMP Header error");
}
[[noreturn]] void NotSupplied() {
    throw EInOutError("BMP format not supply");
}

bool IsStoredDepth(std::int32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 ||
           bits == 32;
}

// Row bytes at a depth, padded to 4 bytes as stored.
std::int32_t PaddedRowBytes(std::int32_t width, std::int32_t bits) {
    return static_cast<std::int32_t>(((static_cast<std::int64_t>(width) * bits + 7) / 8 + 3) & ~3);
}

}  // namespace

MDiskBMPDIB::MDiskBMPDIB(const std::string& path, const std::string& extension)
    : MDiskImage(path, extension), file_(path, FileMode::OpenRead) {
    file_.ReadBuffer(file_header_.data(), file_header_.size());
    if (file_header_[0] != 'B' || file_header_[1] != 'M') HeaderError();
    const std::uint32_t header_size = file_.ReadU32LE();
    file_.Seek(-4, SeekOrigin::Current);
    if (header_size == kWindowsHeaderSize) {
        ReadWindowsHeader();
    } else if (header_size == kCoreHeaderSize) {
        ReadCoreHeader();
    } else {
        NotSupplied();
    }
    UseStoredDataOffset(header_size);
    // A negative height stores the top row first; the picture is as tall as its magnitude.
    if (ImageInfo.Height < 0) {
        top_down_ = true;
        ImageInfo.Height = -ImageInfo.Height;
    }
    source_bit_count_ = ImageInfo.BitCount;
    if (source_bit_count_ == 15 || source_bit_count_ == 16) ImageInfo.BitCount = 24;
    // A width of 0 or below is reported as it is and refused by the resampling.
    const std::int32_t width = std::max(ImageInfo.Width, 0);
    source_row_bytes_ = PaddedRowBytes(width, source_bit_count_);
    delivered_row_bytes_ = PaddedRowBytes(width, ImageInfo.BitCount);
    row_buffer_.assign(static_cast<std::size_t>(delivered_row_bytes_), 0);
}

MDiskBMPDIB::~MDiskBMPDIB() = default;

// 40-byte header: +0 size, +4 width, +8 height, +12 planes, +14 bit count, +16 compression,
// +20 image size, +24/+28 pixels per metre, +32 colours used, +36 colours important.
void MDiskBMPDIB::ReadWindowsHeader() {
    std::uint8_t h[kWindowsHeaderSize];
    file_.ReadBuffer(h, sizeof h);
    ImageInfo.Size = bytes::U32LE(h);
    ImageInfo.Width = bytes::I32LE(h + 4);
    ImageInfo.Height = bytes::I32LE(h + 8);
    ImageInfo.Planes = bytes::U16LE(h + 12);
    ImageInfo.BitCount = bytes::U16LE(h + 14);
    ImageInfo.Compression = bytes::U32LE(h + 16);
    ImageInfo.SizeImage = bytes::U32LE(h + 20);
    ImageInfo.XPelsPerMeter = bytes::I32LE(h + 24);
    ImageInfo.YPelsPerMeter = bytes::I32LE(h + 28);
    ImageInfo.ClrUsed = bytes::U32LE(h + 32);
    ImageInfo.ClrImportant = bytes::U32LE(h + 36);
    if (ImageInfo.Compression != 0) NotSupplied();
    CheckDescription();
    const std::int32_t n = GetColorCount();
    Palette.resize(static_cast<std::size_t>(n));
    for (std::uint32_t& entry : Palette) entry = file_.ReadU32LE();
    data_offset_ = kFileHeaderSize + kWindowsHeaderSize + 4 * std::int64_t{n};
}

// 12-byte OS/2 header: +0 size, +4 width (16), +6 height (16), +8 planes, +10 bit count.
void MDiskBMPDIB::ReadCoreHeader() {
    std::uint8_t h[kCoreHeaderSize];
    file_.ReadBuffer(h, sizeof h);
    ImageInfo = BitmapInfoHeader{};
    ImageInfo.Size = bytes::U32LE(h);
    ImageInfo.Width = bytes::U16LE(h + 4);
    ImageInfo.Height = bytes::U16LE(h + 6);
    ImageInfo.Planes = bytes::U16LE(h + 8);
    ImageInfo.BitCount = bytes::U16LE(h + 10);
    ImageInfo.XPelsPerMeter = kOs2Resolution;
    ImageInfo.YPelsPerMeter = kOs2Resolution;
    CheckDescription();
    const std::int32_t n = GetColorCount();
    Palette.resize(static_cast<std::size_t>(n));
    for (std::uint32_t& entry : Palette) {
        std::uint8_t bgr[3];
        file_.ReadBuffer(bgr, 3);
        entry = bgr[0] | (bgr[1] << 8) | (bgr[2] << 16);
    }
    data_offset_ = kFileHeaderSize + kCoreHeaderSize + 3 * std::int64_t{n};
}

// Depths the resampling cannot deliver, palettes larger than 8 bits can index and sides beyond
// the readers' limit are refused, so rows and tables stay bounded.
void MDiskBMPDIB::CheckDescription() const {
    if (!IsStoredDepth(ImageInfo.BitCount)) NotSupplied();
    if (ImageInfo.ClrUsed > static_cast<std::uint32_t>(kMaxPaletteEntries)) NotSupplied();
    if (ImageInfo.Width > kMaxImageSide || ImageInfo.Width < -kMaxImageSide) NotSupplied();
    if (ImageInfo.Height > kMaxImageSide || ImageInfo.Height < -kMaxImageSide) NotSupplied();
}

// The file header's pixel-data offset is right whenever it points past the headers and into the
// file: writers put colour tables in 24-bit files or leave gaps before the rows. A zero or
// impossible offset leaves the one computed from the headers and palette.
void MDiskBMPDIB::UseStoredDataOffset(std::uint32_t headerSize) {
    const std::int64_t stored = bytes::U32LE(&file_header_[kDataOffsetAt]);
    if (stored >= kFileHeaderSize + headerSize && stored < file_.Size()) data_offset_ = stored;
}

const std::uint8_t* MDiskBMPDIB::FetchRow(std::int32_t row) {
    const std::int64_t stored = top_down_ ? row : std::int64_t{ImageInfo.Height} - 1 - row;
    file_.SetPosition(data_offset_ + stored * source_row_bytes_);
    file_.ReadBuffer(row_buffer_.data(), static_cast<std::size_t>(source_row_bytes_));
    if (source_bit_count_ == 15 || source_bit_count_ == 16) {
        Expand555(row_buffer_.data(), ImageInfo.Width);
    }
    return row_buffer_.data();
}

void MDiskBMPDIB::StretchLines(Dib& bitmap, std::int32_t count) {
    StretchRows(bitmap, count, !top_down_, [this](std::int32_t row) { return FetchRow(row); });
}

}  // namespace pixelary
