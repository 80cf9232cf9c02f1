// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Dib.h"

namespace pixelary {

// Pixel formats of a component picture; pfDevice is what an empty picture reports.
enum class TPixelFormat {
    pfDevice,
    pf1bit,
    pf4bit,
    pf8bit,
    pf15bit,
    pf16bit,
    pf24bit,
    pf32bit,
    pfCustom
};

// Bits per pixel of a format (15 for pf15bit); 0 for pfDevice and pfCustom.
int BitCountOf(TPixelFormat format);
// The format for 1, 4, 8, 15, 16, 24 or 32 bits; pfCustom for anything else.
TPixelFormat FormatForBits(int bitCount);

// The picture a component holds: rows addressed from the top, each padded to 4 bytes; 15- and
// 16-bit rows hold little-endian 5-5-5 / 5-6-5 pixels, 24-bit rows blue, green, red; depths up to
// 8 carry a palette of 0x00RRGGBB entries.
class TPixBitmap {
  public:
    static constexpr int kMaxSide = 65535;
    static constexpr std::int64_t kMaxPixels = 100'000'000;

    bool Empty() const { return width_ == 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TPixelFormat PixelFormat() const { return format_; }
    int BitCount() const { return BitCountOf(format_); }
    std::size_t Stride() const { return stride_; }

    // Raises EIntError for a size outside 1..kMaxSide a side, above kMaxPixels, or a format
    // without a bit count. Pixels and palette start at 0.
    void SetSize(int width, int height, TPixelFormat format);
    void Clear();

    std::uint8_t* ScanLine(int y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* ScanLine(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * stride_;
    }
    const std::vector<std::uint32_t>& Palette() const { return palette_; }
    // Keeps at most 2^bit count entries (none above 8 bits), padding with black.
    void SetPalette(const std::vector<std::uint32_t>& palette);

    // A device-independent copy; 15- and 16-bit pixels are expanded to 24 bits.
    Dib ToDib() const;
    static TPixBitmap FromDib(const Dib& dib);

  private:
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = TPixelFormat::pfDevice;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> pixels_;
    std::vector<std::uint32_t> palette_;
};

// The component's picture: one bitmap.
class TPixPicture {
  public:
    TPixBitmap& Bitmap() { return bitmap_; }
    const TPixBitmap& Bitmap() const { return bitmap_; }

  private:
    TPixBitmap bitmap_;
};

}  // namespace pixelary
