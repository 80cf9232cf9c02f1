// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwpcx.h"

#include <algorithm>

#include "core/Exception.h"
#include "readers/ByteOrder.h"

namespace pixelary {

namespace {

// Header offsets: +0 manufacturer, +1 version, +2 encoding, +3 bits per pixel per plane,
// +4 Xmin, +6 Ymin, +8 Xmax, +10 Ymax, +12/+14 dots per inch, +16 16-colour map (48 bytes,
// red, green, blue), +65 planes, +66 bytes per line of one plane.
constexpr std::size_t kManufacturerAt = 0;
constexpr std::size_t kVersionAt = 1;
constexpr std::size_t kEncodingAt = 2;
constexpr std::size_t kBitsAt = 3;
constexpr std::size_t kXminAt = 4;
constexpr std::size_t kYminAt = 6;
constexpr std::size_t kXmaxAt = 8;
constexpr std::size_t kYmaxAt = 10;
constexpr std::size_t kXdpiAt = 12;
constexpr std::size_t kYdpiAt = 14;
constexpr std::size_t kMapAt = 16;
constexpr std::size_t kPlanesAt = 65;
constexpr std::size_t kBytesPerLineAt = 66;

constexpr std::uint8_t kManufacturer = 10;
constexpr std::uint8_t kOldestVersion = 4;  // versions above it are read
constexpr std::uint8_t kRunLength = 1;
constexpr std::uint8_t kRunCode = 0xC0;
constexpr std::uint8_t kRunCountMask = 0x3F;
constexpr std::int32_t kDpiToResolution = 254;
constexpr std::int64_t kTrailingPaletteBytes = 768;
constexpr std::int64_t kReadBufferSize = 2048;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

[[noreturn]] void HeaderError() {
    throw EInOutError("PCX Header error");
}

}  // namespace

MDiskPCX::MDiskPCX(const std::string& path, const std::string& extension)
    : MDiskImage(path, extension), file_(path, FileMode::OpenRead) {
    file_.ReadBuffer(file_header_.data(), file_header_.size());
    const std::uint8_t* h = file_header_.data();
    if (h[kManufacturerAt] != kManufacturer || h[kVersionAt] <= kOldestVersion ||
        h[kEncodingAt] != kRunLength) {
        HeaderError();
    }
    bits_per_plane_ = h[kBitsAt];
    planes_ = h[kPlanesAt];
    bytes_per_line_ = bytes::U16LE(h + kBytesPerLineAt);
    ImageInfo.Width = bytes::U16LE(h + kXmaxAt) - bytes::U16LE(h + kXminAt) + 1;
    ImageInfo.Height = bytes::U16LE(h + kYmaxAt) - bytes::U16LE(h + kYminAt) + 1;
    ImageInfo.BitCount = static_cast<std::uint16_t>(bits_per_plane_ * planes_);
    ImageInfo.XPelsPerMeter = bytes::U16LE(h + kXdpiAt) * kDpiToResolution;
    ImageInfo.YPelsPerMeter = bytes::U16LE(h + kYdpiAt) * kDpiToResolution;
    CheckLayout();
    ReadPalette();
    data_start_ = static_cast<std::int64_t>(file_header_.size());
    const std::size_t decoded = static_cast<std::size_t>(bytes_per_line_) * planes_;
    const std::size_t delivered =
        (static_cast<std::size_t>(std::max(ImageInfo.Width, 0)) * ImageInfo.BitCount + 7) / 8;
    decoded_row_.assign(decoded, 0);
    converted_row_.assign(std::max(decoded, delivered), 0);
    read_buffer_size_ = kReadBufferSize;
    read_buffer_.assign(static_cast<std::size_t>(read_buffer_size_), 0);
}

MDiskPCX::~MDiskPCX() = default;

// Only the plane layouts the conversion knows are taken, and a plane line must hold the width:
// otherwise resampling would read past the decoded row.
void MDiskPCX::CheckLayout() const {
    const bool known = (bits_per_plane_ == 1 && (planes_ == 1 || planes_ == 4)) ||
                       (bits_per_plane_ == 4 && planes_ == 1) ||
                       (bits_per_plane_ == 8 && (planes_ == 1 || planes_ == 3));
    if (!known) HeaderError();
    if (ImageInfo.Width > kMaxImageSide || ImageInfo.Height > kMaxImageSide) HeaderError();
    const std::int64_t needed_bits = std::int64_t{std::max(ImageInfo.Width, 0)} * bits_per_plane_;
    if (std::int64_t{bytes_per_line_} * 8 < needed_bits) HeaderError();
}

void MDiskPCX::ReadPalette() {
    const std::int32_t n = GetColorCount();
    Palette.assign(static_cast<std::size_t>(kMaxPaletteEntries), 0);
    std::vector<std::uint8_t> rgb;
    if (n == kMaxPaletteEntries) {
        file_.Seek(-kTrailingPaletteBytes, SeekOrigin::End);
        rgb.resize(static_cast<std::size_t>(kTrailingPaletteBytes));
        file_.ReadBuffer(rgb.data(), rgb.size());
    } else if (n > 0 && n <= 16) {
        rgb.assign(file_header_.begin() + kMapAt, file_header_.begin() + kMapAt + 3 * n);
    }
    for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
        Palette[i] = rgb[3 * i + 2] | (rgb[3 * i + 1] << 8) | (rgb[3 * i] << 16);
    }
    // Many writers leave the header map of a two-colour file zeroed: two equal entries would
    // show one flat colour, so such pictures are shown black on white.
    if (n == 2 && Palette[0] == Palette[1]) {
        Palette[0] = kBlack;
        Palette[1] = kWhite;
    }
}

