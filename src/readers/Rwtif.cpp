// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwtif.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Exception.h"
#include "readers/ByteOrder.h"

namespace pixelary {

namespace {

constexpr std::uint16_t kVersion = 42;
constexpr std::int64_t kEntryBytes = 12;  // +0 tag, +2 type, +4 count, +8 value field

constexpr std::uint16_t kImageWidth = 256;
constexpr std::uint16_t kImageLength = 257;
constexpr std::uint16_t kBitsPerSample = 258;
constexpr std::uint16_t kCompression = 259;
constexpr std::uint16_t kPhotometric = 262;
constexpr std::uint16_t kStripOffsets = 273;
constexpr std::uint16_t kSamplesPerPixel = 277;
constexpr std::uint16_t kRowsPerStrip = 278;
constexpr std::uint16_t kXResolution = 282;
constexpr std::uint16_t kYResolution = 283;
constexpr std::uint16_t kResolutionUnit = 296;

constexpr std::uint32_t kWhiteIsZero = 0;
constexpr std::uint32_t kBlackIsZero = 1;
constexpr std::uint32_t kRgb = 2;
constexpr std::uint32_t kSeparated = 5;  // CMYK
constexpr std::uint32_t kUncompressed = 1;
constexpr std::uint16_t kCentimetre = 3;
constexpr std::uint16_t kInch = 2;
// More samples than this are not a picture anyone writes; refusing them bounds the row.
constexpr std::uint16_t kMaxSamples = 8;
constexpr std::size_t kPaletteSize = 256;
constexpr std::size_t kRowSlack = 4;

[[noreturn]] void NotSupplied() {
    throw EInOutError("Tiff format not supply");
}

std::uint32_t TypeSize(std::uint16_t type) {
    switch (type) {
        case 3:
        case 8:
            return 2;
        case 4:
        case 9:
        case 11:
            return 4;
        case 5:
        case 10:
        case 12:
            return 8;
        default:
            return 1;
    }
}

}  // namespace

struct MDiskTIF::Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::array<std::uint8_t, 4> field{};
    std::uint64_t size = 0;   // count x type size
    std::uint32_t value = 0;  // see TakeEntry
};

struct MDiskTIF::Tags {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool has_bits = false;
    Entry bits;
    bool has_strips = false;
    Entry strips;
    bool has_rows_per_strip = false;
    std::uint32_t x_resolution = 0;
    std::uint32_t y_resolution = 0;
    std::uint16_t unit = kInch;
};

MDiskTIF::MDiskTIF(const std::string& path, const std::string& extension)
    : MDiskImage(path, extension), file_(path, FileMode::OpenRead) {
    Palette.assign(kPaletteSize, 0);
    file_.ReadBuffer(file_header_.data(), file_header_.size());
    little_endian_ = file_header_[0] == 'I' && file_header_[1] == 'I';
    if (U16(&file_header_[2]) != kVersion) NotSupplied();
    Tags tags = ReadDirectory();
    Describe(tags);
    ReadStripOffsets(tags);
}

MDiskTIF::~MDiskTIF() = default;

std::uint16_t MDiskTIF::U16(const std::uint8_t* p) const {
    return little_endian_ ? bytes::U16LE(p) : bytes::U16BE(p);
}

std::uint32_t MDiskTIF::U32(const std::uint8_t* p) const {
    return little_endian_ ? bytes::U32LE(p) : bytes::U32BE(p);
}

MDiskTIF::Tags MDiskTIF::ReadDirectory() {
    const std::int64_t directory = U32(&file_header_[4]);
    file_.SetPosition(directory);
    std::uint8_t count_bytes[2];
    file_.ReadBuffer(count_bytes, 2);
    const std::uint16_t count = U16(count_bytes);
    Tags tags;
    for (std::uint16_t i = 0; i < count; ++i) {
        std::uint8_t raw[kEntryBytes];
        file_.SetPosition(directory + 2 + kEntryBytes * i);
        file_.ReadBuffer(raw, sizeof raw);
        Entry entry;
        entry.tag = U16(raw);
        entry.type = U16(raw + 2);
        entry.count = U32(raw + 4);
        std::copy_n(raw + 8, 4, entry.field.begin());
        entry.size = std::uint64_t{entry.count} * TypeSize(entry.type);
        // A 2-byte value sits at the field's start; larger data is the field as a 32-bit
        // number (an offset when the data does not fit); a 1-byte value is the field's first byte.
        entry.value = entry.size == 2 ? U16(raw + 8) : entry.size > 2 ? U32(raw + 8) : raw[8];
        TakeEntry(entry, tags);
    }
    return tags;
}

