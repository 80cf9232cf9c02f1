// SPDX-License-Identifier: GPL-3.0-or-later
// PCX: 1-bit, 4-plane 16-colour, 2/4/8-bit single-plane and 3/4-plane true-colour pictures;
// writing 1-bit, 16-colour planar, 256-colour and 24-bit pictures.
#include <cstring>

#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

// 128-byte file header.
constexpr std::size_t kHeaderSize = 128;
constexpr std::uint8_t kManufacturer = 0x0A;      // +0
constexpr std::uint8_t kVersion = 5;              // +1
constexpr std::uint8_t kRleEncoding = 1;          // +2
constexpr std::size_t kEgaPaletteOffset = 16;     // +16, 16 entries of red, green, blue
constexpr std::size_t kPlanesOffset = 65;         // +65
constexpr std::size_t kBytesPerLineOffset = 66;   // +66
constexpr std::uint8_t kVgaPaletteMarker = 0x0C;  // before the 768-byte palette at the end
constexpr std::size_t kVgaPaletteSize = 769;
constexpr int kRunFlag = 0xC0;
constexpr int kMaxRun = 0x3F;

int U16(const std::uint8_t* p) {
    return p[0] | p[1] << 8;
}

struct PcxHeader {
    int bits;   // +3 bits per pixel per plane
    int width;  // from +4..+11 window
    int height;
    int planes;        // +65
    int bytesPerLine;  // +66
};

PcxHeader ParseHeader(const std::vector<std::uint8_t>& b) {
    if (b.size() < kHeaderSize || b[0] != kManufacturer || b[2] != kRleEncoding) {
        Fail(PIX_ERR_FORMAT);
    }
    PcxHeader h{};
    h.bits = b[3];
    const int xmin = U16(&b[4]), ymin = U16(&b[6]), xmax = U16(&b[8]), ymax = U16(&b[10]);
    if (xmax < xmin || ymax < ymin) Fail(PIX_ERR_FORMAT);
    h.width = xmax - xmin + 1;
    h.height = ymax - ymin + 1;
    h.planes = b[kPlanesOffset];
    h.bytesPerLine = U16(&b[kBytesPerLineOffset]);
    CheckSize(h.width, h.height);
    const bool known = (h.bits == 1 && (h.planes == 1 || h.planes == 4)) ||
                       ((h.bits == 2 || h.bits == 4 || h.bits == 8) && h.planes == 1) ||
                       (h.bits == 8 && (h.planes == 3 || h.planes == 4));
    if (!known) Fail(PIX_ERR_UNSUPPORTED);
    if (h.bytesPerLine < (h.width * h.bits + 7) / 8) Fail(PIX_ERR_FORMAT);
    return h;
}

// Decodes the run-length stream of all planes of all rows; runs may cross row ends.
std::vector<std::uint8_t> Unpack(const std::vector<std::uint8_t>& b, std::size_t total) {
    // One two-byte run yields at most 63 bytes: a file too short for the picture is refused
    // before its rows are allocated.
    if ((b.size() - kHeaderSize) * kMaxRun < total) Fail(PIX_ERR_CORRUPT);
    std::vector<std::uint8_t> out(total, 0);
    std::size_t at = kHeaderSize;
    std::size_t n = 0;
    while (n < total && at < b.size()) {
        const int byte = b[at++];
        if ((byte & kRunFlag) == kRunFlag) {
            if (at >= b.size()) break;
            const std::size_t run = std::min<std::size_t>(byte & kMaxRun, total - n);
            std::memset(&out[n], b[at++], run);
            n += run;
        } else {
            out[n++] = static_cast<std::uint8_t>(byte);
        }
    }
    return out;
}

void EgaPalette(const std::vector<std::uint8_t>& b, Image& image) {
    image.palette.assign(std::size_t{1} << image.bitCount, 0);
    for (std::size_t i = 0; i < 16 && i < image.palette.size(); ++i) {
        const std::uint8_t* p = &b[kEgaPaletteOffset + 3 * i];
        image.palette[i] = p[0] << 16 | p[1] << 8 | p[2];
    }
    if (image.bitCount == 1 && image.palette[0] == image.palette[1]) {
        image.palette = {0x000000, 0xFFFFFF};
    }
}

