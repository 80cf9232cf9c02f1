// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/common/TiffIo.h"

#include <algorithm>
#include <cstring>

namespace pixcodec {

namespace {

// Largest single allocation libtiff may make for a hostile file (strip buffers, tables).
constexpr tmsize_t kMaxTiffAlloc = tmsize_t{512} << 20;
constexpr int kMaxPages = 65535;
constexpr std::uint32_t kWhite = 255;

}  // namespace

TIFFOpenOptions* TiffHandle::NewOptions() {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) Fail(PIX_ERR_MEMORY);
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, this);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffAlloc);
    return options;
}

TiffHandle::TiffHandle(const char* path, const char* mode) {
    TIFFOpenOptions* options = NewOptions();
    tiff_ = TIFFOpenExt(path, mode, options);
    TIFFOpenOptionsFree(options);
    if (!tiff_) {
        File probe(path, "rb");
        Fail(mode[0] == 'r' ? (probe ? PIX_ERR_FORMAT : PIX_ERR_OPEN) : PIX_ERR_CREATE);
    }
}

TiffHandle::TiffHandle(const std::vector<std::uint8_t>& bytes) {
    memory_.bytes = &bytes;
    auto read = [](thandle_t h, void* buffer, tmsize_t size) -> tmsize_t {
        auto* m = static_cast<Memory*>(h);
        const toff_t left = m->bytes->size() > m->position ? m->bytes->size() - m->position : 0;
        const toff_t n = std::min<toff_t>(left, static_cast<toff_t>(size));
        std::memcpy(buffer, m->bytes->data() + m->position, n);
        m->position += n;
        return static_cast<tmsize_t>(n);
    };
    auto write = [](thandle_t, void*, tmsize_t) -> tmsize_t { return 0; };
    auto seek = [](thandle_t h, toff_t offset, int whence) -> toff_t {
        auto* m = static_cast<Memory*>(h);
        const toff_t base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? m->position
                                                 : m->bytes->size();
        m->position = base + offset;
        return m->position;
    };
    auto close = [](thandle_t) -> int { return 0; };
    auto size = [](thandle_t h) -> toff_t { return static_cast<Memory*>(h)->bytes->size(); };
    auto map = [](thandle_t, void**, toff_t*) -> int { return 0; };
    auto unmap = [](thandle_t, void*, toff_t) {};
    TIFFOpenOptions* options = NewOptions();
    tiff_ = TIFFClientOpenExt("memory", "rm", &memory_, read, write, seek, close, size, map, unmap,
                              options);
    TIFFOpenOptionsFree(options);
    if (!tiff_) Fail(PIX_ERR_FORMAT);
}

TiffHandle::~TiffHandle() {
    if (tiff_) TIFFClose(tiff_);
}

bool TiffHandle::Close() {
    if (!tiff_) return false;
    const int before = errors_;
    TIFFClose(tiff_);
    tiff_ = nullptr;
    return errors_ == before;
}

int TiffHandle::OnError(TIFF*, void* self, const char*, const char*, va_list) {
    ++static_cast<TiffHandle*>(self)->errors_;
    return 1;
}

int TiffHandle::OnWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

namespace {

struct Layout {
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISBLACK;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
};

Layout ReadLayout(TIFF* tif) {
    Layout l;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height)) {
        Fail(PIX_ERR_FORMAT);
    }
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
    if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric)) {
        l.photometric = l.samples >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISWHITE;
    }
    CheckSize(l.width, l.height);
    return l;
}

bool KeepsIndices(TIFF* tif, const Layout& l) {
    const bool greyOrPalette = l.photometric == PHOTOMETRIC_MINISBLACK ||
                               l.photometric == PHOTOMETRIC_MINISWHITE ||
                               l.photometric == PHOTOMETRIC_PALETTE;
    return greyOrPalette && l.samples == 1 && (l.bits == 1 || l.bits == 4 || l.bits == 8) &&
           !TIFFIsTiled(tif);
}

