// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pixelary {

class Stream;

// Device-independent bitmap: 1-, 4-, 8-, 24- or 32-bit rows addressed from the top (row 0 is the
// top row), each row padded to 4 bytes as in a BMP file; 24-bit pixels are blue, green, red.
// Depths up to 8 carry a palette of up to 256 entries (blue in the low byte, then green, red).
// Stored as a BMP file wherever a picture is kept (entry streams, cache files, wallpaper).
class Dib {
  public:
    static constexpr int kMaxSide = 65535;
    static constexpr std::size_t kMaxPixelBytes = std::size_t{1} << 30;

    Dib() = default;
    // Raises EIntError for a depth other than 1, 4, 8, 24, 32, a side outside 1..kMaxSide or
    // more than kMaxPixelBytes of rows. Pixels start at 0; a palette starts with all entries 0.
    Dib(int width, int height, int bitCount);

    static bool IsValidDepth(int bitCount);
    static std::size_t StrideFor(int width, int bitCount);

    bool IsEmpty() const { return width_ == 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitCount() const { return bit_count_; }
    std::size_t Stride() const { return stride_; }

    std::uint8_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* Row(int y) const {
        return pixels_.data() + static_cast<std::size_t>(y) * stride_;
    }
    std::vector<std::uint8_t>& Pixels() { return pixels_; }
    const std::vector<std::uint8_t>& Pixels() const { return pixels_; }

    const std::vector<std::uint32_t>& Palette() const { return palette_; }
    // At most 256 entries are kept; depths above 8 keep none.
    void SetPalette(std::vector<std::uint32_t> palette);

    // Palette index (depths up to 8) or the pixel's 0x00RRGGBB value (24 and 32 bits).
    std::uint32_t PixelValue(int x, int y) const;
    // The pixel's colour as 0x00RRGGBB, looking the palette up for depths up to 8.
    std::uint32_t PixelRgb(int x, int y) const;

    // BMP file format: file header, 40-byte information header, palette, bottom-up rows.
    void SaveToStream(Stream& out) const;
    void SaveToFile(const std::string& path) const;
    std::vector<std::uint8_t> ToBmpBytes() const;
    // Accepts uncompressed 1/4/8/24/32-bit files (bottom-up or top-down) and 32-bit bit fields
    // of the usual masks. Raises EInOutError "Bitmap image is not valid" for anything else.
    static Dib LoadFromStream(Stream& in);
    static Dib LoadFromFile(const std::string& path);
    static Dib LoadFromBytes(const std::vector<std::uint8_t>& bytes);

  private:
    int width_ = 0;
    int height_ = 0;
    int bit_count_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> pixels_;
    std::vector<std::uint32_t> palette_;
};

}  // namespace pixelary
