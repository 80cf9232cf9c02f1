// SPDX-License-Identifier: GPL-3.0-or-later
// BMP: OS/2 and Windows headers (12, 16..64, 40, 52, 56, 108, 124 bytes), 1/4/8-bit palettes,
// RLE4 and RLE8, 16/32-bit bit fields, 24 and 32 bits, bottom-up and top-down rows.
#include <cstring>

#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kMaxHeaderSize = 124;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::uint32_t kMask555[3] = {0x7C00, 0x03E0, 0x001F};
constexpr std::uint32_t kMask565[3] = {0xF800, 0x07E0, 0x001F};
constexpr std::uint32_t kMask888[3] = {0xFF0000, 0x00FF00, 0x0000FF};
constexpr std::size_t kPixelOffsetField = 10;  // file header: where the pixels start

std::uint32_t U32(const std::uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The fields of any BMP information header that decoding needs.
struct Header {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: top row first
    int bitCount = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    std::size_t paletteOffset = 0;
    int paletteEntrySize = 4;
};

// The masks implied for 16- and 32-bit pixels stored without masks: 5-5-5 and 8-8-8.
void SetUncompressedMasks(Header& h) {
    if (h.bitCount == 16) std::memcpy(h.masks, kMask555, sizeof kMask555);
    if (h.bitCount == 32) std::memcpy(h.masks, kMask888, sizeof kMask888);
}

// One channel of a bit-field pixel: where it sits and how to scale it to 8 bits.
struct Channel {
    int shift = 0;
    int bits = 0;
    explicit Channel(std::uint32_t mask) {
        if (!mask) return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++bits;
        }
    }
    std::uint8_t Get(std::uint32_t v) const {
        if (bits == 0) return 0;
        const std::uint32_t max = bits >= 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
        const std::uint32_t value = (v >> shift) & max;
        return static_cast<std::uint8_t>((std::uint64_t(value) * 255 + max / 2) / max);
    }
};

// The masks of a 40-byte header follow it, before the pixels. Some writers (ImageMagick 6 among
// them) start the pixels right after the header and leave the masks out: those files hold the
// same pixels as an uncompressed file of their bit count.
void ReadMasksAfterHeader(const std::vector<std::uint8_t>& b, Header& h) {
    constexpr std::size_t kColourMaskBytes = 3 * 4;
    const std::size_t count = h.compression == kBiAlphaBitfields ? 4 : 3;
    const std::size_t pixelOffset = U32(b.data() + kPixelOffsetField);
    if (pixelOffset < h.paletteOffset + kColourMaskBytes) {
        SetUncompressedMasks(h);
        return;
    }
    if (h.paletteOffset + 4 * count > b.size()) Fail(PIX_ERR_CORRUPT);
    for (int c = 0; c < 3; ++c) h.masks[c] = U32(b.data() + h.paletteOffset + 4 * c);
    h.paletteOffset += 4 * count;
}

Header ParseHeader(const std::vector<std::uint8_t>& b) {
    if (b.size() < kFileHeaderSize + kCoreHeaderSize || b[0] != 'B' || b[1] != 'M') {
        Fail(PIX_ERR_FORMAT);
    }
    Header h;
    const std::uint8_t* p = b.data() + kFileHeaderSize;
    h.size = U32(p);
    if (h.size < kCoreHeaderSize || h.size > kMaxHeaderSize ||
        kFileHeaderSize + h.size > b.size()) {
        Fail(PIX_ERR_FORMAT);
    }
    if (h.size == kCoreHeaderSize) {
        h.width = U16(p + 4);
        h.height = U16(p + 6);
        h.bitCount = U16(p + 10);
        h.paletteEntrySize = 3;
    } else {
        if (h.size < 16) Fail(PIX_ERR_FORMAT);
        h.width = static_cast<std::int32_t>(U32(p + 4));
        h.height = static_cast<std::int32_t>(U32(p + 8));
        h.bitCount = U16(p + 14);
        if (h.size >= 20) h.compression = U32(p + 16);
        if (h.size >= 36) h.colorsUsed = U32(p + 32);
    }
    h.paletteOffset = kFileHeaderSize + h.size;
    const bool fields = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
    if (fields && h.size >= 52) {
        for (int c = 0; c < 3; ++c) h.masks[c] = U32(p + 40 + 4 * c);
    } else if (fields && h.size == kInfoHeaderSize) {
        ReadMasksAfterHeader(b, h);
    } else if (fields) {
        Fail(PIX_ERR_UNSUPPORTED);
    }
    return h;
}

