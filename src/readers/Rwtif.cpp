// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/Rwtif.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/Exception.h"
#include "readers/ByteOrder.h"
#include "readers/CmykToRgb.h"

namespace pixelary {

namespace {

constexpr std::uint16_t kVersion = 42;
constexpr std::int64_t kEntryBytes = 12;  // +0 tag, +2 type, +4 count, +8 value field

constexpr std::uint16_t kImageWidth = 256;
constexpr std::uint16_t kImageLength = 257;
constexpr std::uint16_t kBitsPerSample = 258;
constexpr std::uint16_t kCompression = 259;
constexpr std::uint16_t kPhotometric = 262;
constexpr std::uint16_t kFillOrder = 266;
constexpr std::uint16_t kStripOffsets = 273;
constexpr std::uint16_t kSamplesPerPixel = 277;
constexpr std::uint16_t kRowsPerStrip = 278;
constexpr std::uint16_t kXResolution = 282;
constexpr std::uint16_t kYResolution = 283;
constexpr std::uint16_t kPlanarConfiguration = 284;
constexpr std::uint16_t kResolutionUnit = 296;
constexpr std::uint16_t kInkSet = 332;
constexpr std::uint16_t kSampleFormat = 339;

constexpr std::uint32_t kWhiteIsZero = 0;
constexpr std::uint32_t kBlackIsZero = 1;
constexpr std::uint32_t kRgb = 2;
constexpr std::uint32_t kSeparated = 5;
constexpr std::uint32_t kUncompressed = 1;
constexpr std::uint32_t kChunky = 1;
constexpr std::uint32_t kPlanar = 2;
constexpr std::uint32_t kMostSignificantBitFirst = 1;
constexpr std::uint32_t kCmykInks = 1;
constexpr std::uint32_t kUnsignedInteger = 1;
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
    std::uint32_t fill_order = kMostSignificantBitFirst;
    std::uint32_t ink_set = kCmykInks;
    bool has_sample_format = false;
    Entry sample_format;
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
        case kFillOrder:
            tags.fill_order = entry.value;
            break;
        case kPlanarConfiguration:
            planar_configuration_ = entry.value;
            break;
        case kInkSet:
            tags.ink_set = entry.value;
            break;
        case kSampleFormat:
            tags.has_sample_format = true;
            tags.sample_format = entry;
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

// Every sample must have the same size: the first one's is the picture's.
std::uint32_t MDiskTIF::ReadBitsPerSample(const Tags& tags) {
    if (!tags.has_bits) return 1;
    if (samples_per_pixel_ == 1 || tags.bits.count == 0) return tags.bits.value;
    const std::uint32_t first = ReadArrayValue(tags.bits, 0);
    const std::uint32_t listed = std::min<std::uint32_t>(tags.bits.count, samples_per_pixel_);
    for (std::uint32_t i = 1; i < listed; ++i) {
        if (ReadArrayValue(tags.bits, i) != first) NotSupplied();
    }
    return first;
}

void MDiskTIF::Describe(Tags& tags) {
    if (tags.width > kMaxImageSide || tags.height > kMaxImageSide) NotSupplied();
    ImageInfo.Width = static_cast<std::int32_t>(tags.width);
    ImageInfo.Height = static_cast<std::int32_t>(tags.height);
    if (samples_per_pixel_ == 0 || samples_per_pixel_ > kMaxSamples) NotSupplied();
    bits_per_sample_ = ReadBitsPerSample(tags);
    if (tags.x_resolution != 0)
        ImageInfo.XPelsPerMeter = ReadResolution(tags.x_resolution, tags.unit);
    if (tags.y_resolution != 0)
        ImageInfo.YPelsPerMeter = ReadResolution(tags.y_resolution, tags.unit);
    CheckLayout(tags);
    const bool grey = photometric_ == kWhiteIsZero || photometric_ == kBlackIsZero;
    ImageInfo.BitCount = static_cast<std::uint16_t>(grey ? bits_per_sample_ : 24);
    if (grey) FillGreyPalette();
    bytes_per_pixel_ = (ImageInfo.BitCount + 7) / 8;
    const bool planar = planar_configuration_ == kPlanar;
    planes_read_ = !planar ? 1 : photometric_ == kRgb ? 3 : photometric_ == kSeparated ? 4 : 1;
    const std::int64_t samples_in_row = planar ? 1 : samples_per_pixel_;
    stored_row_bytes_ = (tags.width * bits_per_sample_ * samples_in_row + 7) / 8;
    pixel_stride_ = static_cast<std::size_t>(samples_in_row);
    plane_stride_ = planar ? static_cast<std::size_t>(stored_row_bytes_) : 1;
    delivered_row_bytes_ = (tags.width * ImageInfo.BitCount + 7) / 8;
    if (!tags.has_rows_per_strip ||
        rows_per_strip_ > static_cast<std::uint32_t>(ImageInfo.Height)) {
        rows_per_strip_ = static_cast<std::uint32_t>(std::max(ImageInfo.Height, 1));
    }
    if (rows_per_strip_ == 0) NotSupplied();
    stored_rows_.assign(static_cast<std::size_t>(stored_row_bytes_ * planes_read_) + kRowSlack, 0);
    if (!grey) delivered_row_.assign(static_cast<std::size_t>(delivered_row_bytes_) + kRowSlack, 0);
}

// Takes what the rows can be delivered from without a colour model or a decoder: grey of 1, 4
// or 8 bits (sub-byte grey only without interleaved extra samples), RGB and CMYK inks of 8 bits,
// whole bytes stored most significant bit first. Everything else is the library reader's.
void MDiskTIF::CheckLayout(const Tags& tags) {
    const bool chunky = planar_configuration_ == kChunky;
    switch (photometric_) {
        case kWhiteIsZero:
        case kBlackIsZero:
            if (bits_per_sample_ != 1 && bits_per_sample_ != 4 && bits_per_sample_ != 8)
                NotSupplied();
            if (bits_per_sample_ != 8 && chunky && samples_per_pixel_ > 1) NotSupplied();
            break;
        case kRgb:
            if (bits_per_sample_ != 8 || samples_per_pixel_ < 3) NotSupplied();
            break;
        case kSeparated:
            if (bits_per_sample_ != 8 || samples_per_pixel_ < 4 || tags.ink_set != kCmykInks)
                NotSupplied();
            break;
        default:
            NotSupplied();
    }
    if (compression_ != kUncompressed) NotSupplied();
    if (planar_configuration_ != kChunky && planar_configuration_ != kPlanar) NotSupplied();
    if (tags.fill_order != kMostSignificantBitFirst) NotSupplied();
    if (tags.has_sample_format && tags.sample_format.count > 0 &&
        ReadArrayValue(tags.sample_format, 0) != kUnsignedInteger) {
        NotSupplied();
    }
}

// A linear grey ramp over the sample's values; white-is-zero rows are inverted when fetched.
void MDiskTIF::FillGreyPalette() {
    const std::uint32_t top = (1u << bits_per_sample_) - 1;
    for (std::uint32_t i = 0; i <= top; ++i) Palette[i] = (i * 255 / top) * 0x010101u;
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
// allocated; only the strips of the planes read are kept. Planes follow each other in the table.
void MDiskTIF::ReadStripOffsets(const Tags& tags) {
    if (!tags.has_strips || tags.strips.count == 0) NotSupplied();
    strip_count_ = tags.strips.count;
    const std::uint64_t rows = static_cast<std::uint64_t>(std::max(ImageInfo.Height, 0));
    strips_per_plane_ = static_cast<std::uint32_t>(
        std::max<std::uint64_t>((rows + rows_per_strip_ - 1) / rows_per_strip_, 1));
    const std::uint64_t used =
        std::uint64_t{strips_per_plane_} * static_cast<std::uint64_t>(planes_read_);
    if (strip_count_ < used) NotSupplied();
    const std::uint32_t element = tags.strips.type == 3 || tags.strips.type == 8 ? 2 : 4;
    const std::uint64_t table_bytes = std::uint64_t{strip_count_} * element;
    if (table_bytes > 4) {
        const std::uint64_t table_at = U32(tags.strips.field.data());
        if (table_at + table_bytes > static_cast<std::uint64_t>(file_.Size())) throw EReadError();
        file_.SetPosition(static_cast<std::int64_t>(table_at));
    }
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(used * element));
    if (table_bytes > 4) {
        file_.ReadBuffer(raw.data(), raw.size());
    } else {
        std::copy_n(tags.strips.field.data(), raw.size(), raw.begin());
    }
    strip_offsets_.resize(static_cast<std::size_t>(used));
    for (std::size_t i = 0; i < strip_offsets_.size(); ++i) {
        strip_offsets_[i] = element == 2 ? U16(&raw[2 * i]) : U32(&raw[4 * i]);
    }
}

void MDiskTIF::ReadPlaneRow(std::int32_t plane, std::int32_t row) {
    const auto s = static_cast<std::uint32_t>(row);
    const std::uint32_t strip =
        static_cast<std::uint32_t>(plane) * strips_per_plane_ + s / rows_per_strip_;
    file_.SetPosition(std::int64_t{strip_offsets_[strip]} +
                      std::int64_t{s % rows_per_strip_} * stored_row_bytes_);
    file_.ReadBuffer(stored_rows_.data() + plane * stored_row_bytes_,
                     static_cast<std::size_t>(stored_row_bytes_));
}

std::uint8_t MDiskTIF::Sample(std::size_t x, std::int32_t sample) const {
    return stored_rows_[x * pixel_stride_ + static_cast<std::size_t>(sample) * plane_stride_];
}

const std::uint8_t* MDiskTIF::FetchRow(std::int32_t row) {
    for (std::int32_t plane = 0; plane < planes_read_; ++plane) ReadPlaneRow(plane, row);
    switch (photometric_) {
        case kRgb:
            return DeliverRgb();
        case kSeparated:
            return DeliverCmyk();
        default:
            return DeliverGrey();
    }
}

// The first sample of each pixel, in place; white-is-zero values turned round so that 0 is black.
const std::uint8_t* MDiskTIF::DeliverGrey() {
    std::uint8_t* row = stored_rows_.data();
    if (pixel_stride_ > 1) {
        for (std::size_t x = 0; x < static_cast<std::size_t>(ImageInfo.Width); ++x)
            row[x] = row[x * pixel_stride_];
    }
    if (photometric_ == kWhiteIsZero) {
        for (std::int64_t i = 0; i < delivered_row_bytes_; ++i) row[i] = ~row[i];
    }
    return row;
}

const std::uint8_t* MDiskTIF::DeliverRgb() {
    std::uint8_t* out = delivered_row_.data();
    for (std::size_t x = 0; x < static_cast<std::size_t>(ImageInfo.Width); ++x) {
        out[3 * x] = Sample(x, 2);
        out[3 * x + 1] = Sample(x, 1);
        out[3 * x + 2] = Sample(x, 0);
    }
    return out;
}

const std::uint8_t* MDiskTIF::DeliverCmyk() {
    std::uint8_t* out = delivered_row_.data();
    for (std::size_t x = 0; x < static_cast<std::size_t>(ImageInfo.Width); ++x) {
        CmykInkToBgr(Sample(x, 0), Sample(x, 1), Sample(x, 2), Sample(x, 3), out + 3 * x);
    }
    return out;
}

void MDiskTIF::StretchLines(Dib& bitmap, std::int32_t count) {
    StretchRows(bitmap, count, false, [this](std::int32_t row) { return FetchRow(row); });
}

}  // namespace pixelary