void MDiskTIF::TakeEntry(const Entry& entry, Tags& tags) {
    const bool short_int = entry.type == 3 || entry.type == 8;
    const bool long_int = entry.type == 4 || entry.type == 9;
    switch (entry.tag) {
        case kImageWidth:
        case kImageLength: {
            if (!short_int && !long_int) break;
            const std::int64_t side = short_int ? U16(entry.field.data()) : U32(entry.field.data());
            (entry.tag == kImageWidth ? tags.width : tags.height) = side;
            break;
        }
        case kBitsPerSample:
            tags.has_bits = true;
            tags.bits = entry;
            break;
        case kCompression:
            compression_ = entry.value;
            break;
        case kPhotometric:
            photometric_ = entry.value;
            break;
        case kStripOffsets:
            tags.has_strips = true;
            tags.strips = entry;
            break;
        case kSamplesPerPixel:
            samples_per_pixel_ = static_cast<std::uint16_t>(entry.value);
            break;
        case kRowsPerStrip:
            tags.has_rows_per_strip = true;
            rows_per_strip_ = entry.value;
            break;
        case kXResolution:
            tags.x_resolution = entry.value;
            break;
        case kYResolution:
            tags.y_resolution = entry.value;
            break;
        case kResolutionUnit:
            tags.unit = static_cast<std::uint16_t>(entry.value);
            break;
        default:
            break;
    }
}

// Element index of an array tag, read from the value field when the data fits there, else from
// the offset it holds; 16-bit elements for the short types, 32-bit otherwise.
std::uint32_t MDiskTIF::ReadArrayValue(const Entry& entry, std::uint32_t index) {
    const std::uint32_t element = entry.type == 3 || entry.type == 8 ? 2 : 4;
    const std::uint64_t at = std::uint64_t{index} * element;
    std::uint8_t bytes[4] = {};
    if (std::uint64_t{entry.count} * element <= 4) {
        std::copy_n(entry.field.data() + at, element, bytes);
    } else {
        file_.SetPosition(static_cast<std::int64_t>(U32(entry.field.data()) + at));
        file_.ReadBuffer(bytes, element);
    }
    return element == 2 ? U16(bytes) : U32(bytes);
}

void MDiskTIF::Describe(Tags& tags) {
    if (tags.width > kMaxImageSide || tags.height > kMaxImageSide) NotSupplied();
    ImageInfo.Width = static_cast<std::int32_t>(tags.width);
    ImageInfo.Height = static_cast<std::int32_t>(tags.height);
    if (samples_per_pixel_ == 0 || samples_per_pixel_ > kMaxSamples) NotSupplied();
    const std::uint32_t bits_per_sample = !tags.has_bits ? 1
                                          : samples_per_pixel_ > 1 && tags.bits.count > 0
                                              ? ReadArrayValue(tags.bits, 0)
                                              : tags.bits.value;
    const std::uint64_t bit_count = std::uint64_t{bits_per_sample} * samples_per_pixel_;
    stored_row_bytes_ =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(tags.width) * bit_count + 7) / 8);
    std::uint64_t delivered_bits = bit_count;
    if (photometric_ == kRgb && samples_per_pixel_ > 3) delivered_bits = 24;
    if (photometric_ == kSeparated && samples_per_pixel_ > 4) delivered_bits = 32;
    if (photometric_ == kWhiteIsZero || photometric_ == kBlackIsZero) Palette[1] = 0x00FFFFFF;
    if (tags.x_resolution != 0)
        ImageInfo.XPelsPerMeter = ReadResolution(tags.x_resolution, tags.unit);
    if (tags.y_resolution != 0)
        ImageInfo.YPelsPerMeter = ReadResolution(tags.y_resolution, tags.unit);
    if (photometric_ != kWhiteIsZero && photometric_ != kBlackIsZero && photometric_ != kRgb &&
        photometric_ != kSeparated) {
        NotSupplied();
    }
    if (delivered_bits != 1 && delivered_bits != 24 && delivered_bits != 32) NotSupplied();
    if (compression_ != kUncompressed) NotSupplied();
    // Colour samples other than bytes would be packed as bytes: refused.
    if ((photometric_ == kRgb || photometric_ == kSeparated) && bits_per_sample != 8) NotSupplied();
    ImageInfo.BitCount = static_cast<std::uint16_t>(delivered_bits);
    bytes_per_pixel_ = static_cast<std::int32_t>((delivered_bits + 7) / 8);
    // 1-bit rows are stored as delivered; more bits than 32 a pixel are only possible for the
    // colour layouts, whose samples were checked above.
    if (bits_per_sample > 32 || stored_row_bytes_ > std::int64_t{kMaxImageSide} * 4 * kMaxSamples) {
        NotSupplied();
    }
    delivered_row_bytes_ = (tags.width * static_cast<std::int64_t>(delivered_bits) + 7) / 8;
    if (!tags.has_rows_per_strip ||
        rows_per_strip_ > static_cast<std::uint32_t>(ImageInfo.Height)) {
        rows_per_strip_ = static_cast<std::uint32_t>(std::max(ImageInfo.Height, 1));
    }
    if (rows_per_strip_ == 0) NotSupplied();
    row_buffer_.assign(
        static_cast<std::size_t>(std::max(stored_row_bytes_, delivered_row_bytes_)) + kRowSlack, 0);
}

