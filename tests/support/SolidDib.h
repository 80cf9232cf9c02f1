// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "core/Dib.h"

namespace pixelary::testing {

// A 24-bit bitmap of one colour (0xRRGGBB).
inline Dib SolidDib(int width, int height, std::uint32_t rgb) {
    Dib dib(width, height, 24);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(rgb);
            row[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    return dib;
}

}  // namespace pixelary::testing
