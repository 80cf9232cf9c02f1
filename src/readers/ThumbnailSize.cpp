// SPDX-License-Identifier: GPL-3.0-or-later
#include "readers/ThumbnailSize.h"

#include <algorithm>
#include <cmath>

namespace pixelary {

namespace {

// The side that sets the scale often truncates one short of the box (93 of 94 pixels); a flat
// thumbnail that lost its width that way gets one row more.
constexpr std::int32_t kShortWidth = 93;
constexpr std::int32_t kFlatHeight = 12;

std::int32_t TruncatedSide(std::int32_t side, double scale) {
    const long double exact = static_cast<long double>(side) / static_cast<long double>(scale);
    if (!(exact >= 1.0L)) return 0;
    return static_cast<std::int32_t>(std::min<long double>(std::trunc(exact), INT32_MAX));
}

}  // namespace

ThumbnailExtent ThumbnailSize(std::int32_t pictureWidth, std::int32_t pictureHeight,
                              std::int32_t boxWidth, std::int32_t boxHeight) {
    if (boxWidth <= 0 || boxHeight <= 0) return {};
    const long double width_ratio =
        static_cast<long double>(pictureWidth) / static_cast<long double>(boxWidth);
    const long double height_ratio =
        static_cast<long double>(pictureHeight) / static_cast<long double>(boxHeight);
    // The ratio is worked out in extended precision but kept as a double.
    const auto scale =
        static_cast<double>(width_ratio >= height_ratio ? width_ratio : height_ratio);
    if (!(scale > 0.0)) return {};
    ThumbnailExtent size{TruncatedSide(pictureWidth, scale), TruncatedSide(pictureHeight, scale)};
    if (size.Width == kShortWidth && size.Height <= kFlatHeight) ++size.Height;
    if (size.Width < 1 || size.Height < 1) return {};
    return size;
}

}  // namespace pixelary