std::vector<std::uint32_t> ReadPalette(const std::vector<std::uint8_t>& b, const Header& h) {
    const std::size_t full = std::size_t{1} << h.bitCount;
    std::size_t count = h.colorsUsed ? h.colorsUsed : full;
    if (count > full) count = full;
    std::vector<std::uint32_t> palette(full, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = h.paletteOffset + i * h.paletteEntrySize;
        if (at + 3 > b.size()) Fail(PIX_ERR_CORRUPT);
        palette[i] = b[at + 2] << 16 | b[at + 1] << 8 | b[at];
    }
    return palette;
}

// Decodes RLE8 or RLE4 runs into an indexed picture whose rows run bottom-up in the file.
void DecodeRle(const std::vector<std::uint8_t>& b, std::size_t at, Image& image, bool four,
               Progress& progress) {
    int x = 0;
    int line = 0;  // counted from the bottom
    auto put = [&](int index) {
        if (x < image.width && line < image.height) {
            std::uint8_t* row = image.Row(image.height - 1 - line);
            if (four) {
                row[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? index & 0x0F : index << 4);
            } else {
                row[x] = static_cast<std::uint8_t>(index);
            }
        }
        ++x;
    };
    while (at + 2 <= b.size() && line < image.height) {
        const int count = b[at];
        const int value = b[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++line;
            progress.Rows(line, image.height);
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (at + 2 > b.size()) Fail(PIX_ERR_CORRUPT);
            x += b[at];
            line += b[at + 1];
            at += 2;
        } else {
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (at + bytes > b.size()) Fail(PIX_ERR_CORRUPT);
            for (int i = 0; i < value; ++i) {
                const std::uint8_t byte = b[at + (four ? i / 2 : i)];
                put(four ? ((i & 1) ? byte & 0x0F : byte >> 4) : byte);
            }
            at += (bytes + 1) & ~std::size_t{1};
        }
    }
}

// Maps bit-field masks onto the output depth: plain 5-5-5 and 5-6-5 stay 16-bit pixels,
// plain 8-8-8 stays 32-bit, everything else is expanded to 24 bits.
int FieldDepth(const Header& h) {
    if (h.bitCount == 16 && std::memcmp(h.masks, kMask555, sizeof kMask555) == 0) return 15;
    if (h.bitCount == 16 && std::memcmp(h.masks, kMask565, sizeof kMask565) == 0) return 16;
    if (h.bitCount == 32 && std::memcmp(h.masks, kMask888, sizeof kMask888) == 0) return 32;
    return 24;
}

void DecodeFields(const std::uint8_t* src, Image& image, const Header& h) {
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    std::uint8_t* row = image.Row(0);  // caller passes a picture of one row
    for (int x = 0; x < image.width; ++x) {
        const std::uint32_t v = h.bitCount == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
        row[3 * x] = blue.Get(v);
        row[3 * x + 1] = green.Get(v);
        row[3 * x + 2] = red.Get(v);
    }
}

void DecodeRows(const std::vector<std::uint8_t>& b, std::size_t at, const Header& h, Image& image,
                Progress& progress) {
    const std::size_t fileStride = StrideFor(image.width, h.bitCount);
    if (at > b.size() || fileStride * image.height > b.size() - at) Fail(PIX_ERR_CORRUPT);
    const bool expand = image.bitCount == 24 && h.bitCount != 24;
    Image line;
    if (expand) line.Allocate(image.width, 1, 24);
    const std::size_t copy = std::min(fileStride, image.stride);
    for (int y = 0; y < image.height; ++y) {
        const int target = h.height < 0 ? y : image.height - 1 - y;
        const std::uint8_t* src = b.data() + at + fileStride * y;
        if (expand) {
            DecodeFields(src, line, h);
            std::memcpy(image.Row(target), line.Row(0), image.stride);
        } else {
            std::memcpy(image.Row(target), src, copy);
        }
        progress.Rows(y + 1, image.height);
    }
}

