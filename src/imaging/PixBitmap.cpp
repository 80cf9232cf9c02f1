// SPDX-License-Identifier: GPL-3.0-or-later
#include "imaging/PixBitmap.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"

namespace pixelary {

namespace {

std::uint8_t Expand5(unsigned v) {
    return static_cast<std::uint8_t>(v * 8 + (v & 1) * 7);
}
std::uint8_t Expand6(unsigned v) {
    return static_cast<std::uint8_t>(v * 4 + (v & 1) * 3);
}

}  // namespace

int BitCountOf(TPixelFormat format) {
    switch (format) {
        case TPixelFormat::pf1bit:
            return 1;
        case TPixelFormat::pf4bit:
            return 4;
        case TPixelFormat::pf8bit:
            return 8;
        case TPixelFormat::pf15bit:
            return 15;
        case TPixelFormat::pf16bit:
            return 16;
        case TPixelFormat::pf24bit:
            return 24;
        case TPixelFormat::pf32bit:
            return 32;
        default:
            return 0;
    }
}

TPixelFormat FormatForBits(int bitCount) {
    switch (bitCount) {
        case 1:
            return TPixelFormat::pf1bit;
        case 4:
            return TPixelFormat::pf4bit;
        case 8:
            return TPixelFormat::pf8bit;
        case 15:
            return TPixelFormat::pf15bit;
        case 16:
            return TPixelFormat::pf16bit;
        case 24:
            return TPixelFormat::pf24bit;
        case 32:
            return TPixelFormat::pf32bit;
        default:
            return TPixelFormat::pfCustom;
    }
}

void TPixBitmap::SetSize(int width, int height, TPixelFormat format) {
    const int bits = BitCountOf(format);
    if (bits == 0 || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        std::int64_t{width} * height > kMaxPixels) {
        throw EIntError("Bitmap size or depth invalid");
    }
    const std::size_t stored = bits == 15 ? 16 : static_cast<std::size_t>(bits);
    const std::size_t stride = (static_cast<std::size_t>(width) * stored + 31) / 32 * 4;
    pixels_.assign(stride * static_cast<std::size_t>(height), 0);
    width_ = width;
    height_ = height;
    format_ = format;
    stride_ = stride;
    palette_.assign(bits <= 8 ? std::size_t{1} << bits : 0, 0);
}

void TPixBitmap::Clear() {
    *this = TPixBitmap();
}

void TPixBitmap::SetPalette(const std::vector<std::uint32_t>& palette) {
    const int bits = BitCount();
    if (bits == 0 || bits > 8) return;
    const std::size_t size = std::size_t{1} << bits;
    palette_.assign(size, 0);
    std::copy_n(palette.begin(), std::min(size, palette.size()), palette_.begin());
}

Dib TPixBitmap::ToDib() const {
    const int bits = BitCount();
    const bool expand = bits == 15 || bits == 16;
    Dib dib(width_, height_, expand ? 24 : bits);
    if (bits <= 8) dib.SetPalette(palette_);
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* src = ScanLine(y);
        std::uint8_t* dst = dib.Row(y);
        if (!expand) {
            std::memcpy(dst, src, std::min(stride_, dib.Stride()));
            continue;
        }
        for (int x = 0; x < width_; ++x) {
            const unsigned v = src[2 * x] | src[2 * x + 1] << 8;
            const bool five = bits == 15;
            dst[3 * x] = Expand5(v & 31);
            dst[3 * x + 1] = five ? Expand5((v >> 5) & 31) : Expand6((v >> 5) & 63);
            dst[3 * x + 2] = Expand5(five ? (v >> 10) & 31 : v >> 11);
        }
    }
    return dib;
}

TPixBitmap TPixBitmap::FromDib(const Dib& dib) {
    TPixBitmap bitmap;
    if (dib.IsEmpty()) return bitmap;
    bitmap.SetSize(dib.Width(), dib.Height(), FormatForBits(dib.BitCount()));
    bitmap.SetPalette(dib.Palette());
    for (int y = 0; y < dib.Height(); ++y) {
        std::memcpy(bitmap.ScanLine(y), dib.Row(y), std::min(bitmap.stride_, dib.Stride()));
    }
    return bitmap;
}

}  // namespace pixelary
