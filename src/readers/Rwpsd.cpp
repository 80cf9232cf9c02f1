// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwpsd.h"

#include <algorithm>
#include <cstring>

#include "core/Exception.h"
#include "readers/ByteOrder.h"
#include "readers/CmykToRgb.h"

namespace pixelary {

namespace {

// Header (big-endian): +0 signature "8BPS", +4 version, +6 reserved (6), +12 channels,
// +14 rows, +18 columns, +22 depth, +24 colour mode.
constexpr std::size_t kVersionAt = 4;
constexpr std::size_t kChannelsAt = 12;
constexpr std::size_t kRowsAt = 14;
constexpr std::size_t kColumnsAt = 18;
constexpr std::size_t kDepthAt = 22;
constexpr std::size_t kModeAt = 24;
constexpr std::uint16_t kVersion = 1;
constexpr std::int64_t kIndexedPaletteAt = 30;  // the colour-mode section's data
constexpr std::int32_t kPsdResolution = 18288;  // 72 dots per inch
constexpr std::uint16_t kMaxChannels = 56;
constexpr std::uint16_t kRaw = 0;
constexpr std::uint16_t kPackBits = 1;  // 2 and 3 are deflate streams, which this reader leaves
constexpr std::size_t kRowSlack = 4;

constexpr std::uint16_t kBitmapMode = 0;
constexpr std::uint16_t kGreyMode = 1;
constexpr std::uint16_t kIndexedMode = 2;
constexpr std::uint16_t kRgbMode = 3;
constexpr std::uint16_t kCmykMode = 4;

[[noreturn]] void HeaderError() {
    throw EInOutError("PSD header error");
}

// Decodes PackBits codes from in into out until the input is used up; bytes beyond out are
// dropped, missing ones stay 0.
void UnpackBits(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                std::size_t outSize) {
    std::fill_n(out, outSize, 0);
    std::size_t i = 0, o = 0;
    while (i < inSize) {
        const auto n = static_cast<std::int8_t>(in[i++]);
        if (n < 0) {
            if (i >= inSize) break;
            const std::uint8_t value = in[i++];
            const std::size_t run = std::min<std::size_t>(1 - n, outSize - std::min(o, outSize));
            std::fill_n(out + o, run, value);
            o += static_cast<std::size_t>(1 - n);
        } else {
            const std::size_t literal = std::min<std::size_t>(n + 1, inSize - i);
            if (o < outSize) std::copy_n(in + i, std::min(literal, outSize - o), out + o);
            i += literal;
            o += literal;
        }
    }
}

}  // namespace

MDiskPSD::MDiskPSD(const std::string& path, const std::string& extension)
    : MDiskImage(path, extension), file_(path, FileMode::OpenRead) {
    file_.ReadBuffer(file_header_.data(), file_header_.size());
    const std::uint8_t* h = file_header_.data();
    if (std::memcmp(h, "8BPS", 4) != 0 || bytes::U16BE(h + kVersionAt) != kVersion) HeaderError();
    channels_ = bytes::U16BE(h + kChannelsAt);
    depth_ = bytes::U16BE(h + kDepthAt);
    color_mode_ = bytes::U16BE(h + kModeAt);
    const std::uint32_t rows = bytes::U32BE(h + kRowsAt);
    const std::uint32_t columns = bytes::U32BE(h + kColumnsAt);
    if (rows > static_cast<std::uint32_t>(kMaxImageSide) ||
        columns > static_cast<std::uint32_t>(kMaxImageSide)) {
        HeaderError();
    }
    ImageInfo.Width = static_cast<std::int32_t>(columns);
    ImageInfo.Height = static_cast<std::int32_t>(rows);
    ImageInfo.XPelsPerMeter = kPsdResolution;
    ImageInfo.YPelsPerMeter = kPsdResolution;
    CheckLayout();
    used_channels_ = color_mode_ == kCmykMode ? 4 : color_mode_ == kRgbMode ? 3 : 1;
    ImageInfo.BitCount = color_mode_ == kBitmapMode ? 1 : used_channels_ == 1 ? 8 : 24;
    ReadPalette();
    channel_row_bytes_ = (std::int64_t{depth_} * columns + 7) / 8;
    channel_plane_bytes_ = channel_row_bytes_ * rows;
    pixel_row_bytes_ = channel_row_bytes_ * channels_;
    delivered_row_bytes_ = std::int64_t{(ImageInfo.BitCount + 7) / 8} * columns;
    channel_buffer_.assign(
        static_cast<std::size_t>(channel_row_bytes_ * used_channels_) + kRowSlack, 0);
    output_buffer_.assign(
        static_cast<std::size_t>(2 * std::max(channel_row_bytes_, delivered_row_bytes_)), 0);
    SkipSections();
    const std::uint16_t compression = file_.ReadU16BE();
    if (compression != kRaw && compression != kPackBits) HeaderError();
    compressed_ = compression == kPackBits;
    if (compressed_) ReadByteCounts();
    data_start_ = file_.Position();
}

MDiskPSD::~MDiskPSD() = default;

// Only the layouts that give a deliverable picture are taken: 1-bit bitmaps, 8-bit indexed
// pictures, grey, RGB and CMYK of 8 or 16 bits. Channels beyond the colour ones (alpha, spot
// colours) are left unread.
void MDiskPSD::CheckLayout() const {
    if (channels_ == 0 || channels_ > kMaxChannels) HeaderError();
    const bool bytes_or_words = depth_ == 8 || depth_ == 16;
    switch (color_mode_) {
        case kBitmapMode:
            if (depth_ != 1) HeaderError();
            break;
        case kIndexedMode:
            if (depth_ != 8) HeaderError();
            break;
        case kGreyMode:
            if (!bytes_or_words) HeaderError();
            break;
        case kRgbMode:
            if (!bytes_or_words || channels_ < 3) HeaderError();
            break;
        case kCmykMode:
            if (!bytes_or_words || channels_ < 4) HeaderError();
            break;
        default:
            HeaderError();
    }
}

void MDiskPSD::ReadPalette() {
    if (GetColorCount() <= 0) return;
    Palette.assign(static_cast<std::size_t>(kMaxPaletteEntries), 0);
    if (color_mode_ == kBitmapMode) {
        Palette[0] = 0x00FFFFFF;  // 1 means black
    } else if (color_mode_ == kGreyMode) {
        for (std::uint32_t i = 0; i < Palette.size(); ++i) Palette[i] = i * 0x010101;
    } else if (color_mode_ == kIndexedMode) {
        std::uint8_t planes[768];  // all reds, then all greens, then all blues
        file_.SetPosition(kIndexedPaletteAt);
        file_.ReadBuffer(planes, sizeof planes);
        for (std::size_t i = 0; i < Palette.size(); ++i) {
            Palette[i] = planes[512 + i] | (planes[256 + i] << 8) | (planes[i] << 16);
        }
    }
}

// Colour-mode data, image resources, layer and mask information: each a 32-bit length and data.
void MDiskPSD::SkipSections() {
    file_.SetPosition(static_cast<std::int64_t>(file_header_.size()));
    for (int section = 0; section < 3; ++section) {
        const std::uint32_t length = file_.ReadU32BE();
        file_.Seek(length, SeekOrigin::Current);
    }
}

// The table must lie inside the file, and no row may need more bytes than the buffer holds. Only
// the counts of the channels read are kept: the rows of later channels come after theirs.
void MDiskPSD::ReadByteCounts() {
    const std::int64_t table_bytes = std::int64_t{ImageInfo.Height} * channels_ * 2;
    if (file_.Remaining() < table_bytes) throw EReadError();
    const std::int64_t entries = std::int64_t{ImageInfo.Height} * used_channels_;
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(entries * 2));
    file_.ReadBuffer(raw.data(), raw.size());
    file_.Seek(table_bytes - entries * 2, SeekOrigin::Current);
    byte_counts_.resize(static_cast<std::size_t>(entries));
    row_starts_.resize(static_cast<std::size_t>(entries));
    std::int64_t offset = 0;
    for (std::size_t i = 0; i < byte_counts_.size(); ++i) {
        byte_counts_[i] = bytes::U16BE(&raw[2 * i]);
        if (byte_counts_[i] > output_buffer_.size()) HeaderError();
        row_starts_[i] = offset;
        offset += byte_counts_[i];
    }
}

