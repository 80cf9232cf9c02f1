// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Dib.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "core/Stream.h"

namespace pixelary {

namespace {

constexpr std::uint16_t kBmpSignature = 0x4D42;  // "BM"
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

[[noreturn]] void Invalid() {
    throw EInOutError("Bitmap image is not valid");
}

// The fields of the 40-byte information header that a stored bitmap uses.
struct InfoHeader {
    std::uint32_t size = 0;         // +0
    std::int32_t width = 0;         // +4
    std::int32_t height = 0;        // +8, negative for top-down rows
    std::uint16_t planes = 0;       // +12
    std::uint16_t bit_count = 0;    // +14
    std::uint32_t compression = 0;  // +16
    std::uint32_t colors_used = 0;  // +32
};

InfoHeader ReadInfoHeader(Stream& in) {
    InfoHeader h;
    h.size = in.ReadU32LE();
    if (h.size < kInfoHeaderSize || h.size > 1024) Invalid();
    h.width = in.ReadI32LE();
    h.height = in.ReadI32LE();
    h.planes = in.ReadU16LE();
    h.bit_count = in.ReadU16LE();
    h.compression = in.ReadU32LE();
    in.Seek(12, SeekOrigin::Current);  // image size, resolutions
    h.colors_used = in.ReadU32LE();
    in.Seek(4, SeekOrigin::Current);  // colours important
    return h;
}

// 32-bit files with bit fields are accepted when their masks are the plain BGRX layout.
void CheckBitfields(Stream& in, const InfoHeader& h) {
    if (h.compression == kBiRgb) return;
    if (h.compression != kBiBitfields || h.bit_count != 32) Invalid();
    const std::uint32_t red = in.ReadU32LE();
    const std::uint32_t green = in.ReadU32LE();
    const std::uint32_t blue = in.ReadU32LE();
    if (red != 0x00FF0000 || green != 0x0000FF00 || blue != 0x000000FF) Invalid();
}

}  // namespace

bool Dib::IsValidDepth(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32;
}

std::size_t Dib::StrideFor(int width, int bitCount) {
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32) * 4;
}

Dib::Dib(int width, int height, int bitCount) {
    if (!IsValidDepth(bitCount) || width < 1 || height < 1 || width > kMaxSide ||
        height > kMaxSide) {
        throw EIntError("Bitmap size or depth invalid");
    }
    const std::size_t stride = StrideFor(width, bitCount);
    if (stride * static_cast<std::size_t>(height) > kMaxPixelBytes) {
        throw EIntError("Bitmap size or depth invalid");
    }
    width_ = width;
    height_ = height;
    bit_count_ = bitCount;
    stride_ = stride;
    pixels_.assign(stride * static_cast<std::size_t>(height), 0);
    if (bitCount <= 8) palette_.assign(std::size_t{1} << bitCount, 0);
}

void Dib::SetPalette(std::vector<std::uint32_t> palette) {
    if (bit_count_ > 8) return;
    if (palette.size() > 256) palette.resize(256);
    palette_ = std::move(palette);
}

std::uint32_t Dib::PixelValue(int x, int y) const {
    const std::uint8_t* row = Row(y);
    const auto ux = static_cast<std::size_t>(x);
    switch (bit_count_) {
        case 1:
            return (row[ux / 8] >> (7 - ux % 8)) & 1;
        case 4:
            return ux % 2 == 0 ? row[ux / 2] >> 4 : row[ux / 2] & 0x0F;
        case 8:
            return row[ux];
        case 24: {
            const std::uint8_t* p = row + ux * 3;
            return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
        }
        case 32: {
            const std::uint8_t* p = row + ux * 4;
            return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
        }
        default:
            return 0;
    }
}

std::uint32_t Dib::PixelRgb(int x, int y) const {
    const std::uint32_t value = PixelValue(x, y);
    if (bit_count_ > 8) return value;
    return value < palette_.size() ? palette_[value] & 0x00FFFFFF : 0;
}

