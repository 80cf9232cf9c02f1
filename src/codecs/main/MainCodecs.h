// SPDX-License-Identifier: GPL-3.0-or-later
// Decoders and encoders of the main codec module. Each raises CodecError on failure.
#pragma once

#include "codecs/common/CodecImage.h"

namespace pixcodec {

// Settings of one save, taken from PixWriteArgs.
struct WriteOptions {
    int depth = 0;  // 0: the picture's own; 1, 4, 8 or 24
    bool interlaced = false;
    int jpegQuality = 75;
    int jpegSmooth = 0;
};

Image ReadBmp(const char* path, Progress& progress);
// With args that carry a sampling target (PixTargetFn), these decoders keep only the rows the
// host samples (PNG: not interlaced), and JPEG decodes at a reduced size that covers the target.
Image ReadPng(const char* path, Progress& progress, const PixReadArgs* args = nullptr);
Image ReadGif(const char* path, Progress& progress, const PixReadArgs* args = nullptr);
// With direct, a picture of the file's own depth is decoded straight into the host's rows.
Image ReadJpg(const char* path, Progress& progress, const PixReadArgs* direct = nullptr);
Image ReadTga(const char* path, Progress& progress);
Image ReadPcx(const char* path, Progress& progress);
Image ReadPcd(const char* path, Progress& progress);
Image ReadEps(const char* path, Progress& progress);

void WriteBmp(const char* path, const Image& image, const WriteOptions& options,
              Progress& progress);
void WritePng(const char* path, const Image& image, const WriteOptions& options,
              Progress& progress);
void WriteGif(const char* path, const Image& image, const WriteOptions& options,
              Progress& progress);
void WriteJpg(const char* path, const Image& image, const WriteOptions& options,
              Progress& progress);
void WriteTga(const char* path, const Image& image, const WriteOptions& options,
              Progress& progress);
void WritePcx(const char* path, const Image& image, const WriteOptions& options,
              Progress& progress);

// Picks the depth a writer stores: the asked one, or the picture's own mapped onto what the
// format holds (15, 16 and 32 bits become 24).
int TargetDepth(const Image& image, int askedDepth);

// Decodes a BMP held in memory (also the preview of some EPS files).
Image DecodeBmp(const std::vector<std::uint8_t>& bytes, Progress& progress);

// Largest file a whole-file decoder reads into memory.
constexpr std::size_t kMaxFileBytes = std::size_t{512} << 20;

}  // namespace pixcodec
