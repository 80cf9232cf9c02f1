// SPDX-License-Identifier: GPL-3.0-or-later
#include "codecs/common/TiffIo.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace pixcodec {

namespace {

// Largest single allocation libtiff may make for a hostile file (strip buffers, tables).
constexpr tmsize_t kMaxTiffAlloc = tmsize_t{512} << 20;
constexpr int kMaxPages = 65535;
constexpr std::uint32_t kWhite = 255;
// Largest band of RGBA pixels decoded at once when only sampled rows are kept.
constexpr std::size_t kMaxBandBytes = std::size_t{16} << 20;

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
    if (mode[0] == 'r') {
        // libtiff closes the descriptor with the handle, but not when the open fails.
        const int fd = pixelary::OpenRegularFile(path);
        tiff_ = fd < 0 ? nullptr : TIFFFdOpenExt(fd, path, mode, options);
        if (fd >= 0 && !tiff_) ::close(fd);
    } else {
        tiff_ = TIFFOpenExt(path, mode, options);
    }
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

// Reads every scanline in order (compressed strips cannot be entered in the middle) and hands
// the kept ones to store(destinationRow, line).
template <class Store>
void ReadScanlines(TIFF* tif, const Layout& l, const RowPicker& picker, std::size_t rowBytes,
                   Progress& progress, Store&& store) {
    const tmsize_t lineSize = TIFFScanlineSize(tif);
    if (lineSize <= 0 || static_cast<std::size_t>(lineSize) > rowBytes + 4) Fail(PIX_ERR_FORMAT);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(lineSize));
    const int height = static_cast<int>(l.height);
    for (int y = 0; y < height; ++y) {
        if (TIFFReadScanline(tif, line.data(), static_cast<std::uint32_t>(y), 0) < 0) {
            Fail(PIX_ERR_CORRUPT);
        }
        const int kept = picker.DestinationOf(y);
        if (kept >= 0) store(kept, line);
        progress.Rows(y + 1, height);
    }
}

Image ReadIndexed(TIFF* tif, const Layout& l, const SampleTarget& target, Progress& progress) {
    const RowPicker picker(static_cast<int>(l.height), target);
    Image image;
    image.Allocate(static_cast<int>(l.width), picker.Rows(), l.bits);
    IndexPalette(tif, l, image);
    const std::size_t rowBytes = (static_cast<std::size_t>(l.width) * l.bits + 7) / 8;
    ReadScanlines(tif, l, picker, image.stride, progress,
                  [&](int row, const std::vector<std::uint8_t>& line) {
                      std::memcpy(image.Row(row), line.data(), std::min(rowBytes, line.size()));
                  });
    return image;
}

// Plain 8-bit red-green-blue strips, read scanline by scanline.
bool IsPlainRgb(TIFF* tif, const Layout& l) {
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    return l.photometric == PHOTOMETRIC_RGB && l.samples == 3 && l.bits == 8 &&
           l.planar == PLANARCONFIG_CONTIG && !TIFFIsTiled(tif) &&
           compression != COMPRESSION_JPEG && compression != COMPRESSION_OJPEG;
}

Image ReadPlainRgb(TIFF* tif, const Layout& l, const SampleTarget& target, Progress& progress) {
    const RowPicker picker(static_cast<int>(l.height), target);
    Image image;
    image.Allocate(static_cast<int>(l.width), picker.Rows(), 24);
    const std::size_t rowBytes = static_cast<std::size_t>(l.width) * 3;
    ReadScanlines(tif, l, picker, rowBytes, progress,
                  [&](int row, const std::vector<std::uint8_t>& line) {
                      if (line.size() < rowBytes) Fail(PIX_ERR_FORMAT);
                      std::uint8_t* out = image.Row(row);
                      for (std::size_t x = 0; x < rowBytes; x += 3) {
                          out[x] = line[x + 2];
                          out[x + 1] = line[x + 1];
                          out[x + 2] = line[x];
                      }
                  });
    return image;
}

// One RGBA pixel (premultiplied, as libtiff delivers it) composited on white.
void PutComposited(std::uint32_t p, std::uint8_t* bgr) {
    const std::uint32_t alpha = TIFFGetA(p);
    bgr[0] = static_cast<std::uint8_t>(std::min(255u, TIFFGetB(p) + kWhite - alpha));
    bgr[1] = static_cast<std::uint8_t>(std::min(255u, TIFFGetG(p) + kWhite - alpha));
    bgr[2] = static_cast<std::uint8_t>(std::min(255u, TIFFGetR(p) + kWhite - alpha));
}

