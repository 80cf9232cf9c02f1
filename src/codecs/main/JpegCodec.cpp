// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG through libjpeg-turbo: grey, colour (YCbCr/RGB) and CMYK/YCCK pictures; writing in colour
// or grey with a quality and libjpeg's smoothing factor.
// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include <csetjmp>

#include "codecs/main/MainCodecs.h"

namespace pixcodec {

namespace {

constexpr int kDefaultQuality = 75;
// A progressive file with more scans than this is refused: each scan costs a pass over the
// whole picture, so a tiny file of empty scans could keep the decoder busy for minutes.
constexpr int kMaxScans = 500;

// libjpeg's error manager extended with the jump back to the module boundary.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void OnJpegError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(error->jump, 1);
}

void OnJpegMessage(j_common_ptr) {}

void OnJpegProgress(j_common_ptr info) {
    auto* decoder = reinterpret_cast<j_decompress_ptr>(info);
    if (info->is_decompressor && decoder->input_scan_number > kMaxScans) {
        OnJpegError(info);
    }
}

// Owns a decompressor once created.
struct JpegReader {
    jpeg_decompress_struct info{};
    JpegError error{};
    jpeg_progress_mgr monitor{OnJpegProgress, 0, 0, 0, 0};
    bool created = false;
    ~JpegReader() {
        if (created) jpeg_destroy_decompress(&info);
    }
};

struct JpegWriter {
    jpeg_compress_struct info{};
    JpegError error{};
    bool created = false;
    ~JpegWriter() {
        if (created) jpeg_destroy_compress(&info);
    }
};

void GreyPalette(std::vector<std::uint32_t>& palette) {
    palette.resize(256);
    for (std::uint32_t i = 0; i < 256; ++i) palette[i] = i << 16 | i << 8 | i;
}

// Converts one decoded CMYK row (Adobe writers store the inks inverted) to blue, green, red.
void CmykRow(const JSAMPLE* cmyk, std::uint8_t* bgr, int width, bool inverted) {
    for (int x = 0; x < width; ++x) {
        int c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[3 * x] = static_cast<std::uint8_t>(y * k / 255);
        bgr[3 * x + 1] = static_cast<std::uint8_t>(m * k / 255);
        bgr[3 * x + 2] = static_cast<std::uint8_t>(c * k / 255);
    }
}

// The buffers a decode needs, made by the caller: nothing with a destructor may be created
// between the setjmp and a longjmp back to it.
struct JpegBuffers {
    std::vector<JSAMPLE> row;                // one row of inks, or a row that is not kept
    std::vector<std::uint32_t> greyPalette;  // 256 grey levels
};

// With a sampling target from the host the picture is decoded at the largest DCT reduction that
// still covers the target, and only the rows the sampling uses are kept.
bool DecodeJpeg(std::FILE* file, JpegReader& r, Image& image, JpegBuffers& buffers,
                Progress& progress, const PixReadArgs* direct) {
    if (setjmp(r.error.jump)) return false;
    jpeg_create_decompress(&r.info);
    r.created = true;
    r.info.progress = &r.monitor;
    jpeg_stdio_src(&r.info, file);
    jpeg_read_header(&r.info, TRUE);
    CheckSize(r.info.image_width, r.info.image_height);
    const J_COLOR_SPACE space = r.info.jpeg_color_space;
    const bool grey = space == JCS_GRAYSCALE;
    const bool inks = space == JCS_CMYK || space == JCS_YCCK;
    const int bits = grey ? 8 : 24;
    const SampleTarget target = AskTarget(direct, static_cast<int>(r.info.image_width),
                                          static_cast<int>(r.info.image_height), bits);
    r.info.out_color_space = grey ? JCS_GRAYSCALE : inks ? JCS_CMYK : JCS_EXT_BGR;
    r.info.dct_method = JDCT_ISLOW;
    r.info.scale_num = 1;
    r.info.scale_denom = static_cast<unsigned>(ReductionFor(
        static_cast<int>(r.info.image_width), static_cast<int>(r.info.image_height), target));
    jpeg_start_decompress(&r.info);
    const int width = static_cast<int>(r.info.output_width);
    const int height = static_cast<int>(r.info.output_height);
    const RowPicker picker(height, target);
    const std::vector<std::uint32_t>& palette = grey ? buffers.greyPalette : image.palette;
    if (!direct || !AllocateInHost(image, width, picker.Rows(), bits, palette, direct)) {
        image.Allocate(width, picker.Rows(), bits);
        if (grey) image.palette = buffers.greyPalette;
    }
    buffers.row.resize(static_cast<std::size_t>(width) * 4);
    while (r.info.output_scanline < r.info.output_height) {
        const int y = static_cast<int>(r.info.output_scanline);
        const int kept = picker.DestinationOf(y);
        JSAMPROW row = inks || kept < 0 ? buffers.row.data() : image.Row(kept);
        jpeg_read_scanlines(&r.info, &row, 1);
        if (inks && kept >= 0) {
            CmykRow(buffers.row.data(), image.Row(kept), image.width, r.info.saw_Adobe_marker);
        }
        progress.Rows(y + 1, height);
    }
    jpeg_finish_decompress(&r.info);
    return true;
}

bool EncodeJpeg(std::FILE* file, JpegWriter& w, const Image& image, const WriteOptions& options,
                Progress& progress) {
    if (setjmp(w.error.jump)) return false;
    jpeg_create_compress(&w.info);
    w.created = true;
    jpeg_stdio_dest(&w.info, file);
    const bool grey = image.bitCount == 8;
    w.info.image_width = static_cast<JDIMENSION>(image.width);
    w.info.image_height = static_cast<JDIMENSION>(image.height);
    w.info.input_components = grey ? 1 : 3;
    w.info.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&w.info);
    jpeg_set_quality(&w.info, options.jpegQuality, TRUE);
    w.info.smoothing_factor = options.jpegSmooth;
    jpeg_start_compress(&w.info, TRUE);
    while (w.info.next_scanline < w.info.image_height) {
        const int y = static_cast<int>(w.info.next_scanline);
        JSAMPROW row = const_cast<JSAMPROW>(image.Row(y));
        jpeg_write_scanlines(&w.info, &row, 1);
        progress.Rows(y + 1, image.height);
    }
    jpeg_finish_compress(&w.info);
    return true;
}

