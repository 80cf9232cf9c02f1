// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pixelary {

// A small PNG picture as the desktop's thumbnailers store it: the pixels composited on white,
// and the text chunks that describe the picture it was made from.
struct ThumbnailPng {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    // Height rows of 3 x Width bytes, blue, green, red, the top row first.
    std::vector<std::uint8_t> Rows;
    // Every text chunk (plain, compressed or international) as key and value, in file order.
    std::vector<std::pair<std::string, std::string>> Text;

    // The value of key; none when the key is missing or given twice with different values.
    std::optional<std::string> TextOf(std::string_view key) const;
};

// The sizes a thumbnail file may have; anything larger is no thumbnail of a desktop.
struct ThumbnailPngLimits {
    std::int32_t MaxSide = 1024;
    std::int64_t MaxFileBytes = 8 << 20;
    std::size_t MaxTextBytes = 16 << 10;  // a key's value; a longer one makes the file refused
    std::uint32_t MaxChunkBytes = 1 << 20;
    std::int32_t MaxChunks = 64;  // ancillary chunks (texts among them)
};

// Told the size and the text chunks that come before the pixels; false refuses the file before
// its pixels are decoded.
using ThumbnailPngCheck = std::function<bool(const ThumbnailPng& header)>;

// Reads a regular PNG file through libpng. None when the file is missing, not a regular file,
// no PNG, damaged, truncated, beyond the limits, or refused by check. Text chunks after the
// pixels are in the result but were not shown to check.
std::optional<ThumbnailPng> ReadThumbnailPng(const std::string& path,
                                             const ThumbnailPngCheck& check = {},
                                             const ThumbnailPngLimits& limits = {});

}  // namespace pixelary
