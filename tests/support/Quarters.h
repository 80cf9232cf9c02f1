// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <cstdlib>

#include "core/Dib.h"

namespace pixelary::testing {

// The orientation fixtures (tests/data/readers/jpg/orient-N.jpg,
// tests/data/readers/tif/orient-*.tif) show a 40 x 24 picture of four flat quarters: red top left,
// green top right, blue bottom left, yellow bottom right.
constexpr int kQuartersWidth = 40;
constexpr int kQuartersHeight = 24;
constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

// Colours of the top-left, top-right, bottom-left and bottom-right corners.
using Corners = std::array<std::uint32_t, 4>;

// The corners of the quarters picture seen upright under each orientation value (index 1 to 8),
// as ImageMagick's "convert -auto-orient" shows the fixtures.
constexpr std::array<Corners, 9> kUprightCorners = {{
    {},
    {kRed, kGreen, kBlue, kYellow},
    {kGreen, kRed, kYellow, kBlue},
    {kYellow, kBlue, kGreen, kRed},
    {kBlue, kYellow, kRed, kGreen},
    {kRed, kBlue, kGreen, kYellow},
    {kBlue, kRed, kYellow, kGreen},
    {kYellow, kGreen, kBlue, kRed},
    {kGreen, kYellow, kRed, kBlue},
}};

// The quarter colour nearest to rgb, so that lossy decoding still names its quarter.
inline std::uint32_t NearestQuarterColour(std::uint32_t rgb) {
    std::uint32_t best = 0;
    int bestDistance = 1 << 30;
    for (std::uint32_t colour : {kRed, kGreen, kBlue, kYellow}) {
        int distance = 0;
        for (int shift : {0, 8, 16}) {
            distance += std::abs(static_cast<int>((rgb >> shift) & 0xFF) -
                                 static_cast<int>((colour >> shift) & 0xFF));
        }
        if (distance < bestDistance) {
            best = colour;
            bestDistance = distance;
        }
    }
    return best;
}

inline Corners CornersOf(const Dib& dib) {
    const int r = dib.Width() - 1, b = dib.Height() - 1;
    return {NearestQuarterColour(dib.PixelRgb(0, 0)), NearestQuarterColour(dib.PixelRgb(r, 0)),
            NearestQuarterColour(dib.PixelRgb(0, b)), NearestQuarterColour(dib.PixelRgb(r, b))};
}

// The quarters picture itself, exact, at 24 bits (at another size when asked).
inline Dib QuartersDib(int width = kQuartersWidth, int height = kQuartersHeight) {
    Dib dib(width, height, 24);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const std::uint32_t rgb = bottom ? (right ? kYellow : kBlue) : (right ? kGreen : kRed);
            std::uint8_t* p = dib.Row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(rgb);
            p[1] = static_cast<std::uint8_t>(rgb >> 8);
            p[2] = static_cast<std::uint8_t>(rgb >> 16);
        }
    }
    return dib;
}

}  // namespace pixelary::testing
