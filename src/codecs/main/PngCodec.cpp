// SPDX-License-Identifier: GPL-3.0-or-later
// PNG through libpng: every colour type; palettes kept, 16-bit samples reduced, alpha composited
// on white; writing with optional Adam7 interlacing.
#include <png.h>

#include <csetjmp>
#include <memory>

#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

constexpr png_uint_32 kWhite = 255;

// libpng reports errors by calling this, which jumps back to the setjmp in the caller.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

// Owns a read structure and its info structure.
struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriter() { png_destroy_write_struct(&png, info ? &info : nullptr); }
};

// Sets up the transforms so libpng delivers palette indices (depth 1, 4, 8) for palette and
// grey pictures without alpha, else 8-bit blue-green-red composited on white. Returns the depth.
int PrepareTransforms(png_structp png, png_infop info) {
    const int colourType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE && !transparency) {
        if (bitDepth == 2) png_set_packing(png);
        return bitDepth == 2 ? 8 : bitDepth;
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && !transparency && bitDepth <= 8) {
        if (bitDepth == 2) png_set_packing(png);
        return bitDepth == 2 ? 8 : bitDepth;
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && !transparency) return 8;  // 16-bit grey, stripped
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !transparency) return 24;
    // Alpha arrives as a fourth sample and is composited on white row by row.
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    return 32;
    return 24;
}

// Blends one row of blue-green-red-alpha pixels over white into blue-green-red pixels.
void CompositeRowOnWhite(const std::uint8_t* src, std::uint8_t* dst, int width) {
    for (int x = 0; x < width; ++x) {
        const unsigned alpha = src[4 * x + 3];
        for (int c = 0; c < 3; ++c) {
            dst[3 * x + c] = static_cast<std::uint8_t>(
                (src[4 * x + c] * alpha + kWhite * (255 - alpha) + 127) / 255);
        }
    }
}

// Blends blue-green-red-alpha pixels over white and drops the alpha: the result is 24-bit.
void CompositeOnWhite(Image& image) {
    Image out;
    out.Allocate(image.width, image.height, 24);
    for (int y = 0; y < image.height; ++y)
        CompositeRowOnWhite(image.Row(y), out.Row(y), image.width);
    image = std::move(out);
}

void FillPalette(png_structp png, png_infop info, int bitDepth, Image& image) {
    const std::size_t size = std::size_t{1} << image.bitCount;
    image.palette.assign(size, 0);
    if (png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE) {
        png_colorp colours = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &colours, &count);
        for (int i = 0; i < count && static_cast<std::size_t>(i) < size; ++i) {
            image.palette[i] = colours[i].red << 16 | colours[i].green << 8 | colours[i].blue;
        }
        return;
    }
    const int levels = 1 << std::min(bitDepth, 8);
    for (int i = 0; i < levels && static_cast<std::size_t>(i) < size; ++i) {
        const std::uint32_t v = static_cast<std::uint32_t>(i * 255 / (levels - 1));
        image.palette[i] = v << 16 | v << 8 | v;
    }
}

// Adam7 pictures: every pass visits every row, and each pass adds its pixels to the row buffer
// given, so a kept row always gets its own buffer (rows that are not kept share one). Alpha stays
// a fourth sample until the last pass.
void ReadInterlaced(png_structp png, int height, int passes, const RowPicker& picker,
                    std::vector<std::uint8_t>& row, Image& image, Progress& progress) {
    const int total = passes * height;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            const int kept = picker.DestinationOf(y);
            png_read_row(png, kept >= 0 ? image.Row(kept) : row.data(), nullptr);
            progress.Rows(pass * height + y + 1, total);
        }
    }
    if (image.bitCount == 32) CompositeOnWhite(image);
}

// Other pictures row by row through one row buffer, keeping only the rows the picker keeps.
// With alpha, rows arrive with a fourth sample and are composited into the 24-bit picture.
void ReadRows(png_structp png, int height, const RowPicker& picker, bool alpha,
              std::vector<std::uint8_t>& row, Image& image, Progress& progress) {
    for (int y = 0; y < height; ++y) {
        const int kept = picker.DestinationOf(y);
        if (kept >= 0 && !alpha) {
            png_read_row(png, image.Row(kept), nullptr);
        } else {
            png_read_row(png, row.data(), nullptr);
            if (kept >= 0) CompositeRowOnWhite(row.data(), image.Row(kept), image.width);
        }
        progress.Rows(y + 1, height);
    }
}

