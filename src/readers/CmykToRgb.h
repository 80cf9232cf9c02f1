// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace pixelary {

// CMYK to one 24-bit pixel (blue, green, red), from the light each ink lets through (255 = no
// ink), as Photoshop-format files store it. Each colour is its own light dimmed by the black ink's;
// no colour profile is applied, which keeps the readers free of a colour-management library.
inline void CmykLightToBgr(std::uint8_t cyan, std::uint8_t magenta, std::uint8_t yellow,
                           std::uint8_t black, std::uint8_t* bgr) {
    bgr[0] = static_cast<std::uint8_t>(unsigned{black} * yellow / 255);
    bgr[1] = static_cast<std::uint8_t>(unsigned{black} * magenta / 255);
    bgr[2] = static_cast<std::uint8_t>(unsigned{black} * cyan / 255);
}

// The same from ink amounts (0 = no ink), as TIFF files store them.
inline void CmykInkToBgr(std::uint8_t cyan, std::uint8_t magenta, std::uint8_t yellow,
                         std::uint8_t black, std::uint8_t* bgr) {
    CmykLightToBgr(static_cast<std::uint8_t>(255 - cyan), static_cast<std::uint8_t>(255 - magenta),
                   static_cast<std::uint8_t>(255 - yellow), static_cast<std::uint8_t>(255 - black),
                   bgr);
}

}  // namespace pixelary