void MDiskPSD::ReadChannelRow(std::int32_t channel, std::int32_t row) {
    std::uint8_t* out = channel_buffer_.data() + channel * channel_row_bytes_;
    const auto row_bytes = static_cast<std::size_t>(channel_row_bytes_);
    if (!compressed_) {
        file_.SetPosition(data_start_ + channel * channel_plane_bytes_ + row * channel_row_bytes_);
        file_.ReadBuffer(out, row_bytes);
        return;
    }
    const std::size_t entry = static_cast<std::size_t>(channel) * ImageInfo.Height + row;
    file_.SetPosition(data_start_ + row_starts_[entry]);
    file_.ReadBuffer(output_buffer_.data(), byte_counts_[entry]);
    UnpackBits(output_buffer_.data(), byte_counts_[entry], out, row_bytes);
}

// 16-bit samples are big-endian: each keeps its high byte, packed to the row's start in place.
void MDiskPSD::ReadChannelRowAsBytes(std::int32_t channel, std::int32_t row) {
    ReadChannelRow(channel, row);
    if (depth_ != 16) return;
    std::uint8_t* samples = channel_buffer_.data() + channel * channel_row_bytes_;
    for (std::size_t x = 0; x < static_cast<std::size_t>(ImageInfo.Width); ++x)
        samples[x] = samples[2 * x];
}

const std::uint8_t* MDiskPSD::FetchRow(std::int32_t row) {
    for (std::int32_t c = 0; c < used_channels_; ++c) ReadChannelRowAsBytes(c, row);
    if (used_channels_ == 1) return channel_buffer_.data();
    const std::uint8_t* plane = channel_buffer_.data();
    const auto line = static_cast<std::size_t>(channel_row_bytes_);
    std::uint8_t* out = output_buffer_.data();
    for (std::size_t x = 0; x < static_cast<std::size_t>(ImageInfo.Width); ++x) {
        if (color_mode_ == kCmykMode) {
            CmykLightToBgr(plane[x], plane[line + x], plane[2 * line + x], plane[3 * line + x],
                           out + 3 * x);
        } else {
            out[3 * x] = plane[2 * line + x];
            out[3 * x + 1] = plane[line + x];
            out[3 * x + 2] = plane[x];
        }
    }
    return out;
}

void MDiskPSD::StretchLines(Dib& bitmap, std::int32_t count) {
    StretchRows(bitmap, count, false, [this](std::int32_t row) { return FetchRow(row); });
}

}  // namespace pixelary
