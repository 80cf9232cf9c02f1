// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "imaging/PixBitmap.h"
#include "imaging/PixImage.h"
#include "readers/Rwimage.h"

namespace pixelary {

// The reader for pictures the own readers do not decode: the shared image component decodes the
// whole file, the reader keeps a copy and serves its rows, top row first.
//
// Given the thumbnail box, the component may decode a smaller copy (a reduced JPEG decode, only
// the rows the thumbnail samples) that still covers the thumbnail of the picture; the reader
// then reports the picture's full size and samples the copy instead.
class MDiskLIB : public MDiskImage {
  public:
    // Raises EInOutError "Lib bit error" when the component yields no usable picture, or the
    // component's binding error when a codec module cannot be bound.
    MDiskLIB(const std::string& path, const std::string& extension,
             std::optional<SamplingBox> box = std::nullopt);
    ~MDiskLIB() override;

    // The rectangle is in the picture's coordinates; it is mapped onto the copy when that is
    // smaller.
    void StretchBegin(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      std::int32_t destWidth, std::int32_t destHeight) override;
    void StretchLines(Dib& bitmap, std::int32_t count) override;

    // Size of the decoded copy (smaller than the picture after a reduced decode).
    std::int32_t CopyWidth() const { return copy_.Width(); }
    std::int32_t CopyHeight() const { return copy_.Height(); }

  private:
    static constexpr std::int32_t kNoExpansion = 0;
    static constexpr std::int32_t kResolution = 18288;

    void CopyFromComponent(const std::string& path, std::optional<SamplingBox> box);
    void Describe();
    const std::uint8_t* FetchRow(std::int32_t row);

    TPixBitmap copy_;                         // the picture copy; owned
    std::vector<std::uint8_t> conversion_;    // 15- and 16-bit copies only
    std::int32_t pixel_mode_ = kNoExpansion;  // 0, or 15 / 16 for rows to expand
    std::int32_t full_width_ = 0;             // the picture's size, when the decoder told it
    std::int32_t full_height_ = 0;
};

// The component library reads of the calling thread go through (on the main thread, the main
// window's hidden RWPixImage): automatic read depth, errors ignored, one per thread so that
// decoding threads run side by side. Hold RWPixImageLock() around any use of it.
TPixImage& RWPixImage();
std::mutex& RWPixImageLock();

// Makes MDiskLIB the factory's fallback. moduleFolder is searched first for the codec modules
// by the components of every thread, also those made later.
void RegisterLibraryReader(const std::string& moduleFolder = std::string());

}  // namespace pixelary
