// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/Dib.h"
#include "readers/Rwimage.h"
#include "support/TempDir.h"

namespace pixelary::test {

inline std::string Fixture(const std::string& relative) {
    return std::string(PIXELARY_TEST_DATA) + "/" + relative;
}

// Little builder for byte-made files.
struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& U8(unsigned v) {
        data.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& U16(unsigned v) { return U8(v & 0xFF).U8((v >> 8) & 0xFF); }
    Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& U16BE(unsigned v) { return U8((v >> 8) & 0xFF).U8(v & 0xFF); }
    Bytes& U32BE(std::uint32_t v) { return U16BE(v >> 16).U16BE(v & 0xFFFF); }
    Bytes& Text(const std::string& s) {
        data.insert(data.end(), s.begin(), s.end());
        return *this;
    }
    Bytes& Fill(std::size_t n, unsigned v) {
        data.insert(data.end(), n, static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes& Raw(const std::vector<std::uint8_t>& more) {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
};

// Runs the calling protocol the scanner follows at the given size.
inline Dib Decode(MDiskImage& reader, int width, int height) {
    Dib bitmap(width, height, reader.GetBitCount());
    if (reader.GetBitCount() <= 8) bitmap.SetPalette(reader.GetPalette());
    reader.StretchBegin(0, 0, reader.GetWidth(), reader.GetHeight(), width, height);
    reader.StretchLines(bitmap, height);
    reader.StretchEnd();
    return bitmap;
}

inline Dib DecodeFull(MDiskImage& reader) {
    return Decode(reader, reader.GetWidth(), reader.GetHeight());
}

}  // namespace pixelary::test