// Refuses compressions that do not fit the bit count, and gives uncompressed 16- and 32-bit
// pictures their implied masks.
void CheckCompression(Header& h) {
    const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;
    if (rle) {
        if ((h.compression == kBiRle8) != (h.bitCount == 8) ||
            (h.compression == kBiRle4) != (h.bitCount == 4) || h.height < 0) {
            Fail(PIX_ERR_FORMAT);
        }
    } else if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
        if (h.bitCount != 16 && h.bitCount != 32) Fail(PIX_ERR_FORMAT);
    } else if (h.compression != kBiRgb) {
        Fail(PIX_ERR_UNSUPPORTED);
    } else {
        SetUncompressedMasks(h);
    }
}

// The depth delivered: palette depths as they are, bit fields by FieldDepth, 24 as it is.
int OutputDepth(const Header& h) {
    switch (h.bitCount) {
        case 1:
        case 4:
        case 8:
        case 24:
            return h.bitCount;
        case 16:
        case 32:
            return FieldDepth(h);
        default:
            Fail(PIX_ERR_UNSUPPORTED);
    }
}

}  // namespace

Image DecodeBmp(const std::vector<std::uint8_t>& b, Progress& progress) {
    Header h = ParseHeader(b);
    CheckCompression(h);
    const std::int64_t height = h.height < 0 ? -h.height : h.height;
    CheckSize(h.width, height);
    const std::size_t pixelOffset = U32(b.data() + kPixelOffsetField);
    Image image;
    image.Allocate(static_cast<int>(h.width), static_cast<int>(height), OutputDepth(h));
    if (h.bitCount <= 8) image.palette = ReadPalette(b, h);
    if (h.compression == kBiRle8 || h.compression == kBiRle4) {
        if (pixelOffset >= b.size()) Fail(PIX_ERR_CORRUPT);
        DecodeRle(b, pixelOffset, image, h.compression == kBiRle4, progress);
    } else {
        DecodeRows(b, pixelOffset, h, image, progress);
    }
    return image;
}

Image ReadBmp(const char* path, Progress& progress) {
    return DecodeBmp(ReadWholeFile(path, kMaxFileBytes), progress);
}

void WriteBmp(const char* path, const Image& source, const WriteOptions& options,
              Progress& progress) {
    const Image image = ConvertDepth(Image(source), TargetDepth(source, options.depth));
    const std::size_t paletteEntries = image.bitCount <= 8 ? std::size_t{1} << image.bitCount : 0;
    const std::size_t offset = kFileHeaderSize + kInfoHeaderSize + 4 * paletteEntries;
    const std::size_t total = offset + image.stride * image.height;
    std::vector<std::uint8_t> out(offset);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = v & 0xFF;
        out[at + 1] = (v >> 8) & 0xFF;
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<std::uint32_t>(total));
    put32(10, static_cast<std::uint32_t>(offset));
    put32(14, kInfoHeaderSize);                                          // +0 header size
    put32(18, static_cast<std::uint32_t>(image.width));                  // +4 width
    put32(22, static_cast<std::uint32_t>(image.height));                 // +8 height, bottom-up
    put16(26, 1);                                                        // +12 planes
    put16(28, static_cast<std::uint32_t>(image.bitCount));               // +14 bit count
    put32(34, static_cast<std::uint32_t>(image.stride * image.height));  // +20 image size
    put32(38, 2835);                                                     // +24 72 dpi
    put32(42, 2835);                                                     // +28
    put32(46, static_cast<std::uint32_t>(paletteEntries));               // +32 colours used
    for (std::size_t i = 0; i < paletteEntries; ++i) {
        put32(kFileHeaderSize + kInfoHeaderSize + 4 * i,
              i < image.palette.size() ? image.palette[i] & 0xFFFFFF : 0);
    }
    File file(path, "wb");
    if (!file) Fail(PIX_ERR_CREATE);
    if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size()) Fail(PIX_ERR_WRITE);
    for (int y = image.height - 1; y >= 0; --y) {
        if (std::fwrite(image.Row(y), 1, image.stride, file.get()) != image.stride) {
            Fail(PIX_ERR_WRITE);
        }
        progress.Rows(image.height - y, image.height);
    }
    if (!file.Close()) Fail(PIX_ERR_WRITE);
}

}  // namespace pixcodec
