// SPDX-License-Identifier: GPL-3.0-or-later
// The TIFF codec module: every compression and layout libtiff reads, page selection; writing with
// compression codes 1, 2, 3, 4, 5 and 32773, optionally appended as a new page.
#include <cstring>

#include "codecs/common/SafeSave.h"
#include "codecs/common/TiffIo.h"

namespace pixcodec {

namespace {

constexpr int kRowsPerStripBytes = 64 * 1024;

bool IsBilevelCompression(int code) {
    return code == COMPRESSION_CCITTRLE || code == COMPRESSION_CCITTFAX3 ||
           code == COMPRESSION_CCITTFAX4;
}

bool IsKnownCompression(int code) {
    return code == COMPRESSION_NONE || IsBilevelCompression(code) || code == COMPRESSION_LZW ||
           code == COMPRESSION_PACKBITS;
}

// The depth written: the asked one, or the picture's own; the fax codings hold 1 bit only.
Image Prepare(const Image& source, int depth, int compression) {
    if (IsBilevelCompression(compression)) return ConvertDepth(Image(source), 1);
    if (depth == 0) depth = source.bitCount <= 8 ? source.bitCount : 24;
    return ConvertDepth(Image(source), depth);
}

void SetFields(TIFF* tif, const Image& image, int compression) {
    const bool indexed = image.bitCount <= 8;
    const bool bilevelFax = IsBilevelCompression(compression);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE,
                 static_cast<std::uint16_t>(indexed ? image.bitCount : 8));
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(indexed ? 1 : 3));
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(compression));
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 72.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const std::size_t rowBytes = TIFFScanlineSize64(tif) > 0 ? TIFFScanlineSize64(tif) : 1;
    TIFFSetField(
        tif, TIFFTAG_ROWSPERSTRIP,
        static_cast<std::uint32_t>(std::max<std::size_t>(1, kRowsPerStripBytes / rowBytes)));
    if (bilevelFax) {
        // Fax codings: white is 0.
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
    } else if (!indexed) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    } else if (image.IsGrey() && image.bitCount == 8) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_PALETTE);
        const std::size_t count = std::size_t{1} << image.bitCount;
        std::vector<std::uint16_t> red(count), green(count), blue(count);
        for (std::size_t i = 0; i < count && i < image.palette.size(); ++i) {
            red[i] = static_cast<std::uint16_t>(((image.palette[i] >> 16) & 0xFF) * 257);
            green[i] = static_cast<std::uint16_t>(((image.palette[i] >> 8) & 0xFF) * 257);
            blue[i] = static_cast<std::uint16_t>((image.palette[i] & 0xFF) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    }
    if (compression == COMPRESSION_LZW && !indexed) {
        TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    }
}

// The row as the file stores it: red-green-blue order for colour, fax rows with white as 0.
void FileRow(const Image& image, int y, bool invert, std::vector<std::uint8_t>& line) {
    const std::uint8_t* row = image.Row(y);
    if (image.bitCount == 24) {
        for (int x = 0; x < image.width; ++x) {
            line[3 * x] = row[3 * x + 2];
            line[3 * x + 1] = row[3 * x + 1];
            line[3 * x + 2] = row[3 * x];
        }
        return;
    }
    const std::size_t bytes = (static_cast<std::size_t>(image.width) * image.bitCount + 7) / 8;
    std::memcpy(line.data(), row, bytes);
    if (!invert) return;
    // Pixel values become "is black": index i counts as black when its colour is dark.
    for (int x = 0; x < image.width; ++x) {
        const std::uint32_t c = image.Rgb(x, y);
        const int luma =
            (((c >> 16) & 0xFF) * 299 + ((c >> 8) & 0xFF) * 587 + (c & 0xFF) * 114) / 1000;
        const std::uint8_t bit = static_cast<std::uint8_t>(0x80 >> (x & 7));
        if (luma < 128) {
            line[x >> 3] |= bit;
        } else {
            line[x >> 3] &= static_cast<std::uint8_t>(~bit);
        }
    }
}

void WriteTiff(const char* path, const Image& source, const PixWriteArgs& args) {
    if (!IsKnownCompression(args.tiffCompression)) Fail(PIX_ERR_ARGUMENT);
    const Image image = Prepare(source, args.depth, args.tiffCompression);
    Progress progress(args.host, args.progress);
    TiffHandle tiff(path, args.tiffAppend ? "a" : "w");
    TIFF* tif = tiff.get();
    SetFields(tif, image, args.tiffCompression);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(TIFFScanlineSize64(tif)) + 4);
    const bool invert = IsBilevelCompression(args.tiffCompression);
    for (int y = 0; y < image.height; ++y) {
        FileRow(image, y, invert, line);
        if (TIFFWriteScanline(tif, line.data(), static_cast<std::uint32_t>(y), 0) < 0) {
            Fail(PIX_ERR_WRITE);
        }
        progress.Rows(y + 1, image.height);
    }
    if (!TIFFWriteDirectory(tif) || tiff.HadError() || !tiff.Close()) Fail(PIX_ERR_WRITE);
}

}  // namespace

}  // namespace pixcodec

using namespace pixcodec;

PIX_EXPORT std::int32_t InitDll(void*, PixSharedState* state) {
    return InitModule(state, PIX_TIFF_MODULE_NAME);
}

PIX_EXPORT std::int32_t read_tif(const char* path, const PixReadArgs* args) {
    return Guard([&] {
        CheckReadArgs(path, args);
        Progress progress(args->host, args->progress);
        TiffHandle tiff(path, "r");
        return Deliver(DecodeTiff(tiff, args->page, progress, args), args);
    });
}

PIX_EXPORT std::int32_t write_tif(const char* path, const PixWriteArgs* args) {
    return Guard([&] {
        CheckWriteArgs(path, args);
        const Image image = FromView(args->image);
        // An appended page goes into a copy of the file, which replaces it when complete.
        SaveSafely(path, args->tiffAppend != 0,
                   [&](const char* temporary) { WriteTiff(temporary, image, *args); });
        return static_cast<std::int32_t>(PIX_OK);
    });
}

PIX_EXPORT std::int32_t tif_info(const char* path, PixImageInfo* info) {
    return Guard([&] {
        if (!path || !info) Fail(PIX_ERR_ARGUMENT);
        TiffHandle tiff(path, "r");
        std::uint32_t width = 0, height = 0;
        std::uint16_t bits = 1, samples = 1;
        TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
        CheckSize(width, height);
        std::memset(info, 0, sizeof *info);
        info->width = static_cast<std::int32_t>(width);
        info->height = static_cast<std::int32_t>(height);
        info->bitCount = samples == 1 && bits <= 8 ? bits : 24;
        return static_cast<std::int32_t>(PIX_OK);
    });
}
