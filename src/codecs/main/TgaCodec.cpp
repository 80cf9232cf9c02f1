// SPDX-License-Identifier: GPL-3.0-or-later
// Targa: colour-mapped, true-colour (15/16/24/32 bits) and grey pictures, raw or run-length
// encoded, either origin; writing colour-mapped 8-bit or 24-bit pictures.
#include <cstring>

#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

// 18-byte file header.
constexpr std::size_t kHeaderSize = 18;
constexpr int kColourMapped = 1;
constexpr int kTrueColour = 2;
constexpr int kGrey = 3;
constexpr int kRleFlag = 8;
constexpr int kTopOriginBit = 0x20;
constexpr int kRightOriginBit = 0x10;

struct TgaHeader {
    int idLength;      // +0
    int mapType;       // +1
    int imageType;     // +2
    int mapFirst;      // +3
    int mapLength;     // +5
    int mapEntryBits;  // +7
    int width;         // +12
    int height;        // +14
    int pixelBits;     // +16
    int descriptor;    // +17
};

int U16(const std::uint8_t* p) {
    return p[0] | p[1] << 8;
}

std::uint32_t Colour16(int v) {
    auto five = [](int c) { return static_cast<std::uint32_t>(c * 8 + (c & 1) * 7); };
    return five((v >> 10) & 31) << 16 | five((v >> 5) & 31) << 8 | five(v & 31);
}

TgaHeader ParseHeader(const std::vector<std::uint8_t>& b) {
    if (b.size() < kHeaderSize) Fail(PIX_ERR_FORMAT);
    TgaHeader h{b[0], b[1],        b[2],        U16(&b[3]), U16(&b[5]),
                b[7], U16(&b[12]), U16(&b[14]), b[16],      b[17]};
    const int type = h.imageType & ~kRleFlag;
    if (h.mapType > 1 || type < kColourMapped || type > kGrey || (h.imageType & ~0x0B)) {
        Fail(PIX_ERR_FORMAT);
    }
    const bool pixelsOk = type == kColourMapped ? h.pixelBits == 8 && h.mapType == 1
                          : type == kGrey       ? h.pixelBits == 8
                                                : h.pixelBits == 15 || h.pixelBits == 16 ||
                                                h.pixelBits == 24 || h.pixelBits == 32;
    if (!pixelsOk) Fail(PIX_ERR_UNSUPPORTED);
    CheckSize(h.width, h.height);
    return h;
}

std::vector<std::uint32_t> ReadColourMap(const std::vector<std::uint8_t>& b, std::size_t& at,
                                         const TgaHeader& h) {
    std::vector<std::uint32_t> palette(256, 0);
    if (h.mapType != 1) return palette;
    const int entryBytes = (h.mapEntryBits + 7) / 8;
    if (entryBytes < 2 || entryBytes > 4) Fail(PIX_ERR_UNSUPPORTED);
    const std::size_t bytes = static_cast<std::size_t>(h.mapLength) * entryBytes;
    if (at + bytes > b.size()) Fail(PIX_ERR_CORRUPT);
    for (int i = 0; i < h.mapLength; ++i) {
        const std::uint8_t* p = &b[at + static_cast<std::size_t>(i) * entryBytes];
        const int index = h.mapFirst + i;
        if (index >= 256) break;
        palette[index] = entryBytes == 2 ? Colour16(U16(p)) : p[2] << 16 | p[1] << 8 | p[0];
    }
    at += bytes;
    return palette;
}

// Expands raw or run-length packets into width * height pixels of pixelBytes each.
std::vector<std::uint8_t> Unpack(const std::vector<std::uint8_t>& b, std::size_t at,
                                 std::size_t pixels, int pixelBytes, bool rle) {
    const std::size_t total = pixels * pixelBytes;
    if (!rle) {
        if (at > b.size() || b.size() - at < total) Fail(PIX_ERR_CORRUPT);
        return {b.begin() + static_cast<std::ptrdiff_t>(at),
                b.begin() + static_cast<std::ptrdiff_t>(at + total)};
    }
    // One packet of 1 + pixelBytes bytes yields at most 128 pixels: refuse files too short to
    // hold the picture before reserving room for it.
    constexpr std::size_t kMaxRun = 128;
    if (at > b.size() || (b.size() - at) * kMaxRun < pixels) Fail(PIX_ERR_CORRUPT);
    std::vector<std::uint8_t> out;
    out.reserve(total);
    while (out.size() < total) {
        if (at >= b.size()) Fail(PIX_ERR_CORRUPT);
        const int packet = b[at++];
        const std::size_t count = (packet & 0x7F) + 1;
        const std::size_t room = (total - out.size()) / pixelBytes;
        const std::size_t n = std::min(count, room);
        if (packet & 0x80) {
            if (at + pixelBytes > b.size()) Fail(PIX_ERR_CORRUPT);
            for (std::size_t i = 0; i < n; ++i) out.insert(out.end(), &b[at], &b[at] + pixelBytes);
            at += pixelBytes;
        } else {
            const std::size_t bytes = count * pixelBytes;
            if (at + bytes > b.size()) Fail(PIX_ERR_CORRUPT);
            out.insert(out.end(), &b[at], &b[at] + n * pixelBytes);
            at += bytes;
        }
    }
    return out;
}

}  // namespace

