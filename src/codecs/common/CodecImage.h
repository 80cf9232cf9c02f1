// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/CodecAbi.h"
#include "core/RegularFile.h"

// Visibility of the C entries a module exports.
#define PIX_EXPORT extern "C" __attribute__((visibility("default")))

namespace pixcodec {

// A failure inside a module, carried to the module boundary and returned as its code.
struct CodecError {
    std::int32_t code;
};

[[noreturn]] inline void Fail(std::int32_t code) {
    throw CodecError{code};
}

// Refuses a size outside 1..PIX_MAX_SIDE a side or above PIX_MAX_PIXELS in all.
void CheckSize(std::int64_t width, std::int64_t height);

// A picture held by a module while it decodes or prepares an encode; rows top first, each padded
// to 4 bytes; palette entries 0x00RRGGBB.
struct Image {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    std::size_t stride = 0;
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint32_t> palette;

    // Checks the limits, then allocates zeroed rows.
    void Allocate(int w, int h, int bits);
    // Rows lent by the host when a decoder writes straight into the host's picture (see
    // AllocateInHost); pixels is then empty.
    std::uint8_t* hostRows = nullptr;

    std::uint8_t* Row(int y) { return Base() + static_cast<std::size_t>(y) * stride; }
    const std::uint8_t* Row(int y) const {
        return (hostRows ? hostRows : pixels.data()) + static_cast<std::size_t>(y) * stride;
    }
    std::uint8_t* Base() { return hostRows ? hostRows : pixels.data(); }
    // The pixel at (x, y) as 0x00RRGGBB whatever the depth.
    std::uint32_t Rgb(int x, int y) const;
    bool IsGrey() const;
};

std::size_t StrideFor(int width, int bitCount);

// Depth conversions used by readers (the depth the host asks for) and writers (the depth a
// format needs). Every result is a fresh picture.
Image ToRgb24(const Image& source);
Image ToGrey8(const Image& source);
// To a palette picture of the given depth (1, 4 or 8): the exact colours when they fit,
// otherwise a median-cut palette (8, 4) or black and white (1).
Image ToIndexed(const Image& source, int bitCount);
// Converts to 1, 4, 8 or 24 bits; 0 keeps the picture as it is.
Image ConvertDepth(Image source, int depth);

// Copies a host's picture, refusing bad views.
Image FromView(const PixImageView* view);

// Reports progress and stops the operation when the host cancels.
class Progress {
  public:
    Progress(void* host, PixProgressFn callback) : host_(host), callback_(callback) {}
    void Rows(int done, int total);
    // Asks the host, without new progress, whether to stop (for work that has no rows, such as
    // waiting for a renderer).
    bool StopRequested();

  private:
    void* host_;
    PixProgressFn callback_;
    int last_ = -1;
};

// Hands a decoded picture to the host: converted to the asked depth, copied into the host's rows.
// A picture already in the host's rows is only confirmed.
std::int32_t Deliver(Image image, const PixReadArgs* args);

// When the host asks for the file's own depth (args->depth 0 or bits), has it allocate the
// picture and lends its rows to image, saving a copy of a large picture; returns false (and
// leaves image alone) when a conversion will be needed.
bool AllocateInHost(Image& image, int width, int height, int bits,
                    const std::vector<std::uint32_t>& palette, const PixReadArgs* args);

// The size the host samples a picture to (see PixTargetFn); width 0 when it wants full size.
struct SampleTarget {
    int width = 0;
    int height = 0;
    bool Active() const { return width > 0; }
};

// Asks the host for its sampling size once the full size is known; inactive when the host
// passes no target (or an older, shorter argument block) or wants full size.
SampleTarget AskTarget(const PixReadArgs* args, int fullWidth, int fullHeight, int bitCount);

// The largest reduction of 8, 4 or 2 whose picture (sides rounded up) still covers the target in
// both directions; 1 when none does or the target is inactive.
int ReductionFor(int fullWidth, int fullHeight, const SampleTarget& target);

// Which decoded rows a delivered picture keeps: all of them, or, for a target lower than the
// picture, exactly the target's rows, row i being source row floor(i * sourceHeight / height).
class RowPicker {
  public:
    RowPicker(int sourceHeight, const SampleTarget& target);
    // Rows of the delivered picture.
    int Rows() const { return rows_; }
    // The delivered row made from a source row, or -1 when the row is not kept.
    int DestinationOf(int sourceRow) const;

  private:
    std::int64_t source_height_;
    int rows_;
};

// Runs body, turning every failure into an error code.
template <class Body>
std::int32_t Guard(Body&& body) noexcept {
    try {
        return body();
    } catch (const CodecError& error) {
        return error.code;
    } catch (const std::bad_alloc&) {
        return PIX_ERR_MEMORY;
    } catch (...) {
        return PIX_ERR_EXCEPTION;
    }
}

// Checks a read call's arguments.
void CheckReadArgs(const char* path, const PixReadArgs* args);
void CheckWriteArgs(const char* path, const PixWriteArgs* args);

// A stdio file closed on scope exit.
class File {
  public:
    // Reading ("rb") opens regular files only, and never blocks in the open.
    File(const char* path, const char* mode)
        : file_(std::string_view(mode) == "rb" ? pixelary::OpenRegularFileStream(path)
                                               : std::fopen(path, mode)) {}
    ~File() {
        if (file_) std::fclose(file_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::FILE* get() const { return file_; }
    explicit operator bool() const { return file_ != nullptr; }
    // Closes now; false when buffered data could not be written.
    bool Close();

  private:
    std::FILE* file_;
};

// Whole-file reads with a size cap; raises PIX_ERR_OPEN or PIX_ERR_TOO_LARGE.
std::vector<std::uint8_t> ReadWholeFile(const char* path, std::size_t maxBytes);

// Fills the module's name into the shared state block.
std::int32_t InitModule(PixSharedState* state, const char* name);

// Copies text into a caller's buffer of size bytes.
std::int32_t CopyText(const std::string& text, char* out, std::int32_t size);

}  // namespace pixcodec