void IndexPalette(TIFF* tif, const Layout& l, Image& image) {
    const std::size_t count = std::size_t{1} << l.bits;
    image.palette.assign(std::size_t{1} << image.bitCount, 0);
    std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (l.photometric == PHOTOMETRIC_PALETTE) {
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) Fail(PIX_ERR_FORMAT);
        // Old writers stored 8-bit entries; real 16-bit maps have some entry above 255.
        const bool eightBit =
            std::all_of(red, red + count, [](std::uint16_t v) { return v < 256; }) &&
            std::all_of(green, green + count, [](std::uint16_t v) { return v < 256; }) &&
            std::all_of(blue, blue + count, [](std::uint16_t v) { return v < 256; });
        const int shift = eightBit ? 0 : 8;
        for (std::size_t i = 0; i < count; ++i) {
            image.palette[i] =
                (red[i] >> shift) << 16 | (green[i] >> shift) << 8 | (blue[i] >> shift);
        }
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t v = static_cast<std::uint32_t>(i * 255 / (count - 1));
        if (l.photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
        image.palette[i] = v << 16 | v << 8 | v;
    }
}

Image ReadIndexed(TIFF* tif, const Layout& l, Progress& progress) {
    Image image;
    image.Allocate(static_cast<int>(l.width), static_cast<int>(l.height), l.bits);
    IndexPalette(tif, l, image);
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    if (lineSize <= 0 || static_cast<std::size_t>(lineSize) > image.stride + 4)
        Fail(PIX_ERR_FORMAT);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineSize));
    const std::size_t rowBytes = (static_cast<std::size_t>(l.width) * l.bits + 7) / 8;
    for (int y = 0; y < image.height; ++y) {
        if (TIFFReadScanline(tif, line.data(), static_cast<std::uint32_t>(y), 0) < 0) {
            Fail(PIX_ERR_CORRUPT);
        }
        std::memcpy(image.Row(y), line.data(), std::min(rowBytes, line.size()));
        progress.Rows(y + 1, image.height);
    }
    return image;
}

Image ReadRgba(TIFF* tif, const Layout& l, Progress& progress) {
    char message[1024];
    if (!TIFFRGBAImageOK(tif, message)) Fail(PIX_ERR_UNSUPPORTED);
    Image image;
    image.Allocate(static_cast<int>(l.width), static_cast<int>(l.height), 24);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(l.width) * l.height);
    if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), ORIENTATION_TOPLEFT, 0)) {
        Fail(PIX_ERR_CORRUPT);
    }
    for (int y = 0; y < image.height; ++y) {
        const std::uint32_t* src = raster.data() + static_cast<std::size_t>(y) * l.width;
        std::uint8_t* row = image.Row(y);
        for (std::uint32_t x = 0; x < l.width; ++x) {
            const std::uint32_t p = src[x];
            const std::uint32_t alpha = TIFFGetA(p);
            // Composited on white; libtiff delivers premultiplied samples.
            row[3 * x] = static_cast<std::uint8_t>(std::min(255u, TIFFGetB(p) + kWhite - alpha));
            row[3 * x + 1] =
                static_cast<std::uint8_t>(std::min(255u, TIFFGetG(p) + kWhite - alpha));
            row[3 * x + 2] =
                static_cast<std::uint8_t>(std::min(255u, TIFFGetR(p) + kWhite - alpha));
        }
        progress.Rows(y + 1, image.height);
    }
    return image;
}

}  // namespace

Image DecodeTiff(TiffHandle& tiff, int page, Progress& progress) {
    TIFF* tif = tiff.get();
    if (page < 0 || page > kMaxPages) Fail(PIX_ERR_PAGE);
    if (page > 0 && !TIFFSetDirectory(tif, static_cast<tdir_t>(page))) Fail(PIX_ERR_PAGE);
    const Layout layout = ReadLayout(tif);
    return KeepsIndices(tif, layout) ? ReadIndexed(tif, layout, progress)
                                     : ReadRgba(tif, layout, progress);
}

}  // namespace pixcodec
