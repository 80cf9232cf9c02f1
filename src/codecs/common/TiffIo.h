// SPDX-License-Identifier: GPL-3.0-or-later
// libtiff behind per-handle error handlers (safe when several threads decode at once).
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <vector>

#include "codecs/common/CodecImage.h"

namespace pixcodec {

// An open TIFF file or memory image; closed on destruction. libtiff's errors and warnings go to
// this handle only, never to the process-wide handlers.
class TiffHandle {
  public:
    // mode as for TIFFOpen ("r", "w", "a"); raises PIX_ERR_OPEN / PIX_ERR_CREATE / PIX_ERR_FORMAT.
    TiffHandle(const char* path, const char* mode);
    // Reads a TIFF held in memory (the bytes must outlive the handle).
    explicit TiffHandle(const std::vector<std::uint8_t>& bytes);
    ~TiffHandle();
    TiffHandle(const TiffHandle&) = delete;
    TiffHandle& operator=(const TiffHandle&) = delete;

    TIFF* get() const { return tiff_; }
    bool HadError() const { return errors_ > 0; }
    // Closes now, flushing a file being written; false when that failed.
    bool Close();

  private:
    static int OnError(TIFF*, void* self, const char*, const char*, va_list);
    static int OnWarning(TIFF*, void*, const char*, const char*, va_list);
    TIFFOpenOptions* NewOptions();

    struct Memory {
        const std::vector<std::uint8_t>* bytes = nullptr;
        toff_t position = 0;
    };

    TIFF* tiff_ = nullptr;
    int errors_ = 0;
    Memory memory_;
};

// Decodes directory page (0 = first) of an open file: palette and grey pictures of 1, 4 or 8
// bits keep their depth, everything else is delivered as 24-bit colour. With args that carry a
// sampling target, strips are decoded one at a time and only the sampled rows are kept (pictures
// not stored top row first, or with strips too large for that, are still decoded whole).
Image DecodeTiff(TiffHandle& tiff, int page, Progress& progress, const PixReadArgs* args = nullptr);

}  // namespace pixcodec
