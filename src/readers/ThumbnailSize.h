// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace pixelary {

// The thumbnail box the scanner fits pictures into.
constexpr std::int32_t kThumbnailBoxWidth = 94;
constexpr std::int32_t kThumbnailBoxHeight = 78;

// A thumbnail's size in pixels.
struct ThumbnailExtent {
    std::int32_t Width = 1;
    std::int32_t Height = 1;
    bool operator==(const ThumbnailExtent&) const = default;
};

// Fits a picture into the box, enlarging small pictures until they touch it: the scale is the
// larger side ratio held as a double, each side is divided by it in extended precision and
// truncated; a width of 93 with a height of 12 or less gains a row; at least 1 x 1.
ThumbnailExtent ThumbnailSize(std::int32_t pictureWidth, std::int32_t pictureHeight,
                              std::int32_t boxWidth = kThumbnailBoxWidth,
                              std::int32_t boxHeight = kThumbnailBoxHeight);

}  // namespace pixelary