// Runs under setjmp: no objects with destructors may be created here; row lives in the caller.
bool DecodePng(std::FILE* file, PngReader& r, Image& image, std::vector<std::uint8_t>& row,
               Progress& progress, const PixReadArgs* args) {
    if (setjmp(png_jmpbuf(r.png))) return false;
    png_init_io(r.png, file);
    png_set_user_limits(r.png, PIX_MAX_SIDE, PIX_MAX_SIDE);
    png_read_info(r.png, r.info);
    const png_uint_32 width = png_get_image_width(r.png, r.info);
    const png_uint_32 height = png_get_image_height(r.png, r.info);
    const int bitDepth = png_get_bit_depth(r.png, r.info);
    CheckSize(width, height);
    const int depth = PrepareTransforms(r.png, r.info);
    const int passes = png_set_interlace_handling(r.png);
    png_read_update_info(r.png, r.info);
    const std::size_t rowBytes = png_get_rowbytes(r.png, r.info);
    if (rowBytes > StrideFor(static_cast<int>(width), depth)) Fail(PIX_ERR_CORRUPT);
    const int w = static_cast<int>(width);
    const int h = static_cast<int>(height);
    const RowPicker picker(h, AskTarget(args, w, h, depth == 32 ? 24 : depth));
    row.resize(rowBytes);
    if (passes > 1) {
        image.Allocate(w, picker.Rows(), depth);
        if (depth <= 8) FillPalette(r.png, r.info, bitDepth, image);
        ReadInterlaced(r.png, h, passes, picker, row, image, progress);
    } else {
        image.Allocate(w, picker.Rows(), depth == 32 ? 24 : depth);
        if (depth <= 8) FillPalette(r.png, r.info, bitDepth, image);
        ReadRows(r.png, h, picker, depth == 32, row, image, progress);
    }
    png_read_end(r.png, nullptr);
    return true;
}

bool EncodePng(std::FILE* file, PngWriter& w, const Image& image, bool interlaced,
               Progress& progress) {
    if (setjmp(png_jmpbuf(w.png))) return false;
    png_init_io(w.png, file);
    const bool indexed = image.bitCount <= 8;
    png_set_IHDR(w.png, w.info, image.width, image.height, indexed ? image.bitCount : 8,
                 indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[PIX_MAX_PALETTE];
    if (indexed) {
        const std::size_t count = std::size_t{1} << image.bitCount;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t c = i < image.palette.size() ? image.palette[i] : 0;
            colours[i] = {static_cast<png_byte>(c >> 16), static_cast<png_byte>(c >> 8),
                          static_cast<png_byte>(c)};
        }
        png_set_PLTE(w.png, w.info, colours, static_cast<int>(count));
    }
    png_write_info(w.png, w.info);
    if (!indexed) png_set_bgr(w.png);
    const int passes = png_set_interlace_handling(w.png);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < image.height; ++y) {
            png_write_row(w.png, image.Row(y));
            progress.Rows(pass * image.height + y + 1, passes * image.height);
        }
    }
    png_write_end(w.png, nullptr);
    return true;
}

}  // namespace

Image ReadPng(const char* path, Progress& progress, const PixReadArgs* args) {
    File file(path, "rb");
    if (!file) Fail(PIX_ERR_OPEN);
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file.get()) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        Fail(PIX_ERR_FORMAT);
    }
    PngReader r;
    r.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!r.png) Fail(PIX_ERR_MEMORY);
    r.info = png_create_info_struct(r.png);
    if (!r.info) Fail(PIX_ERR_MEMORY);
    png_set_sig_bytes(r.png, sizeof signature);
    png_set_chunk_malloc_max(r.png, 8u << 20);
    Image image;
    std::vector<std::uint8_t> row;
    if (!DecodePng(file.get(), r, image, row, progress, args)) Fail(PIX_ERR_CORRUPT);
    return image;
}

void WritePng(const char* path, const Image& source, const WriteOptions& options,
              Progress& progress) {
    const Image image = ConvertDepth(Image(source), TargetDepth(source, options.depth));
    File file(path, "wb");
    if (!file) Fail(PIX_ERR_CREATE);
    PngWriter w;
    w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (!w.png) Fail(PIX_ERR_MEMORY);
    w.info = png_create_info_struct(w.png);
    if (!w.info) Fail(PIX_ERR_MEMORY);
    if (!EncodePng(file.get(), w, image, options.interlaced, progress)) Fail(PIX_ERR_WRITE);
    if (!file.Close()) Fail(PIX_ERR_WRITE);
}

}  // namespace pixcodec
