// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "readers/Rwimage.h"

namespace pixelary {

// The reference device an enhanced metafile was recorded for.
struct MetafileDevice {
    std::int32_t WidthPixels = 0;
    std::int32_t HeightPixels = 0;
    std::int32_t WidthMillimetres = 0;
    std::int32_t HeightMillimetres = 0;
};

// The picture's own size in pixels of its reference device, fractions kept.
struct MetafileSize {
    double WidthPixels = 0;
    double HeightPixels = 0;
};

// The bounding box of a placeable metafile, in its logical units, and how many make an inch.
struct PlaceableBounds {
    std::int16_t Left = 0;
    std::int16_t Top = 0;
    std::int16_t Right = 0;
    std::int16_t Bottom = 0;
    std::uint16_t UnitsPerInch = 0;
};

// A loaded enhanced metafile (the platform's metafile handle).
class MetafilePicture {
  public:
    virtual ~MetafilePicture() = default;
    virtual MetafileDevice Device() const = 0;
    // The enhanced header's frame, or a placeable file's bounding box at 96 pixels an inch.
    virtual MetafileSize Size() const = 0;
    // Draws the whole picture onto bitmap, fitted to the rectangle; false when it cannot.
    virtual bool Play(Dib& bitmap, std::int32_t left, std::int32_t top, std::int32_t right,
                      std::int32_t bottom) = 0;
};

// The platform's metafile operations; the metafile layer installs one at start-up.
class MetafileLoader {
  public:
    virtual ~MetafileLoader() = default;
    // A classic metafile's bits (without the placeable header) as an enhanced metafile whose
    // reference device is the screen, showing the bounding box; none when the bits are not a
    // metafile.
    virtual std::unique_ptr<MetafilePicture> FromWindowsMetafileBits(
        std::vector<std::uint8_t> bits, const PlaceableBounds& bounds) = 0;
    // An enhanced-metafile file opened by name; none when it is not one.
    virtual std::unique_ptr<MetafilePicture> FromEnhancedFile(const std::string& path) = 0;
};

// Without a loader the metafile reader refuses every file.
void SetMetafileLoader(std::shared_ptr<MetafileLoader> loader);

// Reader of enhanced metafiles and placeable Windows metafiles. The picture has the size of its
// own frame (or bounding box); a file it cannot use is refused with EInOutError.
class MDiskEMFWMF : public MDiskImage {
  public:
    MDiskEMFWMF(const std::string& path, const std::string& extension);
    ~MDiskEMFWMF() override;

    // Only records the destination size; the source rectangle is ignored.
    void StretchBegin(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                      std::int32_t destWidth, std::int32_t destHeight) override;
    // Plays the whole metafile onto bitmap at once; empties the bitmap when playing fails.
    void StretchLines(Dib& bitmap, std::int32_t count) override;
    void StretchEnd() override;

  private:
    void LoadPlaceable(MetafileLoader& loader);
    void Describe();

    std::unique_ptr<MetafilePicture> metafile_;
    std::int32_t dest_left_ = 0;
    std::int32_t dest_top_ = 0;
    std::int32_t dest_right_ = 0;
    std::int32_t dest_bottom_ = 0;
};

}  // namespace pixelary