// Past the end of the file the decoder sees zeros.
std::uint8_t MDiskPCX::ReadByte() {
    if (read_buffer_position_ >= read_buffer_fill_) {
        read_buffer_file_position_ += read_buffer_fill_;
        file_.SetPosition(read_buffer_file_position_);
        read_buffer_fill_ = static_cast<std::int64_t>(
            file_.Read(read_buffer_.data(), static_cast<std::size_t>(read_buffer_size_)));
        read_buffer_position_ = 0;
        if (read_buffer_fill_ == 0) {
            at_end_ = true;
            return 0;
        }
    }
    return read_buffer_[static_cast<std::size_t>(read_buffer_position_++)];
}

void MDiskPCX::Rewind() {
    read_buffer_file_position_ = data_start_;
    read_buffer_fill_ = 0;
    read_buffer_position_ = 0;
    current_row_ = 0;
    at_end_ = false;
}

// Counts one row's decoded bytes without storing them; a run's part past the row is dropped.
void MDiskPCX::SkipRow() {
    const std::int64_t target = std::int64_t{bytes_per_line_} * planes_;
    std::int64_t counted = 0;
    while (counted < target && !at_end_) {
        const std::uint8_t code = ReadByte();
        if (code >= kRunCode) {
            counted += code & kRunCountMask;
            ReadByte();
        } else {
            ++counted;
        }
    }
}

void MDiskPCX::DecodeRow() {
    const std::size_t target = decoded_row_.size();
    std::size_t produced = 0;
    while (produced < target && !at_end_) {
        const std::uint8_t code = ReadByte();
        if (code >= kRunCode) {
            const std::size_t run = std::min<std::size_t>(code & kRunCountMask, target - produced);
            const std::uint8_t value = ReadByte();
            std::fill_n(decoded_row_.begin() + static_cast<std::ptrdiff_t>(produced), run, value);
            produced += run;
        } else {
            decoded_row_[produced++] = code;
        }
    }
    std::fill(decoded_row_.begin() + static_cast<std::ptrdiff_t>(produced), decoded_row_.end(), 0);
}

void MDiskPCX::ConvertRow() {
    const std::size_t line = static_cast<std::size_t>(bytes_per_line_);
    const std::size_t width = static_cast<std::size_t>(std::max(ImageInfo.Width, 0));
    if (bits_per_plane_ == 1 && planes_ == 4) {
        std::fill(converted_row_.begin(), converted_row_.end(), 0);
        for (std::size_t x = 0; x < width; ++x) {
            int value = 0;
            for (std::size_t p = 0; p < 4; ++p) {
                value |= ((decoded_row_[p * line + x / 8] >> (7 - x % 8)) & 1) << p;
            }
            converted_row_[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? value << 4 : value);
        }
    } else if (planes_ == 3) {
        for (std::size_t x = 0; x < width; ++x) {
            converted_row_[3 * x] = decoded_row_[2 * line + x];
            converted_row_[3 * x + 1] = decoded_row_[line + x];
            converted_row_[3 * x + 2] = decoded_row_[x];
        }
    } else {
        std::copy(decoded_row_.begin(), decoded_row_.end(), converted_row_.begin());
    }
}

const std::uint8_t* MDiskPCX::FetchRow(std::int32_t row) {
    if (current_row_ == -1 || row < current_row_) Rewind();
    for (; current_row_ < row; ++current_row_) SkipRow();
    DecodeRow();
    ++current_row_;
    ConvertRow();
    return converted_row_.data();
}

void MDiskPCX::StretchLines(Dib& bitmap, std::int32_t count) {
    StretchRows(bitmap, count, false, [this](std::int32_t row) { return FetchRow(row); });
}

}  // namespace pixelary