void VgaPalette(const std::vector<std::uint8_t>& b, Image& image) {
    image.palette.assign(256, 0);
    if (b.size() < kHeaderSize + kVgaPaletteSize) Fail(PIX_ERR_CORRUPT);
    const std::size_t at = b.size() - kVgaPaletteSize;
    if (b[at] != kVgaPaletteMarker) {
        for (std::uint32_t i = 0; i < 256; ++i) image.palette[i] = i << 16 | i << 8 | i;
        return;
    }
    for (std::size_t i = 0; i < 256; ++i) {
        const std::uint8_t* p = &b[at + 1 + 3 * i];
        image.palette[i] = p[0] << 16 | p[1] << 8 | p[2];
    }
}

// Combines the planes of one row into the picture's row.
void ComposeRow(const std::uint8_t* line, const PcxHeader& h, Image& image, int y) {
    std::uint8_t* row = image.Row(y);
    if (h.planes == 1 && h.bits != 2) {
        std::memcpy(row, line, (static_cast<std::size_t>(h.width) * h.bits + 7) / 8);
        return;
    }
    for (int x = 0; x < h.width; ++x) {
        if (h.planes == 1) {  // 2 bits a pixel, widened to one byte
            row[x] = (line[x >> 2] >> (6 - 2 * (x & 3))) & 3;
        } else if (h.bits == 1) {  // four 1-bit planes give a 4-bit index
            int index = 0;
            for (int p = 0; p < 4; ++p) {
                index |= ((line[p * h.bytesPerLine + (x >> 3)] >> (7 - (x & 7))) & 1) << p;
            }
            row[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? index : index << 4);
        } else {  // red, green, blue planes
            row[3 * x + 2] = line[x];
            row[3 * x + 1] = line[h.bytesPerLine + x];
            row[3 * x] = line[2 * h.bytesPerLine + x];
        }
    }
}

int OutputDepth(const PcxHeader& h) {
    if (h.planes == 4 && h.bits == 1) return 4;
    if (h.planes >= 3) return 24;
    if (h.bits == 2) return 8;
    return h.bits;
}

void PutRun(std::vector<std::uint8_t>& out, std::uint8_t value, int count) {
    if (count > 1 || (value & kRunFlag) == kRunFlag)
        out.push_back(static_cast<std::uint8_t>(kRunFlag | count));
    out.push_back(value);
}

void EncodeLine(const std::uint8_t* line, std::size_t size, std::vector<std::uint8_t>& out) {
    std::size_t i = 0;
    while (i < size) {
        int count = 1;
        while (i + count < size && count < kMaxRun && line[i + count] == line[i]) ++count;
        PutRun(out, line[i], count);
        i += count;
    }
}

// How a picture of 1, 4, 8 or 24 bits is stored: 1-bit single plane, four 1-bit planes for
// 16 colours, one 8-bit plane with the palette at the end, or red, green and blue planes.
struct PlaneLayout {
    int planes;
    int bits;
    int bytesPerLine;  // even, as the format asks
};

PlaneLayout LayoutFor(const Image& image) {
    const bool planar4 = image.bitCount == 4;
    const int planes = planar4 ? 4 : image.bitCount == 24 ? 3 : 1;
    const int bits = image.bitCount == 1 || planar4 ? 1 : 8;
    return {planes, bits, ((image.width * bits + 7) / 8 + 1) & ~1};
}