void InstallErrorHandler(jpeg_error_mgr* manager) {
    jpeg_std_error(manager);
    manager->error_exit = OnJpegError;
    manager->output_message = OnJpegMessage;
}

}  // namespace

Image ReadJpg(const char* path, Progress& progress, const PixReadArgs* direct) {
    File file(path, "rb");
    if (!file) Fail(PIX_ERR_OPEN);
    JpegReader r;
    r.info.err = &r.error.manager;
    InstallErrorHandler(&r.error.manager);
    Image image;
    JpegBuffers buffers;
    GreyPalette(buffers.greyPalette);
    if (!DecodeJpeg(file.get(), r, image, buffers, progress, direct)) Fail(PIX_ERR_CORRUPT);
    return image;
}

void WriteJpg(const char* path, const Image& source, const WriteOptions& options,
              Progress& progress) {
    const Image image = options.depth == 1 ? ToGrey8(source) : ToRgb24(source);
    WriteOptions checked = options;
    if (checked.jpegQuality < 1 || checked.jpegQuality > 100) checked.jpegQuality = kDefaultQuality;
    if (checked.jpegSmooth < 0 || checked.jpegSmooth > 100) checked.jpegSmooth = 0;
    File file(path, "wb");
    if (!file) Fail(PIX_ERR_CREATE);
    JpegWriter w;
    w.info.err = &w.error.manager;
    InstallErrorHandler(&w.error.manager);
    if (!EncodeJpeg(file.get(), w, image, checked, progress)) Fail(PIX_ERR_WRITE);
    if (!file.Close()) Fail(PIX_ERR_WRITE);
}

}  // namespace pixcodec
