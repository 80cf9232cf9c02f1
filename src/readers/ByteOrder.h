// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

// Little- and big-endian integers from header bytes already read into memory.
namespace pixelary::bytes {

inline std::uint16_t U16LE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t U32LE(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
           (std::uint32_t{p[3]} << 24);
}
inline std::int32_t I32LE(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32LE(p));
}
inline std::uint16_t U16BE(const std::uint8_t* p) {
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}
inline std::uint32_t U32BE(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

}  // namespace pixelary::bytes