void Dib::SaveToStream(Stream& out) const {
    if (IsEmpty()) throw EIntError("Bitmap is empty");
    const auto palette_bytes = static_cast<std::uint32_t>(palette_.size() * 4);
    const std::uint32_t offset = kFileHeaderSize + kInfoHeaderSize + palette_bytes;
    const auto image_bytes = static_cast<std::uint32_t>(pixels_.size());
    out.WriteU16LE(kBmpSignature);
    out.WriteU32LE(offset + image_bytes);
    out.WriteU32LE(0);
    out.WriteU32LE(offset);
    out.WriteU32LE(kInfoHeaderSize);
    out.WriteI32LE(width_);
    out.WriteI32LE(height_);
    out.WriteU16LE(1);
    out.WriteU16LE(static_cast<std::uint16_t>(bit_count_));
    out.WriteU32LE(kBiRgb);
    out.WriteU32LE(image_bytes);
    out.WriteI32LE(3780);  // 96 dpi in pixels per metre
    out.WriteI32LE(3780);
    out.WriteU32LE(static_cast<std::uint32_t>(palette_.size()));
    out.WriteU32LE(0);
    for (std::uint32_t entry : palette_) out.WriteU32LE(entry & 0x00FFFFFF);
    for (int y = height_ - 1; y >= 0; --y) out.WriteBuffer(Row(y), stride_);
}

void Dib::SaveToFile(const std::string& path) const {
    MemoryStream bytes;
    SaveToStream(bytes);
    bytes.SaveToFile(path);
}

std::vector<std::uint8_t> Dib::ToBmpBytes() const {
    MemoryStream bytes;
    SaveToStream(bytes);
    return bytes.Bytes();
}

Dib Dib::LoadFromStream(Stream& in) {
    try {
        const std::int64_t start = in.Position();
        if (in.ReadU16LE() != kBmpSignature) Invalid();
        in.Seek(8, SeekOrigin::Current);
        const std::uint32_t offset = in.ReadU32LE();
        const InfoHeader h = ReadInfoHeader(in);
        if (h.planes != 1 || !IsValidDepth(h.bit_count)) Invalid();
        if (h.width < 1 || h.width > kMaxSide || h.height == 0 || h.height < -kMaxSide ||
            h.height > kMaxSide) {
            Invalid();
        }
        in.SetPosition(start + kFileHeaderSize + h.size);
        CheckBitfields(in, h);
        const bool top_down = h.height < 0;
        const int rows = top_down ? -h.height : h.height;
        // The rows must be in the file before they are allocated: a tiny file may declare a
        // huge picture.
        const auto row_bytes = static_cast<std::int64_t>(StrideFor(h.width, h.bit_count)) * rows;
        if (start + static_cast<std::int64_t>(offset) + row_bytes > in.Size()) Invalid();
        Dib dib(h.width, rows, h.bit_count);
        if (h.bit_count <= 8) {
            const std::uint32_t full = 1u << h.bit_count;
            const std::uint32_t count = h.colors_used == 0 ? full : h.colors_used;
            if (count > full) Invalid();
            std::vector<std::uint32_t> palette(count);
            for (auto& entry : palette) entry = in.ReadU32LE() & 0x00FFFFFF;
            palette.resize(full, 0);
            dib.SetPalette(std::move(palette));
        }
        const std::int64_t pixels_at = start + offset;
        const auto needed = static_cast<std::int64_t>(dib.pixels_.size());
        if (offset < kFileHeaderSize + h.size || pixels_at + needed > in.Size()) Invalid();
        in.SetPosition(pixels_at);
        for (int i = 0; i < dib.height_; ++i) {
            in.ReadBuffer(dib.Row(top_down ? i : dib.height_ - 1 - i), dib.stride_);
        }
        return dib;
    } catch (const EStreamError&) {
        Invalid();
    } catch (const EIntError&) {
        Invalid();
    }
}

Dib Dib::LoadFromFile(const std::string& path) {
    FileStream file(path, FileMode::OpenRead);
    return LoadFromStream(file);
}

Dib Dib::LoadFromBytes(const std::vector<std::uint8_t>& bytes) {
    MemoryStream stream(bytes);
    return LoadFromStream(stream);
}

}  // namespace pixelary
