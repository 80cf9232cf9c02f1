// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG through libjpeg-turbo: grey, colour (YCbCr/RGB) and CMYK/YCCK pictures; writing in colour
// or grey with a quality and libjpeg's smoothing factor.
// jpeglib.h needs size_t and FILE declared first.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
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
    std::vector<JOCTET> input;               // the file's bytes on their way to the decoder
};

// libjpeg-turbo's fast Huffman decoding runs only while a few kilobytes of the file are buffered
// (512 bytes a block of an MCU); the stdio source reads 4 KiB at a time, so most of a colour
// picture went through the slow path. This source reads 64 KiB at a time.
constexpr std::size_t kInputChunk = 64 * 1024;

struct FileSource {
    jpeg_source_mgr manager;
    std::FILE* file;
    JOCTET* buffer;
};

void InitFileSource(j_decompress_ptr) {}
void TermFileSource(j_decompress_ptr) {}

boolean FillFileSource(j_decompress_ptr info) {
    auto* source = reinterpret_cast<FileSource*>(info->src);
    std::size_t count = std::fread(source->buffer, 1, kInputChunk, source->file);
    if (count == 0) {
        // A truncated file ends as if its end-of-image marker followed, as libjpeg's own
        // sources do: what was decoded so far is kept.
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->manager.next_input_byte = source->buffer;
    source->manager.bytes_in_buffer = count;
    return TRUE;
}

void SkipFileSource(j_decompress_ptr info, long count) {
    jpeg_source_mgr& manager = *info->src;
    while (count > static_cast<long>(manager.bytes_in_buffer)) {
        count -= static_cast<long>(manager.bytes_in_buffer);
        manager.fill_input_buffer(info);
    }
    if (count > 0) {
        manager.next_input_byte += count;
        manager.bytes_in_buffer -= static_cast<std::size_t>(count);
    }
}

void UseFileSource(JpegReader& r, FileSource& source, std::FILE* file, JpegBuffers& buffers) {
    buffers.input.resize(kInputChunk);
    source.manager.init_source = InitFileSource;
    source.manager.fill_input_buffer = FillFileSource;
    source.manager.skip_input_data = SkipFileSource;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = TermFileSource;
    source.manager.next_input_byte = nullptr;
    source.manager.bytes_in_buffer = 0;
    source.file = file;
    source.buffer = buffers.input.data();
    r.info.src = &source.manager;
}

// With a sampling target from the host the picture is decoded at the largest DCT reduction that
// still covers the target, and only the rows the sampling uses are kept.
bool DecodeJpeg(std::FILE* file, JpegReader& r, Image& image, JpegBuffers& buffers,
                Progress& progress, const PixReadArgs* direct) {
    FileSource source{};
    if (setjmp(r.error.jump)) return false;
    jpeg_create_decompress(&r.info);
    r.created = true;
    r.info.progress = &r.monitor;
    UseFileSource(r, source, file, buffers);
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
        if (kept < 0) {
            // Rows the thumbnail does not sample are entropy-decoded only.
            int skipped = 1;
            while (y + skipped < height && picker.DestinationOf(y + skipped) < 0) ++skipped;
            jpeg_skip_scanlines(&r.info, static_cast<JDIMENSION>(skipped));
            progress.Rows(y + skipped, height);
            continue;
        }
        JSAMPROW row = inks ? buffers.row.data() : image.Row(kept);
        jpeg_read_scanlines(&r.info, &row, 1);
        if (inks) {
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