// Resolution values are pixels per metre x 2.54 ("dpi x 254"); per centimetre x 100.
std::int32_t MDiskTIF::ReadResolution(std::uint32_t offset, std::uint16_t unit) {
    std::uint8_t rational[8];
    file_.SetPosition(offset);
    file_.ReadBuffer(rational, sizeof rational);
    const std::uint64_t numerator = U32(rational);
    const std::uint64_t denominator = U32(rational + 4);
    if (denominator == 0) return 0;  // no meaningful resolution
    const long double value = unit == kCentimetre
                                  ? static_cast<long double>(numerator * 100 / denominator)
                                  : std::trunc(static_cast<long double>(numerator) * 100 * 2.54L /
                                               static_cast<long double>(denominator));
    return static_cast<std::int32_t>(
        std::min<long double>(value, std::numeric_limits<std::int32_t>::max()));
}

// The strip table is checked against the file and against the rows it must cover before it is
// allocated.
void MDiskTIF::ReadStripOffsets(const Tags& tags) {
    if (!tags.has_strips || tags.strips.count == 0) NotSupplied();
    strip_count_ = tags.strips.count;
    const std::uint64_t rows = static_cast<std::uint64_t>(std::max(ImageInfo.Height, 0));
    const std::uint64_t needed = (rows + rows_per_strip_ - 1) / rows_per_strip_;
    if (strip_count_ < needed) NotSupplied();
    if (strip_count_ == 1) {
        first_strip_offset_ = tags.strips.value;
        return;
    }
    const std::uint32_t element = tags.strips.type == 3 || tags.strips.type == 8 ? 2 : 4;
    const std::uint64_t table_bytes = std::uint64_t{strip_count_} * element;
    const std::uint64_t table_at = table_bytes <= 4 ? 0 : U32(tags.strips.field.data());
    if (table_at + table_bytes > static_cast<std::uint64_t>(file_.Size()) && table_bytes > 4) {
        throw EReadError();
    }
    const auto used = static_cast<std::uint32_t>(std::max<std::uint64_t>(needed, 1));
    strip_offsets_.resize(used);
    for (std::uint32_t i = 0; i < used; ++i) strip_offsets_[i] = ReadArrayValue(tags.strips, i);
    first_strip_offset_ = strip_offsets_[0];
}

const std::uint8_t* MDiskTIF::FetchRow(std::int32_t row) {
    const auto s = static_cast<std::uint32_t>(row);
    const std::int64_t position = strip_offsets_.empty()
                                      ? first_strip_offset_ + std::int64_t{row} * stored_row_bytes_
                                      : std::int64_t{strip_offsets_[s / rows_per_strip_]} +
                                            std::int64_t{s % rows_per_strip_} * stored_row_bytes_;
    file_.SetPosition(position);
    std::uint8_t* row_bytes = row_buffer_.data();
    const std::size_t width = static_cast<std::size_t>(ImageInfo.Width);
    if (ImageInfo.BitCount == 1) {
        file_.ReadBuffer(row_bytes, static_cast<std::size_t>(stored_row_bytes_));
        if (photometric_ == kWhiteIsZero) {
            for (std::int64_t i = 0; i < stored_row_bytes_; ++i) row_bytes[i] = ~row_bytes[i];
        }
    } else if (photometric_ == kRgb && samples_per_pixel_ > 3) {
        file_.ReadBuffer(row_bytes, static_cast<std::size_t>(stored_row_bytes_));
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint8_t* from = row_bytes + x * samples_per_pixel_;
            const std::uint8_t red = from[0], green = from[1], blue = from[2];
            row_bytes[3 * x] = blue;
            row_bytes[3 * x + 1] = green;
            row_bytes[3 * x + 2] = red;
        }
    } else if (photometric_ == kSeparated && samples_per_pixel_ > 4) {
        file_.ReadBuffer(row_bytes, static_cast<std::size_t>(stored_row_bytes_));
        for (std::size_t x = 0; x < width; ++x) {
            std::copy_n(row_bytes + x * samples_per_pixel_, 4, row_bytes + 4 * x);
        }
    } else {
        file_.ReadBuffer(row_bytes, static_cast<std::size_t>(delivered_row_bytes_));
        if (photometric_ == kRgb) {
            for (std::size_t x = 0; x < width; ++x)
                std::swap(row_bytes[3 * x], row_bytes[3 * x + 2]);
        }
    }
    return row_bytes;
}

void MDiskTIF::StretchLines(Dib& bitmap, std::int32_t count) {
    StretchRows(bitmap, count, false, [this](std::int32_t row) { return FetchRow(row); });
}

}  // namespace pixelary