Image ReadTga(const char* path, Progress& progress) {
    const std::vector<std::uint8_t> b = ReadWholeFile(path, kMaxFileBytes);
    const TgaHeader h = ParseHeader(b);
    std::size_t at = kHeaderSize + h.idLength;
    const std::vector<std::uint32_t> map = ReadColourMap(b, at, h);
    const int type = h.imageType & ~kRleFlag;
    const int pixelBytes = (h.pixelBits + 7) / 8;
    const std::vector<std::uint8_t> data =
        Unpack(b, at, static_cast<std::size_t>(h.width) * h.height, pixelBytes,
               (h.imageType & kRleFlag) != 0);
    Image image;
    image.Allocate(h.width, h.height, pixelBytes == 2 ? 15 : pixelBytes * 8);
    if (type == kColourMapped) image.palette = map;
    if (type == kGrey) {
        image.palette.resize(256);
        for (std::uint32_t i = 0; i < 256; ++i) image.palette[i] = i << 16 | i << 8 | i;
    }
    const bool topFirst = (h.descriptor & kTopOriginBit) != 0;
    const bool rightFirst = (h.descriptor & kRightOriginBit) != 0;
    const std::size_t rowBytes = static_cast<std::size_t>(h.width) * pixelBytes;
    for (int y = 0; y < h.height; ++y) {
        const std::uint8_t* src = data.data() + rowBytes * y;
        std::uint8_t* dst = image.Row(topFirst ? y : h.height - 1 - y);
        if (rightFirst) {
            for (int x = 0; x < h.width; ++x) {
                std::memcpy(dst + static_cast<std::size_t>(h.width - 1 - x) * pixelBytes,
                            src + static_cast<std::size_t>(x) * pixelBytes, pixelBytes);
            }
        } else {
            std::memcpy(dst, src, rowBytes);
        }
        progress.Rows(y + 1, h.height);
    }
    return image;
}

void WriteTga(const char* path, const Image& source, const WriteOptions& options,
              Progress& progress) {
    int depth = TargetDepth(source, options.depth);
    depth = depth <= 8 ? 8 : 24;
    const Image image = ConvertDepth(Image(source), depth);
    std::uint8_t header[kHeaderSize] = {};
    const bool mapped = depth == 8;
    header[1] = mapped ? 1 : 0;
    header[2] = mapped ? kColourMapped : kTrueColour;
    header[5] = mapped ? 0 : 0;   // +5 map length, low byte (256 entries)
    header[6] = mapped ? 1 : 0;   // +6 map length, high byte
    header[7] = mapped ? 24 : 0;  // +7 map entry bits
    header[12] = image.width & 0xFF;
    header[13] = (image.width >> 8) & 0xFF;
    header[14] = image.height & 0xFF;
    header[15] = (image.height >> 8) & 0xFF;
    header[16] = static_cast<std::uint8_t>(depth);
    File file(path, "wb");
    if (!file) Fail(PIX_ERR_CREATE);
    if (std::fwrite(header, 1, kHeaderSize, file.get()) != kHeaderSize) Fail(PIX_ERR_WRITE);
    if (mapped) {
        std::uint8_t map[3 * 256] = {};
        for (std::size_t i = 0; i < 256 && i < image.palette.size(); ++i) {
            map[3 * i] = image.palette[i] & 0xFF;
            map[3 * i + 1] = (image.palette[i] >> 8) & 0xFF;
            map[3 * i + 2] = (image.palette[i] >> 16) & 0xFF;
        }
        if (std::fwrite(map, 1, sizeof map, file.get()) != sizeof map) Fail(PIX_ERR_WRITE);
    }
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * (depth / 8);
    for (int y = image.height - 1; y >= 0; --y) {
        if (std::fwrite(image.Row(y), 1, rowBytes, file.get()) != rowBytes) Fail(PIX_ERR_WRITE);
        progress.Rows(image.height - y, image.height);
    }
    if (!file.Close()) Fail(PIX_ERR_WRITE);
}

}  // namespace pixcodec