void PutCompositedRow(const std::uint32_t* src, std::uint32_t width, std::uint8_t* row) {
    for (std::uint32_t x = 0; x < width; ++x) PutComposited(src[x], row + 3 * x);
}

// The orientation the file's rows are stored in. Asking libtiff's RGBA decoding for exactly
// this one makes it flip nothing, so every path delivers the rows as stored, top row first, like
// the scanline paths; turning the picture upright is the caller's business.
int StoredOrientation(TIFF* tif) {
    std::uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    return orientation;
}

Image ReadRgba(TIFF* tif, const Layout& l, Progress& progress) {
    char message[1024];
    if (!TIFFRGBAImageOK(tif, message)) Fail(PIX_ERR_UNSUPPORTED);
    Image image;
    image.Allocate(static_cast<int>(l.width), static_cast<int>(l.height), 24);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(l.width) * l.height);
    if (!TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), StoredOrientation(tif),
                                   0)) {
        Fail(PIX_ERR_CORRUPT);
    }
    for (int y = 0; y < image.height; ++y) {
        PutCompositedRow(raster.data() + static_cast<std::size_t>(y) * l.width, l.width,
                         image.Row(y));
        progress.Rows(y + 1, image.height);
    }
    return image;
}

// Rows per band when decoding band by band: one strip or one row of tiles, or none (0) when
// that band would be too large.
std::uint32_t BandRows(TIFF* tif, const Layout& l) {
    std::uint32_t rows = 0;
    if (TIFFIsTiled(tif)) {
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &rows);
    } else {
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
    }
    rows = std::clamp<std::uint32_t>(rows, 1, l.height);
    if (static_cast<std::size_t>(rows) * l.width * 4 > kMaxBandBytes) return 0;
    return rows;
}

// Owns the state of a band-by-band RGBA decode.
struct RgbaDecoder {
    TIFFRGBAImage image{};
    bool begun = false;
    ~RgbaDecoder() {
        if (begun) TIFFRGBAImageEnd(&image);
    }
};

Image ReadRgbaBands(TIFF* tif, const Layout& l, std::uint32_t band, const SampleTarget& target,
                    Progress& progress) {
    char message[1024];
    RgbaDecoder decoder;
    if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&decoder.image, tif, 0, message)) {
        Fail(PIX_ERR_UNSUPPORTED);
    }
    decoder.begun = true;
    decoder.image.req_orientation = static_cast<std::uint16_t>(StoredOrientation(tif));
    const RowPicker picker(static_cast<int>(l.height), target);
    Image image;
    image.Allocate(static_cast<int>(l.width), picker.Rows(), 24);
    std::vector<std::uint32_t> raster(static_cast<std::size_t>(l.width) * band);
    for (std::uint32_t top = 0; top < l.height; top += band) {
        const std::uint32_t rows = std::min(band, l.height - top);
        decoder.image.row_offset = static_cast<int>(top);
        decoder.image.col_offset = 0;
        if (!TIFFRGBAImageGet(&decoder.image, raster.data(), l.width, rows)) Fail(PIX_ERR_CORRUPT);
        for (std::uint32_t y = 0; y < rows; ++y) {
            const int kept = picker.DestinationOf(static_cast<int>(top + y));
            if (kept < 0) continue;
            PutCompositedRow(raster.data() + static_cast<std::size_t>(y) * l.width, l.width,
                             image.Row(kept));
        }
        progress.Rows(static_cast<int>(top + rows), static_cast<int>(l.height));
    }
    return image;
}

}  // namespace

Image DecodeTiff(TiffHandle& tiff, int page, Progress& progress, const PixReadArgs* args) {
    TIFF* tif = tiff.get();
    if (page < 0 || page > kMaxPages) Fail(PIX_ERR_PAGE);
    if (page > 0 && !TIFFSetDirectory(tif, static_cast<tdir_t>(page))) Fail(PIX_ERR_PAGE);
    const Layout l = ReadLayout(tif);
    const int width = static_cast<int>(l.width);
    const int height = static_cast<int>(l.height);
    if (KeepsIndices(tif, l)) {
        return ReadIndexed(tif, l, AskTarget(args, width, height, l.bits), progress);
    }
    const SampleTarget target = AskTarget(args, width, height, 24);
    if (!target.Active()) return ReadRgba(tif, l, progress);
    if (IsPlainRgb(tif, l)) return ReadPlainRgb(tif, l, target, progress);
    const std::uint32_t band = BandRows(tif, l);
    return band > 0 ? ReadRgbaBands(tif, l, band, target, progress) : ReadRgba(tif, l, progress);
}

}  // namespace pixcodec