std::vector<std::uint8_t> Header(const Image& image, const PlaneLayout& layout) {
    std::vector<std::uint8_t> out(kHeaderSize, 0);
    out[0] = kManufacturer;
    out[1] = kVersion;
    out[2] = kRleEncoding;
    out[3] = static_cast<std::uint8_t>(layout.bits);
    out[8] = (image.width - 1) & 0xFF;  // +8 xmax, +10 ymax; xmin and ymin stay 0
    out[9] = ((image.width - 1) >> 8) & 0xFF;
    out[10] = (image.height - 1) & 0xFF;
    out[11] = ((image.height - 1) >> 8) & 0xFF;
    out[12] = out[14] = 72;  // +12, +14 resolution
    for (std::size_t i = 0; i < 16 && image.bitCount <= 4 && i < image.palette.size(); ++i) {
        out[kEgaPaletteOffset + 3 * i] = (image.palette[i] >> 16) & 0xFF;
        out[kEgaPaletteOffset + 3 * i + 1] = (image.palette[i] >> 8) & 0xFF;
        out[kEgaPaletteOffset + 3 * i + 2] = image.palette[i] & 0xFF;
    }
    out[kPlanesOffset] = static_cast<std::uint8_t>(layout.planes);
    out[kBytesPerLineOffset] = layout.bytesPerLine & 0xFF;
    out[kBytesPerLineOffset + 1] = (layout.bytesPerLine >> 8) & 0xFF;
    out[68] = 1;  // +68 palette interpretation: colour
    return out;
}

// Row y of the picture as the file's planes, one after the other.
void SplitPlanes(const Image& image, int y, const PlaneLayout& layout,
                 std::vector<std::uint8_t>& line) {
    std::fill(line.begin(), line.end(), 0);
    const std::uint8_t* row = image.Row(y);
    const int stride = layout.bytesPerLine;
    if (layout.planes == 1) {
        std::memcpy(line.data(), row,
                    (static_cast<std::size_t>(image.width) * layout.bits + 7) / 8);
        return;
    }
    for (int x = 0; x < image.width; ++x) {
        if (layout.planes == 4) {
            const int index = (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
            for (int p = 0; p < 4; ++p) {
                if (index & (1 << p)) line[p * stride + (x >> 3)] |= 0x80 >> (x & 7);
            }
        } else {
            line[x] = row[3 * x + 2];
            line[stride + x] = row[3 * x + 1];
            line[2 * stride + x] = row[3 * x];
        }
    }
}

}  // namespace

Image ReadPcx(const char* path, Progress& progress) {
    const std::vector<std::uint8_t> b = ReadWholeFile(path, kMaxFileBytes);
    const PcxHeader h = ParseHeader(b);
    const std::size_t lineBytes = static_cast<std::size_t>(h.planes) * h.bytesPerLine;
    const std::vector<std::uint8_t> data = Unpack(b, lineBytes * h.height);
    Image image;
    image.Allocate(h.width, h.height, OutputDepth(h));
    if (image.bitCount == 8 && h.bits == 8) VgaPalette(b, image);
    if (image.bitCount <= 4) EgaPalette(b, image);
    if (h.bits == 2) {
        image.palette.assign(256, 0);
        const std::uint32_t cga[4] = {0x000000, 0x55FFFF, 0xFF55FF, 0xFFFFFF};
        std::copy(cga, cga + 4, image.palette.begin());
    }
    for (int y = 0; y < h.height; ++y) {
        ComposeRow(data.data() + lineBytes * y, h, image, y);
        progress.Rows(y + 1, h.height);
    }
    return image;
}

void WritePcx(const char* path, const Image& source, const WriteOptions& options,
              Progress& progress) {
    const Image image = ConvertDepth(Image(source), TargetDepth(source, options.depth));
    const PlaneLayout layout = LayoutFor(image);
    std::vector<std::uint8_t> out = Header(image, layout);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(layout.planes) * layout.bytesPerLine);
    for (int y = 0; y < image.height; ++y) {
        SplitPlanes(image, y, layout, line);
        for (int p = 0; p < layout.planes; ++p) {
            EncodeLine(&line[p * layout.bytesPerLine], layout.bytesPerLine, out);
        }
        progress.Rows(y + 1, image.height);
    }
    if (image.bitCount == 8) {
        out.push_back(kVgaPaletteMarker);
        for (std::size_t i = 0; i < 256; ++i) {
            const std::uint32_t c = i < image.palette.size() ? image.palette[i] : 0;
            out.insert(out.end(), {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
        }
    }
    File file(path, "wb");
    if (!file) Fail(PIX_ERR_CREATE);
    if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size()) Fail(PIX_ERR_WRITE);
    if (!file.Close()) Fail(PIX_ERR_WRITE);
}

}  // namespace pixcodec
